#include "SchemaUpgrade.h"
#include "Connection.h"
#include "DbError.h"
#include "OdbcReader.h"
#include "Query.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"

namespace SchemaUpgrade {

namespace {
struct Step {
    QString sql;
    QString object;    // what the step changes: only its owner may make it
    QString mayChange; // a condition true when the role may make the step
};

QString ownsRelation(const QString& name)
{
    return QStringLiteral("coalesce((select pg_has_role(relowner, 'USAGE') from pg_catalog.pg_class "
                          "where oid = to_regclass(%1)), true)")
        .arg(SqlText::quote(name));
}

Step onRelation(const QString& sql, const QString& relation) { return {sql, relation, ownsRelation(relation)}; }

Step index(const char* name, const char* table, const QString& columns)
{
    const QString sql = QStringLiteral("create index if not exists %1 on %2(%3);");
    return onRelation(sql.arg(QLatin1String(name), QLatin1String(table), columns), QLatin1String(table));
}

const QVector<Step>& steps()
{
    static const QVector<Step> all = [] {
        QVector<Step> s;
        Step view = onRelation(QStringLiteral(
            "drop view accounts_dep.izdel;\n"
            "CREATE OR REPLACE VIEW accounts_dep.izdel AS SELECT gds.s_caption AS marka,\tgds.id_class_item, gds.id, gds.massa, "
            "gds.id_class_item AS id_nom,i.s_caption AS nom FROM cmn_gds_and_srv.gds_and_srv gds, cmn_classifier.item i "
            "WHERE gds.id_class_item::numeric = i.id::numeric;"), QStringLiteral("accounts_dep.izdel"));
        view.mayChange += QStringLiteral(" and has_schema_privilege('accounts_dep', 'CREATE')");
        s << view;
        s << onRelation(QStringLiteral("ALTER TABLE accounts_dep.fatigue add i_holiday int DEFAULT 0 NULL;"),
                        QStringLiteral("accounts_dep.fatigue"));
        s << onRelation(QStringLiteral("ALTER TABLE accounts_dep.fatigue ADD i_night int DEFAULT 0 NULL;"),
                        QStringLiteral("accounts_dep.fatigue"));
        s << onRelation(QStringLiteral("ALTER TABLE accounts_dep.h_tabel ADD i_night int DEFAULT 0 NULL;"),
                        QStringLiteral("accounts_dep.h_tabel"));
        // Left by an earlier version of this command; nothing uses them now.
        s << onRelation(QStringLiteral("drop index if exists cmn_contractor.person_code;"), QStringLiteral("cmn_contractor.person"));
        s << Step{QStringLiteral("drop function if exists accounts_dep.person_code(text);"),
                  QStringLiteral("accounts_dep.person_code"),
                  QStringLiteral("coalesce((select pg_has_role(proowner, 'USAGE') from pg_catalog.pg_proc "
                                 "where oid = to_regprocedure('accounts_dep.person_code(text)')), true)")};
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
        return s;
    }();
    return all;
}

bool mayChange(Connection& c, const Step& step)
{
    try {
        const QString query = QStringLiteral("select case when ") + step.mayChange + QStringLiteral(" then 1 else 0 end");
        return Rows::firstInteger(c, query) == 1;
    } catch (const DbError&) {
        return true; // not a question of rights that we can tell
    }
}
} // namespace

QStringList statements()
{
    QStringList out;
    for (const Step& s : steps())
        out << s.sql;
    return out;
}

Outcome run(Connection& c)
{
    Outcome out;
    for (const Step& step : steps()) {
        try {
            // One transaction per step: the view is dropped only when the new one is made.
            withTransaction(c, [&] {
                Command DB_struct(c, QStringLiteral("DB_struct"));
                DB_struct.setSql(step.sql);
                DB_struct.execute();
            });
        } catch (const DbError&) {
            // A step already made, or one that cannot be made here: the next one runs.
            if (!mayChange(c, step) && !out.forbidden.contains(step.object))
                out.forbidden << step.object;
        }
    }
    if (!out.forbidden.isEmpty())
        out.role = c.select(QStringLiteral("select current_user::text")).rows.value(0).value(0).toString();
    return out;
}

QString rightsMessage(const Outcome& outcome)
{
    if (outcome.forbidden.isEmpty())
        return {};
    return QStringLiteral("Структура БД изменена не полностью: у пользователя %1 нет прав владельца на %2. "
                          "Эти шаги пропущены, остальные выполнены.")
        .arg(outcome.role, outcome.forbidden.join(QStringLiteral(", ")));
}

} // namespace SchemaUpgrade
