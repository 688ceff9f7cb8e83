#pragma once
#include <QDate>
#include <QStringList>
#include <functional>

class Connection;
class ProductionCalendar;

// The shift timesheet without its window: the year list, the marks of the day columns,
// the painting of a day cell, and the month rebuild from the journal.
namespace ShiftTimesheet {

// The years offered: 2007 up to next year by the clock, widened to take in the working
// date's year, so that the window always opens on a year.
QStringList years(const QDate& today, int workingYear);

enum class DayMark { Working, DayOff, Beyond };
// Day column 1 … 31 of a month: a working day, a day off (a weekend not made a working day,
// a holiday, a day off by decree), or past the month's end.
DayMark dayMark(int day, int month, int year, ProductionCalendar& calendar);

// How a day cell is painted, in colours the window maps onto its palette.
enum class Ink { Unchanged, Silver, WindowText, WindowBackground };
struct CellLook {
    Ink ink = Ink::Unchanged;
    bool bold = false;
    bool green = false; // light green ground: more than a full day
    bool operator==(const CellLook& o) const { return ink == o.ink && bold == o.bold && green == o.green; }
};
// value: the cell as read (null reads as 0).
CellLook cellLook(const QVariant& value, DayMark mark);

// Deletes the month's shift rows; the household rows (kinds 7777 and 7778) stay.
QString deleteShiftRows(int month, int year);
// Makes one row per worker and shift with journal records in the month, each day cell the
// sum of that day's hours, NULL on days without records.
QString insertShiftRows(int month, int year);

// Rebuilds the month's shift rows from the journal in one transaction, alone in the month
// (see Locks): the day-cell upkeep of the month waits for it and lands on the rebuilt rows.
// progress(step, of) is told as the work goes on, the first time once the month is held.
void rebuild(Connection& c, int month, int year, const std::function<void(int, int)>& progress = {});

} // namespace ShiftTimesheet
