#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVector>

class Connection;

// One client of the load harness, in a process of its own with its own connection, calling
// the same rules functions the windows' handlers call. What it did goes to standard output
// as lines the driver reads:
//   PROGRESS n            after every tenth action
//   SAVE ms               the time of each journal save (new record or change)
//   OUTCOME name count    how the actions ended (Saved, Duplicate, Gone, Missing, InUse …)
//   ERROR text            any database error (none is expected)
namespace Load {

enum class Role { Foreman, Clerk, Planner, Accountant, Deleter, Closer };
Role roleOf(const QString& name);
QString nameOf(Role role);

struct ClientArgs {
    Role role = Role::Foreman;
    QString database;
    QString socketDir;
    int month = 0, year = 0;
    int actions = 0;     // foremen and clerks: how many
    quint32 seed = 0;
    int pauseMs = 0;     // planner, accountant, closer: between two runs
    QString stopFile;    // planner, accountant, closer: run until it exists
    bool savesOnly = false; // the lone foreman: new records and changes only
};
QStringList argsOf(const ClientArgs& a);
ClientArgs parseArgs(const QStringList& args);

// The harness's own workers, products and operations, as the setup made them.
struct Pool {
    QVector<qint64> workers;
    struct Operation {
        qint64 id, product;
        bool painting;
    };
    QVector<Operation> operations;
    QVector<qint64> products;
    qint64 group = 0;
};
Pool readPool(Connection& c);
// Adds the pool to the database: 12 workers, 6 products of 4 operations each (two of them
// painting), each operation with a norm price.
void makePool(Connection& c, quint32 seed);

// Runs the client; the process's exit code.
int runClient(const ClientArgs& a);

} // namespace Load
