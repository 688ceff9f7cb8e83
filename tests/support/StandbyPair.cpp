#include "StandbyPair.h"
#include "TestDb.h"
#include "rules/Shell.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>

namespace {
void run(const QStringList& args)
{
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(QStringLiteral(PW_SOURCE_DIR "/") + args[0], args.mid(1));
    if (!p.waitForFinished(120000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("%s failed: %s", qPrintable(args.join(' ')), p.readAll().constData());
}

QString serverOf(const QString& dir)
{
    QFile port(dir + QStringLiteral("/port"));
    if (port.open(QIODevice::ReadOnly))
        return QStringLiteral("127.0.0.1:") + QString::fromLatin1(port.readAll().trimmed());
    return dir + QStringLiteral("/sock");
}
} // namespace

StandbyPair::StandbyPair()
    : dir_(QStringLiteral("/tmp/pwpair-%1").arg(QCoreApplication::applicationPid())),
      previous_(qgetenv("PW_TEST_CLUSTER"))
{
    run({QStringLiteral("tests/standby.sh"), QStringLiteral("start"), dir_});
    qputenv("PW_TEST_CLUSTER", (dir_ + QStringLiteral("/primary")).toUtf8());
}

StandbyPair::~StandbyPair()
{
    run({QStringLiteral("tests/standby.sh"), QStringLiteral("stop"), dir_});
    qputenv("PW_TEST_CLUSTER", previous_);
}

QString StandbyPair::primary() const { return serverOf(dir_ + QStringLiteral("/primary")); }
QString StandbyPair::standby() const { return serverOf(dir_ + QStringLiteral("/standby")); }

void StandbyPair::stopPrimary() { run({QStringLiteral("scripts/pgcluster.sh"), QStringLiteral("stop"), dir_ + "/primary"}); }
void StandbyPair::stopStandby() { run({QStringLiteral("scripts/pgcluster.sh"), QStringLiteral("stop"), dir_ + "/standby"}); }
void StandbyPair::startStandby() { run({QStringLiteral("scripts/pgcluster.sh"), QStringLiteral("start"), dir_ + "/standby"}); }
void StandbyPair::promote() { run({QStringLiteral("tests/standby.sh"), QStringLiteral("promote"), dir_}); }

std::unique_ptr<Connection> StandbyPair::connect(const QString& server, const QString& database, const QString& name)
{
    auto c = std::make_unique<Connection>(name);
    static const QRegularExpression uid(QStringLiteral("UID=[^;]*")), pwd(QStringLiteral("PWD=[^;]*"));
    c->setConnectionString(Shell::connectionString(database, server)
                               .replace(uid, QStringLiteral("UID=pw_site"))
                               .replace(pwd, QStringLiteral("PWD=sitepass")));
    c->open();
    return c;
}

void StandbyPair::pauseReplay()
{
    connect(standby(), QStringLiteral("postgres"), QStringLiteral("pair_pause"))->execute(QStringLiteral("select pg_wal_replay_pause()"));
}

void StandbyPair::resumeReplay()
{
    connect(standby(), QStringLiteral("postgres"), QStringLiteral("pair_resume"))->execute(QStringLiteral("select pg_wal_replay_resume()"));
}

void StandbyPair::catchUp()
{
    auto p = connect(primary(), QStringLiteral("postgres"), QStringLiteral("pair_primary"));
    auto s = connect(standby(), QStringLiteral("postgres"), QStringLiteral("pair_standby"));
    const QString lsn = p->select(QStringLiteral("select pg_current_wal_insert_lsn()::text")).rows.value(0).value(0).toString();
    QElapsedTimer t;
    t.start();
    while (!s->select(QStringLiteral("select (pg_last_wal_replay_lsn() >= '%1'::pg_lsn)::int").arg(lsn)).rows.value(0).value(0).toInt()) {
        if (t.elapsed() > 20000)
            qFatal("the standby did not catch up with %s", qPrintable(lsn));
        QThread::msleep(20);
    }
}
