#pragma once
#include <QString>
#include <QStringList>

// How long the program waits on the server, at most, for each kind of wait. One set for
// the whole process (the configuration sets it at start); every session of the workshop's
// database takes it when it opens.
struct ServerBounds {
    int connectSeconds = 10;            // to reach the server and log in
    int networkSeconds = 20;            // a line that has gone silent is given up after this
    int lockSeconds = 5;                // a wait for another client's lock
    int idleInTransactionSeconds = 60;  // the server ends a session left in a transaction
    int statementSeconds = 600;         // the server cancels a statement running longer
    int noticeMs = 3000;                // a wait longer than this is shown, with a way to give up

    // libpq's options for the driver (its "pqopt" attribute): connect timeout, keepalives
    // and the bound on data the server never acknowledges.
    QString libpqOptions() const;
    // The settings of the session on the server: the same bounds seen from its side, so
    // that a client that went away does not hold its locks.
    QStringList sessionSettings() const;

    static ServerBounds current();
    static void setCurrent(const ServerBounds& bounds);
};
