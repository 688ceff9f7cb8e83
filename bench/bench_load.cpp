// Many foremen at once: a driver that starts clients in processes of their own, each with
// its own connection, calling the rules functions the windows call, on a copy of the given
// database, with seeded random data:
//   8 foremen × 1,000 saves, changes (moves included) and deletions of journal records of
//   one month, on a few workers and days; 2 clerks with household works; a planner
//   rebuilding the month every few seconds; an accountant repricing it; one product and one
//   operation deleted in the middle; a closer closing and reopening the month all along
//   (the database has the closed months and the history that "Структура БД" makes).
// At the end the five invariants are checked by statements of the harness's own; saves per
// second and the median and 99th percentile of a save under load are printed beside the
// same saves made alone. Exit code 1 when an invariant does not hold.
//   bench_load DATABASE SOCKET_DIR [--small]
// --small: 4 × 50, the test's version, in the test cluster, where the databases are the
// site administrator's to copy and the clients work with the everyday rights alone.
#include "Connection.h"
#include "DbError.h"
#include "ServerCall.h"
#include "load/LoadChecks.h"
#include "load/LoadClient.h"
#include "load/LoadProcess.h"
#include "SchemaUpgrade.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include "TestDb.h"
#include "rules/Shell.h"
#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QMap>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <memory>

namespace {
struct Size {
    int foremen, foremanActions, clerks, clerkActions, planPauseMs, repricePauseMs, alone;
};
const Size kFull{8, 1000, 2, 500, 3000, 2000, 300};
const Size kSmall{4, 50, 2, 25, 300, 300, 30};

using Client = Load::Process;
using Load::percentile;

class Driver {
public:
    Driver(const QString& database, const QString& socketDir, const Size& size, bool site)
        : base_(database), socketDir_(socketDir), size_(size), site_(site),
          scratch_(QStringLiteral("pw_load_%1").arg(QCoreApplication::applicationPid())),
          stopFile_(QDir::temp().filePath(QStringLiteral("pw_load_stop_%1").arg(QCoreApplication::applicationPid())))
    {
    }
    int run();

private:
    std::unique_ptr<Connection> connect(const QString& database, const QString& name);
    // Copies and drops the scratch database: the client's role, or the site's administrator.
    std::unique_ptr<Connection> admin(const QString& name);
    void copyDatabase();
    Client& start(Load::Role role, int actions, quint32 seed, bool savesOnly = false);
    int report(double seconds, qint64 deadlocksBefore);

    QString base_, socketDir_;
    Size size_;
    bool site_;
    QString scratch_, stopFile_;
    int month_ = 0, year_ = 0;
    std::vector<std::unique_ptr<Client>> clients_;
    std::unique_ptr<Connection> db_;
};

std::unique_ptr<Connection> Driver::connect(const QString& database, const QString& name)
{
    auto c = std::make_unique<Connection>(name);
    c->setConnectionString(Shell::connectionString(database, socketDir_));
    c->open();
    return c;
}

std::unique_ptr<Connection> Driver::admin(const QString& name)
{
    return site_ ? TestDb::connect(QStringLiteral("postgres"), name, TestDb::Role::Site) : connect(QStringLiteral("postgres"), name);
}

void Driver::copyDatabase()
{
    auto admin = this->admin(QStringLiteral("load_admin"));
    admin->execute(QStringLiteral("drop database if exists %1").arg(scratch_));
    // A template can be copied only while nobody is connected to it.
    for (int i = 0;; ++i) {
        try {
            admin->execute(QStringLiteral("create database %1 template %2").arg(scratch_, base_));
            return;
        } catch (const DbError&) {
            if (i == 60)
                throw;
            QThread::sleep(1);
        }
    }
}

Client& Driver::start(Load::Role role, int actions, quint32 seed, bool savesOnly)
{
    Load::ClientArgs a;
    a.role = role;
    a.database = scratch_;
    a.socketDir = socketDir_;
    a.month = month_;
    a.year = year_;
    a.actions = actions;
    a.seed = seed;
    a.pauseMs = role == Load::Role::Planner ? size_.planPauseMs : size_.repricePauseMs;
    a.stopFile = stopFile_;
    a.savesOnly = savesOnly;
    clients_.push_back(Load::start(a));
    return *clients_.back();
}

int Driver::run()
{
    QFile::remove(stopFile_);
    copyDatabase();
    db_ = connect(scratch_, QStringLiteral("load_driver"));
    const auto last = db_->select(QStringLiteral("select extract(month from max(data))::int, extract(year from max(data))::int "
                                                 "from accounts_dep.smena")).rows.value(0);
    month_ = last.value(0).toInt();
    year_ = last.value(1).toInt();
    Load::makePool(*db_, 7);
    // Closed months and the history, as "Структура БД" makes them (by the owner of the tables).
    {
        auto owner = site_ ? TestDb::connect(scratch_, QStringLiteral("load_owner"), TestDb::Role::Site)
                           : connect(scratch_, QStringLiteral("load_owner"));
        const SchemaUpgrade::Outcome up = SchemaUpgrade::run(*owner);
        if (!up.forbidden.isEmpty() || !up.busy.isEmpty())
            throw DbError(SchemaUpgrade::rightsMessage(up));
    }
    // The month's timesheet as its journal makes it: the closer may refuse every rebuild of
    // the planner, and the cells are checked against the journal at the end.
    ShiftTimesheet::rebuild(*db_, month_, year_);
    std::printf("month %d.%d of %s; %d foremen × %d, %d clerks × %d, a planner, an accountant, a deleter\n", month_, year_,
                qPrintable(base_), size_.foremen, size_.foremanActions, size_.clerks, size_.clerkActions);

    // The same saves alone first.
    Client& alone = start(Load::Role::Foreman, size_.alone, 999, true);
    Load::waitFor([&] { return alone.finished; });
    const QVector<double> aloneSaves = alone.saves;
    clients_.clear();

    const qint64 deadlocksBefore = Load::deadlocks(*db_);
    QElapsedTimer clock;
    clock.start();
    start(Load::Role::Planner, 0, 0);
    start(Load::Role::Accountant, 0, 0);
    start(Load::Role::Closer, 0, 0);
    for (int i = 0; i < size_.foremen; ++i)
        start(Load::Role::Foreman, size_.foremanActions, 1 + i);
    for (int i = 0; i < size_.clerks; ++i)
        start(Load::Role::Clerk, size_.clerkActions, 101 + i);
    const auto workers = [this](const std::function<bool(const Client&)>& test) {
        return std::all_of(clients_.begin(), clients_.end(), [&](const auto& c) {
            return (c->role != Load::Role::Foreman && c->role != Load::Role::Clerk) || test(*c);
        });
    };
    bool deleterStarted = false;
    Load::waitFor([&] { return workers([](const Client& c) { return c.finished; }); },
            [&] {
                int done = 0;
                for (const auto& c : clients_)
                    done += c->role == Load::Role::Foreman ? c->progress : 0;
                if (!deleterStarted && done >= size_.foremen * size_.foremanActions / 2) {
                    deleterStarted = true;
                    start(Load::Role::Deleter, 0, 0);
                }
            });
    const double seconds = clock.elapsed() / 1000.0;
    QFile(stopFile_).open(QIODevice::WriteOnly);
    Load::waitFor([&] { return std::all_of(clients_.begin(), clients_.end(), [](const auto& c) { return c->finished; }); });
    QFile::remove(stopFile_);

    QVector<double> loaded;
    for (const auto& c : clients_)
        loaded += c->role == Load::Role::Foreman ? c->saves : QVector<double>();
    std::printf("saves under load: %lld in %.1f s, %.1f saves/s\n", qlonglong(loaded.size()), seconds, loaded.size() / seconds);
    std::printf("save alone:  median %.2f ms, p99 %.2f ms (%lld saves)\n", percentile(aloneSaves, 0.5),
                percentile(aloneSaves, 0.99), qlonglong(aloneSaves.size()));
    std::printf("under load:  median %.2f ms, p99 %.2f ms; p99 under load / median alone %.1f×, / p99 alone %.1f×\n",
                percentile(loaded, 0.5), percentile(loaded, 0.99), percentile(loaded, 0.99) / percentile(aloneSaves, 0.5),
                percentile(loaded, 0.99) / percentile(aloneSaves, 0.99));
    const int rc = report(seconds, deadlocksBefore);
    db_.reset();
    admin(QStringLiteral("load_drop"))->execute(QStringLiteral("drop database %1").arg(scratch_));
    return rc;
}

int Driver::report(double, qint64 deadlocksBefore)
{
    QMap<QString, int> outcomes;
    QStringList errors;
    for (const auto& c : clients_) {
        for (auto it = c->outcomes.cbegin(); it != c->outcomes.cend(); ++it)
            outcomes[it.key()] += it.value();
        for (const QString& e : c->errors)
            errors << Load::nameOf(c->role) + QStringLiteral(": ") + e;
    }
    std::printf("outcomes:");
    for (auto it = outcomes.cbegin(); it != outcomes.cend(); ++it)
        std::printf(" %s %d;", qPrintable(it.key()), it.value());
    std::printf("\n");
    // The server counts its deadlocks a moment after they happen.
    QThread::msleep(1500);
    const qint64 deadlocks = Load::deadlocks(*db_) - deadlocksBefore;
    const struct {
        const char* name;
        QStringList violations;
    } checks[] = {
        {"1. every cell of the month equals its sum", Load::cellsOutOfStep(*db_, month_, year_)},
        {"2. no duplicate record", Load::duplicates(*db_, month_, year_)},
        {"3. no row points at a deleted worker, operation or product", Load::orphans(*db_)},
        {"4. only the program's own refusals, no deadlock",
         errors + (deadlocks ? QStringList{QStringLiteral("deadlocks: %1").arg(deadlocks)} : QStringList{})},
        {"5. no journal or household change while the month was closed", Load::changesWhileClosed(*db_)},
    };
    int failed = 0;
    for (const auto& c : checks) {
        std::printf("%s: %s\n", c.name, c.violations.isEmpty() ? "holds" : "VIOLATED");
        for (int i = 0; i < std::min<qsizetype>(10, c.violations.size()); ++i)
            std::printf("    %s\n", qPrintable(c.violations[i]));
        if (c.violations.size() > 10)
            std::printf("    … %lld in all\n", qlonglong(c.violations.size()));
        failed += !c.violations.isEmpty();
    }
    std::fflush(stdout);
    return failed ? 1 : 0;
}
} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (int rc; Load::clientMode(args, rc))
        return rc;
    if (args.size() < 3) {
        std::fprintf(stderr, "usage: %s DATABASE SOCKET_DIR [--small]\n", argv[0]);
        return 2;
    }
    int rc = 1;
    try {
        const bool small = args.contains(QStringLiteral("--small"));
        rc = Driver(args[1], args[2], small ? kSmall : kFull, small).run();
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
    }
    ServerCall::drain(std::chrono::seconds(30));
    return rc;
}
