#pragma once
#include <QString>
#include <QStringList>

class Connection;

// The invariants the load harness checks at the end, by statements of its own (not the
// client's): each returns the violations found, empty when it holds.
namespace Load {

// 1. Every shift-timesheet and household cell of the month equals the sum recomputed from
//    the journal and the household records, and each key has one timesheet row.
QStringList cellsOutOfStep(Connection& c, int month, int year);
// 2. No two journal records of the month with the same worker, operation, product, day,
//    shift and colour.
QStringList duplicates(Connection& c, int month, int year);
// 3. No row points at a deleted worker, operation, product or kind.
QStringList orphans(Connection& c);
// 5. No journal or household change landed while the month was closed: none of their
//    history rows of a row's insert, change or deletion lies between a close and the
//    reopen after it (a repricing that found nothing to change leaves its summary there).
QStringList changesWhileClosed(Connection& c);
// The server's count of deadlocks in the database so far.
qint64 deadlocks(Connection& c);

} // namespace Load
