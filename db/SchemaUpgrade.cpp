#include "SchemaUpgrade.h"
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include "Watch.h"

namespace SchemaUpgrade {

namespace {
const char* const kLockNotAvailable = "55P03";

struct Step {
    QString what;      // the step as the user is told of it
    QString sql;
    QString object;    // what the step changes: only its owner may make it
    QString mayChange; // a condition true when the role may make the step
    QString done;      // a condition true when there is nothing to do (looked up without locks)
    bool concurrent = false; // an index built beside the writers, outside a transaction
    QString repair;    // for a concurrent build: drops what a build given up left invalid
};

QString ownsRelation(const QString& name)
{
    return QStringLiteral("coalesce((select pg_has_role(relowner, 'USAGE') from pg_catalog.pg_class "
                          "where oid = to_regclass(%1)), true)")
        .arg(SqlText::quote(name));
}

Step onRelation(const QString& what, const QString& sql, const QString& relation, const QString& done)
{
    return {what, sql, relation, ownsRelation(relation), done};
}

Step column(const char* table, const char* name, const QString& sql)
{
    const QString done = QStringLiteral("exists (select from pg_catalog.pg_attribute where attrelid = to_regclass(%1) "
                                        "and attname = %2 and not attisdropped)")
                             .arg(SqlText::quote(QLatin1String(table)), SqlText::quote(QLatin1String(name)));
    return onRelation(QStringLiteral("столбец %1.%2").arg(QLatin1String(table), QLatin1String(name)), sql,
                      QLatin1String(table), done);
}

Step index(const char* name, const char* table, const QString& columns)
{
    const QString schema = QString::fromLatin1(table).section(QLatin1Char('.'), 0, 0);
    const QString full = schema + QLatin1Char('.') + QLatin1String(name);
    Step s = onRelation(QStringLiteral("индекс %1").arg(full),
                        QStringLiteral("create index concurrently if not exists %1 on %2(%3)")
                            .arg(QLatin1String(name), QLatin1String(table), columns),
                        QLatin1String(table),
                        QStringLiteral("exists (select from pg_catalog.pg_index where indexrelid = to_regclass(%1) "
                                       "and indisvalid)")
                            .arg(SqlText::quote(full)));
    s.concurrent = true;
    // A build given up leaves an invalid index behind: it is dropped and built anew.
    s.repair = QStringLiteral("drop index concurrently if exists %1").arg(full);
    return s;
}

const QVector<Step>& steps()
{
    static const QVector<Step> all = [] {
        QVector<Step> s;
        // The view as the client reads it: its columns, groups compared as numbers.
        Step view = onRelation(
            QStringLiteral("представление accounts_dep.izdel"),
            QStringLiteral(
                "drop view accounts_dep.izdel;\n"
                "CREATE OR REPLACE VIEW accounts_dep.izdel AS SELECT gds.s_caption AS marka,\tgds.id_class_item, gds.id, gds.massa, "
                "gds.id_class_item AS id_nom,i.s_caption AS nom FROM cmn_gds_and_srv.gds_and_srv gds, cmn_classifier.item i "
                "WHERE gds.id_class_item::numeric = i.id::numeric;"),
            QStringLiteral("accounts_dep.izdel"),
            QStringLiteral("coalesce((select string_agg(attname, ',' order by attnum) from pg_catalog.pg_attribute "
                           "where attrelid = to_regclass('accounts_dep.izdel') and attnum > 0 and not attisdropped) = "
                           "'marka,id_class_item,id,massa,id_nom,nom' "
                           "and position('::numeric' in pg_get_viewdef(to_regclass('accounts_dep.izdel'))) > 0, false)"));
        view.mayChange += QStringLiteral(" and has_schema_privilege('accounts_dep', 'CREATE')");
        s << view;
        s << column("accounts_dep.fatigue", "i_holiday",
                    QStringLiteral("ALTER TABLE accounts_dep.fatigue add i_holiday int DEFAULT 0 NULL;"));
        s << column("accounts_dep.fatigue", "i_night",
                    QStringLiteral("ALTER TABLE accounts_dep.fatigue ADD i_night int DEFAULT 0 NULL;"));
        s << column("accounts_dep.h_tabel", "i_night",
                    QStringLiteral("ALTER TABLE accounts_dep.h_tabel ADD i_night int DEFAULT 0 NULL;"));
        // Left by an earlier version of this command; nothing uses them now.
        s << onRelation(QStringLiteral("индекс cmn_contractor.person_code"),
                        QStringLiteral("drop index if exists cmn_contractor.person_code;"),
                        QStringLiteral("cmn_contractor.person"),
                        QStringLiteral("to_regclass('cmn_contractor.person_code') is null"));
        s << Step{QStringLiteral("функция accounts_dep.person_code"),
                  QStringLiteral("drop function if exists accounts_dep.person_code(text);"),
                  QStringLiteral("accounts_dep.person_code"),
                  QStringLiteral("coalesce((select pg_has_role(proowner, 'USAGE') from pg_catalog.pg_proc "
                                 "where oid = to_regprocedure('accounts_dep.person_code(text)')), true)"),
                  QStringLiteral("to_regprocedure('accounts_dep.person_code(text)') is null")};
        // On exactly the expression the statements compare, or the server cannot use it.
        const QString number = SqlText::workerNumber(QStringLiteral("s_code"));
        s << index("person_worker_number", "cmn_contractor.person", QLatin1Char('(') + number + QLatin1Char(')'));
        s << index("smena_data_smena", "accounts_dep.smena", QStringLiteral("data, smena"));
        s << index("smena_w_id_data", "accounts_dep.smena", QStringLiteral("w_id, data"));
        s << index("smena_i_id", "accounts_dep.smena", QStringLiteral("i_id"));
        s << index("h_tabel_key", "accounts_dep.h_tabel", QStringLiteral("w_id, smena, month, year"));
        s << index("h_tabel_month", "accounts_dep.h_tabel", QStringLiteral("year, month"));
        s << index("fatigue_p_date", "accounts_dep.fatigue", QStringLiteral("id_p, d_date"));
        s << index("fatigue_date", "accounts_dep.fatigue", QStringLiteral("d_date"));
        s << index("norm_o_id", "accounts_dep.norm", QStringLiteral("o_id"));
        s << index("oper_i_id", "accounts_dep.oper", QStringLiteral("i_id"));
        // Closed months and the history of changes: the tables and functions, then a
        // trigger on each watched table (each a step: a table the role does not own is named).
        Step watch{QStringLiteral("закрытие месяцев и история изменений"), Watch::objectsSql(),
                   QStringLiteral("accounts_dep"), QStringLiteral("has_schema_privilege('accounts_dep', 'CREATE')"),
                   Watch::objectsDone()};
        s << watch;
        for (const Watch::Watched& w : Watch::watched())
            s << onRelation(QStringLiteral("триггер %1").arg(QLatin1String(w.table)), Watch::triggerSql(w),
                            QLatin1String(w.table), Watch::triggerDone(w));
        return s;
    }();
    return all;
}

bool holds(Connection& c, const QString& condition)
{
    return Rows::firstInteger(c, QStringLiteral("select case when ") + condition + QStringLiteral(" then 1 else 0 end")) == 1;
}

bool mayChange(Connection& c, const Step& step)
{
    try {
        return holds(c, step.mayChange);
    } catch (const DbError&) {
        return true; // not a question of rights that we can tell
    }
}

void execute(Connection& c, const QString& sql)
{
    Command DB_struct(c, QStringLiteral("DB_struct"));
    DB_struct.setSql(sql);
    DB_struct.execute();
}

void make(Connection& c, const Step& step)
{
    if (step.concurrent) {
        // Not in a transaction: a concurrent build commits as it goes.
        execute(c, step.repair);
        execute(c, step.sql);
        return;
    }
    // One transaction per step: the view is dropped only when the new one is made.
    withTransaction(c, [&] { execute(c, step.sql); });
}

// The steps' lock bound, on the session for as long as the upgrade runs.
struct StepLockBound {
    Connection& c;
    explicit StepLockBound(Connection& conn) : c(conn)
    {
        c.execute(QStringLiteral("select set_config('lock_timeout', '%1s', false)").arg(kLockSeconds));
    }
    ~StepLockBound()
    {
        try {
            c.execute(QStringLiteral("select set_config('lock_timeout', '%1s', false)")
                          .arg(ServerBounds::current().lockSeconds));
        } catch (const DbError&) {
            // A session lost takes its setting with it.
        }
    }
};
} // namespace

QStringList statements()
{
    QStringList out;
    for (const Step& s : steps())
        out << s.sql;
    return out;
}

Outcome run(Connection& c, const Progress& progress)
{
    Outcome out;
    const StepLockBound bound(c);
    for (int i = 0; i < steps().size(); ++i) {
        const Step& step = steps()[i];
        if (progress)
            progress(i, int(steps().size()), step.what);
        try {
            if (holds(c, step.done)) {
                ++out.done;
                continue;
            }
            make(c, step);
            ++out.made;
        } catch (const Cancelled&) {
            throw;
        } catch (const DbError& e) {
            if (e.state() == QLatin1String(kLockNotAvailable))
                out.busy << step.what;
            // A step that cannot be made here: the next one runs.
            else if (!mayChange(c, step) && !out.forbidden.contains(step.object))
                out.forbidden << step.object;
        }
    }
    if (progress)
        progress(int(steps().size()), int(steps().size()), QString());
    if (!out.forbidden.isEmpty())
        out.role = c.select(QStringLiteral("select current_user::text")).rows.value(0).value(0).toString();
    return out;
}

QString rightsMessage(const Outcome& outcome)
{
    QStringList parts;
    if (!outcome.forbidden.isEmpty())
        parts << QStringLiteral("Структура БД изменена не полностью: у пользователя %1 нет прав владельца на %2. "
                                "Эти шаги пропущены, остальные выполнены.")
                     .arg(outcome.role, outcome.forbidden.join(QStringLiteral(", ")));
    if (!outcome.busy.isEmpty())
        parts << QStringLiteral("Не выполнено, потому что таблицы заняты другими пользователями: %1. "
                                "Команду «Структура БД» можно запустить ещё раз, когда они освободятся.")
                     .arg(outcome.busy.join(QStringLiteral(", ")));
    return parts.join(QLatin1Char('\n'));
}

} // namespace SchemaUpgrade
