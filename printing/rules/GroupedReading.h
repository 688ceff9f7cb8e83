#pragma once
#include "ReadAhead.h"
#include "ReportServer.h"
#include <QDate>
#include <QString>
#include <optional>
#include <utility>
#include <vector>

class Connection;
class Query;

// A report's statement read a range of its first-level groups at a time, in the
// statement's own order: the server sorts a year of rows before it sends the first, but a
// few workers' rows it sorts at once. Every statement here is the report's own text with
// a condition added to its where clause, so that a change of that text carries over; the
// statement's order must leave no ties, so that its rows come in one order however they
// are read.
namespace GroupedReading {

// The first-level group: declared beside the statement, never read out of its text. The
// expression is the one the statement's order starts with, as a condition can compare it
// (not an alias or a column number), with the order's direction and the place of the
// rows without a key.
struct Key {
    QString expression;
    bool descending = false;
    bool nullsFirst = false;
};

// The first-level groups in order, with the journal rows behind each: columns pw_key,
// pw_rows. Empty when the statement has no such shape.
QString groupList(const QString& statement, const Key& key);

// Groups after `after` up to and including `upTo`; an open end reaches the first (the
// last) group. The groups without a key come with the end the order puts them at.
struct Range {
    std::optional<QString> after, upTo;
};
QString part(const QString& statement, const Key& key, const Range& range);

// The ranges to read: the first ends once firstRows journal rows are in, so that the
// first page comes at once; then a third of what remains, then the rest. A result of at
// most wholeBelow rows is read whole.
struct Sizes {
    qint64 firstRows = 300;
    qint64 wholeBelow = 20000;
};
std::vector<Range> plan(const std::vector<std::pair<QString, qint64>>& groups, const Sizes& sizes = {});

// The job of a ReadAhead: the group list, then each range's rows, in order.
void read(Connection& c, const QString& statement, const Key& key, const ReadAhead::Deliver& deliver,
          const Sizes& sizes = {});

// Opens a report query so: its statement with the parameters set, read on a connection
// of its own (on the report server when one is named); returns with the first range's rows.
ReportServer::Source open(Query& q, const Key& key);
// Whether a report of this period is read so: a month comes whole at once, and the extra
// statements would only cost it time.
bool inRanges(const QDate& from, const QDate& to);

} // namespace GroupedReading
