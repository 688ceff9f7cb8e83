#include "MonthClose.h"
#include "Connection.h"
#include "DbError.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include "Watch.h"

namespace MonthClose {

const char* const kUnavailable = "Закрытие месяцев и история изменений ещё не созданы в базе данных. "
                                 "Администратор должен выполнить команду «Структура БД».";

namespace {
const char* const kMonths[] = {"январь", "февраль", "март",     "апрель",  "май",    "июнь",
                               "июль",   "август",  "сентябрь", "октябрь", "ноябрь", "декабрь"};
}

QString monthText(int month, int year)
{
    return QStringLiteral("%1 %2").arg(QString::fromUtf8(kMonths[(month - 1) % 12])).arg(year);
}

QString question(int month, int year, bool closing)
{
    return closing ? QStringLiteral("Закрыть месяц %1? Записи журнала, хоз. работы и табели этого месяца "
                                    "нельзя будет изменить, пока месяц не откроют снова.")
                         .arg(monthText(month, year))
                   : QStringLiteral("Открыть месяц %1? Его записи снова можно будет изменять.").arg(monthText(month, year));
}

Outcome setClosed(Connection& c, int month, int year, bool closing)
{
    if (!Watch::available(c))
        return Outcome::Unavailable;
    Transaction t(c);
    const qint64 changed = Rows::firstInteger(
        c, QStringLiteral("select case when accounts_dep.pw_set_month_closed(%1, %2, %3) then 1 else 0 end")
               .arg(SqlText::num(qint64(year)), SqlText::num(qint64(month)), closing ? QStringLiteral("true") : QStringLiteral("false")));
    return changed == 1 ? Outcome::Done : Outcome::AlreadySo;
}

QString outcomeText(Outcome o, int month, int year, bool closing)
{
    switch (o) {
    case Outcome::Unavailable:
        return QString::fromUtf8(kUnavailable);
    case Outcome::AlreadySo:
        return QStringLiteral("Месяц %1 уже %2.").arg(monthText(month, year), closing ? QStringLiteral("закрыт") : QStringLiteral("открыт"));
    case Outcome::Done:
        break;
    }
    return QStringLiteral("Месяц %1 %2.").arg(monthText(month, year), closing ? QStringLiteral("закрыт") : QStringLiteral("открыт"));
}

bool isClosed(Connection& c, int month, int year)
{
    return Watch::available(c)
           && Rows::firstInteger(c, QStringLiteral("select count(*) from accounts_dep.pw_closed_month where ym = ")
                                        + SqlText::num(qint64(year) * 100 + month))
                  > 0;
}

QString refusal(const DbError& e)
{
    const auto m = Watch::closedMonth(e);
    if (!m)
        return {};
    const QString which = m->month ? QStringLiteral("Месяц %1 закрыт").arg(monthText(m->month, m->year))
                                   : QStringLiteral("Месяц закрыт");
    return which + QStringLiteral(": его записи, хоз. работы и табели не изменяются. Изменить их можно, "
                                  "когда месяц откроют снова (меню «Табель», «Закрыть месяц…»).");
}

} // namespace MonthClose
