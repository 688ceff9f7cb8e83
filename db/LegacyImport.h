#pragma once
#include <QString>
#include <QVector>
#include <functional>
#include <memory>

class Connection;
class ServerWaiter;

// The one-off copy of the legacy journal database (ODBC data source "Tabel") into the
// tables of accounts_dep in their legacy layout (data source "Tabel_PgSQL"), replacing
// the rows with positive ids. All or nothing: one transaction on the target.
namespace LegacyImport {

// The connections of the command: the legacy source with its password, the target as "sys".
extern const char* const MSA;
extern const char* const PGSQL;
// The two connections opened, each under its own name; their long waits go to waiter.
struct Connections {
    std::unique_ptr<Connection> source; // MSA
    std::unique_ptr<Connection> target; // PGSQL
};
Connections open(ServerWaiter* waiter = nullptr);

enum class As { Integer, Float, Text };
struct Column {
    const char* name;
    As as;
};
struct Step {
    const char* source; // legacy table, as the progress text names it
    const char* target;
    bool sorted;        // the source read in id order
    QVector<Column> columns;
};
// The seven copies in their order.
const QVector<Step>& steps();

struct Copied {
    QString source;
    QString target;
    qint64 rows = 0;
};
struct Outcome {
    // Refused: the target is not in the legacy layout; nothing was deleted or written.
    enum Status { Done, Refused } status = Done;
    QString refusal;
    QVector<Copied> copied;
};

// After every few hundred rows: the source table, rows copied, rows in all.
using Progress = std::function<void(const QString& source, qint64 done, qint64 total)>;

// "H_TABEL: 15 из 240 записей"
QString progressText(const QString& source, qint64 done, qint64 total);
// What the end message says: the import finished and what each table received.
QString summary(const Outcome& outcome);

// Copies every step; a database error (a missing source table, a value that does not fit)
// rolls every target table back and is thrown as DbError.
Outcome run(Connection& source, Connection& target, const Progress& progress = {});

} // namespace LegacyImport
