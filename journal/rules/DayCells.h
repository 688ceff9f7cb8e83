#pragma once
#include <QDate>
#include <QStringList>
#include "Locks.h"

class Connection;

// The day cells of the piece-work timesheet (accounts_dep.h_tabel, one row per worker,
// shift, month and year) kept in step with the journal: a cell holds the sum of the
// hours of the worker's records of that shift and day.
namespace DayCells {

// A day cell: the worker's timesheet row of a shift, and the day.
struct Place {
    qint64 worker = 0;
    int shift = 0;
    QDate day;
    bool operator==(const Place& o) const { return worker == o.worker && shift == o.shift && day == o.day; }
};

QString countStatement(qint64 worker, int shift, const QDate& day);
QString sumStatement(qint64 worker, int shift, const QDate& day);
QString updateStatement(qint64 worker, int shift, const QDate& day, qint64 hours);
QString insertStatement(qint64 worker, int shift, const QDate& day, qint64 hours);
QString deleteRecordStatement(const QString& id);

// The locks of one cell's upkeep (see Locks): the month shared, which a rebuild takes alone,
// and the row's key, without which two clients could both find no row and insert one each,
// or write sums that miss each other's records.
QVector<Locks::Key> lockKeys(qint64 worker, int shift, const QDate& day);

// Recomputes the day's cell after a save, inserting the month's row when there is none.
// Runs in the caller's transaction, or in one of its own, under the cell's locks.
void refresh(Connection& c, qint64 worker, int shift, const QDate& day);
// Recomputes the day's cell after a deletion; a missing row is left missing.
void refreshAfterDelete(Connection& c, qint64 worker, int shift, const QDate& day);

// The statements a save's upkeep sends, in order (for the row found or not).
QStringList refreshStatements(qint64 worker, int shift, const QDate& day, bool rowExists, qint64 hours);

} // namespace DayCells
