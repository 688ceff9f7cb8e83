#pragma once
#include <QDate>
#include <QString>
#include <QVector>

class Statement;

// The monthly timesheets of hours and earnings in their four variants, the four money
// totals of the month, and the look of the month's columns.
namespace MonthSheets {

enum class Variant { PieceWork, Household, AverageRate, General };

struct Look {
    const char* caption;
    int tag;        // tells the export which variant it writes
    int nameWidth;  // of the name column with all 31 days shown
    bool nightShown;
    bool rateShown;
};
Look look(Variant v);

// The variant's statement (H_Tabel0, H_Tabel7777, H_Tabel7778, H_Tabel_all).
QString sheetStatement(Variant v);

// The totals: the whole workshop's earnings of the month with a positive price and
// quantity; an absent part of "Итого:" counts as 0.
extern const char* const AllPrice; // all_price, "Итого:"
extern const char* const Price;    // price, "Сделка:"
extern const char* const Price7;   // price7, "Хоз. работы:"
extern const char* const Price8;   // price8, "Ср. сдел.:"

// The month's parameters: i_month, i_year and the date pair d_date1/2 (upper bound the first
// day of the next month, lower bound the first of the month; d_date7/8 as well where asked).
void setSheetParams(Statement& s, int month, int year, bool general);
void setTotalParams(Statement& s, int month, int year, bool twoPairs);

// The name column takes the width of the day columns the month hides, 20 each, so the
// grid keeps its width; the same at every selection of the month.
int nameWidth(Variant v, int year, int month);

// Years to choose: 2007 to the year after today's.
QVector<int> years(const QDate& today);

} // namespace MonthSheets
