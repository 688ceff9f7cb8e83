#pragma once
#include "Connection.h"
#include "DbError.h"
#include "TestDb.h"
#include <QStringList>
#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>
#include <thread>

// Several clients, each on a connection of its own, running one action at the same time.
template <class R> struct ClientsRun {
    QList<R> results;
    QStringList errors; // database errors the clients met
};

template <class R>
ClientsRun<R> runClients(const QString& database, int clients, const std::function<R(Connection&, int client)>& action)
{
    ClientsRun<R> out;
    std::mutex m;
    std::vector<std::thread> threads;
    for (int i = 0; i < clients; ++i)
        threads.emplace_back([&, i] {
            try {
                auto c = TestDb::connect(database, QStringLiteral("client_%1_%2").arg(database).arg(i));
                const R r = action(*c, i);
                std::lock_guard<std::mutex> lock(m);
                out.results << r;
            } catch (const DbError& e) {
                std::lock_guard<std::mutex> lock(m);
                out.errors << e.message();
            }
        });
    for (std::thread& th : threads)
        th.join();
    return out;
}

// A writer on a connection of its own, started while the test holds a lock it needs:
// the test sees it wait for that lock, lets it go on, and looks at where it landed.
template <class R> class BlockedWriter {
public:
    BlockedWriter(const QString& database, std::function<R(Connection&)> action)
    {
        static std::atomic<int> made{0};
        const QString name = QStringLiteral("blocked_%1_%2").arg(database).arg(++made);
        thread_ = std::thread([this, database, action, name] {
            try {
                auto c = TestDb::connect(database, name);
                pid_ = int(c->select(QStringLiteral("select pg_backend_pid()")).rows.value(0).value(0).toLongLong());
                result_ = action(*c);
            } catch (const DbError& e) {
                error_ = e.message();
            }
            done_ = true;
        });
    }
    ~BlockedWriter()
    {
        if (thread_.joinable())
            thread_.join();
    }
    // True once the writer's session waits for a lock another session holds; false when
    // it ended without waiting or did not come to wait within the time.
    bool waitsForALock(Connection& look, int timeoutMs = 20000)
    {
        for (int waited = 0; waited < timeoutMs; waited += 10) {
            if (done_)
                return false;
            if (pid_ != 0
                && !look.select(QStringLiteral("select 1 from pg_locks where not granted and pid=%1").arg(pid_.load()))
                        .rows.isEmpty())
                return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    // Waits for the writer to end; what it returned (a database error is recorded).
    R result()
    {
        thread_.join();
        return result_;
    }
    const QString& error() const { return error_; }

private:
    std::thread thread_;
    std::atomic<int> pid_{0};
    std::atomic<bool> done_{false};
    R result_{};
    QString error_;
};
