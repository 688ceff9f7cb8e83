#include "KindsSql.h"
#include "Filter.h"
#include "SqlText.h"

namespace KindsSql {

const char* const TooLong = "Название вида операции не более 128 символов!";

QString duplicate(const QString& upperName)
{
    return QStringLiteral("select count(*) as cnt from accounts_dep.vid_oper where upper(vid)='") + SqlText::escape(upperName)
        + QLatin1Char('\'');
}

QString duplicate(const QString& upperName, qint64 exceptId)
{
    return duplicate(upperName) + QStringLiteral(" and id<>") + SqlText::num(exceptId);
}

QString insert(const QString& name)
{
    return QStringLiteral("insert into accounts_dep.vid_oper(vid) values(") + SqlText::quote(name) + QLatin1Char(')');
}

QString rename(const QString& name, qint64 id)
{
    return QStringLiteral("update accounts_dep.vid_oper set vid=") + SqlText::quote(name) + QStringLiteral(" where id=")
        + SqlText::num(id);
}

QString searchFilter(const QString& text) { return QStringLiteral("vid like '") + Filter::escape(text) + QStringLiteral("%'"); }

} // namespace KindsSql
