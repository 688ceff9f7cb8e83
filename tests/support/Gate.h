#pragma once
#include <QString>
#include <QStringList>

class Connection;

// A gate in the database that stops a client in the middle of its transaction: after a
// write to one of the gated tables, a session waits until the test lets go of the gate.
namespace Gate {
// onlyMarked: only sessions that set pw.gate = 'on' stop (others pass). events: the
// writes that stop ("insert", "insert or update or delete"); before: stop before the
// statement writes (and locks) its rows instead of after.
void install(Connection& c, const QStringList& tables, bool onlyMarked,
             const QString& events = QStringLiteral("insert or update or delete"), bool before = false);
void remove(Connection& c, const QStringList& tables);
// Stops a marked session before it deletes a row of the table that meets the condition (on
// old), with that row locked by it and the rows its statement met before it already deleted.
void installOnRow(Connection& c, const QString& table, const QString& condition);
// The test holds the gate (a session lock of the connection) and lets go of it.
void close(Connection& c);
void open(Connection& c);
// The server process of a session waiting at the gate, once one comes (0 after the time).
int waiter(Connection& look, int timeoutMs = 20000);
// Waits until the server process has ended (its session rolled back).
bool waitForEnd(Connection& look, int pid, int timeoutMs = 20000);
} // namespace Gate
