#pragma once
#include <QDate>
#include <QString>
#include <QStringList>

// The history of changes as the window "История изменений" lists it.
namespace History {

struct Filter {
    QDate from, to;      // the days the changes were made (both included)
    QString table;       // schema-qualified; empty: every table
    qint64 worker = 0;   // 0: every worker
    QString computer;    // a part of the host name; empty: every computer
    QString key;         // one row of the table (with table set): its whole history, any day
};

// The tables the history keeps, as the filter offers them: name and caption.
struct Table {
    const char* name;
    const char* caption;
};
const QVector<Table>& tables();

// The listing: at_text, role, os_user, host, caption, key, action, old_values, new_values.
QString statement(const Filter& f);

} // namespace History
