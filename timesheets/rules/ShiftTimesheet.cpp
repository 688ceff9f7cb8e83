#include "ShiftTimesheet.h"
#include "Connection.h"
#include "Locks.h"
#include "app/rules/ProductionCalendar.h"
#include "SqlText.h"
#include "Transaction.h"
#include "Watch.h"

namespace ShiftTimesheet {

using SqlText::num;

QStringList years(const QDate& today, int workingYear)
{
    const int first = std::min(2007, workingYear);
    const int last = std::max(today.year() + 1, workingYear);
    QStringList out;
    for (int y = first; y <= last; ++y)
        out << QString::number(y);
    return out;
}

DayMark dayMark(int day, int month, int year, ProductionCalendar& calendar)
{
    const QDate first(year, month, 1);
    if (day > first.daysInMonth())
        return DayMark::Beyond;
    return calendar.isDayOff(first.addDays(day - 1)) ? DayMark::DayOff : DayMark::Working;
}

CellLook cellLook(const QVariant& value, DayMark mark)
{
    const qint64 v = value.isNull() ? 0 : value.toLongLong();
    CellLook look;
    if (v == 0) {
        // Columns of days off stay red; past the month's end the value is not to be seen.
        if (mark != DayMark::DayOff)
            look.ink = Ink::Silver;
        if (mark == DayMark::Beyond)
            look.ink = Ink::WindowBackground;
    } else if (v == 8) {
        look.bold = true;
        if (mark != DayMark::DayOff)
            look.ink = Ink::WindowText;
    } else if (v > 8) {
        look.bold = true;
        look.green = true;
    }
    return look;
}

static QString monthCondition(int month, int year)
{
    return QStringLiteral("month=") + num(qint64(month)) + QStringLiteral(" and year=") + num(qint64(year));
}

QString deleteShiftRows(int month, int year)
{
    return QStringLiteral("delete from accounts_dep.h_tabel where ") + monthCondition(month, year)
        + QStringLiteral(" and coalesce(i_type, 0) not in (7777, 7778)");
}

QString insertShiftRows(int month, int year)
{
    QStringList columns, sums;
    for (int d = 1; d <= 31; ++d) {
        columns << QStringLiteral("d%1").arg(d);
        sums << QStringLiteral("sum(time) filter (where day=%1)").arg(d);
    }
    const QDate first(year, month, 1);
    return QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, ") + columns.join(QStringLiteral(", "))
        + QStringLiteral(")\nselect smena, w_id, ") + num(qint64(month)) + QStringLiteral(", ") + num(qint64(year))
        + QStringLiteral(",\n") + sums.join(QStringLiteral(",\n"))
        + QStringLiteral("\nfrom (select smena, w_id, time, extract(day from data)::int as day from accounts_dep.smena"
                         "\n      where data>=to_date('")
        + SqlText::dmy(first) + QStringLiteral("', 'DD.MM.YYYY') and data<to_date('") + SqlText::dmy(first.addMonths(1))
        + QStringLiteral("', 'DD.MM.YYYY')\n        and smena is not null and w_id is not null) s\ngroup by smena, w_id");
}

void rebuild(Connection& c, int month, int year, const std::function<void(int, int)>& progress)
{
    auto step = [&](int done) {
        if (progress)
            progress(done, 3);
    };
    Transaction t(c);
    // Saves of this month wait until the rebuilt rows are committed, then land on them.
    Locks::take(c, {Locks::month(month, year, false)});
    step(1);
    const int removed = c.executeCount(deleteShiftRows(month, year));
    step(2);
    const int made = c.executeCount(insertShiftRows(month, year));
    Watch::note(c, QStringLiteral("rebuild"), QStringLiteral("accounts_dep.h_tabel"), Watch::monthKey(month, year),
                QStringLiteral("{\"deleted\": %1, \"inserted\": %2}").arg(removed).arg(made));
    step(3);
}

} // namespace ShiftTimesheet
