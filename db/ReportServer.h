#pragma once
#include "ReadAhead.h"
#include <QString>
#include <memory>

class Connection;
class Query;

// Where the period reports, the timesheets' prints and the exports read: a standby (or a
// list of them) that the configuration names, so that month-end reading does not compete
// with the saves on the primary; the primary when none is named or none answers. One set
// for the whole process.
namespace ReportServer {

// The connection text of the standbys, with the primary's addresses after them (empty:
// the reports read on the primary, as the windows do).
void set(const QString& connectionString);
bool configured();
// The connection text a reading opens: the report server's, else the primary's.
QString connectionString(const Connection& primary);

// What a reading found out inside its snapshot.
struct Source {
    bool standby = false; // read on a standby
    bool behind = false;  // the standby had not replayed all the primary had when asked
    QString dataTime;     // then the time its data are from, when known
};

// A reading on the report server. With one configured, it first waits (a bounded while,
// before its snapshot) until the standby has replayed all the primary had written when the
// reading was asked for, so that a report after one's own save shows it; body then runs in
// one read-only snapshot. *source is written before the first rows come.
std::unique_ptr<ReadAhead> reading(Connection& primary, std::shared_ptr<Source> source, ReadAhead::Job body);
// Reads the query's statement so; returns once the first rows are there.
Source open(Query& q);
// The words a report shows under its title when its data are not the latest ("" when they are).
QString dataNote(const Source& s);
// The text to tell the user when the reading fell back to the primary; given once, and
// again only after a standby has answered in between.
QString fallbackNotice(const Source& s);

} // namespace ReportServer
