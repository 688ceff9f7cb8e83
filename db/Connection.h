#pragma once
#include "OdbcReader.h"
#include "ServerBounds.h"
#include "ServerCall.h"
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include <atomic>
#include <functional>
#include <memory>

class DbError;
class OdbcSession;

// A database connection over the ODBC driver. Every statement commits by itself unless a
// transaction is open. Every call to the server runs on a thread of its own while the
// caller waits; a wait past its notice is shown through the waiter, which may give it up
// (the server then ends the session, and with it the transaction). A statement that fails
// because the server went away marks the connection broken, says so, and the next
// statement opens it again; a transaction whose COMMIT went unanswered is looked up by its
// number on a new session, so that it counts as saved exactly when the server saved it.
class Connection {
public:
    // Workshop: the workshop's PostgreSQL database, with the session settings its
    // statements rely on. Foreign: another database (the legacy journal), taken as it is.
    enum class Session { Workshop, Foreign };
    explicit Connection(const QString& name = QStringLiteral("ADO_DB"), Session session = Session::Workshop);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    const QString& name() const { return name_; }
    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }
    // A setting of every session this connection opens, now and after a reconnection
    // (set_config(name, value, false)): who works at the computer, for the server's own records.
    void setSessionSetting(const QString& name, const QString& value);
    const QHash<QString, QString>& sessionSettings() const { return settings_; }
    // Who is told of a long wait and may give it up (not owned; may be null).
    void setWaiter(ServerWaiter* waiter) { waiter_ = waiter; }
    ServerWaiter* waiter() const { return waiter_; }
    void open();
    void close();
    bool isOpen() const;

    // Runs a statement and reads its whole result.
    OdbcReader::Result select(const QString& statement);
    // The same for a statement with :name parameters. Outside a transaction it runs as a
    // prepared statement of the session, so that reopening it (a new day, a refresh) is not
    // planned again; a text the server cannot prepare runs with its values as literals.
    OdbcReader::Result select(const QString& statement, const QHash<QString, QVariant>& params);
    // The same with the rows held by column (Table), as the client-side queries keep them.
    // room: the table of an earlier reading whose memory the rows may take over.
    OdbcReader::Result selectTable(const QString& statement, const QHash<QString, QVariant>& params = {},
                                   Table* room = nullptr);
    // Reads a result too large to hold, a fetch at a time (OdbcReader::readBlocks); onBlock
    // runs on the caller's thread.
    void selectBlocks(const QString& statement, const std::function<void(const OdbcReader::Result& block)>& onBlock);
    // Runs a statement whose results nobody needs.
    void execute(const QString& statement);
    // The same, returning the number of rows it changed.
    int executeCount(const QString& statement);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return inTransaction_; }

    // From any thread: gives up the wait in progress and every later one; the server ends
    // the session. For a reading nobody wants any more.
    void cancel();
    // A call to the server is in progress (a window's timer must not start another).
    bool busy() const { return busy_; }
    // The server's process of the session (0 when there is none).
    qint64 backendPid() const { return pid_; }
    // A warning the server sent with the last COMMIT (which committed); cleared by reading.
    QString takeWarning();

    // What Locks knows of the open transaction's locks (see Locks.h); cleared when it ends.
    struct LockLedger {
        int rank = -1;
        qint64 lastKey = 0;
        QHash<qint64, bool> held; // advisory key → held shared
    };
    LockLedger& lockLedger() { return ledger_; }
    const LockLedger& lockLedger() const { return ledger_; }

private:
    void ensureOpen();
    void setUpSession();
    // The connection string with the libpq options of the bounds.
    QString effectiveString() const;
    // Runs a call on the session's thread; a wait given up ends the session.
    void call(Waiting::Kind kind, const QString& statement, ServerCall::Job job);
    void giveUp(Waiting::Kind kind);
    void checkAlive();
    // Throws the error of a failed statement, saying so when the session was lost with it.
    [[noreturn]] void failed(const DbError& e);
    void settleLostCommit(const QString& message);
    void settleGivenUpCommit(qint64 pid);
    void rollbackQuietly();
    void endTransactionState();
    // Hands the session to a thread that closes it; its server process is ended too.
    void dropSession(bool endOnServer);
    // The name the text is prepared under in this session; empty when it cannot be prepared.
    QString preparedName(const QString& body);
    enum class Shape { Rows, Table };
    OdbcReader::Result read(const QString& statement, Shape shape, Table* room = nullptr);
    OdbcReader::Result read(const QString& statement, const QHash<QString, QVariant>& params, Shape shape,
                            Table* room = nullptr);

    QString name_;
    Session session_;
    QString connectionString_;
    ServerWaiter* waiter_ = nullptr;
    std::shared_ptr<OdbcSession> odbc_;
    QHash<QString, QString> prepared_; // statement with $n → its name in the session
    QSet<QString> unpreparable_;
    int preparedCount_ = 0;
    bool broken_ = false;
    bool inTransaction_ = false;
    bool busy_ = false;
    std::atomic<bool> stop_{false};
    qint64 pid_ = 0;
    LockLedger ledger_;
    QString xid_; // the open transaction's number, once it has one
    QString warning_;
    QHash<QString, QString> settings_;
};
