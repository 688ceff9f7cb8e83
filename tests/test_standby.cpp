// A primary with a streaming standby, on clusters of this program's own: the program finds
// the writable one in a list of servers whatever its order, and after a failover (the
// primary stopped, the standby promoted) the save cut short says so and the next one lands
// on the new primary.
#include "Gate.h"
#include "StandbyPair.h"
#include "TDataModule6.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "rules/Shell.h"
#include <QLineEdit>
#include <QTest>
#include <thread>

namespace {
const QString kUnsaved = QStringLiteral("изменения не сохранены");

int scalar(Connection& c, const QString& sql) { return c.select(sql).rows.value(0).value(0).toInt(); }

// Worker 3 on the main window's day (1 April) and shift 1, 7 hours, in the dialog.
void fillRecord(TestApp& t, QDialog* d)
{
    t.find<QLineEdit>("TForm11", "Edit1")->setText("Васильев В.В.");
    d->setProperty("worker_id", 3);
    t.dm().Oper->open();
    QVERIFY(t.dm().Oper->locate("id", 200));
    QVERIFY(t.invoke("TForm11", "takeOperation"));
    t.find<QLineEdit>("TForm11", "Edit3")->setText("1");
    t.find<QLineEdit>("TForm11", "Edit6")->setText("7");
}
} // namespace

class TestStandby : public QObject {
    Q_OBJECT
    std::unique_ptr<StandbyPair> pair;

private slots:
    void initTestCase() { pair = std::make_unique<StandbyPair>(); }
    void cleanupTestCase() { pair.reset(); }

    void connectsToTheWritableServerOfAList_data()
    {
        QTest::addColumn<bool>("standbyFirst");
        QTest::newRow("primary first") << false;
        QTest::newRow("standby first") << true;
    }
    void connectsToTheWritableServerOfAList()
    {
        QFETCH(bool, standbyFirst);
        const QString list = standbyFirst ? pair->standby() + QStringLiteral(", ") + pair->primary()
                                          : pair->primary() + QStringLiteral(",") + pair->standby();
        // The template is on both from the start: the standby would take the client too.
        Connection c;
        c.setConnectionString(Shell::connectionString(QStringLiteral("pw_template"), list));
        c.open();
        QCOMPARE(scalar(c, QStringLiteral("select pg_is_in_recovery()::int")), 0);
        QCOMPARE(scalar(c, QStringLiteral("select count(*) from pg_stat_replication")), 1);
    }

    // Last: the pair does not survive it.
    void aFailoverDuringASave()
    {
        TestApp t(QStringLiteral("pw_template"), pair->primary() + QStringLiteral(", ") + pair->standby());
        t.login();
        // The save stops after its journal insert; meanwhile the primary stops and the
        // standby takes over.
        Gate::install(*t.check, {"accounts_dep.smena"}, false, "insert");
        Gate::close(*t.check);
        pair->catchUp();
        int stopped = 0;
        std::thread failover([&] {
            auto look = TestDb::connect(t.database, "failover");
            stopped = Gate::waiter(*look);
            look.reset();
            pair->stopPrimary();
            pair->promote();
        });
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fillRecord(t, d);
            t.seam.expectDbError();
            click(t, "TForm11", "Button1");
            failover.join();
            QVERIFY(stopped != 0);
            QVERIFY(d->isVisible());
            QVERIFY2(t.seam.last()->text.contains(kUnsaved), qPrintable(t.seam.last()->text));
            // The next press finds the new primary and saves there, once.
            t.seam.clearShown();
            click(t, "TForm11", "Button1");
            QVERIFY(!d->isVisible());
        });
        click(t, "TForm1", "Button1");
        if (failover.joinable())
            failover.join();
        QVERIFY(t.seam.shown.isEmpty());
        auto now = StandbyPair::connect(pair->standby(), t.database, QStringLiteral("new_primary"));
        QCOMPARE(scalar(*now, QStringLiteral("select pg_is_in_recovery()::int")), 0);
        QCOMPARE(scalar(*now, QStringLiteral("select count(*) from accounts_dep.smena where w_id=3 and smena=1 and data='2025-04-01'")), 1);
        QCOMPARE(scalar(*now, QStringLiteral("select d1 from accounts_dep.h_tabel where w_id=3 and smena=1 and month=4")), 7);
        t.check.reset();
    }
};

PW_TEST_MAIN(TestStandby)
#include "test_standby.moc"
