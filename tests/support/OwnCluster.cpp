#include "OwnCluster.h"
#include <QCoreApplication>
#include <QProcess>
#include <QTest>

namespace {
void run(const QString& script, const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(PW_SOURCE_DIR "/") + script, args);
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s %s failed: %s", qPrintable(script), qPrintable(args.join(' ')), p.readAll().constData());
}
} // namespace

OwnCluster::OwnCluster()
    : dir_(QStringLiteral("/tmp/pwown-%1").arg(QCoreApplication::applicationPid())),
      previous_(qgetenv("PW_TEST_CLUSTER"))
{
    run(QStringLiteral("tests/cluster.sh"), {QStringLiteral("start"), dir_});
    qputenv("PW_TEST_CLUSTER", dir_.toUtf8());
}

OwnCluster::~OwnCluster()
{
    run(QStringLiteral("tests/cluster.sh"), {QStringLiteral("stop"), dir_});
    qputenv("PW_TEST_CLUSTER", previous_);
}

void OwnCluster::stop() { run(QStringLiteral("scripts/pgcluster.sh"), {QStringLiteral("stop"), dir_}); }
void OwnCluster::start() { run(QStringLiteral("scripts/pgcluster.sh"), {QStringLiteral("start"), dir_}); }
