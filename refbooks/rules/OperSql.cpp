#include "OperSql.h"
#include "Filter.h"
#include "SqlText.h"

namespace OperSql {

using SqlText::num;

QString duplicateOnAdd(int kind, int naimen, int item)
{
    return "select count(ID) as cnt from accounts_dep.OPER where vid=" + num(qint64(kind)) + " and naimen="
           + num(qint64(naimen)) + " and i_id=" + num(qint64(item));
}

QString duplicateOnChange(int kind, int naimen, int item, int id)
{
    return "select count(*) as cnt from accounts_dep.OPER where vid=" + num(qint64(kind)) + " and naimen="
           + num(qint64(naimen)) + " and i_id=" + num(qint64(item)) + " and id<>" + num(qint64(id));
}

QString insert(int kind, int naimen, int item)
{
    return "insert into accounts_dep.oper(vid, naimen, i_id, cena_new)values (" + num(qint64(kind)) + ", "
           + num(qint64(naimen)) + ", " + num(qint64(item)) + ", 0)";
}

QString update(int kind, int naimen, int item, int id)
{
    return "update accounts_dep.oper set vid=" + num(qint64(kind)) + ", naimen=" + num(qint64(naimen))
           + ",  i_id=" + num(qint64(item)) + " where id=" + num(qint64(id));
}

const char* const NewOperId = "select currval(pg_get_serial_sequence('accounts_dep.oper', 'id')) as id";

QStringList normIns() { return {"insert into accounts_dep.norm(o_id, price) ", "values (:o_id, :price)"}; }

const char* const Norm = "select id, o_id, norma, price, prize from accounts_dep.norm order by norma";

QString normFilter(int operId) { return "o_id=" + num(qint64(operId)); }

QStringList xlsRep()
{
    return {
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN,(SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.CENA_new as cena, oper.id, oper.i_id,",
        " oper.VID as oper_vid from accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id ",
        "and oper.vid=vid_oper.id order by izdel.marka, vid_oper.vid, oper.naimen",
    };
}

QString searchFilter(const QString& text)
{
    if (text.trimmed().isEmpty())
        return {};
    return "marka like '%" + Filter::escape(text) + "%'";
}

const char* const DuplicateMessage = "Операция с такими параметрами уже заведена!";
const char* const MissingMessage = "Все поля должны быть заполнены!";

} // namespace OperSql
