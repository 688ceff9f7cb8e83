#pragma once
#include <QDate>
#include <QStringList>

class Connection;

// The day cells of the piece-work timesheet (accounts_dep.h_tabel, one row per worker,
// shift, month and year) kept in step with the journal: a cell holds the sum of the
// hours of the worker's records of that shift and day.
namespace DayCells {

QString countStatement(qint64 worker, int shift, const QDate& day);
QString sumStatement(qint64 worker, int shift, const QDate& day);
QString updateStatement(qint64 worker, int shift, const QDate& day, qint64 hours);
QString insertStatement(qint64 worker, int shift, const QDate& day, qint64 hours);
QString deleteRecordStatement(const QString& id);

// Serialises the upkeep of one timesheet row among all clients until the transaction ends:
// without it two clients could both find no row and insert one each, or write sums that
// miss each other's records.
// It also takes the month's lock shared, which the month rebuild takes alone.
QString lockStatement(qint64 worker, int shift, const QDate& day);
QString monthLockName(int month, int year);
// The name of that lock (see Locks), for taking it together with others.
QString lockName(qint64 worker, int shift, const QDate& day);
qint64 lockKey(qint64 worker, int shift, int month, int year);

// Recomputes the day's cell after a save, inserting the month's row when there is none.
// Runs in the caller's transaction, or in one of its own.
void refresh(Connection& c, qint64 worker, int shift, const QDate& day);
// Recomputes the day's cell after a deletion; a missing row is left missing.
void refreshAfterDelete(Connection& c, qint64 worker, int shift, const QDate& day);

// The statements a save's upkeep sends, in order (for the row found or not).
QStringList refreshStatements(qint64 worker, int shift, const QDate& day, bool rowExists, qint64 hours);

} // namespace DayCells
