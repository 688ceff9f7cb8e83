#include "SchemaUpgrade.h"
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "Transaction.h"

namespace SchemaUpgrade {

namespace {
const char* const kView =
    "drop view accounts_dep.izdel;\n"
    "CREATE OR REPLACE VIEW accounts_dep.izdel AS SELECT gds.s_caption AS marka,\tgds.id_class_item, gds.id, gds.massa, "
    "gds.id_class_item AS id_nom,i.s_caption AS nom FROM cmn_gds_and_srv.gds_and_srv gds, cmn_classifier.item i "
    "WHERE gds.id_class_item::numeric = i.id::numeric;";
const char* const kHoliday = "ALTER TABLE accounts_dep.fatigue add i_holiday int DEFAULT 0 NULL;";
const char* const kFatigueNight = "ALTER TABLE accounts_dep.fatigue ADD i_night int DEFAULT 0 NULL;";
const char* const kTabelNight = "ALTER TABLE accounts_dep.h_tabel ADD i_night int DEFAULT 0 NULL;";
// The client finds workers by their number through this function and its index. Created
// only where missing: a database that has them keeps its own.
const char* const kPersonCode =
    "create function accounts_dep.person_code(code text) returns numeric\n"
    "  language sql immutable parallel safe\n"
    "  as $$ select case when code ~ '^\\s*[-+]?[0-9]{1,15}\\s*$' then code::numeric end $$;";
const char* const kPersonCodeIndex =
    "create index if not exists person_code on cmn_contractor.person((accounts_dep.person_code(s_code)));";
} // namespace

QStringList statements()
{
    QStringList out;
    for (const char* s : {kView, kHoliday, kFatigueNight, kTabelNight, kPersonCode, kPersonCodeIndex})
        out << QString::fromUtf8(s);
    return out;
}

void run(Connection& c)
{
    for (const QString& statement : statements()) {
        try {
            // One transaction per step: the view is dropped only when the new one is made.
            withTransaction(c, [&] {
                Command DB_struct(c, QStringLiteral("DB_struct"));
                DB_struct.setSql(statement);
                DB_struct.execute();
            });
        } catch (const DbError&) {
            // A step already made, or one that cannot be made here: the next one runs.
        }
    }
}

} // namespace SchemaUpgrade
