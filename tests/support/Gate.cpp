#include "Gate.h"
#include "Connection.h"
#include <chrono>
#include <thread>

namespace Gate {

namespace {
const int kLock = 4242;
}

void install(Connection& c, const QStringList& tables, bool onlyMarked, const QString& events, bool before)
{
    // The gate holds for as long as the test wants, whatever the session's lock bound.
    c.execute(QStringLiteral("create or replace function pw_gate() returns trigger language plpgsql set lock_timeout = 0 as $$ begin"
                             "  if %1 then perform pg_advisory_lock_shared(%2); perform pg_advisory_unlock_shared(%2); end if;"
                             "  return null; end $$")
                  .arg(onlyMarked ? QStringLiteral("current_setting('pw.gate', true) = 'on'") : QStringLiteral("true"))
                  .arg(kLock));
    for (const QString& t : tables)
        c.execute(QStringLiteral("create trigger pw_gate %1 %2 on %3 for each statement execute function pw_gate()")
                      .arg(before ? QStringLiteral("before") : QStringLiteral("after"), events, t));
}

void installOnRow(Connection& c, const QString& table, const QString& condition)
{
    c.execute(QStringLiteral("create or replace function pw_gate_row() returns trigger language plpgsql set lock_timeout = 0 as $$ begin"
                             "  if current_setting('pw.gate', true) = 'on' then"
                             "    perform pg_advisory_lock_shared(%1); perform pg_advisory_unlock_shared(%1); end if;"
                             "  return old; end $$")
                  .arg(kLock));
    c.execute(QStringLiteral("create trigger pw_gate_row before delete on %1 for each row when (%2) execute function pw_gate_row()")
                  .arg(table, condition));
}

void remove(Connection& c, const QStringList& tables)
{
    for (const QString& t : tables)
        c.execute(QStringLiteral("drop trigger pw_gate on %1").arg(t));
}

void close(Connection& c) { c.execute(QStringLiteral("select pg_advisory_lock(%1)").arg(kLock)); }
void open(Connection& c) { c.execute(QStringLiteral("select pg_advisory_unlock(%1)").arg(kLock)); }

int waiter(Connection& look, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        const auto r = look.select(QStringLiteral("select pid from pg_locks where locktype='advisory' and not granted"
                                                  " and objid=%1 limit 1")
                                       .arg(kLock));
        if (!r.rows.isEmpty())
            return r.rows.first().first().toInt();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return 0;
}

bool waitForEnd(Connection& look, int pid, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs; waited += 10) {
        if (look.select(QStringLiteral("select 1 from pg_stat_activity where pid=%1").arg(pid)).rows.isEmpty())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return false;
}

} // namespace Gate
