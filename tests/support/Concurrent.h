#pragma once
#include "Connection.h"
#include "DbError.h"
#include "TestDb.h"
#include <QStringList>
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
