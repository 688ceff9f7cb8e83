// The client-side read of a result: a query opened through the data layer beside the floor
// of the same path (bench/odbc_floor: the same statement through the same driver into plain
// buffers, nothing kept) and beside psql, on the large workshop. Rounds of the three
// alternate, so that a shared machine's load falls on all of them.
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "TDataModule6.h"
#include "printing/TForm16.h"
#include "printing/TForm20.h"
#include <QCoreApplication>
#include <QDate>
#include <QProcess>
#include <cstdio>

namespace {
struct Times {
    QVector<double> wall, cpu;
};

// Milliseconds of each round of the floor program, after its warm-up: on the clock and of
// its processor time.
void floorTimes(const QString& connection, const QString& statement, int rounds, Times& out)
{
    QProcess p;
    p.start(QCoreApplication::applicationDirPath() + QStringLiteral("/odbc_floor"),
            {connection, QString::number(rounds)});
    p.waitForStarted();
    p.write(statement.toUtf8());
    p.closeWriteChannel();
    p.waitForFinished(-1);
    int read = 0;
    for (const QByteArray& line : p.readAllStandardOutput().split('\n')) {
        const QList<QByteArray> two = line.split(' ');
        if (two.size() == 2 && two[0] != "rows") {
            out.wall << two[0].toDouble();
            out.cpu << two[1].toDouble();
            ++read;
        }
    }
    if (read == 0)
        qFatal("odbc_floor: %s", p.readAllStandardError().constData());
}

void readBesideFloor(const Bench::Target& target, Connection& c, const char* name, const QString& statement, int rounds)
{
    // PW_BENCH_ONLY=month: only the statements whose name starts so (for a profiler).
    if (!QString::fromLatin1(name).startsWith(qEnvironmentVariable("PW_BENCH_ONLY")))
        return;
    Query q(c, QStringLiteral("bench"));
    q.setSql(statement);
    Times ours, floor;
    QVector<double> plain;
    const int blocks = 3;
    for (int b = 0; b < blocks; ++b) {
        for (int r = 0; r < rounds; ++r) {
            q.close();
            const double cpu = Bench::processCpuMs();
            ours.wall << Bench::timeMs([&] { q.open(); });
            ours.cpu << Bench::processCpuMs() - cpu;
        }
        floorTimes(c.connectionString(), statement, rounds, floor);
        plain << Bench::psqlTimes(target, {statement}, rounds);
    }
    const double o = Bench::median(ours.wall), f = Bench::median(floor.wall), p = Bench::median(plain);
    const double oc = Bench::median(ours.cpu), fc = Bench::median(floor.cpu);
    std::printf("%s: %d rows, %d columns; medians of %d rounds\n", name, q.recordCount(), int(q.fieldNames().size()),
                int(ours.wall.size()));
    std::printf("  on the clock:   ours %8.2f ms   floor %8.2f ms   psql %8.2f ms   ours/floor %5.2f   ours/psql %5.2f\n",
                o, f, p, o / f, o / p);
    std::printf("  client's processor time: ours %8.2f ms   floor %8.2f ms   ours/floor %5.2f   (%.2f us a row over the floor)\n",
                oc, fc, oc / fc, (oc - fc) * 1000 / qMax(1, q.recordCount()));
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    Bench::Program program(target);
    App& app = *program.app;
    Connection& c = app.DataModule6()->ADO_DB;
    const QDate today = program.seam.todayValue;
    const QDate monthTo(today.year(), today.month(), 1);
    const QDate monthFrom = monthTo.addMonths(-1);

    auto bound = [](Query* q, const QDate& from, const QDate& to) {
        q->setParam("data1", from);
        q->setParam("data2", to);
        return q->boundSql();
    };
    const int rounds = qEnvironmentVariableIsSet("PW_BENCH_ROUNDS") ? qEnvironmentVariableIntValue("PW_BENCH_ROUNDS") : 5;
    readBesideFloor(target, c, "month: t_Report by worker", bound(app.form<TForm16>()->t_Report, monthFrom, monthTo), rounds);
    readBesideFloor(target, c, "month: w_Report", bound(app.form<TForm20>()->w_Report, monthFrom, monthTo), rounds);
    readBesideFloor(target, c, "operations list (Oper)", app.DataModule6()->Oper->sql(), rounds);
    readBesideFloor(target, c, "year: w_Report", bound(app.form<TForm20>()->w_Report, today.addDays(1).addYears(-1), today.addDays(1)),
            qMax(1, rounds / 2));
    std::printf("peak resident memory: %.1f MB\n", Bench::peakRssMb());
    return 0;
}
