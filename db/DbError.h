#pragma once
#include <QString>
#include <stdexcept>

// The one error the data layer raises: carries the database's own message and the
// statement that failed. Windows never catch it; the application shows it centrally.
class DbError : public std::runtime_error {
public:
    DbError(const QString& message, const QString& statement = {})
        : std::runtime_error(message.toStdString()), message_(message), statement_(statement) {}
    const QString& message() const { return message_; }
    const QString& statement() const { return statement_; }

private:
    QString message_;
    QString statement_;
};
