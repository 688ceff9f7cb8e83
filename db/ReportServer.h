#pragma once
#include <QString>

class Connection;
class Query;

// Where the period reports and their exports read: a standby (or a list of them) that the
// configuration names, so that month-end reading does not compete with the saves on the
// primary; the primary when none is named or none answers. One set for the whole process.
namespace ReportServer {

// The connection text of the standbys, with the primary's addresses after them (empty:
// the reports read on the primary, as the windows do).
void set(const QString& connectionString);
bool configured();
// The connection text a reading opens: the report server's, else the primary's.
QString connectionString(const Connection& primary);

// What a reading found out inside its snapshot.
struct Source {
    bool standby = false;  // read on a standby
    QString dataTime;      // when the standby lags: the time its data are from
};

// The reading's server and its data's time, read in the snapshot the rows come from.
Source probe(Connection& c);
// Reads the query's statement on the report server, in one read-only snapshot of a
// connection of its own; returns once the first rows are there.
Source open(Query& q);
// The words a report shows under its title when its data are not the latest ("" when they are).
QString dataNote(const Source& s);
// The text to tell the user when the reading fell back to the primary; given once, and
// again only after a standby has answered in between.
QString fallbackNotice(const Source& s);

} // namespace ReportServer
