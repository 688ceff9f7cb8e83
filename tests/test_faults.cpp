// Faults on the way to the server, on a cluster of this program's own: the server
// restarted between the statements of a save, the answer to COMMIT lost before or after
// the server committed, the server stopped and started while a window is open (in the
// scripted seam, and in the real event loop with the real boxes, as the user sees it),
// and a client killed in the middle of a save, a rebuild and an import.
#include "App.h"
#include "CuttingProxy.h"
#include "DbError.h"
#include "Gate.h"
#include "LegacySource.h"
#include "OwnCluster.h"
#include "Program.h"
#include "Records.h"
#include "ServerBounds.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm23.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "journal/rules/JournalRecords.h"
#include "refbooks/rules/RefBookWrites.h"
#include "rules/Shell.h"
#include <QApplication>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QScopeGuard>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <thread>

Q_DECLARE_METATYPE(CuttingProxy::Cut)

namespace {
const QString kUnsaved = QStringLiteral("изменения не сохранены");
const QString kLost = QStringLiteral("Связь с сервером базы данных прервалась");

// Everything a client writes, as one text: equal texts, equal contents.
QString contents(Connection& c)
{
    QStringList parts;
    for (const char* table : {"accounts_dep.smena", "accounts_dep.h_tabel", "accounts_dep.fatigue", "accounts_dep.oper",
                              "accounts_dep.vid_oper", "accounts_dep.workers", "accounts_dep.nomenkl", "accounts_dep.izdel"})
        parts << c.select(QStringLiteral("select md5(coalesce(string_agg(t::text, '|' order by t::text), '')) from %1 t")
                              .arg(QString::fromLatin1(table)))
                     .rows.value(0)
                     .value(0)
                     .toString();
    return parts.join(QLatin1Char(','));
}

// The production seam with the tests' day, on which the fixture has its records.
class FixedDaySeam : public DesktopSeam {
public:
    FixedDaySeam() : DesktopSeam({20250401, 36000}) {}
    QDate today() override { return QDate(2025, 4, 1); }
};

QMessageBox* shownBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}
} // namespace

class TestFaults : public QObject {
    Q_OBJECT
    std::unique_ptr<OwnCluster> cluster;

private slots:
    void initTestCase()
    {
        cluster = std::make_unique<OwnCluster>();
        LegacySource::configure(TestDb::server());
    }
    void cleanupTestCase()
    {
        LegacySource::dropTarget();
        cluster.reset();
    }

    void serverRestartedBetweenTheStatementsOfASave()
    {
        TestApp t;
        t.login();
        // The save stops after its journal insert; meanwhile the server goes down and up.
        Gate::install(*t.check, {"accounts_dep.smena"}, false, "insert");
        Gate::close(*t.check);
        saveInterruptedThenAgain(t, [&] {
            cluster->stop();
            cluster->start();
        });
        t.check = TestDb::connect(t.database, "check_after_restart");
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where w_id=3 and smena=1 and data='2025-04-01'").toInt(), 1);
        QCOMPARE(t.scalar("select d1 from accounts_dep.h_tabel where w_id=3 and smena=1 and month=4").toInt(), 7);
        QVERIFY(t.dm().Smena1->locate("w_id", 3));
    }

    // A COMMIT waiting for a synchronous standby that does not answer: the server's
    // administrator cancels the wait (the server has committed, and warns), or the user gives
    // up at the prompt (the session is ended on the server after it committed). Either way
    // the save counts as made, once, and nothing says otherwise.
    void commitWaitingForAStandbyCountsAsSaved_data()
    {
        QTest::addColumn<bool>("userGivesUp");
        QTest::newRow("the wait cancelled on the server") << false;
        QTest::newRow("the user gives up at the prompt") << true;
    }
    void commitWaitingForAStandbyCountsAsSaved()
    {
        QFETCH(bool, userGivesUp);
        const ServerBounds before = ServerBounds::current();
        ServerBounds b = before;
        b.noticeMs = 300;
        ServerBounds::setCurrent(b);
        TestApp t;
        t.login();
        // As the server's superuser.
        const auto super = [&](const QString& sql) {
            QProcess p;
            p.start(QStringLiteral(PW_SOURCE_DIR "/scripts/pgcluster.sh"), {"super", cluster->dir(), "postgres", "-c", sql});
            return p.waitForFinished(30000) && p.exitCode() == 0;
        };
        QVERIFY(super("alter system set synchronous_standby_names = 'nobody'"));
        QVERIFY(super("select pg_reload_conf()"));
        const auto back = qScopeGuard([&] {
            super("alter system reset synchronous_standby_names");
            super("select pg_reload_conf()");
            ServerBounds::setCurrent(before);
        });
        t.exec(QStringLiteral("alter database %1 set synchronous_commit = on").arg(t.database));
        t.dm().ADO_DB.close(); // the next session commits synchronously
        t.seam.onServerWait([&](const Waiting& w) {
            if (w.kind != Waiting::Kind::Commit)
                return false;
            if (!userGivesUp)
                super("select pg_cancel_backend(pid) from pg_stat_activity where wait_event = 'SyncRep'");
            return userGivesUp;
        });
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fillRecord(t, d);
            click(t, "TForm11", "Button1");
            QVERIFY(!d->isVisible());
        });
        click(t, "TForm1", "Button1");
        QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
        QCOMPARE(t.seam.waits.size(), 1);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where w_id=3 and smena=1 and data='2025-04-01'").toInt(), 1);
    }

    void answerToCommitLost_data()
    {
        QTest::addColumn<CuttingProxy::Cut>("cut");
        QTest::addColumn<bool>("saved");
        QTest::newRow("commit never reached the server") << CuttingProxy::Cut::BeforeCommit << false;
        QTest::newRow("the server committed, its answer was lost") << CuttingProxy::Cut::AfterCommitAnswered << true;
    }
    void answerToCommitLost()
    {
        QFETCH(CuttingProxy::Cut, cut);
        QFETCH(bool, saved);
        TestApp t;
        CuttingProxy proxy(TestDb::server(), cut);
        Connection c(QStringLiteral("through_proxy"));
        c.setConnectionString(Shell::connectionString(t.database, proxy.server()));
        c.open();
        QString error;
        JournalRecords::Outcome outcome = JournalRecords::Outcome::Gone;
        try {
            outcome = JournalRecords::save(c, journalRecord(3));
        } catch (const DbError& e) {
            error = e.message();
        }
        QVERIFY(proxy.cut());
        const QString count = "select count(*) from accounts_dep.smena where w_id=3 and data='2025-05-06'";
        if (saved) {
            // Told saved, as it is.
            QVERIFY2(error.isEmpty(), qPrintable(error));
            QCOMPARE(outcome, JournalRecords::Outcome::Saved);
        } else {
            QVERIFY2(error.contains(kUnsaved), qPrintable(error));
        }
        QCOMPARE(t.scalar(count).toInt(), saved ? 1 : 0);
        // Pressing again connects anew and never makes a second record.
        QCOMPARE(JournalRecords::save(c, journalRecord(3)), saved ? JournalRecords::Outcome::Duplicate : JournalRecords::Outcome::Saved);
        QCOMPARE(t.scalar(count).toInt(), 1);
        QCOMPARE(t.scalar("select d6 from accounts_dep.h_tabel where w_id=3 and smena=1 and month=5").toInt(), 7);
    }

    // A new norm row whose answer was lost is stored once: the user, told it may not be
    // stored, leaves the row again, and no second row changes the operation's norm.
    void answerToANormRowLost_data()
    {
        QTest::addColumn<QByteArray>("marker");
        QTest::addColumn<bool>("unreachable"); // no new session until the user tries again
        QTest::addColumn<bool>("told");        // the first try ends in an error
        QTest::newRow("the insert's answer") << QByteArray("insert into accounts_dep.norm") << false << true;
        QTest::newRow("COMMIT's answer, its fate looked up") << QByteArray("COMMIT") << false << false;
        QTest::newRow("COMMIT's answer, the server out of reach") << QByteArray("COMMIT") << true << true;
    }
    void answerToANormRowLost()
    {
        QFETCH(QByteArray, marker);
        QFETCH(bool, unreachable);
        QFETCH(bool, told);
        TestApp t;
        CuttingProxy proxy(TestDb::server(), CuttingProxy::Cut::AfterCommitAnswered, marker);
        proxy.setUnreachableAfterCut(unreachable);
        Connection c(QStringLiteral("norm_through_proxy"));
        c.setConnectionString(Shell::connectionString(t.database, proxy.server()));
        c.open();
        Query norm(c, QStringLiteral("norm"));
        RefBookWrites::setUpNormRows(norm);
        norm.open();
        norm.append();
        norm.setValue("o_id", 200);
        norm.setValue("norma", "300");
        norm.setValue("price", "7.5");
        QString error;
        try {
            norm.post();
        } catch (const DbError& e) {
            error = e.message();
        }
        QVERIFY(proxy.cut());
        QVERIFY2(error.isEmpty() != told, qPrintable(error));
        // The row stays as typed while its fate is not known.
        QCOMPARE(norm.isAppending(), told);
        QCOMPARE(norm.asString("price"), QStringLiteral("7.5"));
        proxy.setUnreachableAfterCut(false);
        norm.post();
        QVERIFY(!norm.isEditing());
        const QString stored = "select count(*) from accounts_dep.norm where o_id=200 and norma=300 and price=7.5";
        QCOMPARE(t.scalar(stored).toInt(), 1);
        QCOMPARE(norm.asInteger("id"), t.scalar("select id from accounts_dep.norm where norma=300").toLongLong());
    }

    void serverStoppedAndStartedWhileAWindowIsOpen()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm19", [&](QDialog*) {
            cluster->stop();
            t.seam.expectDbError();
            click(t, "TForm19", "Button5");
            QVERIFY2(t.seam.last()->text.contains(kLost), qPrintable(t.seam.last()->text));
            cluster->start();
            t.seam.clearShown();
            click(t, "TForm19", "Button5");
            QVERIFY(t.seam.shown.isEmpty());
            QCOMPARE(t.dm().H_Tabel_1->recordCount(), 1);
        });
        t.app->form<TForm1>()->N13Click();
        t.check = TestDb::connect(t.database, "check_after_stop");
    }

    // The user's way through the real boxes in the real event loop: log in, the server
    // stops, "Обновить", the box closed, the server starts, "Обновить", "Выход". Under the
    // sanitizers the program ends with nothing left behind.
    void boxesOfALostServerInTheRealLoop()
    {
        const QString db = TestDb::create();
        FixedDaySeam seam;
        App app(seam, {db, TestDb::server()}, buildProgram);
        QString boxText;
        int rowsAfter = -1;
        int step = 0;
        const auto button = [&app](const char* name) {
            return app.form<TForm1>()->findChild<QPushButton*>(QString::fromLatin1(name));
        };
        // Each look is a timer of its own: a step that opens a box runs on inside its loop,
        // where the next look must still come.
        QObject driver;
        std::function<void()> look;
        look = [&] {
            QTimer::singleShot(50, &driver, look);
            switch (step) {
            case 0:
                if (!app.form<TForm23>() || !app.form<TForm23>()->isVisible())
                    return;
                ++step;
                QTest::keyClicks(app.form<TForm23>()->findChild<QLineEdit*>(QStringLiteral("Edit1")), QStringLiteral("0842"));
                QTest::keyClick(app.form<TForm23>()->findChild<QLineEdit*>(QStringLiteral("Edit1")), Qt::Key_Return);
                return;
            case 1:
                if (!app.form<TForm1>()->isVisible())
                    return;
                ++step;
                cluster->stop();
                QTest::mouseClick(button("Button8"), Qt::LeftButton);
                return;
            case 2:
                if (QMessageBox* box = shownBox()) {
                    ++step;
                    boxText = box->text();
                    QTest::mouseClick(box->button(QMessageBox::Ok), Qt::LeftButton);
                }
                return;
            case 3:
                if (shownBox())
                    return;
                ++step;
                cluster->start();
                QTest::mouseClick(button("Button8"), Qt::LeftButton);
                rowsAfter = shownBox() ? -2 : app.DataModule6()->Smena1->recordCount();
                QTest::mouseClick(button("Button4"), Qt::LeftButton);
                return;
            }
        };
        QTimer::singleShot(50, &driver, look);
        QTimer::singleShot(60000, &driver, [] { QCoreApplication::exit(99); });
        QCOMPARE(app.exec(), 0);
        QVERIFY2(boxText.contains(kLost), qPrintable(boxText));
        QCOMPARE(rowsAfter, 3);
    }

    void killedClientLeavesTheDatabaseAsItWas_data()
    {
        QTest::addColumn<QString>("action");
        QTest::addColumn<QString>("table"); // where it stops, after its first writes
        QTest::addColumn<QString>("events");
        QTest::newRow("save") << "save" << "accounts_dep.smena" << "insert";
        QTest::newRow("rebuild") << "rebuild" << "accounts_dep.h_tabel" << "delete";
        QTest::newRow("import") << "import" << "accounts_dep.workers" << "insert";
    }
    void killedClientLeavesTheDatabaseAsItWas()
    {
        QFETCH(QString, action);
        QFETCH(QString, table);
        QFETCH(QString, events);
        QString db;
        if (action == QLatin1String("import")) {
            LegacySource::create(LegacySource::sampleRows());
            LegacySource::makeTarget();
            db = LegacySource::places().target;
        } else {
            db = TestDb::create();
        }
        auto look = TestDb::connect(db, "look_" + action, TestDb::Role::Site);
        Gate::install(*look, {table}, false, events);
        const QString before = contents(*look);
        Gate::close(*look);
        QProcess client;
        client.start(QStringLiteral(PW_FAULT_CLIENT), {action, db, TestDb::server()});
        const int pid = Gate::waiter(*look);
        QVERIFY2(pid != 0, client.readAllStandardError().constData());
        client.kill();
        QVERIFY(client.waitForFinished());
        Gate::open(*look);
        QVERIFY(Gate::waitForEnd(*look, pid));
        QCOMPARE(contents(*look), before);
        // The next client works.
        Gate::remove(*look, {table});
        QProcess next;
        next.start(QStringLiteral(PW_FAULT_CLIENT), {action, db, TestDb::server()});
        QVERIFY(next.waitForFinished(60000));
        QVERIFY2(next.exitCode() == 0, next.readAllStandardError().constData());
        QVERIFY(contents(*look) != before);
    }
};

PW_TEST_MAIN(TestFaults)
#include "test_faults.moc"
