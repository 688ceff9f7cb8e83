#include "ReportServer.h"
#include "Connection.h"
#include "Query.h"
#include "SqlText.h"
#include <chrono>
#include <mutex>
#include <thread>
#include <utility>

namespace ReportServer {

namespace {
std::mutex g_mutex;
QString g_string;
bool g_told = false;

// How long a reading waits for a standby to replay what the primary had when it was asked
// for; past it, the report reads what the standby has and says from when.
constexpr auto kCatchUp = std::chrono::seconds(2);
constexpr auto kPoll = std::chrono::milliseconds(20);

// lsn is where the primary inserts its next record: past every commit that has returned,
// whether its log was written yet or not. When the last record ends at a page's end, that
// place lies past the next page's 24-byte header, which a standby reaches only with a later
// record; no record is as short as 24 bytes, so within them nothing is missing.
QString caughtUp(const QString& lsn)
{
    return QStringLiteral("(not pg_is_in_recovery() or pg_wal_lsn_diff(%1::pg_lsn, pg_last_wal_replay_lsn()) <= 24)")
        .arg(SqlText::quote(lsn));
}

void waitFor(Connection& c, const QString& lsn)
{
    const QString sql = QStringLiteral("select %1::int").arg(caughtUp(lsn));
    const auto until = std::chrono::steady_clock::now() + kCatchUp;
    while (c.select(sql).rows.value(0).value(0).toInt() != 1 && std::chrono::steady_clock::now() < until)
        std::this_thread::sleep_for(kPoll);
}

// Read in the snapshot the rows come from.
Source probe(Connection& c, const QString& lsn)
{
    const auto row = c.select(QStringLiteral("select pg_is_in_recovery()::int, (not %1)::int, "
                                             "to_char(pg_last_xact_replay_timestamp(), 'DD.MM.YYYY HH24:MI:SS')")
                                  .arg(caughtUp(lsn)))
                         .rows.value(0);
    Source s;
    s.standby = row.value(0).toInt() == 1;
    s.behind = row.value(1).toInt() == 1;
    if (s.behind)
        s.dataTime = row.value(2).toString();
    return s;
}
} // namespace

void set(const QString& connectionString)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_string = connectionString;
    g_told = false;
}

bool configured()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return !g_string.isEmpty();
}

QString connectionString(const Connection& primary)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_string.isEmpty() ? primary.connectionString() : g_string;
}

QString dataNote(const Source& s)
{
    if (!s.behind)
        return {};
    return s.dataTime.isEmpty() ? QStringLiteral("Данные резервного сервера отстают от основного")
                                : QStringLiteral("Данные на %1 (резервный сервер отстаёт)").arg(s.dataTime);
}

std::unique_ptr<ReadAhead> reading(Connection& primary, std::shared_ptr<Source> source, ReadAhead::Job body)
{
    if (!configured())
        return std::make_unique<ReadAhead>(primary.connectionString(), std::move(body));
    // Where the primary's log stands now: everything committed before the user asked.
    const QString lsn = primary.select(QStringLiteral("select pg_current_wal_insert_lsn()::text")).rows.value(0).value(0).toString();
    return std::make_unique<ReadAhead>(
        connectionString(primary),
        [source, lsn, body = std::move(body)](Connection& c, const ReadAhead::Deliver& deliver) {
            *source = probe(c, lsn);
            body(c, deliver);
        },
        [lsn](Connection& c) { waitFor(c, lsn); });
}

Source open(Query& q)
{
    const QString statement = q.boundSql();
    // Written on the reading's thread before its first rows, read here after them.
    auto source = std::make_shared<Source>();
    q.openReading(reading(q.connection(), source, [statement](Connection& c, const ReadAhead::Deliver& deliver) {
        deliver(c.selectTable(statement));
    }));
    return *source;
}

QString fallbackNotice(const Source& s)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    if (g_string.isEmpty())
        return {};
    if (s.standby) {
        g_told = false;
        return {};
    }
    if (std::exchange(g_told, true))
        return {};
    return QStringLiteral("Резервный сервер для отчётов не отвечает: отчёты читаются с основного сервера.");
}

} // namespace ReportServer
