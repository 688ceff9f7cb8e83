// A primary with a streaming standby, on clusters of this program's own: the program finds
// the writable one in a list of servers whatever its order.
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
};

PW_TEST_MAIN(TestStandby)
#include "test_standby.moc"
