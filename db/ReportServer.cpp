#include "ReportServer.h"
#include "Connection.h"
#include "Query.h"
#include "ReadAhead.h"
#include <memory>
#include <mutex>
#include <utility>

namespace ReportServer {

namespace {
std::mutex g_mutex;
QString g_string;
bool g_told = false;

// A standby that has replayed all it received, and still receives, is current; otherwise its
// data are from its last replayed commit, shown once they are older than a few seconds.
const char* const kProbe =
    "select pg_is_in_recovery()::int, "
    "case when not pg_is_in_recovery() then null "
    "when pg_last_wal_receive_lsn() = pg_last_wal_replay_lsn() "
    "and exists (select from pg_stat_wal_receiver where pid is not null) then null "
    "when now() - pg_last_xact_replay_timestamp() > interval '5 seconds' "
    "then to_char(pg_last_xact_replay_timestamp(), 'DD.MM.YYYY HH24:MI:SS') end";
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
    return s.dataTime.isEmpty() ? QString() : QStringLiteral("Данные на %1 (резервный сервер отстаёт)").arg(s.dataTime);
}

Source probe(Connection& c)
{
    const auto row = c.select(QString::fromLatin1(kProbe)).rows.value(0);
    Source s;
    s.standby = row.value(0).toInt() == 1;
    s.dataTime = row.value(1).toString();
    return s;
}

Source open(Query& q)
{
    const QString text = connectionString(q.connection());
    const QString statement = q.boundSql();
    // Written on the reading's thread before its first rows, read here after them.
    auto source = std::make_shared<Source>();
    q.openReading(std::make_unique<ReadAhead>(text, [statement, source](Connection& c, const ReadAhead::Deliver& deliver) {
        *source = probe(c);
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
