// The time from a stopped primary to the first save that succeeds after its standby has been
// promoted, as the program sees it: a client saves every 100 ms through the data layer, with
// the server list of both; one thread stops the primary and promotes the standby at once.
//   bench_failover            (as root; starts and removes a primary and standby of its own)
#include "DbError.h"
#include "StandbyPair.h"
#include "TestDb.h"
#include "rules/Shell.h"
#include <QCoreApplication>
#include <QElapsedTimer>
#include <atomic>
#include <cstdio>
#include <thread>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    StandbyPair pair;
    const QString database = TestDb::create();
    pair.catchUp();
    Connection c;
    c.setConnectionString(Shell::connectionString(database, pair.primary() + QStringLiteral(", ") + pair.standby()));
    c.open();
    QElapsedTimer clock;
    std::atomic<qint64> stopAt{-1}, stoppedAt{-1}, promotedAt{-1};
    std::thread admin([&] {
        std::this_thread::sleep_for(std::chrono::seconds(1));
        stopAt = clock.elapsed();
        pair.stopPrimary();
        stoppedAt = clock.elapsed();
        pair.promote();
        promotedAt = clock.elapsed();
    });
    clock.start();
    qint64 firstAfter = -1;
    int failed = 0;
    for (int n = 0; firstAfter < 0 && clock.elapsed() < 120000; ++n) {
        const qint64 at = clock.elapsed();
        try {
            c.begin();
            c.execute(QStringLiteral("insert into accounts_dep.vid_oper(id, vid) values (%1, 'замер')").arg(1000 + n));
            c.execute(QStringLiteral("update accounts_dep.vid_oper set vid = 'замер.' where id = %1").arg(1000 + n));
            c.commit();
            // A save begun once the primary had stopped.
            if (stoppedAt >= 0 && at >= stoppedAt)
                firstAfter = clock.elapsed();
        } catch (const DbError&) {
            if (c.inTransaction())
                c.rollback();
            ++failed;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    admin.join();
    std::printf("primary stop: %lld ms; promote: %lld ms; first save after the primary stopped: %lld ms "
                "(after the promotion: %lld ms; failed saves meanwhile: %d)\n",
                qint64(stoppedAt - stopAt), qint64(promotedAt - stoppedAt), firstAfter - stoppedAt,
                firstAfter - promotedAt, failed);
    return firstAfter < 0 ? 1 : 0;
}
