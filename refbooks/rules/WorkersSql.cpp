#include "WorkersSql.h"
#include "Filter.h"
#include "SqlText.h"

namespace WorkersSql {

using SqlText::escape;

QString insert(const QString& fio, const QString& department)
{
    return "INSERT INTO accounts_dep.person (fio, s_staffpos_hl)VALUES('" + escape(fio) + "', '" + escape(department)
           + "'" + ")";
}

QString update(const QString& fio, const QString& department, int id)
{
    return "UPDATE accounts_dep.person SET fio='" + escape(fio) + "', s_staffpos_hl='" + escape(department)
           + "' where accounts_dep.person.id=" + SqlText::num(qint64(id));
}

QString remove(int id) { return "delete from accounts_dep.person where id =" + SqlText::num(qint64(id)); }

QString searchFilter(const QString& text)
{
    if (text.isEmpty())
        return {};
    return "fio like '" + Filter::escape(text) + "%'";
}

const char* const Departments = "select * from cmn_department.department order by s_caption";
const char* const Staffpos = "select * from hrms_staffpos.staffpos order by s_caption";
const char* const Roles = "select * from adm_role.roles order by s_caption";
const char* const EmptyNameMessage = "ФИО нужно заполнить!";

QString tooLongMessage() { return QStringLiteral("ФИО должно быть не более %1 символов!").arg(FioMax); }

} // namespace WorkersSql
