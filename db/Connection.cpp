#include "Connection.h"
#include "DbError.h"
#include "NumericLocale.h"
#include "OdbcSession.h"
#include "SqlText.h"
#include <QScopeGuard>
#include <thread>

namespace {
// Day-first literals ('01.4.2025') must read as 1 April; JIT only slows the month grids down;
// a backslash inside a literal must stay a backslash whatever the server's default is, or a
// quoted text could end its literal early. The name tells an administrator whose session it is.
const char* const kSessionSetup[][2] = {{"DateStyle", "ISO, DMY"},
                                        {"jit", "off"},
                                        {"standard_conforming_strings", "on"},
                                        {"application_name", "piecework"}};

// What the user reads when the server went away: whether the change was made, and that
// the next action connects again.
const char* const kLost = "Связь с сервером базы данных прервалась. Следующее действие соединится заново.";
const char* const kLostUnsaved =
    "Связь с сервером базы данных прервалась: изменения не сохранены. Следующее действие соединится заново.";
const char* const kLostUnknown =
    "Связь с сервером базы данных прервалась при сохранении, и узнать, сохранены ли изменения, не удалось. "
    "Проверьте список, когда связь восстановится.";
// And when the user gave up waiting.
const char* const kGivenUp = "Ожидание ответа сервера прервано.";
const char* const kGivenUpUnsaved = "Ожидание ответа сервера прервано: изменения не сохранены.";
const char* const kGivenUpConnect = "Ожидание подключения к серверу прервано.";
const char* const kGivenUpUnknown =
    "Ожидание ответа сервера прервано при сохранении, и узнать, сохранены ли изменения, не удалось. "
    "Проверьте список, когда связь восстановится.";
const char* const kBusy = "Предыдущее обращение к серверу ещё не закончено.";
const char* const kNoSession = "нет соединения с базой данных";
// The server's code for a lock not granted within lock_timeout.
const char* const kLockNotAvailable = "55P03";

QString withNote(const QString& message, const char* note)
{
    return message.isEmpty() ? QString::fromUtf8(note) : message + QLatin1Char('\n') + QString::fromUtf8(note);
}

QString text(const char* s) { return QString::fromUtf8(s); }
} // namespace

Connection::Connection(const QString& name, Session session) : name_(name), session_(session) { useCNumericLocale(); }

Connection::~Connection() { close(); }

QString Connection::effectiveString() const
{
    if (session_ == Session::Foreign)
        return connectionString_;
    // The driver passes these to libpq; options given in the string itself come after
    // ours and win.
    const QString ours = ServerBounds::current().libpqOptions();
    QString s = connectionString_;
    const int at = s.indexOf(QLatin1String("pqopt={"), 0, Qt::CaseInsensitive);
    if (at >= 0)
        return s.insert(at + 7, ours + QLatin1Char(' '));
    if (!s.isEmpty() && !s.endsWith(QLatin1Char(';')))
        s += QLatin1Char(';');
    return s + QStringLiteral("pqopt={") + ours + QLatin1Char('}');
}

void Connection::open()
{
    dropSession(broken_);
    auto fresh = std::make_shared<OdbcSession>();
    const QString text = effectiveString();
    call(Waiting::Kind::Connect, {}, [fresh, text](const ServerCall::Deliver&) { fresh->connect(text); });
    odbc_ = std::move(fresh);
    broken_ = false;
    endTransactionState();
    xid_.clear();
    prepared_.clear();
    unpreparable_.clear();
    preparedCount_ = 0;
    setUpSession();
}

void Connection::close() { dropSession(broken_); }

bool Connection::isOpen() const { return odbc_ && !broken_; }

void Connection::dropSession(bool endOnServer)
{
    std::shared_ptr<OdbcSession> old = std::move(odbc_);
    odbc_.reset();
    const qint64 pid = std::exchange(pid_, 0);
    if (!old)
        return;
    if (!endOnServer) {
        old.reset();
        return;
    }
    // A session given up or lost: its server process may still hold a transaction and its
    // locks. Another session ends it, on a thread nobody waits for; the old one is closed
    // there too, since a silent line may hold up its goodbye.
    const QString text = effectiveString();
    const bool workshop = session_ == Session::Workshop;
    ServerCall::detached([old = std::move(old), pid, text, workshop]() mutable {
        if (workshop && pid > 0) {
            try {
                OdbcSession undertaker;
                undertaker.connect(text);
                undertaker.execute(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
            } catch (const DbError&) {
                // The server ends it itself within its bounds (ServerBounds).
            }
        }
        old.reset();
    });
}

void Connection::setUpSession()
{
    if (session_ == Session::Foreign)
        return;
    QStringList calls{QStringLiteral("pg_backend_pid()")};
    const auto set = [&](const QString& name, const QString& value) {
        calls << QStringLiteral("set_config('%1', '%2', false)").arg(name, value);
    };
    for (const auto& s : kSessionSetup)
        set(QString::fromLatin1(s[0]), QString::fromLatin1(s[1]));
    for (const QString& s : ServerBounds::current().sessionSettings())
        set(s.section(QLatin1Char('='), 0, 0), s.section(QLatin1Char('='), 1));
    for (auto it = settings_.constBegin(); it != settings_.constEnd(); ++it)
        calls << QStringLiteral("set_config(%1, %2, false)").arg(SqlText::quote(it.key()), SqlText::quote(it.value()));
    pid_ = select(QStringLiteral("select ") + calls.join(QStringLiteral(", "))).rows.value(0).value(0).toLongLong();
}

void Connection::ensureOpen()
{
    if (!odbc_ || broken_)
        open();
}

void Connection::call(Waiting::Kind kind, const QString& statement, ServerCall::Job job)
{
    if (busy_)
        throw DbError(text(kBusy), statement);
    busy_ = true;
    auto idle = qScopeGuard([this] { busy_ = false; });
    Waiting what;
    what.kind = kind;
    what.statement = statement;
    try {
        ServerCall::run(std::move(job), what, waiter_, &stop_);
    } catch (const ServerCall::GivenUp&) {
        idle.dismiss();
        busy_ = false;
        giveUp(kind);
    }
}

void Connection::giveUp(Waiting::Kind kind)
{
    const bool wrote = inTransaction_;
    const qint64 pid = pid_;
    endTransactionState();
    broken_ = true;
    if (kind == Waiting::Kind::Commit) {
        dropSession(false);
        settleGivenUpCommit(pid);
        return;
    }
    dropSession(true);
    if (stop_)
        throw Cancelled(text(kGivenUp));
    if (waiter_ && !waiter_->givenUpText().isEmpty())
        throw Cancelled(waiter_->givenUpText());
    throw Cancelled(text(kind == Waiting::Kind::Connect ? kGivenUpConnect : wrote ? kGivenUpUnsaved : kGivenUp));
}

void Connection::cancel()
{
    stop_ = true;
    ServerCall::wakeAll();
}

void Connection::setSessionSetting(const QString& name, const QString& value)
{
    settings_.insert(name, value);
    if (odbc_ && !broken_ && !inTransaction_)
        execute(QStringLiteral("select set_config(%1, %2, false)").arg(SqlText::quote(name), SqlText::quote(value)));
}

QString Connection::takeWarning() { return std::exchange(warning_, QString()); }

// After a failed statement: is the server still there? If not, reopen before the next one.
void Connection::checkAlive()
{
    auto session = odbc_;
    if (!session) {
        broken_ = true;
        return;
    }
    try {
        call(Waiting::Kind::Statement, QStringLiteral("select 1"),
             [session](const ServerCall::Deliver&) { session->execute(QStringLiteral("select 1")); });
    } catch (const DbError&) {
        broken_ = true;
    }
}

void Connection::failed(const DbError& e)
{
    QString message = e.message();
    if (e.state() == QLatin1String(kLockNotAvailable))
        message = QStringLiteral("Данные заняты другим пользователем дольше %1 с. Повторите действие позже.")
                      .arg(ServerBounds::current().lockSeconds);
    if (inTransaction_) {
        // Inside a transaction a ping would only fail on the aborted transaction; ask the
        // driver instead. A lost session takes its transaction with it: nothing was written.
        if (!odbc_ || odbc_->lost()) {
            broken_ = true;
            throw DbError(withNote(message, kLostUnsaved), e.statement(), e.state());
        }
        throw DbError(message, e.statement(), e.state());
    }
    if (odbc_ && odbc_->lost())
        broken_ = true;
    else
        checkAlive();
    throw DbError(broken_ ? withNote(message, kLost) : message, e.statement(), e.state());
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
    if (!inTransaction_)
        ensureOpen();
    if (!odbc_)
        throw DbError(text(kNoSession), statement);
    // The call may outlive this frame when its wait is given up: it owns what it touches.
    auto session = odbc_;
    auto out = std::make_shared<OdbcReader::Result>();
    std::shared_ptr<Table> spare = room ? std::make_shared<Table>(std::move(*room)) : nullptr;
    try {
        call(Waiting::Kind::Statement, statement, [session, out, spare, statement, shape](const ServerCall::Deliver&) {
            *out = shape == Shape::Table ? OdbcReader::readTable(session->handle(), statement, spare.get())
                                         : OdbcReader::readAll(session->handle(), statement);
        });
    } catch (const Cancelled&) {
        throw;
    } catch (const DbError& e) {
        failed(e);
    }
    return std::move(*out);
}

void Connection::selectBlocks(const QString& statement, const std::function<void(const OdbcReader::Result& block)>& onBlock)
{
    if (!inTransaction_)
        ensureOpen();
    if (!odbc_)
        throw DbError(text(kNoSession), statement);
    auto session = odbc_;
    try {
        // Each block is handed to this thread and taken here, while the call waits.
        call(Waiting::Kind::Statement, statement, [session, statement, &onBlock](const ServerCall::Deliver& deliver) {
            OdbcReader::readBlocks(session->handle(), statement,
                                   [&](const OdbcReader::Result& block) { deliver([&] { onBlock(block); }); });
        });
    } catch (const Cancelled&) {
        throw;
    } catch (const DbError& e) {
        failed(e);
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
        } catch (const Cancelled&) {
            throw;
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
    } catch (const Cancelled&) {
        throw;
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
    if (!inTransaction_)
        ensureOpen();
    if (!odbc_)
        throw DbError(text(kNoSession), statement);
    auto session = odbc_;
    auto rows = std::make_shared<int>(0);
    try {
        call(Waiting::Kind::Statement, statement,
             [session, rows, statement](const ServerCall::Deliver&) { *rows = session->execute(statement); });
    } catch (const Cancelled&) {
        throw;
    } catch (const DbError& e) {
        failed(e);
    }
    return *rows;
}

void Connection::begin()
{
    ensureOpen();
    // Nothing goes to the server until the first statement.
    odbc_->setAutocommit(false);
    inTransaction_ = true;
    ledger_ = {};
    xid_.clear();
}

void Connection::endTransactionState()
{
    inTransaction_ = false;
    ledger_ = {};
}

void Connection::commit()
{
    // The transaction's number, to learn its fate should the answer to COMMIT never come
    // (empty when it wrote nothing). Another database is taken as it is.
    if (session_ == Session::Workshop && !broken_) {
        try {
            xid_ = select(QStringLiteral("select txid_current_if_assigned()")).rows.value(0).value(0).toString();
        } catch (const Cancelled&) {
            throw;
        } catch (const DbError&) {
            endTransactionState();
            rollbackQuietly();
            throw;
        }
    }
    endTransactionState();
    // A session lost before the commit took its transaction with it.
    if (broken_ || !odbc_)
        throw DbError(text(kLostUnsaved));
    auto session = odbc_;
    try {
        call(Waiting::Kind::Commit, QStringLiteral("COMMIT"),
             [session](const ServerCall::Deliver&) { session->endTransaction(true); });
    } catch (const Cancelled&) {
        throw;
    } catch (const DbError& e) {
        if (session_ == Session::Workshop && session->lost()) {
            broken_ = true;
            settleLostCommit(e.message());
            return;
        }
        // The server has ended the transaction, but the driver would stay out of
        // autocommit: every later statement would open a transaction nobody commits.
        rollbackQuietly();
        throw DbError(e.message(), e.statement(), e.state());
    }
    if (odbc_ != session)
        return; // given up, and found committed on a new session
    warning_ = session->takeWarning();
    session->setAutocommit(true);
}

// The answer to COMMIT was lost with the session: a new session asks the server what
// became of the transaction, so that the user is told the truth and a saved change is
// never saved twice.
void Connection::settleLostCommit(const QString& message)
{
    const QString xid = std::exchange(xid_, QString());
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

// The user gave up waiting for COMMIT: the old session's server process is ended from a new
// session (a COMMIT it never got aborts with it), and the server says what became of it.
void Connection::settleGivenUpCommit(qint64 pid)
{
    const QString xid = std::exchange(xid_, QString());
    if (xid.isEmpty())
        return; // nothing was written
    QString status;
    try {
        open();
        if (pid > 0)
            execute(QStringLiteral("select pg_terminate_backend(%1)").arg(pid));
        for (int look = 0; look < 25; ++look) {
            status = select(QStringLiteral("select txid_status(%1)").arg(xid)).rows.value(0).value(0).toString();
            if (status != QLatin1String("in progress"))
                break;
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
    } catch (const DbError&) {
        broken_ = true;
    }
    if (status == QLatin1String("committed"))
        return;
    throw Cancelled(text(status == QLatin1String("aborted") ? kGivenUpUnsaved : kGivenUpUnknown));
}

void Connection::rollbackQuietly()
{
    if (!odbc_ || broken_)
        return;
    auto session = odbc_;
    try {
        call(Waiting::Kind::Statement, QStringLiteral("ROLLBACK"), [session](const ServerCall::Deliver&) {
            session->endTransaction(false);
            session->setAutocommit(true);
        });
    } catch (const DbError&) {
        broken_ = true;
        return;
    }
    if (odbc_ == session && session->lost())
        broken_ = true;
}

void Connection::rollback()
{
    endTransactionState();
    xid_.clear();
    rollbackQuietly();
}
