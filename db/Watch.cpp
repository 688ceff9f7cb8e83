#include "Watch.h"
#include "SqlText.h"
#include "Connection.h"
#include "DbError.h"
#include "Rows.h"
#include <QRegularExpression>

namespace Watch {

namespace {
// The functions that write run with their owner's rights: the everyday role reads the history
// and may call the close and the summary note, and nothing more. The advisory lock pair (class
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
  old     json,
  new     json
);
-- The values as json (as written, not parsed): a row's text costs a save less than jsonb.
do $d$ begin
  if (select a.atttypid from pg_catalog.pg_attribute a where a.attrelid = 'accounts_dep.pw_history'::regclass
      and a.attname = 'new') = 'jsonb'::regtype then
    alter table accounts_dep.pw_history alter column old type json using old::json,
      alter column new type json using new::json;
  end if;
end $d$;
create index if not exists pw_history_at on accounts_dep.pw_history(at);
create index if not exists pw_history_row on accounts_dep.pw_history(tbl, key);

-- The two functions below run at every save, which a search path of their own (set and
-- undone at each call) would slow: every name in them is qualified instead, so that the
-- caller's path lends them nothing of the caller's (this one runs with its owner's rights).
create or replace function accounts_dep.pw_watch() returns trigger
  language plpgsql security definer as $f$
declare
  o pg_catalog.json; n pg_catalog.json; ob pg_catalog.json; nb pg_catalog.json;
  k1 pg_catalog.int4; k2 pg_catalog.int4; w pg_catalog.int8; rid pg_catalog.text;
  dcol pg_catalog.text := tg_argv[0]; wcol pg_catalog.text := tg_argv[1];
begin
  -- The month (YYYYMM), the worker and the key are read off the row, not out of its json:
  -- objectsSql() puts a branch there per date and worker column of the watched tables.
  if tg_op OPERATOR(pg_catalog.<>) 'INSERT' then
    o := pg_catalog.row_to_json(old); rid := old.id;
@old
  end if;
  if tg_op OPERATOR(pg_catalog.<>) 'DELETE' then
    n := pg_catalog.row_to_json(new); rid := new.id;
@new
  end if;
  -- The month's lock waits for a close under way.
  if not pg_catalog.pg_try_advisory_xact_lock_shared(1347898691, k1) then
    perform pg_catalog.pg_advisory_xact_lock_shared(1347898691, k1);
  end if;
  if (k1 is null or k2 OPERATOR(pg_catalog.<>) k1) and not pg_catalog.pg_try_advisory_xact_lock_shared(1347898691, k2) then
    perform pg_catalog.pg_advisory_xact_lock_shared(1347898691, k2);
  end if;
  if tg_op OPERATOR(pg_catalog.=) 'UPDATE' then
    select pg_catalog.json_object_agg(e.key, o OPERATOR(pg_catalog.->) e.key), pg_catalog.json_object_agg(e.key, e.value)
      into ob, nb
      from pg_catalog.json_each(n) e
     where case when (o OPERATOR(pg_catalog.->>) e.key) is null then (n OPERATOR(pg_catalog.->>) e.key) is not null
                when (n OPERATOR(pg_catalog.->>) e.key) is null then true
                else (o OPERATOR(pg_catalog.->>) e.key) OPERATOR(pg_catalog.<>) (n OPERATOR(pg_catalog.->>) e.key) end;
  else
    ob := o; nb := n;
  end if;
  -- One statement checks the month and writes the row. A whole operation (rebuild,
  -- repricing, import) leaves one summary row instead, and a change of nothing none.
  insert into accounts_dep.pw_history(who, tbl, key, action, worker, old, new)
  select pg_catalog.current_setting('pw.who', true), pg_catalog.concat(tg_table_schema, '.', tg_table_name),
         rid, pg_catalog.lower(tg_op), w, ob, nb
   where (nb is not null or ob is not null) and coalesce(pg_catalog.current_setting('pw.bulk', true), '') OPERATOR(pg_catalog.<>) 'on'
     and not exists (select from accounts_dep.pw_closed_month c
                      where c.ym OPERATOR(pg_catalog.=) k1 or c.ym OPERATOR(pg_catalog.=) k2);
  if not found and (k1 is not null or k2 is not null) then
    select pg_catalog.min(c.ym) into k1 from accounts_dep.pw_closed_month c
     where c.ym OPERATOR(pg_catalog.=) k1 or c.ym OPERATOR(pg_catalog.=) k2;
    if k1 is not null then
      raise exception using errcode = 'PWC01', message = pg_catalog.format('month %s-%s is closed',
        pg_catalog.substr(k1::pg_catalog.text, 1, 4), pg_catalog.substr(k1::pg_catalog.text, 5, 2));
    end if;
  end if;
  return null;
end $f$;

-- On the timesheet rows: once per row for a change (a day cell's upkeep), once per statement
-- over the rows inserted or deleted (a rebuild writes hundreds of them). It only reads the
-- closed months, which every role may.
create or replace function accounts_dep.pw_watch_sheet() returns trigger
  language plpgsql as $f$
declare ks pg_catalog.int4[]; k pg_catalog.int4; k2 pg_catalog.int4;
begin
  if tg_level OPERATOR(pg_catalog.=) 'ROW' then
    k := (old.year OPERATOR(pg_catalog.*) 100) OPERATOR(pg_catalog.+) old.month;
    k2 := (new.year OPERATOR(pg_catalog.*) 100) OPERATOR(pg_catalog.+) new.month;
    if not pg_catalog.pg_try_advisory_xact_lock_shared(1347898691, k) then
      perform pg_catalog.pg_advisory_xact_lock_shared(1347898691, k);
    end if;
    if k2 OPERATOR(pg_catalog.<>) k and not pg_catalog.pg_try_advisory_xact_lock_shared(1347898691, k2) then
      perform pg_catalog.pg_advisory_xact_lock_shared(1347898691, k2);
    end if;
    if not exists (select from accounts_dep.pw_closed_month c
                    where c.ym OPERATOR(pg_catalog.=) k or c.ym OPERATOR(pg_catalog.=) k2) then
      return new;
    end if;
    ks := array[k, k2];
  elsif tg_op OPERATOR(pg_catalog.=) 'INSERT' then
    select pg_catalog.array_agg(distinct (t.year OPERATOR(pg_catalog.*) 100) OPERATOR(pg_catalog.+) t.month) into ks from pw_new t;
  else
    select pg_catalog.array_agg(distinct (t.year OPERATOR(pg_catalog.*) 100) OPERATOR(pg_catalog.+) t.month) into ks from pw_old t;
  end if;
  if ks is null then return null; end if;
  foreach k in array ks loop
    if k is not null then perform pg_catalog.pg_advisory_xact_lock_shared(1347898691, k); end if;
  end loop;
  select pg_catalog.min(c.ym) into k from accounts_dep.pw_closed_month c where c.ym OPERATOR(pg_catalog.=) any (ks);
  if k is not null then
    raise exception using errcode = 'PWC01', message = pg_catalog.format('month %s-%s is closed',
      pg_catalog.substr(k::pg_catalog.text, 1, 4), pg_catalog.substr(k::pg_catalog.text, 5, 2));
  end if;
  if tg_level OPERATOR(pg_catalog.=) 'ROW' then return new; end if;
  return null;
end $f$;

create or replace function accounts_dep.pw_note(what text, tbl text, key text, counts jsonb) returns void
  language sql security definer set search_path = pg_catalog, pg_temp as $f$
  insert into accounts_dep.pw_history(who, tbl, key, action, new)
  values (nullif(current_setting('pw.who', true), ''), tbl, key, what, counts::json)
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
grant select on table accounts_dep.pw_history to sys;
grant select on table accounts_dep.pw_closed_month to public;
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

// The month key and the worker of one row image, a branch per column the watched tables
// name: a record's fields are found at run time, so only the table's own branch runs.
static QString rowFields(const QString& row, const QString& key)
{
    QStringList dates, workers;
    for (const Watched& w : watched()) {
        if (w.history && *w.date && !dates.contains(QLatin1String(w.date)))
            dates << QLatin1String(w.date);
        if (w.history && *w.worker && !workers.contains(QLatin1String(w.worker)))
            workers << QLatin1String(w.worker);
    }
    // if <argument> = '<column>' then <var> := <value of row.column>; elsif … end if;
    const auto branches = [&](const char* argument, const QString& var, const QStringList& columns, const char* value) {
        QString s;
        for (const QString& c : columns)
            s += QStringLiteral("    %1 %2 OPERATOR(pg_catalog.=) '%3' then %4 := %5;\n")
                     .arg(s.isEmpty() ? QStringLiteral("if") : QStringLiteral("elsif"), QLatin1String(argument), c, var,
                          QString::fromLatin1(value).arg(row, c));
        return s + QStringLiteral("    end if;\n");
    };
    return branches("dcol", key, dates, "pg_catalog.to_char(%1.%2::pg_catalog.timestamp, 'YYYYMM')::pg_catalog.int4")
           + branches("wcol", QStringLiteral("w"), workers, "%1.%2");
}

QString objectsSql()
{
    return QString::fromUtf8(kObjects)
        .replace(QStringLiteral("@old\n"), rowFields(QStringLiteral("old"), QStringLiteral("k1")))
        .replace(QStringLiteral("@new\n"), rowFields(QStringLiteral("new"), QStringLiteral("k2")));
}

QString objectsDone()
{
    QStringList all{QStringLiteral("to_regclass('accounts_dep.pw_closed_month') is not null"),
                    QStringLiteral("to_regclass('accounts_dep.pw_history') is not null")};
    for (const char* f : kFunctions)
        all << QStringLiteral("to_regprocedure(%1) is not null").arg(SqlText::quote(QLatin1String(f)));
    // An earlier make of them (jsonb values, functions with a search path of their own) is made anew.
    all << QStringLiteral("exists (select from pg_catalog.pg_attribute where attrelid = to_regclass('accounts_dep.pw_history') "
                          "and attname = 'new' and atttypid = 'json'::regtype)")
        << QStringLiteral("exists (select from pg_catalog.pg_proc where oid = to_regprocedure('accounts_dep.pw_watch()') "
                          "and proconfig is null)");
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
