// The cost of closed months and the history of changes: a journal save and a month's
// rebuild on two copies of the large workshop, one without the optional objects and one
// with them, timed in turns in the same run. Limits: a save at most 1.15 times, a rebuild
// at most 1.1 times the same without them.
//   bench_watch DATABASE SOCKET_DIR [SERVER]
// SERVER: where the timed connections go (127.0.0.1:port, over TCP with TLS as a workshop's
// computer reaches its server); the socket otherwise. The copies are made over the socket.
#include "BenchSupport.h"
#include "Connection.h"
#include "PwApplication.h"
#include "Rows.h"
#include "SchemaUpgrade.h"
#include "Watch.h"
#include "journal/rules/JournalRecords.h"
#include "rules/Shell.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <cstdio>

namespace {
std::unique_ptr<Connection> connect(const QString& server, const QString& database)
{
    auto c = std::make_unique<Connection>(database);
    c->setConnectionString(Shell::connectionString(database, server));
    c->open();
    c->setSessionSetting(QStringLiteral("pw.who"),
                         Shell::whoSetting(Shell::Role::Foreman, QStringLiteral("bench"), QStringLiteral("bench"), QString()));
    return c;
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target large = Bench::target(argc, argv);
    const QString off = QStringLiteral("pw_watch_off"), on = QStringLiteral("pw_watch_on");
    if (!Bench::copyDatabase(large, off) || !Bench::copyDatabase(large, on)) {
        std::fprintf(stderr, "could not copy %s\n", qPrintable(large.database));
        return 1;
    }
    const QString server = argc > 3 ? QString::fromLocal8Bit(argv[3]) : large.socketDir;
    auto a = connect(server, off);
    auto b = connect(server, on);
    // Both copies get every step (the indexes matter far more than the triggers); the
    // first then loses the closed months and the history again.
    for (Connection* c : {a.get(), b.get()}) {
        const SchemaUpgrade::Outcome up = SchemaUpgrade::run(*c);
        if (!up.forbidden.isEmpty() || !up.busy.isEmpty()) {
            std::fprintf(stderr, "the upgrade was not whole: %s\n", qPrintable(SchemaUpgrade::rightsMessage(up)));
            return 1;
        }
    }
    for (const Watch::Watched& w : Watch::watched())
        a->execute(QStringLiteral("drop trigger pw_watch on %1").arg(QLatin1String(w.table)));
    a->execute("drop trigger pw_watch_u on accounts_dep.h_tabel; drop trigger pw_watch_d on accounts_dep.h_tabel");
    a->execute("drop table accounts_dep.pw_history, accounts_dep.pw_closed_month");
    a->execute("drop function accounts_dep.pw_set_month_closed(integer, integer, boolean), "
               "accounts_dep.pw_note(text, text, text, jsonb)");
    if (Watch::available(*a) || !Watch::available(*b)) {
        std::fprintf(stderr, "the copies are not as they should be\n");
        return 1;
    }
    // The busiest month of the journal, and a day in it; an operation with its product.
    const auto month = a->select("select extract(year from data)::int, extract(month from data)::int from accounts_dep.smena "
                                 "group by 1, 2 order by count(*) desc limit 1")
                           .rows.first();
    const int year = month.value(0).toInt(), mon = month.value(1).toInt();
    const auto oper = a->select("select o.id, o.i_id from accounts_dep.oper o where exists (select from accounts_dep.norm n "
                                "where n.o_id = o.id) and o.vid < 7777 order by o.id limit 1")
                          .rows.first();
    QVector<qint64> workers;
    for (const auto& r : a->select("select id from accounts_dep.person order by id limit 50").rows)
        workers << r.value(0).toLongLong();

    QVector<double> saveOff, saveOn, rebuildOff, rebuildOn;
    const int rounds = 300;
    for (int i = 0; i < rounds; ++i) {
        EntryRules::Record r;
        r.worker = workers[i % workers.size()];
        r.oper = oper.value(0).toLongLong();
        r.item = oper.value(1).toLongLong();
        r.price = 10;
        r.count = 5;
        r.hours = 1;
        r.colour = 9000 + i; // every record distinct
        r.date = QDate(year, mon, 1 + i % 28);
        r.shift = 1 + i % 3;
        r.entered = QDate::currentDate();
        // In turns, the first of the pair alternating, so that neither gains from the other.
        Connection* first = i % 2 ? b.get() : a.get();
        Connection* second = i % 2 ? a.get() : b.get();
        const double t1 = Bench::timeMs([&] { JournalRecords::save(*first, r); });
        const double t2 = Bench::timeMs([&] { JournalRecords::save(*second, r); });
        (first == a.get() ? saveOff : saveOn) << t1;
        (second == a.get() ? saveOff : saveOn) << t2;
    }
    for (int i = 0; i < 9; ++i) {
        Connection* first = i % 2 ? b.get() : a.get();
        Connection* second = i % 2 ? a.get() : b.get();
        const double t1 = Bench::timeMs([&] { ShiftTimesheet::rebuild(*first, mon, year); });
        const double t2 = Bench::timeMs([&] { ShiftTimesheet::rebuild(*second, mon, year); });
        (first == a.get() ? rebuildOff : rebuildOn) << t1;
        (second == a.get() ? rebuildOff : rebuildOn) << t2;
    }
    const qint64 history = Rows::firstInteger(*b, "select count(*) from accounts_dep.pw_history");
    const double s0 = Bench::median(saveOff), s1 = Bench::median(saveOn);
    const double r0 = Bench::median(rebuildOff), r1 = Bench::median(rebuildOn);
    std::printf("month %02d.%d, %d saves and 9 rebuilds on each copy, through %s; history rows made: %lld\n", mon, year,
                rounds, qPrintable(server), static_cast<long long>(history));
    std::printf("journal save   median: without %.2f ms, with %.2f ms, ratio %.3f (limit 1.15) %s\n", s0, s1, s1 / s0,
                s1 / s0 <= 1.15 ? "ok" : "OVER");
    std::printf("month rebuild  median: without %.1f ms, with %.1f ms, ratio %.3f (limit 1.10) %s\n", r0, r1, r1 / r0,
                r1 / r0 <= 1.10 ? "ok" : "OVER");
    a.reset();
    b.reset();
    Bench::psql(large, "postgres", "drop database if exists " + off);
    Bench::psql(large, "postgres", "drop database if exists " + on);
    return 0;
}
