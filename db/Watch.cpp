#include "Watch.h"
#include "SqlText.h"
#include "Connection.h"
#include "DbError.h"
#include "Rows.h"
#include <QRegularExpression>

namespace Watch {

namespace {
// The functions run with their owner's rights: the everyday role reads the history and may
// call the close and the summary note, and nothing more. The advisory lock pair (class
// 1347898691 = "PWMC", the month as YYYYMM) makes a close wait for the changes of its month
// under way, and a change for a close: no change lands in a month while it is closed.
const char* const kObjects = R"SQL(
create table if not exists accounts_dep.pw_closed_month (
  ym        integer primary key check (ym % 100 between 1 and 12),
  closed_at timestamptz not null default now(),
  closed_by text
);
create table if not exists accounts_dep.pw_history (
  id      bigserial primary key,
  at      timestamptz not null default clock_timestamp(),
  who     text,
  db_user text not null default session_user,
  client  text default inet_client_addr()::text,
  tbl     text not null,
  key     text,
  action  text not null,
  worker  bigint,
  old     jsonb,
  new     jsonb
);
create index if not exists pw_history_at on accounts_dep.pw_history(at);
create index if not exists pw_history_row on accounts_dep.pw_history(tbl, key);

create or replace function accounts_dep.pw_watch() returns trigger
  language plpgsql security definer set search_path = pg_catalog, pg_temp as $f$
declare
  o jsonb; n jsonb; ob jsonb; nb jsonb; d date; k1 integer; k2 integer;
  dcol text := tg_argv[0]; wcol text := tg_argv[1];
begin
  if tg_op <> 'INSERT' then o := to_jsonb(old); end if;
  if tg_op <> 'DELETE' then n := to_jsonb(new); end if;
  if dcol <> '' then
    d := (o ->> dcol)::date;
    k1 := extract(year from d) * 100 + extract(month from d);
    d := (n ->> dcol)::date;
    k2 := extract(year from d) * 100 + extract(month from d);
    if k1 is not null then perform pg_advisory_xact_lock_shared(1347898691, k1); end if;
    if k2 is not null and k2 is distinct from k1 then perform pg_advisory_xact_lock_shared(1347898691, k2); end if;
    select c.ym into k1 from accounts_dep.pw_closed_month c where c.ym in (k1, k2) order by c.ym limit 1;
    if found then
      raise exception using errcode = 'PWC01',
        message = format('month %s-%s is closed', k1 / 100, lpad((k1 % 100)::text, 2, '0'));
    end if;
  end if;
  -- A whole operation (rebuild, repricing, import) leaves one summary row instead.
  if coalesce(current_setting('pw.bulk', true), '') = 'on' then return null; end if;
  if tg_op = 'UPDATE' then
    select jsonb_object_agg(e.key, o -> e.key), jsonb_object_agg(e.key, e.value) into ob, nb
      from jsonb_each(n) e where o -> e.key is distinct from e.value;
    if nb is null then return null; end if;
  else
    ob := o; nb := n;
  end if;
  insert into accounts_dep.pw_history(who, tbl, key, action, worker, old, new)
  values (nullif(current_setting('pw.who', true), ''), tg_table_schema || '.' || tg_table_name,
          coalesce(n, o) ->> 'id', lower(tg_op),
          case when wcol <> '' then (coalesce(n, o) ->> wcol)::numeric::bigint end, ob, nb);
  return null;
end $f$;

-- Once per statement over the rows it inserted or deleted (a rebuild writes hundreds of
-- them); once per row for a change.
create or replace function accounts_dep.pw_watch_sheet() returns trigger
  language plpgsql security definer set search_path = pg_catalog, pg_temp as $f$
declare ks integer[]; k integer;
begin
  if tg_level = 'ROW' then
    -- A day cell's upkeep changes one row: checked by itself, without transition tables.
    ks := array[old.year * 100 + old.month, new.year * 100 + new.month];
  elsif tg_op = 'INSERT' then
    select array_agg(distinct year * 100 + month) into ks from pw_new;
  else
    select array_agg(distinct year * 100 + month) into ks from pw_old;
  end if;
  if ks is null then return null; end if;
  foreach k in array ks loop
    if k is not null then perform pg_advisory_xact_lock_shared(1347898691, k); end if;
  end loop;
  select c.ym into k from accounts_dep.pw_closed_month c where c.ym = any(ks) order by c.ym limit 1;
  if found then
    raise exception using errcode = 'PWC01',
      message = format('month %s-%s is closed', k / 100, lpad((k % 100)::text, 2, '0'));
  end if;
  if tg_level = 'ROW' then return new; end if;
  return null;
end $f$;

create or replace function accounts_dep.pw_note(what text, tbl text, key text, counts jsonb) returns void
  language sql security definer set search_path = pg_catalog, pg_temp as $f$
  insert into accounts_dep.pw_history(who, tbl, key, action, new)
  values (nullif(current_setting('pw.who', true), ''), tbl, key, what, counts)
$f$;

create or replace function accounts_dep.pw_set_month_closed(y integer, m integer, closing boolean) returns boolean
  language plpgsql security definer set search_path = pg_catalog, pg_temp as $f$
declare
  k integer := y * 100 + m; d0 date := make_date(y, m, 1); n integer;
begin
  perform pg_advisory_xact_lock(1347898691, k);
  if closing then
    insert into accounts_dep.pw_closed_month(ym, closed_by) values (k, nullif(current_setting('pw.who', true), ''))
      on conflict do nothing;
  else
    delete from accounts_dep.pw_closed_month where ym = k;
  end if;
  get diagnostics n = row_count;
  if n = 0 then return false; end if;
  perform accounts_dep.pw_note(case when closing then 'close' else 'reopen' end, 'accounts_dep.pw_closed_month',
    format('%s-%s', y, lpad(m::text, 2, '0')),
    jsonb_build_object(
      'smena', (select count(*) from accounts_dep.smena where data >= d0 and data < d0 + interval '1 month'),
      'fatigue', (select count(*) from accounts_dep.fatigue where d_date >= d0 and d_date < d0 + interval '1 month'),
      'h_tabel', (select count(*) from accounts_dep.h_tabel where year = y and month = m)));
  return true;
end $f$;

revoke all on table accounts_dep.pw_closed_month, accounts_dep.pw_history from public;
grant select on table accounts_dep.pw_closed_month, accounts_dep.pw_history to sys;
revoke all on function accounts_dep.pw_watch(), accounts_dep.pw_watch_sheet(), accounts_dep.pw_note(text, text, text, jsonb),
  accounts_dep.pw_set_month_closed(integer, integer, boolean) from public;
grant execute on function accounts_dep.pw_note(text, text, text, jsonb),
  accounts_dep.pw_set_month_closed(integer, integer, boolean) to sys;
)SQL";

const char* const kFunctions[] = {
    "accounts_dep.pw_watch()", "accounts_dep.pw_watch_sheet()", "accounts_dep.pw_note(text,text,text,jsonb)",
    "accounts_dep.pw_set_month_closed(integer,integer,boolean)",
};
} // namespace

QString objectsSql() { return QString::fromUtf8(kObjects); }

QString objectsDone()
{
    QStringList all{QStringLiteral("to_regclass('accounts_dep.pw_closed_month') is not null"),
                    QStringLiteral("to_regclass('accounts_dep.pw_history') is not null")};
    for (const char* f : kFunctions)
        all << QStringLiteral("to_regprocedure(%1) is not null").arg(SqlText::quote(QLatin1String(f)));
    return all.join(QStringLiteral(" and "));
}

const QVector<Watched>& watched()
{
    static const QVector<Watched> all = {
        {"accounts_dep.smena", "data", "w_id", true},
        {"accounts_dep.fatigue", "d_date", "id_p", true},
        {"accounts_dep.h_tabel", "month", "w_id", false},
        {"accounts_dep.norm", "", "", true},
        {"accounts_dep.oper", "", "", true},
        {"accounts_dep.vid_oper", "", "", true},
        {"accounts_dep.person", "", "id", true},
        {"cmn_gds_and_srv.gds_and_srv", "", "", true},
    };
    return all;
}

QString triggerSql(const Watched& w)
{
    if (!w.history) {
        // A trigger with transition tables takes one event.
        const QString t = QLatin1String(w.table);
        const QString f = QStringLiteral(" for each statement execute function accounts_dep.pw_watch_sheet();");
        return QStringLiteral("create trigger pw_watch after insert on %1 referencing new table as pw_new").arg(t) + f
               + QStringLiteral("create trigger pw_watch_u before update on %1 for each row "
                                "execute function accounts_dep.pw_watch_sheet();")
                     .arg(t)
               + QStringLiteral("create trigger pw_watch_d after delete on %1 referencing old table as pw_old").arg(t) + f;
    }
    return QStringLiteral("create trigger pw_watch after insert or update or delete on %1 "
                          "for each row execute function accounts_dep.pw_watch(%2, %3)")
        .arg(QLatin1String(w.table), SqlText::quote(QLatin1String(w.date)), SqlText::quote(QLatin1String(w.worker)));
}

QString triggerDone(const Watched& w)
{
    return QStringLiteral("exists (select from pg_catalog.pg_trigger where tgrelid = to_regclass(%1) and tgname = 'pw_watch')")
        .arg(SqlText::quote(QLatin1String(w.table)));
}

bool available(Connection& c)
{
    return Rows::firstInteger(c, QStringLiteral("select case when to_regprocedure("
                                                "'accounts_dep.pw_set_month_closed(integer,integer,boolean)') "
                                                "is not null then 1 else 0 end"))
           == 1;
}

void beginBulk(Connection& c) { c.execute(QStringLiteral("select set_config('pw.bulk', 'on', true)")); }

void note(Connection& c, const QString& what, const QString& table, const QString& key, const QString& counts)
{
    // One statement either way: the call is parsed only where the function is there.
    c.execute(QStringLiteral("do $d$ begin if to_regprocedure('accounts_dep.pw_note(text,text,text,jsonb)') is not null "
                             "then perform accounts_dep.pw_note(%1, %2, %3, %4); end if; end $d$")
                  .arg(SqlText::quote(what), SqlText::quote(table), SqlText::quote(key), SqlText::quote(counts)));
}

QString monthKey(int month, int year) { return QStringLiteral("%1-%2").arg(year).arg(month, 2, 10, QLatin1Char('0')); }

std::optional<Month> closedMonth(const DbError& e)
{
    if (e.state() != QLatin1String(kClosedState))
        return std::nullopt;
    static const QRegularExpression re(QStringLiteral("month (\\d{4})-(\\d{2}) is closed"));
    const QRegularExpressionMatch m = re.match(e.message());
    if (!m.hasMatch())
        return Month{};
    return Month{m.captured(2).toInt(), m.captured(1).toInt()};
}

} // namespace Watch
