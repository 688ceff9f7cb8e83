#pragma once
#include <QSqlDatabase>
#include <QHash>
#include <QSet>
#include <QString>
#include <QVariant>
#include "OdbcReader.h"

class QSqlQuery;

// The single database connection over the ODBC driver. Every statement commits by
// itself unless a Transaction is open. A statement that fails because the server went
// away marks the connection broken, says so, and the next statement opens it again; a
// transaction whose COMMIT went unanswered is looked up by its number on a new session, so
// that it counts as saved exactly when the server saved it.
class Connection {
public:
    // Workshop: the workshop's PostgreSQL database, with the session settings its
    // statements rely on. Foreign: another database (the legacy journal), taken as it is.
    enum class Session { Workshop, Foreign };
    explicit Connection(const QString& name = QStringLiteral("ADO_DB"), Session session = Session::Workshop);
    ~Connection();
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    void setConnectionString(const QString& text) { connectionString_ = text; }
    const QString& connectionString() const { return connectionString_; }
    void open();
    void close();
    bool isOpen() const;

    // Runs a statement; a result set it returns is read by the caller through the query.
    void exec(QSqlQuery& query, const QString& statement);
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
    // Reads a result too large to hold, a fetch at a time (OdbcReader::readBlocks).
    void selectBlocks(const QString& statement, const std::function<void(const OdbcReader::Result& block)>& onBlock);
    // Runs a statement whose results nobody needs.
    void execute(const QString& statement);
    // The same, returning the number of rows it changed.
    int executeCount(const QString& statement);

    void begin();
    void commit();
    void rollback();
    bool inTransaction() const { return inTransaction_; }

    // What Locks knows of the open transaction's locks (see Locks.h); cleared when it ends.
    struct LockLedger {
        int rank = -1;
        qint64 lastKey = 0;
        QHash<qint64, bool> held; // advisory key → held shared
    };
    LockLedger& lockLedger() { return ledger_; }
    const LockLedger& lockLedger() const { return ledger_; }

    QSqlDatabase database() const;

private:
    void ensureOpen();
    // The ODBC connection handle under the Qt connection.
    void* odbcHandle(const QString& statement);
    void setUpSession();
    void checkAlive();
    // Whether the driver has found the session gone (the server stopped, the link cut).
    bool sessionLost();
    // Throws the error of a failed statement, saying so when the session was lost with it.
    [[noreturn]] void failed(const QString& message, const QString& statement);
    void settleLostCommit(const QString& message);
    void rollbackQuietly();
    // The name the text is prepared under in this session; empty when it cannot be prepared.
    QString preparedName(const QString& body);
    enum class Shape { Rows, Table };
    OdbcReader::Result read(const QString& statement, Shape shape, Table* room = nullptr);
    OdbcReader::Result read(const QString& statement, const QHash<QString, QVariant>& params, Shape shape,
                            Table* room = nullptr);

    QString name_;
    Session session_;
    QString connectionString_;
    QHash<QString, QString> prepared_; // statement with $n → its name in the session
    QSet<QString> unpreparable_;
    int preparedCount_ = 0;
    bool broken_ = false;
    bool inTransaction_ = false;
    LockLedger ledger_;
    QString xid_; // the open transaction's number, once it has one
};
