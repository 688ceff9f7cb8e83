#pragma once
#include <QString>

class Connection;

// Transaction-scoped advisory locks on named keys: a check and the write it guards are
// serialised among all clients until the transaction ends.
namespace Locks {
// The same number for a key in every client, whatever its build.
qint64 keyOf(const QString& text);
// Waits for the key and holds it until the caller's transaction ends.
void lock(Connection& c, const QString& text);
// The same for several keys at once, always taken in one order so that two clients
// locking the same keys never wait for each other in a circle.
void lockAll(Connection& c, const QStringList& texts);
} // namespace Locks
