#pragma once
#include <QDate>
#include <QString>

// Statement texts of the household works: the kinds with their norm prices, the
// nomenclature groups, the list of a date, the record's insert and update, the day cells
// of the household timesheet rows and the repricing of a month.
namespace HouseholdSql {

// The two reserved work kinds.
constexpr int Household = 7777;   // paid at the kind's norm price
constexpr int AverageRate = 7778; // repriced to the worker's average piece rate

extern const char* const TypeWork; // type_work, parameter :cnt
extern const char* const Item;     // the picker's item
extern const char* const Fatigue;  // the list of a date, parameter :d_date

// What the dialog writes.
struct Record {
    qint64 group = 0;
    int kind = Household;
    qint64 worker = 0;
    QDate date;
    qint64 hours = 0;
    double price = 0;
    bool holiday = false;
    bool night = false;
};

// The norm price with the day-off (× 2) and night (× 1.2) factors.
double entryPrice(double norm, bool holiday, bool night);

QString insertStatement(const Record& r);
QString updateStatement(const Record& r, qint64 id);
QString deleteStatement(qint64 id);

// The household timesheet row of worker, kind, night flag and the day's month and year.
QString countStatement(qint64 worker, int kind, bool night, const QDate& day);
QString hoursStatement(qint64 worker, int kind, bool night, const QDate& day);
QString cellUpdateStatement(qint64 worker, int kind, bool night, const QDate& day, qint64 hours);
QString cellInsertStatement(qint64 worker, int kind, bool night, const QDate& day, qint64 hours);
// The deletion's update names the key in its own order.
QString cellUpdateAfterDeleteStatement(qint64 worker, int kind, bool night, const QDate& day, qint64 hours);

// Sets every average-rate record of the month to the worker's average piece rate over
// the journal records of the record's group in that month.
QString repriceStatement(int month, int year);

} // namespace HouseholdSql
