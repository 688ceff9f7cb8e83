#pragma once
#include "OdbcReader.h"
#include <QString>
#include <QVector>

class Connection;

// Every lock the program takes, and the one order in which a transaction takes them.
// Two clients that both take locks in this order never wait for each other in a circle:
//
//   rank       what                                   taken by
//   Tables     the legacy-layout tables, exclusive     the import (before anything else, in
//                                                      the order the others reach them)
//   BookNames  a reference book's names (advisory)     saves of kinds, products, operations:
//                                                      the duplicate check with its write
//   Product    product rows                            a product deletion (update); an operation
//                                                      save (key share)
//   Kind       operation kind rows                     a kind deletion (update); operation and
//                                                      household saves (key share)
//   Operation  operation rows                          operation and product deletions (update);
//                                                      journal saves and norm rows (key share)
//   Worker     worker rows                             a worker deletion (update); journal and
//                                                      household saves (key share)
//   Record     journal and household records           a change (update, before it reads where the
//                                                      record stood); a product deletion (its
//                                                      records); a repricing (the month's
//                                                      average-rate records)
//   Month      a month of the timesheet (advisory)     a rebuild and a repricing alone; every
//                                                      day-cell upkeep shared, and a worker's
//                                                      deletion for each month of his rows
//   Cell       a timesheet row's key (advisory)        the day-cell upkeep: journal cells
//                                                      (worker, shift) and household cells
//                                                      (worker, kind, night) of a month; a
//                                                      worker's deletion (his rows)
//
// Within a rank the keys go in ascending order, and all the keys of one rank are taken in
// one call. A statement that writes rows locks them itself; so every row a transaction
// writes once it holds a month or a cell is one of the timesheet rows those guard, a row it
// has locked already, or a new one. (A repricing that took the month and then rewrote
// records that changes had locked before asking for the month would wait for them in a
// circle.) The writes of one row each (a worker's save, a rename) need no lock of their own.
// A lock out of this order is refused with a DbError before it is asked for, so that every
// test and the load harness fail on it instead of on a deadlock once in a thousand runs.
namespace Locks {

enum class Rank { Tables, BookNames, Product, Kind, Operation, Worker, Record, Month, Cell };

// An advisory lock: held until the transaction ends.
struct Key {
    Rank rank;
    QString name; // the same name gives the same lock in every client
    bool shared = false;
    QString what; // what it guards, as the user is told when another client holds it too long
};

// A reference book whose names are checked for duplicates before a write.
enum class Book { Kinds, ProductMarks, Operations };
Key bookNames(Book book);
// A month of the timesheet: shared by the day-cell upkeep, alone for a rebuild or repricing.
Key month(int month, int year, bool shared);
// The piece-work timesheet row of a worker, shift, month and year.
Key journalCell(qint64 worker, int shift, int month, int year);
// The household timesheet row of a worker, work kind, night flag, month and year.
Key householdCell(qint64 worker, int kind, bool night, int month, int year);

// A wait for a lock another client holds ends after ServerBounds::lockSeconds; the user is
// told who holds what ("Месяц 04.2025 перестраивается…"), and the transaction rolls back.
// The same number for a key in every client, whatever its build.
qint64 keyOf(const QString& name);

// Waits for every key and holds it until the caller's transaction ends. Keys of several
// ranks may come in one call; a key the transaction holds already is not asked for again.
void take(Connection& c, QVector<Key> keys);

// The statement that take() sends for keys no transaction holds yet (for benchmarks that
// send a save's statements themselves).
QString statementOf(QVector<Key> keys);

// Row locks of the reference books and records, in id order.
enum class Table { Product, Kind, Operation, Worker, JournalRecord, HouseholdRecord };
enum class RowMode { KeyShare, Update };
// Locks the rows of a table that meet the condition ("id=5", "i_id=7") and returns the
// columns asked for, in id order; rows another client deleted meanwhile are not returned.
OdbcReader::Result rows(Connection& c, Table table, const QString& condition, RowMode mode,
                        const QString& columns = QStringLiteral("id"));
// The table's name and the rank of its rows.
QString tableName(Table table);
Rank rankOf(Table table);

// Locks whole tables against every other writer (the import), before any other lock. They
// are taken in the order the other writers reach them (tableOrder), whatever the order
// given: one that holds a row of an operation and then writes the timesheet would otherwise
// meet the import the other way round. A table not in that order is refused.
void tables(Connection& c, const QStringList& names);
// The order of tables() (schema-qualified names).
const QStringList& tableOrder();

// The rank a transaction has reached, for tests: -1 before its first lock.
int reached(const Connection& c);

} // namespace Locks
