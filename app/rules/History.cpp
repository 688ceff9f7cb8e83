#include "History.h"
#include "SqlText.h"
#include <QVector>

namespace History {

const QVector<Table>& tables()
{
    static const QVector<Table> all = {
        {"accounts_dep.smena", "Журнал"},           {"accounts_dep.fatigue", "Хоз. работы"},
        {"accounts_dep.norm", "Нормы"},             {"accounts_dep.oper", "Операции"},
        {"accounts_dep.vid_oper", "Виды операций"}, {"accounts_dep.person", "Рабочие"},
        {"cmn_gds_and_srv.gds_and_srv", "Изделия"}, {"accounts_dep.h_tabel", "Табель"},
        {"accounts_dep.pw_closed_month", "Закрытые месяцы"},
    };
    return all;
}

namespace {
const char* const kActions[][2] = {
    {"insert", "добавление"},   {"update", "изменение"},       {"delete", "удаление"},
    {"close", "закрытие месяца"}, {"reopen", "открытие месяца"}, {"rebuild", "перестроение"},
    {"reprice", "пересчёт"},    {"import", "импорт"},
};

// A field of the session's "who" (a compact JSON object the program sets); a value set
// by hand that is no such object gives nothing rather than an error.
QString whoField(const char* name)
{
    return QStringLiteral("coalesce(substring(h.who from '\"%1\":\"([^\"]*)\"'), '')").arg(QLatin1String(name));
}

QString caseOf(const QString& column, const QStringList& pairs)
{
    QString s = QStringLiteral("case ") + column;
    for (int i = 0; i + 1 < pairs.size(); i += 2)
        s += QStringLiteral(" when %1 then %2").arg(SqlText::quote(pairs[i]), SqlText::quote(pairs[i + 1]));
    return s + QStringLiteral(" else ") + column + QStringLiteral(" end");
}
} // namespace

QString statement(const Filter& f)
{
    QStringList tablePairs, actionPairs;
    for (const Table& t : tables())
        tablePairs << QString::fromUtf8(t.name) << QString::fromUtf8(t.caption);
    for (const auto& a : kActions)
        actionPairs << QString::fromUtf8(a[0]) << QString::fromUtf8(a[1]);
    QStringList where;
    if (!f.key.isEmpty()) {
        where << QStringLiteral("h.tbl = %1 and h.key = %2").arg(SqlText::quote(f.table), SqlText::quote(f.key));
    } else {
        where << QStringLiteral("h.at >= %1::date and h.at < %2::date + 1")
                     .arg(SqlText::quote(f.from.toString(Qt::ISODate)), SqlText::quote(f.to.toString(Qt::ISODate)));
        if (!f.table.isEmpty())
            where << QStringLiteral("h.tbl = ") + SqlText::quote(f.table);
        if (f.worker)
            where << QStringLiteral("h.worker = ") + SqlText::num(f.worker);
        if (!f.computer.isEmpty())
            where << QStringLiteral("position(lower(%1) in lower(%2)) > 0").arg(SqlText::quote(f.computer), whoField("host"));
    }
    return QStringLiteral("select to_char(h.at, 'DD.MM.YYYY HH24:MI:SS') as at_text, %1 as role, %2 as os_user, "
                          "%3 as host, %4 as caption, h.key, %5 as action, coalesce(h.old::jsonb::text, '') as old_values, "
                          "coalesce(h.new::jsonb::text, '') as new_values from accounts_dep.pw_history h where %6 order by h.id desc")
        .arg(whoField("role"), whoField("user"), whoField("host"), caseOf(QStringLiteral("h.tbl"), tablePairs),
             caseOf(QStringLiteral("h.action"), actionPairs), where.join(QStringLiteral(" and ")));
}

} // namespace History
