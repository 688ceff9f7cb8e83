#pragma once
#include "HouseholdSql.h"
#include "Locks.h"
#include <QDate>
#include <QString>
#include <optional>

class Connection;

// Saving and deleting household work records with the day cells of their timesheet rows,
// and the repricing of a month: each action runs in one transaction, the upkeep under a
// lock on the key of the row it touches.
namespace HouseholdRecords {

// Where a record stands in the timesheet: the key of its row and its day.
struct Place {
    qint64 worker = 0;
    int kind = 0;
    bool night = false;
    QDate day;
    bool operator==(const Place& o) const
    {
        return worker == o.worker && kind == o.kind && night == o.night && day == o.day;
    }
};

// The locks of a household cell's upkeep (see Locks): the month shared and the row's key.
QVector<Locks::Key> lockKeys(const Place& p);

// Recomputes the day cell after a save, inserting the month's row when there is none.
void refresh(Connection& c, const Place& p);
// Recomputes the day cell after a record left it; a missing row stays missing.
void refreshAfterDelete(Connection& c, const Place& p);

enum class Outcome {
    Saved,
    Gone,    // the record to change was deleted meanwhile
    Missing, // the worker or the work kind was deleted meanwhile
};
extern const char* const MissingMessage;

// A new record (no id) or a change of record id; the date of a changed record stays.
// A change that moves the record to another worker or kind also brings the cell it left
// in step.
Outcome save(Connection& c, const HouseholdSql::Record& r, std::optional<qint64> id = {});

// Deletes a record and recomputes its cell; nothing when it had been deleted already.
std::optional<Place> remove(Connection& c, qint64 id);

// Reprices the average-rate records of a month, alone in the month: a save of the month
// waits for it, and it waits for the saves under way. The number of records repriced.
int reprice(Connection& c, int month, int year);

} // namespace HouseholdRecords
