// A network that goes silent under a save and under a report: every packet to and from the
// server's port dropped by the kernel (nftables), as a dead switch does, while the program
// waits. Measured from the moment the line went silent: when the user sees the prompt and,
// giving up there, the message; when, with nobody at the prompt, the program finds the line
// dead by itself; and when the server has ended the dead client's session and freed its
// locks. Needs root and nftables; the server must be reached over TCP ("127.0.0.1:port",
// bench/run.sh starts such a cluster), the control connection goes over its socket.
#include "BenchSupport.h"
#include "Connection.h"
#include "DbError.h"
#include "ReadAhead.h"
#include "Query.h"
#include "ServerBounds.h"
#include "journal/rules/JournalRecords.h"
#include "rules/Shell.h"
#include "Records.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QProcess>
#include <QTextStream>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>

namespace {
const int kGate = 4343;

bool nft(const QStringList& args)
{
    QProcess p;
    p.start(QStringLiteral("nft"), args);
    return p.waitForFinished(10000) && p.exitStatus() == QProcess::NormalExit && p.exitCode() == 0;
}

// Every packet to and from the port dropped, both ways, until the object goes.
struct Silence {
    bool on = false;
    explicit Silence(int port)
    {
        nft({"delete", "table", "inet", "pwsilent"});
        on = nft({"add", "table", "inet", "pwsilent"})
             && nft({"add", "chain", "inet", "pwsilent", "in", "{ type filter hook input priority 0; }"})
             && nft({"add", "rule", "inet", "pwsilent", "in", "tcp", "dport", QString::number(port), "drop"})
             && nft({"add", "rule", "inet", "pwsilent", "in", "tcp", "sport", QString::number(port), "drop"});
    }
    ~Silence() { nft({"delete", "table", "inet", "pwsilent"}); }
};

// Gives up at the first question, as a user at the prompt would; notes when it came.
class GiveUpAtPrompt : public ServerWaiter {
public:
    explicit GiveUpAtPrompt(const QElapsedTimer& clock) : clock_(clock) {}
    int noticeMs() const override { return ServerBounds::current().noticeMs; }
    bool wait(const Waiting&) override
    {
        promptMs = clock_.elapsed();
        return true;
    }
    qint64 promptMs = -1;

private:
    const QElapsedTimer& clock_;
};

struct Outcome {
    qint64 promptMs = -1;  // the prompt shown
    qint64 messageMs = -1; // the message the user reads
    qint64 freedMs = -1;   // the server has ended the session: its locks are free
    QString message;
};

// Waits until the server process is gone, from the control connection.
qint64 whenGone(Connection& control, qint64 pid, const QElapsedTimer& clock, int atMostSeconds)
{
    while (clock.elapsed() < atMostSeconds * 1000) {
        if (control.select(QStringLiteral("select 1 from pg_stat_activity where pid=%1").arg(pid)).rows.isEmpty())
            return clock.elapsed();
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return -1;
}

// A save that stops at a gate after its journal insert (its locks held); the line goes
// silent, the gate opens, and the save's next statements go nowhere.
Outcome silentSave(Connection& control, const QString& database, const QString& server, int port, bool userThere)
{
    control.execute(QStringLiteral("select pg_advisory_lock(%1)").arg(kGate));
    Connection c(QStringLiteral("silent_save"));
    c.setConnectionString(Shell::connectionString(database, server));
    QElapsedTimer clock;
    GiveUpAtPrompt user(clock);
    if (userThere)
        c.setWaiter(&user);
    c.open();
    const qint64 pid = c.backendPid();
    Outcome out;
    std::atomic<bool> ended{false};
    std::thread save([&] {
        try {
            JournalRecords::save(c, journalRecord(3));
        } catch (const DbError& e) {
            out.message = e.message();
        }
        out.messageMs = clock.elapsed();
        ended = true;
    });
    while (control.select(QStringLiteral("select 1 from pg_locks where locktype='advisory' and objid=%1 and not granted")
                              .arg(kGate))
               .rows.isEmpty())
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    {
        Silence silence(port);
        if (!silence.on)
            qFatal("nftables did not take the rules: run as root with nftables installed");
        clock.start();
        control.execute(QStringLiteral("select pg_advisory_unlock(%1)").arg(kGate));
        out.freedMs = whenGone(control, pid, clock, 180);
        while (!ended && clock.elapsed() < 180000)
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    save.join();
    out.promptMs = userThere ? user.promptMs : -1;
    return out;
}

// A report's range read on its own connection; the line goes silent while the server
// works on it. Closing the preview (the reading given up) and finding the line dead alone.
Outcome silentReport(Connection& control, const QString& database, const QString& server, int port, bool closed)
{
    const QString reading = Shell::connectionString(database, server);
    QElapsedTimer clock;
    Outcome out;
    std::atomic<qint64> pid{0};
    Connection base(QStringLiteral("report_base"));
    auto q = std::make_unique<Query>(base, QStringLiteral("silent_report"));
    std::unique_ptr<Silence> silence;
    q->openReading(std::make_unique<ReadAhead>(reading, [&](Connection& rc, const ReadAhead::Deliver& d) {
        pid = rc.backendPid();
        d(rc.select(QStringLiteral("select 1 as n")));
        rc.select(QStringLiteral("select pg_sleep(2), count(*) from accounts_dep.smena"));
    }));
    std::this_thread::sleep_for(std::chrono::milliseconds(500)); // the range is on the server
    silence = std::make_unique<Silence>(port);
    clock.start();
    if (closed) {
        q.reset();
        out.messageMs = clock.elapsed();
    } else {
        try {
            while (!q->complete())
                q->fetchMore(true);
        } catch (const DbError& e) {
            out.message = e.message();
        }
        out.messageMs = clock.elapsed();
    }
    out.freedMs = whenGone(control, pid, clock, 180);
    silence.reset();
    return out;
}

void print(const char* what, const Outcome& o)
{
    std::printf("%-58s prompt %6lld ms  message %6lld ms  server freed %6lld ms\n", what, (long long)o.promptMs,
                (long long)o.messageMs, (long long)o.freedMs);
    if (!o.message.isEmpty())
        std::printf("    %s\n", qPrintable(o.message.section(QLatin1Char('\n'), -1)));
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const Bench::Target t = Bench::target(argc, argv);
    const Shell::HostPort where = Shell::hostAndPort(t.socketDir);
    if (t.socketDir.startsWith(QLatin1Char('/')) || argc < 4)
        qFatal("usage: bench_silent DATABASE 127.0.0.1:PORT SOCKET-FOLDER");
    const int port = where.port.toInt();
    Connection control(QStringLiteral("control"));
    control.setConnectionString(Shell::connectionString(t.database, QString::fromLocal8Bit(argv[3]) + QLatin1Char(':')
                                                                        + where.port));
    control.open();
    // The gate a save stops at after its journal insert, while the bench holds it.
    control.execute(QStringLiteral("create or replace function bench_gate() returns trigger language plpgsql "
                                   "set lock_timeout = 0 as $$ begin perform pg_advisory_lock_shared(%1); "
                                   "perform pg_advisory_unlock_shared(%1); return null; end $$").arg(kGate));
    control.execute(QStringLiteral("drop trigger if exists bench_gate on accounts_dep.smena"));
    control.execute(QStringLiteral("create trigger bench_gate after insert on accounts_dep.smena "
                                   "for each statement execute function bench_gate()"));
    const ServerBounds b = ServerBounds::current();
    std::printf("bounds: notice %d ms, connect %d s, network %d s, lock %d s, idle in transaction %d s\n", b.noticeMs,
                b.connectSeconds, b.networkSeconds, b.lockSeconds, b.idleInTransactionSeconds);
    print("save, the user gives up at the prompt", silentSave(control, t.database, t.socketDir, port, true));
    control.execute(QStringLiteral("delete from accounts_dep.smena where w_id=3 and data='2025-05-06'"));
    print("save, nobody at the prompt", silentSave(control, t.database, t.socketDir, port, false));
    control.execute(QStringLiteral("delete from accounts_dep.smena where w_id=3 and data='2025-05-06'"));
    print("report range, the preview closed", silentReport(control, t.database, t.socketDir, port, true));
    print("report range, waited out", silentReport(control, t.database, t.socketDir, port, false));
    std::printf("peak resident memory %.1f MB\n", Bench::peakRssMb());
    return 0;
}
