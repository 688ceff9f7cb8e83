#pragma once
#include "EntryRules.h"
#include <QDate>
#include <optional>

class Connection;

// Saving and deleting journal records with the day cells of the timesheet: every step
// of one action runs in one transaction, under the locks of the day cells it touches.
namespace JournalRecords {

enum class Outcome {
    Saved,
    Duplicate, // another record has the same worker, operation, product, date, shift and colour
    Gone,      // the record to change was deleted meanwhile
    Missing,   // the worker or the operation was deleted meanwhile
};
extern const char* const MissingMessage;

// A new record (no id) or a change of record id. A change that moves the record to
// another worker, shift or day brings the cell it left in step as well.
Outcome save(Connection& c, const EntryRules::Record& r, std::optional<qint64> id = {});

// Where a deleted record stood; found is false when it had been deleted already.
struct Removed {
    bool found = false;
    qint64 worker = 0;
    int shift = 0;
    QDate day;
};
// Deletes a record and recomputes the day cell it leaves, from what the database deleted.
Removed remove(Connection& c, qint64 id);

} // namespace JournalRecords
