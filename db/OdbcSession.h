#pragma once
#include <QString>

// One session with a database through the ODBC driver manager: its environment and
// connection handles, nothing else. Every call blocks until the driver answers; who
// calls it decides on which thread (ServerCall). Failures throw DbError with the
// driver's diagnostics and SQLSTATE.
class OdbcSession {
public:
    OdbcSession();
    ~OdbcSession(); // disconnects
    OdbcSession(const OdbcSession&) = delete;
    OdbcSession& operator=(const OdbcSession&) = delete;

    void connect(const QString& connectionString);
    bool connected() const { return connected_; }
    // The ODBC connection handle, for the row reader.
    void* handle() const { return dbc_; }

    // Runs a statement whose rows nobody reads; the number of rows it changed (-1 unknown).
    // A result "with information" (a server's warning) is a success.
    int execute(const QString& statement);
    void setAutocommit(bool on);
    // Ends the open transaction. A COMMIT answered "with information" has committed.
    void endTransaction(bool commit);
    // Whether the driver has found the session gone (the server stopped, the link cut).
    bool lost() const;
    // The server's warning that came with the last COMMIT, if any; cleared by reading.
    QString takeWarning();

private:
    void* env_ = nullptr;
    void* dbc_ = nullptr;
    bool connected_ = false;
    QString warning_;
};
