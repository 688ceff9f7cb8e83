// The foremen's saves on the primary while the month-end is read on the primary, and while
// it is read on its standby, beside the same saves alone: one run, on a primary and a
// streaming standby of its own holding the large workshop (300 workers, a year of journal
// records; loaded in seconds) with what "Структура БД" adds, as the load harness has it.
//   6 foremen of the load harness (new records, changes, deletions in the current month),
//   2,000 actions each per phase; 2 readers repeating the month-end reading of the month
//   before, each statement read as the program reads a report (ReportServer::reading: on a
//   connection of its own, in one read-only repeatable-read snapshot, on the standby after
//   its wait for what the primary had when asked): the four period reports and the
//   period's export, the four monthly timesheets with their four totals, the printed shift
//   timesheet. About four minutes on two cores.
// Phases alone, primary, standby, standby, primary, alone: each case twice, in an order
// that gives none of them the warmer caches or the quieter machine; each case's saves
// pooled. Printed per case: the saves' count, median, 99th percentile, rate and p99 beside
// alone; the whole month-ends read and the median time of one; the processor seconds each
// server used (what a standby on a machine of its own would take off the primary).
// Every reading says in its snapshot whether it ran on a standby, and the standby
// counts its transactions in the database: exit code 1 when a reading ran elsewhere than
// its case says, or a client or a reading failed.
// Here the standby shares the processor with the primary: reading there spares the primary's
// processes, buffers and locks, but not the processor the saves wait for.
//   bench_standby_load        (as root; starts and removes a primary and standby of its own)
#include "BenchSupport.h"
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "ReadAhead.h"
#include "ReportServer.h"
#include "SchemaUpgrade.h"
#include "ServerCall.h"
#include "StandbyPair.h"
#include "load/LoadProcess.h"
#include "printing/rules/ReportSql.h"
#include "rules/Shell.h"
#include "timesheets/rules/MonthSheets.h"
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QThread>
#include <sys/resource.h>
#include <unistd.h>
#include <algorithm>
#include <atomic>
#include <cstdio>
#include <mutex>
#include <thread>

namespace {
const int kForemen = 6, kActions = 2000, kReaders = 2;
const char* const kDatabase = "pw_large";

enum class Where { Alone, Primary, Standby };
const char* const kCaseNames[] = {"foremen alone", "reading on the primary", "reading on the standby"};
const Where kPhases[] = {Where::Alone, Where::Primary, Where::Standby, Where::Standby, Where::Primary, Where::Alone};

struct Case {
    QVector<double> saves;
    double seconds = 0;
    int readings = 0, statements = 0, onStandby = 0;
    int behind = 0; // readings of a standby still behind after the program's wait
    QVector<double> readingMs;
    QStringList errors;
    qint64 standbyCommits = 0; // the standby's count of transactions in the database
    double primaryCpu = 0, standbyCpu = 0; // seconds of processor time each server used
};

// Processor seconds a server has used so far: its postmaster's own, its ended sessions'
// (the postmaster reaps them) and those of the processes still running under it.
double serverCpuSeconds(const QString& clusterDir)
{
    QFile pidFile(clusterDir + QStringLiteral("/data/postmaster.pid"));
    if (!pidFile.open(QIODevice::ReadOnly))
        qFatal("no postmaster.pid in %s", qPrintable(clusterDir));
    const qint64 pid = pidFile.readLine().trimmed().toLongLong();
    // The fields after the command's closing parenthesis, from the state on (see proc(5)).
    const auto fields = [](const QString& path) {
        QFile f(path);
        if (!f.open(QIODevice::ReadOnly))
            return QList<QByteArray>();
        const QByteArray stat = f.readAll();
        return stat.mid(stat.lastIndexOf(')') + 2).split(' ');
    };
    enum { Ppid = 1, Utime = 11, Stime, Cutime, Cstime };
    const QList<QByteArray> own = fields(QStringLiteral("/proc/%1/stat").arg(pid));
    double ticks = own.value(Utime).toDouble() + own.value(Stime).toDouble() + own.value(Cutime).toDouble()
                   + own.value(Cstime).toDouble();
    for (const QString& entry : QDir(QStringLiteral("/proc")).entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        bool number = false;
        entry.toLongLong(&number);
        if (!number)
            continue;
        const QList<QByteArray> f = fields(QStringLiteral("/proc/") + entry + QStringLiteral("/stat"));
        if (f.value(Ppid).toLongLong() == pid)
            ticks += f.value(Utime).toDouble() + f.value(Stime).toDouble();
    }
    return ticks / double(sysconf(_SC_CLK_TCK));
}

// The large workshop, as bench/run.sh loads it, into the pair's primary.
void loadWorkshop()
{
    const QString top = QStringLiteral(PW_SOURCE_DIR);
    QStringList args{QStringLiteral("load"), QString::fromUtf8(qgetenv("PW_TEST_CLUSTER")), QString::fromLatin1(kDatabase)};
    for (const QString& f : QDir(top + QStringLiteral("/db/schema")).entryList({QStringLiteral("*.sql")}, QDir::Files, QDir::Name))
        args << top + QStringLiteral("/db/schema/") + f;
    for (const char* f : {"db/demo/rebuild_tabel.sql", "db/demo/generate.sql", "bench/gen_large.sql", "db/demo/done.sql"})
        args << top + QLatin1Char('/') + QLatin1String(f);
    QProcess p;
    p.setProcessChannelMode(QProcess::MergedChannels);
    p.start(top + QStringLiteral("/scripts/pgcluster.sh"), args);
    if (!p.waitForFinished(600000) || p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
        qFatal("loading the large workshop failed: %s", p.readAll().constData());
}

// The month-end reading of a month: the program's own statements with their parameters.
QStringList monthEnd(int month, int year)
{
    Connection texts(QStringLiteral("texts")); // never opened: the statements only bind their values
    QStringList out;
    const QDate first(year, month, 1), next = first.addMonths(1);
    auto add = [&](const QStringList& lines, const std::function<void(Statement&)>& params) {
        Statement s(texts, QStringLiteral("s"));
        s.setSql(lines);
        params(s);
        out << s.boundSql();
    };
    const auto period = [&](Statement& s) {
        s.setParam(QStringLiteral("data1"), first);
        s.setParam(QStringLiteral("data2"), next);
    };
    for (const ReportSql::Period& p :
         {ReportSql::tReportByWorker(), ReportSql::tReportByProduct(), ReportSql::wReport(), ReportSql::iReport()})
        add(p.sql, period);
    add(ReportSql::xlsRep(), period);
    using MonthSheets::Variant;
    for (Variant v : {Variant::PieceWork, Variant::Household, Variant::AverageRate, Variant::General})
        add({MonthSheets::sheetStatement(v)}, [&](Statement& s) { MonthSheets::setSheetParams(s, month, year, v == Variant::General); });
    for (const char* t : {MonthSheets::AllPrice, MonthSheets::Price, MonthSheets::Price7, MonthSheets::Price8})
        add({QString::fromUtf8(t)},
            [&](Statement& s) { MonthSheets::setTotalParams(s, month, year, t == MonthSheets::AllPrice); });
    add(ReportSql::hTabel(), [&](Statement& s) {
        s.setParam(QStringLiteral("mnth"), month);
        s.setParam(QStringLiteral("yea"), year);
    });
    return out;
}

// Readers repeating the month-end on the report server set (the primary when none is)
// until stopped, each with a connection to the primary of its own, as a client has; only
// whole month-ends count as readings.
class Readers {
public:
    Readers(const QString& primaryString, const QStringList& statements, Case& into)
        : text_(primaryString), statements_(statements), case_(into)
    {
        for (int i = 0; i < kReaders; ++i)
            threads_.emplace_back([this, i] { loop(i); });
    }
    ~Readers()
    {
        stop_ = true;
        for (std::thread& t : threads_)
            t.join();
    }

private:
    void loop(int number)
    {
        Connection primary(QStringLiteral("standby_load_reader_%1").arg(number));
        primary.setConnectionString(text_);
        try {
            primary.open();
        } catch (const DbError& e) {
            std::lock_guard<std::mutex> lock(mutex_);
            case_.errors << e.message();
            return;
        }
        while (!stop_) {
            QElapsedTimer clock;
            clock.start();
            int read = 0;
            for (const QString& statement : statements_) {
                if (stop_)
                    break;
                if (!readOne(primary, statement))
                    return;
                ++read;
            }
            std::lock_guard<std::mutex> lock(mutex_);
            case_.statements += read;
            if (read == statements_.size()) {
                ++case_.readings;
                case_.readingMs << clock.elapsed();
            }
        }
    }
    // One statement read as a report reads: the program's own reading, its wait for the
    // standby included.
    bool readOne(Connection& primary, const QString& statement)
    {
        auto source = std::make_shared<ReportServer::Source>();
        auto standby = std::make_shared<bool>(false);
        try {
            std::unique_ptr<ReadAhead> reading =
                ReportServer::reading(primary, source, [statement, standby](Connection& c, const ReadAhead::Deliver& deliver) {
                    *standby = c.select(QStringLiteral("select pg_is_in_recovery()::int")).rows.value(0).value(0).toInt() == 1;
                    deliver(c.selectTable(statement));
                });
            OdbcReader::Result r;
            while (reading->next(r, true)) {
            }
        } catch (const DbError& e) {
            std::lock_guard<std::mutex> lock(mutex_);
            case_.errors << e.message();
            return false;
        }
        std::lock_guard<std::mutex> lock(mutex_);
        case_.onStandby += *standby;
        case_.behind += source->behind;
        return true;
    }

    QString text_;
    QStringList statements_;
    Case& case_;
    std::atomic<bool> stop_{false};
    std::mutex mutex_;
    std::vector<std::thread> threads_;
};

class Run {
public:
    int exec();

private:
    void phase(Where where, int number);
    qint64 standbyCommits();
    int report();

    StandbyPair pair_;
    const QString primaryDir_ = QString::fromUtf8(qgetenv("PW_TEST_CLUSTER"));
    const QString standbyDir_ = QFileInfo(primaryDir_).path() + QStringLiteral("/standby");
    int month_ = 0, year_ = 0;
    QStringList statements_;
    Case cases_[3];
    std::unique_ptr<Connection> standbyStats_;
};

qint64 Run::standbyCommits()
{
    // Read from another database, so that these questions are not counted themselves.
    return standbyStats_->select(QStringLiteral("select xact_commit from pg_stat_database where datname = '%1'")
                                     .arg(QLatin1String(kDatabase)))
        .rows.value(0)
        .value(0)
        .toLongLong();
}

void Run::phase(Where where, int number)
{
    Case& c = cases_[int(where)];
    const QString database = QString::fromLatin1(kDatabase);
    const qint64 commitsBefore = standbyCommits();
    const double primaryBefore = serverCpuSeconds(primaryDir_), standbyBefore = serverCpuSeconds(standbyDir_);
    // As the configuration sets it: a report server named, or none.
    ReportServer::set(where == Where::Standby ? Shell::readingString(database, pair_.primary(), pair_.standby()) : QString());
    std::unique_ptr<Readers> readers;
    if (where != Where::Alone)
        readers = std::make_unique<Readers>(Shell::connectionString(database, pair_.primary()), statements_, c);
    std::vector<std::unique_ptr<Load::Process>> foremen;
    QElapsedTimer clock;
    clock.start();
    for (int i = 0; i < kForemen; ++i) {
        Load::ClientArgs a;
        a.database = database;
        a.socketDir = pair_.primary();
        a.month = month_;
        a.year = year_;
        a.actions = kActions;
        a.seed = quint32(100 * number + i + 1);
        foremen.push_back(Load::start(a));
    }
    Load::waitFor([&] { return std::all_of(foremen.begin(), foremen.end(), [](const auto& f) { return f->finished; }); });
    c.seconds += clock.elapsed() / 1000.0;
    readers.reset();
    for (const auto& f : foremen) {
        c.saves += f->saves;
        for (const QString& e : f->errors)
            c.errors << QStringLiteral("foreman: ") + e;
    }
    // A session's counts reach the shared statistics when it ends or within a second.
    QThread::msleep(1500);
    c.standbyCommits += standbyCommits() - commitsBefore;
    c.primaryCpu += serverCpuSeconds(primaryDir_) - primaryBefore;
    c.standbyCpu += serverCpuSeconds(standbyDir_) - standbyBefore;
    std::printf("phase %d, %s: %.1f s\n", number + 1, kCaseNames[int(where)], clock.elapsed() / 1000.0);
    std::fflush(stdout);
}

int Run::exec()
{
    QElapsedTimer clock;
    clock.start();
    loadWorkshop();
    pair_.catchUp();
    std::printf("the large workshop loaded on the primary and replayed on the standby: %.0f s\n", clock.elapsed() / 1000.0);
    const QString database = QString::fromLatin1(kDatabase);
    {
        Connection db(QStringLiteral("standby_load"));
        db.setConnectionString(Shell::connectionString(database, pair_.primary()));
        db.open();
        const auto last = db.select(QStringLiteral("select extract(month from max(data))::int, extract(year from max(data))::int "
                                                   "from accounts_dep.smena")).rows.value(0);
        month_ = last.value(0).toInt();
        year_ = last.value(1).toInt();
        Load::makePool(db, 7);
        // The indexes, closed months and history "Структура БД" makes, as the load harness has them.
        const SchemaUpgrade::Outcome up = SchemaUpgrade::run(db);
        if (!up.forbidden.isEmpty() || !up.busy.isEmpty())
            throw DbError(SchemaUpgrade::rightsMessage(up));
    }
    pair_.catchUp();
    standbyStats_ = StandbyPair::connect(pair_.standby(), QStringLiteral("postgres"), QStringLiteral("standby_load_stats"));
    const QDate before = QDate(year_, month_, 1).addMonths(-1);
    statements_ = monthEnd(before.month(), before.year());
    std::printf("%d foremen × %d actions per phase in %02d.%d on the primary; %d readers of the month-end of %02d.%d "
                "(%lld statements)\n",
                kForemen, kActions, month_, year_, kReaders, before.month(), before.year(), qlonglong(statements_.size()));
    std::fflush(stdout);
    int number = 0;
    for (Where w : kPhases)
        phase(w, number++);
    return report();
}

int Run::report()
{
    const double aloneP99 = Load::percentile(cases_[0].saves, 0.99);
    std::printf("\n%-24s %6s %10s %8s %8s %12s %9s %10s %14s %14s\n", "case", "saves", "median ms", "p99 ms", "saves/s",
                "p99 / alone", "readings", "reading ms", "primary cpu s", "standby cpu s");
    for (int i = 0; i < 3; ++i) {
        const Case& c = cases_[i];
        const double p99 = Load::percentile(c.saves, 0.99);
        std::printf("%-24s %6lld %10.2f %8.2f %8.1f %12.2f %9d %10.0f %14.1f %14.1f\n", kCaseNames[i],
                    qlonglong(c.saves.size()), Load::percentile(c.saves, 0.5), p99, c.saves.size() / c.seconds,
                    aloneP99 > 0 ? p99 / aloneP99 : 0.0, c.readings, c.readingMs.isEmpty() ? 0.0 : Bench::median(c.readingMs),
                    c.primaryCpu, c.standbyCpu);
    }
    const Case &onPrimary = cases_[int(Where::Primary)], &onStandby = cases_[int(Where::Standby)];
    std::printf("where the statements were read: primary case %d of %d on a standby, the standby's commits in the "
                "database %lld; standby case %d of %d on a standby (%d still behind after the wait), its commits %lld\n",
                onPrimary.onStandby, onPrimary.statements, onPrimary.standbyCommits, onStandby.onStandby, onStandby.statements,
                onStandby.behind, onStandby.standbyCommits);
    rusage children{};
    getrusage(RUSAGE_CHILDREN, &children);
    std::printf("peak resident memory: driver and readers %.1f MB, largest client %.1f MB\n", Bench::peakRssMb(),
                children.ru_maxrss / 1024.0);
    QStringList failures;
    for (int i = 0; i < 3; ++i)
        for (const QString& e : cases_[i].errors)
            failures << QString::fromLatin1(kCaseNames[i]) + QStringLiteral(": ") + e;
    if (onPrimary.statements == 0 || onPrimary.onStandby != 0 || onPrimary.standbyCommits > 0)
        failures << QStringLiteral("the primary case read on the standby, or not at all");
    if (onStandby.statements == 0 || onStandby.onStandby != onStandby.statements
        || onStandby.standbyCommits < onStandby.statements)
        failures << QStringLiteral("the standby case read elsewhere than on the standby, or not at all");
    for (const QString& f : failures)
        std::printf("FAILED: %s\n", qPrintable(f));
    std::fflush(stdout);
    return failures.isEmpty() ? 0 : 1;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    int rc = 1;
    if (Load::clientMode(app.arguments(), rc))
        return rc;
    try {
        rc = Run().exec();
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    ServerCall::drain(std::chrono::seconds(30));
    return rc;
}
