#pragma once
#include <QString>
#include <stdexcept>

// The one error the data layer raises: carries the database's own message, the statement
// that failed and the server's five-character SQLSTATE when there is one. Windows never
// catch it; the application shows it centrally.
class DbError : public std::runtime_error {
public:
    DbError(const QString& message, const QString& statement = {}, const QString& state = {})
        : std::runtime_error(message.toStdString()), message_(message), statement_(statement), state_(state) {}
    const QString& message() const { return message_; }
    const QString& statement() const { return statement_; }
    const QString& state() const { return state_; }

private:
    QString message_;
    QString statement_;
    QString state_;
};

// A wait the user (or the owner of a reading) gave up, or a long operation cancelled:
// the server ends what was begun, and nothing of it stays.
class Cancelled : public DbError {
public:
    explicit Cancelled(const QString& message) : DbError(message, {}, QStringLiteral("57014")) {}
};
