#include "ProductsSql.h"
#include "DisplayText.h"
#include "Filter.h"
#include "SqlText.h"
#include <QRegularExpression>

namespace ProductsSql {

const char* const TooLong = "Марка изделия не более 254 символов!";
const char* const NotANumber = "Расценка должна быть числом!";

const char* const IzdelSmena = "select count(*) as cnt from accounts_dep.smena s where s.i_id =:id_ii and s.\"data\">=:dt";
const char* const IiOper = "select count(*) as cnt from accounts_dep.oper o where o.i_id =:id_ii";
const char* const Item = "select * from cmn_classifier.item";
const char* const ItemFilter = "id_level=2";

QString duplicate(const QString& upperMark)
{
    return QStringLiteral("select count(*) as cnt from accounts_dep.izdel where upper(marka)='") + SqlText::escape(upperMark)
        + QLatin1Char('\'');
}

QString duplicate(const QString& upperMark, qint64 exceptId)
{
    return duplicate(upperMark) + QStringLiteral("and id<>") + SqlText::num(exceptId);
}

QString insert(const QString& mark, const QString& value, qint64 groupId)
{
    return QStringLiteral("INSERT INTO cmn_gds_and_srv.gds_and_srv(s_caption, s_description, id_msm_bs, massa, id_class_item)VALUES('")
        + SqlText::escape(mark) + QStringLiteral("', '', 6, ") + value + QLatin1Char(',') + SqlText::num(groupId)
        + QLatin1Char(')');
}

QString update(const QString& mark, const QString& value, qint64 groupId, qint64 id)
{
    return QStringLiteral("UPDATE cmn_gds_and_srv.gds_and_srv SET s_caption='") + SqlText::escape(mark)
        + QStringLiteral("', s_description='', id_msm_bs=6, massa=") + value + QStringLiteral(", id_class_item=")
        + SqlText::num(groupId) + QStringLiteral(" where id=") + SqlText::num(id);
}

QString deleteOper(qint64 id) { return QStringLiteral("delete from accounts_dep.oper o where o.i_id =") + SqlText::num(id); }
QString deleteSmena(qint64 id) { return QStringLiteral("delete from accounts_dep.smena s where s.i_id =") + SqlText::num(id); }
QString journalDays(qint64 id)
{
    return QStringLiteral("select distinct w_id, smena, data from accounts_dep.smena where i_id=") + SqlText::num(id)
           + QStringLiteral(" and w_id is not null and smena is not null and data is not null order by w_id, smena, data");
}
QString deleteProduct(qint64 id) { return QStringLiteral("delete from cmn_gds_and_srv.gds_and_srv  where id=") + SqlText::num(id); }

QString searchFilter(const QString& text) { return QStringLiteral("marka like '") + Filter::escape(text) + QStringLiteral("%'"); }

QDate journalCountFrom(const QDate& today)
{
    const int month = today.month() == 1 ? 12 : today.month() - 1;
    return QDate(2000, month, 1);
}

bool isValue(const QString& text)
{
    // numeric(28,6): at most 22 digits before the point.
    static const QRegularExpression number(QStringLiteral(R"(^(?:[0-9]{1,22}(?:[.,][0-9]*)?|[.,][0-9]+)$)"));
    return number.match(text).hasMatch();
}

// numeric(28,6): six decimals at most, none written that are zero.
QString valueText(double massa, const QLocale& locale) { return DisplayText::number(massa, QStringLiteral("#0.######"), locale); }

} // namespace ProductsSql
