#include "Connection.h"
#include "DbError.h"
#include "SqlText.h"
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <sql.h>
#include <sqlext.h>

namespace {
// Day-first literals ('01.4.2025') must read as 1 April; JIT only slows the month grids down;
// a backslash inside a literal must stay a backslash whatever the server's default is, or a
// quoted text could end its literal early.
const char* const kSessionSetup[] = {"SET DateStyle TO 'ISO, DMY'", "SET jit TO off",
                                     "SET standard_conforming_strings TO on"};

// What the user reads when the server went away: whether the change was made, and that
// the next action connects again.
const char* const kLost = "Связь с сервером базы данных прервалась. Следующее действие соединится заново.";
const char* const kLostUnsaved =
    "Связь с сервером базы данных прервалась: изменения не сохранены. Следующее действие соединится заново.";
const char* const kLostUnknown =
    "Связь с сервером базы данных прервалась при сохранении, и узнать, сохранены ли изменения, не удалось. "
    "Проверьте список, когда связь восстановится.";

QString withNote(const QString& message, const char* note)
{
    return message.isEmpty() ? QString::fromUtf8(note) : message + QLatin1Char('\n') + QString::fromUtf8(note);
}

QString errorText(const QSqlError& e)
{
    QString text = e.databaseText().trimmed();
    if (text.isEmpty())
        text = e.text().trimmed();
    return text;
}
} // namespace

Connection::Connection(const QString& name, Session session) : name_(name), session_(session)
{
    QSqlDatabase::addDatabase(QStringLiteral("QODBC"), name_);
}

Connection::~Connection()
{
    {
        QSqlDatabase db = QSqlDatabase::database(name_, false);
        if (db.isOpen())
            db.close();
    }
    QSqlDatabase::removeDatabase(name_);
}

QSqlDatabase Connection::database() const { return QSqlDatabase::database(name_, false); }

void Connection::open()
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
    // Qt puts "DSN=" before a text that names no driver or server: a data source given as
    // "DSN=…;PWD=…" must reach the driver manager with it once, not twice.
    const bool dsn = connectionString_.startsWith(QLatin1String("DSN="), Qt::CaseInsensitive)
                     && !connectionString_.contains(QLatin1String("DRIVER="), Qt::CaseInsensitive)
                     && !connectionString_.contains(QLatin1String("SERVER="), Qt::CaseInsensitive);
    db.setDatabaseName(dsn ? connectionString_.mid(4) : connectionString_);
    if (!db.open())
        throw DbError(errorText(db.lastError()));
    broken_ = false;
    inTransaction_ = false;
    ledger_ = {};
    xid_.clear();
    prepared_.clear();
    unpreparable_.clear();
    preparedCount_ = 0;
    setUpSession();
}

void Connection::close()
{
    QSqlDatabase db = database();
    if (db.isOpen())
        db.close();
}

bool Connection::isOpen() const { return database().isOpen() && !broken_; }

void Connection::setUpSession()
{
    if (session_ == Session::Foreign)
        return;
    for (const char* s : kSessionSetup)
        execute(QString::fromLatin1(s));
}

void Connection::ensureOpen()
{
    if (!database().isOpen() || broken_)
        open();
}

// After a failed statement: is the server still there? If not, reopen before the next one.
void Connection::checkAlive()
{
    QSqlQuery ping(database());
    if (!ping.exec(QStringLiteral("select 1")))
        broken_ = true;
}

bool Connection::sessionLost()
{
    const QVariant handle = database().driver() ? database().driver()->handle() : QVariant();
    if (!handle.isValid() || !*static_cast<void* const*>(handle.constData()))
        return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN r = SQLGetConnectAttr(*static_cast<void* const*>(handle.constData()), SQL_ATTR_CONNECTION_DEAD, &dead,
                                          sizeof dead, nullptr);
    return SQL_SUCCEEDED(r) && dead == SQL_CD_TRUE;
}

void Connection::failed(const QString& message, const QString& statement)
{
    if (inTransaction_) {
        // Inside a transaction a ping would only fail on the aborted transaction; ask the
        // driver instead. A lost session takes its transaction with it: nothing was written.
        if (sessionLost()) {
            broken_ = true;
            throw DbError(withNote(message, kLostUnsaved), statement);
        }
        throw DbError(message, statement);
    }
    checkAlive();
    throw DbError(broken_ ? withNote(message, kLost) : message, statement);
}

void Connection::exec(QSqlQuery& query, const QString& statement)
{
    if (!inTransaction_)
        ensureOpen();
    if (!query.exec(statement)) {
        const QString message = errorText(query.lastError());
        query.finish();
        failed(message, statement);
    }
}

void* Connection::odbcHandle(const QString& statement)
{
    if (!inTransaction_)
        ensureOpen();
    const QVariant handle = database().driver()->handle();
    // The ODBC connection handle, announced as SQLHANDLE or as void* depending on the Qt build.
    if (!handle.isValid() || (qstrcmp(handle.typeName(), "SQLHANDLE") != 0 && qstrcmp(handle.typeName(), "void*") != 0)
        || !*static_cast<void* const*>(handle.constData()))
        throw DbError(QStringLiteral("нет соединения с базой данных"), statement);
    return *static_cast<void* const*>(handle.constData());
}

OdbcReader::Result Connection::select(const QString& statement) { return read(statement, Shape::Rows); }

OdbcReader::Result Connection::select(const QString& statement, const QHash<QString, QVariant>& params)
{
    return read(statement, params, Shape::Rows);
}

OdbcReader::Result Connection::selectTable(const QString& statement, const QHash<QString, QVariant>& params, Table* room)
{
    return read(statement, params, Shape::Table, room);
}

OdbcReader::Result Connection::read(const QString& statement, Shape shape, Table* room)
{
    void* dbc = odbcHandle(statement);
    try {
        return shape == Shape::Table ? OdbcReader::readTable(dbc, statement, room) : OdbcReader::readAll(dbc, statement);
    } catch (const DbError& e) {
        failed(e.message(), e.statement());
    }
}

void Connection::selectBlocks(const QString& statement, const std::function<void(const OdbcReader::Result& block)>& onBlock)
{
    void* dbc = odbcHandle(statement);
    try {
        OdbcReader::readBlocks(dbc, statement, onBlock);
    } catch (const DbError& e) {
        failed(e.message(), e.statement());
    }
}

OdbcReader::Result Connection::read(const QString& statement, const QHash<QString, QVariant>& params, Shape shape,
                                    Table* room)
{
    QStringList names;
    const QString body = SqlText::placeholders(statement, params, names);
    if (names.isEmpty() || inTransaction_)
        return read(SqlText::bind(statement, params), shape, room);
    ensureOpen();
    QStringList values;
    for (const QString& n : names)
        values << SqlText::literal(params.value(n));
    for (int attempt = 0;; ++attempt) {
        if (unpreparable_.contains(body))
            return read(SqlText::bind(statement, params), shape, room);
        const QString name = preparedName(body);
        if (name.isEmpty())
            return read(SqlText::bind(statement, params), shape, room);
        try {
            return read(QStringLiteral("EXECUTE %1(%2)").arg(name, values.join(QStringLiteral(", "))), shape, room);
        } catch (const DbError&) {
            // A plan prepared before a table changed ("cached plan must not change result
            // type") fails at every run: drop it and prepare the text anew, once.
            prepared_.remove(body);
            if (attempt > 0 || broken_)
                throw;
            execute(QStringLiteral("DEALLOCATE ") + name);
        }
    }
}

QString Connection::preparedName(const QString& body)
{
    auto it = prepared_.constFind(body);
    if (it != prepared_.constEnd())
        return *it;
    const QString name = QStringLiteral("pw_q%1").arg(++preparedCount_);
    QString text = body.trimmed();
    if (text.endsWith(QLatin1Char(';')))
        text.chop(1);
    try {
        execute(QStringLiteral("PREPARE %1 AS %2").arg(name, text));
    } catch (const DbError&) {
        // Parameters whose type the server cannot tell, and the like: run it plainly.
        unpreparable_.insert(body);
        return {};
    }
    prepared_.insert(body, name);
    return name;
}

void Connection::execute(const QString& statement) { executeCount(statement); }

int Connection::executeCount(const QString& statement)
{
    QSqlQuery q(database());
    q.setForwardOnly(true);
    exec(q, statement);
    const int rows = q.numRowsAffected();
    q.finish();
    return rows;
}

void Connection::begin()
{
    ensureOpen();
    if (!database().transaction())
        throw DbError(errorText(database().lastError()));
    inTransaction_ = true;
    ledger_ = {};
    xid_.clear();
}

void Connection::commit()
{
    // The transaction's number, to learn its fate should the answer to COMMIT never come
    // (empty when it wrote nothing). Another database is taken as it is.
    if (session_ == Session::Workshop && !broken_) {
        try {
            xid_ = select(QStringLiteral("select txid_current_if_assigned()")).rows.value(0).value(0).toString();
        } catch (const DbError&) {
            inTransaction_ = false;
            ledger_ = {};
            rollbackQuietly();
            throw;
        }
    }
    inTransaction_ = false;
    ledger_ = {};
    // A session lost before the commit took its transaction with it.
    if (broken_)
        throw DbError(QString::fromUtf8(kLostUnsaved));
    if (database().commit())
        return;
    const QString message = errorText(database().lastError());
    if (session_ == Session::Workshop && sessionLost()) {
        broken_ = true;
        settleLostCommit(message);
        return;
    }
    // The server has ended the transaction, but the driver would stay out of
    // autocommit: every later statement would open a transaction nobody commits.
    rollbackQuietly();
    throw DbError(message);
}

// The answer to COMMIT was lost with the session: a new session asks the server what
// became of the transaction, so that the user is told the truth and a saved change is
// never saved twice.
void Connection::settleLostCommit(const QString& message)
{
    const QString xid = xid_;
    xid_.clear();
    if (xid.isEmpty())
        return; // nothing was written
    QString status;
    try {
        open();
        status = select(QStringLiteral("select txid_status(%1)").arg(xid)).rows.value(0).value(0).toString();
    } catch (const DbError&) {
        broken_ = true;
    }
    if (status == QLatin1String("committed"))
        return;
    throw DbError(withNote(message, status == QLatin1String("aborted") ? kLostUnsaved : kLostUnknown));
}

void Connection::rollbackQuietly()
{
    if (!database().rollback())
        broken_ = true;
    else
        checkAlive();
}

void Connection::rollback()
{
    inTransaction_ = false;
    ledger_ = {};
    xid_.clear();
    if (!database().rollback())
        checkAlive();
}
