#include "BenchSupport.h"
#include "Program.h"
#include <QElapsedTimer>
#include <QProcess>
#include <QRegularExpression>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <sys/resource.h>
#include <ctime>

namespace Bench {

Program::Program(const Target& t)
{
    seam.todayValue = QDate::currentDate();
    app = std::make_unique<App>(seam, QStringList{t.database, t.socketDir}, buildProgram);
    if (!app->start())
        qFatal("the program did not start on %s", qPrintable(t.database));
}

Target target(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s DATABASE SOCKET_DIR\n", argv[0]);
        std::exit(2);
    }
    return {QString::fromLocal8Bit(argv[1]), QString::fromLocal8Bit(argv[2])};
}

double timeMs(const std::function<void()>& fn)
{
    QElapsedTimer t;
    t.start();
    fn();
    return t.nsecsElapsed() / 1e6;
}

double processCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

double sum(const QVector<double>& v)
{
    double s = 0;
    for (double x : v)
        s += x;
    return s;
}

double median(QVector<double> v)
{
    if (v.isEmpty())
        return 0;
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

bool psql(const Target& t, const QString& database, const QString& sql)
{
    QProcess p;
    p.start(QStringLiteral("psql"), {"-X", "-q", "-h", t.socketDir, "-U", "sys", "-d", database, "-c", sql});
    p.waitForFinished(-1);
    return p.exitCode() == 0;
}

bool copyDatabase(const Target& t, const QString& copy)
{
    psql(t, QStringLiteral("postgres"), QStringLiteral("drop database if exists ") + copy);
    for (int i = 0; i < 60; ++i) {
        if (psql(t, QStringLiteral("postgres"), QStringLiteral("create database %1 template %2").arg(copy, t.database)))
            return true;
        QThread::sleep(1);
    }
    return false;
}

QVector<double> psqlTimes(const Target& t, const QStringList& statements, int rounds)
{
    QString script = QStringLiteral("SET DateStyle TO 'ISO, DMY';\nSET jit TO off;\n\\o /dev/null\n\\timing on\n");
    for (int r = 0; r < rounds; ++r)
        for (const QString& s : statements)
            script += s + QStringLiteral(";\n");
    QProcess p;
    p.start(QStringLiteral("psql"), {"-X", "-q", "-h", t.socketDir, "-U", "sys", "-d", t.database});
    p.waitForStarted();
    p.write(script.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    QVector<double> times;
    static const QRegularExpression re(QStringLiteral(R"(Time: ([0-9.]+) ms)"));
    auto it = re.globalMatch(QString::fromUtf8(p.readAllStandardOutput()));
    while (it.hasNext())
        times << it.next().captured(1).toDouble();
    return times; // the SETs run before timing is switched on
}

double peakRssMb()
{
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_maxrss / 1024.0;
}

void report(const QString& name, double ours, double theirs)
{
    std::printf("%-40s ours %9.2f ms   plain %9.2f ms   ratio %5.2f\n", qPrintable(name), ours, theirs,
                theirs > 0 ? ours / theirs : 0.0);
}

} // namespace Bench
