// Journal records saved and deleted with their day cells as other clients would meet
// them: a record moved to another place, the same record saved by several clients at
// once, a record changed or deleted after another client deleted or moved it, and
// defects that outnumber the pieces.
#include "Concurrent.h"
#include "DbError.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "journal/rules/JournalRecords.h"
#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <thread>

namespace {
const QString kGone = QStringLiteral("Запись уже удалена другим пользователем. Список обновлен.");

int cell(TestApp& t, int worker, int shift, const QDate& day)
{
    return t.scalar(QStringLiteral("select coalesce(d%1, -1) from accounts_dep.h_tabel where w_id=%2 and smena=%3"
                                   " and month=%4 and year=%5")
                        .arg(day.day())
                        .arg(worker)
                        .arg(shift)
                        .arg(day.month())
                        .arg(day.year()))
        .toInt();
}

// Record 1 of the fixture as the dialog would save it: worker 1, shift 1, 1 April, 4 hours.
EntryRules::Record recordOne()
{
    EntryRules::Record r;
    r.worker = 1;
    r.item = 100;
    r.oper = 200;
    r.price = 10;
    r.count = 100;
    r.defects = 2;
    r.hours = 4;
    r.date = QDate(2025, 4, 1);
    r.shift = 1;
    r.entered = QDate(2025, 4, 1);
    return r;
}

} // namespace

class TestJournalRecords : public QObject {
    Q_OBJECT

private slots:
    void movedRecordLeavesNoHoursBehind_data()
    {
        QTest::addColumn<int>("worker");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QDate>("day");
        QTest::newRow("another worker") << 3 << 1 << QDate(2025, 4, 1);
        QTest::newRow("another shift") << 1 << 2 << QDate(2025, 4, 1);
        QTest::newRow("another day") << 1 << 1 << QDate(2025, 4, 2);
        QTest::newRow("another month") << 1 << 1 << QDate(2025, 5, 6);
    }
    void movedRecordLeavesNoHoursBehind()
    {
        QFETCH(int, worker);
        QFETCH(int, shift);
        QFETCH(QDate, day);
        TestApp t;
        EntryRules::Record r = recordOne();
        r.worker = worker;
        r.shift = shift;
        r.date = day;
        QCOMPARE(JournalRecords::save(t.dm().ADO_DB, r, 1), JournalRecords::Outcome::Saved);
        // The cell it left holds only what is left there (nothing); the new one its 4 hours.
        QCOMPARE(cell(t, 1, 1, QDate(2025, 4, 1)), 0);
        QCOMPARE(cell(t, worker, shift, day), 4);
    }

    void sameRecordSavedByManyClientsAtOnce()
    {
        TestApp t;
        const int clients = 5;
        const auto run = runClients<JournalRecords::Outcome>(t.database, clients, [](Connection& c, int) {
            EntryRules::Record r = recordOne();
            r.date = QDate(2025, 4, 3);
            return JournalRecords::save(c, r);
        });
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join("; ")));
        QCOMPARE(run.results.count(JournalRecords::Outcome::Saved), 1);
        QCOMPARE(run.results.count(JournalRecords::Outcome::Duplicate), clients - 1);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where data='2025-04-03'").toInt(), 1);
        QCOMPARE(cell(t, 1, 1, QDate(2025, 4, 3)), 4);
    }

    void workerOrOperationDeletedMeanwhile_data()
    {
        QTest::addColumn<QString>("meanwhile");
        QTest::addColumn<int>("worker");
        QTest::addColumn<int>("outcome");
        QTest::newRow("operation deleted") << "delete from accounts_dep.oper where id=200" << 1 << int(JournalRecords::Outcome::Missing);
        QTest::newRow("worker deleted") << "delete from accounts_dep.person where id=1" << 1 << int(JournalRecords::Outcome::Missing);
        QTest::newRow("another application's person") << "" << 77 << int(JournalRecords::Outcome::Saved);
    }
    void workerOrOperationDeletedMeanwhile()
    {
        QFETCH(QString, meanwhile);
        QFETCH(int, worker);
        QFETCH(int, outcome);
        TestApp t;
        if (!meanwhile.isEmpty())
            t.exec(meanwhile);
        EntryRules::Record r = recordOne();
        r.worker = worker;
        r.date = QDate(2025, 4, 9);
        QCOMPARE(int(JournalRecords::save(t.dm().ADO_DB, r)), outcome);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where data='2025-04-09'").toInt(),
                 outcome == int(JournalRecords::Outcome::Saved) ? 1 : 0);
    }

    void saveWaitsForADeletionOfItsOperation()
    {
        TestApp t;
        t.exec("insert into accounts_dep.norm(o_id, norma, prize, price) values (203, 1, 0, 4)");
        // Another client is deleting operation 203 and has not committed yet.
        auto other = TestDb::connect(t.database, "deleting");
        other->begin();
        other->execute("select id from accounts_dep.oper where id=203 for update");
        other->execute("delete from accounts_dep.oper where id=203");
        JournalRecords::Outcome outcome = JournalRecords::Outcome::Saved;
        std::thread saver([&] {
            auto c = TestDb::connect(t.database, "saving");
            EntryRules::Record r = recordOne();
            r.oper = 203;
            r.item = 101;
            outcome = JournalRecords::save(*c, r);
        });
        QTest::qWait(300);
        other->commit();
        saver.join();
        QCOMPARE(outcome, JournalRecords::Outcome::Missing);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where o_id=203").toInt(), 0);
    }

    void changeOfARecordDeletedMeanwhile()
    {
        TestApp t;
        t.login();
        QVERIFY(t.dm().Smena1->locate("id", 1));
        const int before = t.scalar("select count(*) from accounts_dep.smena").toInt();
        t.seam.onModal("TForm11", [&](QDialog* d) {
            edit(t, "TForm11", "Edit6")->setText("9");
            t.exec("delete from accounts_dep.smena where id=1");
            click(t, "TForm11", "Button1");
            QVERIFY(!d->isVisible());
        });
        click(t, "TForm1", "Button2");
        QCOMPARE(t.seam.texts(), QStringList{kGone});
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena").toInt(), before - 1);
        // The list shows the database's state again.
        QVERIFY(!t.dm().Smena1->locate("id", 1));
    }

    void deletionFollowsWhereTheDatabaseHasTheRecord()
    {
        TestApp t;
        t.login();
        // Another client moved record 1 to worker 2's second shift, with its hours.
        t.exec("update accounts_dep.smena set w_id=2, smena=2 where id=1");
        t.exec("update accounts_dep.h_tabel set d1=0 where w_id=1 and smena=1 and month=4");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d1) values (2, 4, 2025, 2, 4)");
        QVERIFY(t.dm().Smena1->locate("id", 1));
        t.seam.answer(true);
        click(t, "TForm1", "Button3");
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where id=1").toInt(), 0);
        QCOMPARE(cell(t, 2, 2, QDate(2025, 4, 1)), 0);
        QCOMPARE(cell(t, 1, 1, QDate(2025, 4, 1)), 0);
    }

    void deletionOfARecordDeletedMeanwhile()
    {
        TestApp t;
        t.login();
        QVERIFY(t.dm().Smena1->locate("id", 1));
        t.exec("delete from accounts_dep.smena where id=1");
        t.seam.answer(true);
        click(t, "TForm1", "Button3");
        QCOMPARE(t.seam.texts(), (QStringList{"Удалить позицию из списка?", kGone}));
        QVERIFY(!t.dm().Smena1->locate("id", 1));
        QCOMPARE(cell(t, 1, 1, QDate(2025, 4, 1)), 4);
    }

    void defectsCannotOutnumberThePieces_data()
    {
        QTest::addColumn<QString>("count");
        QTest::addColumn<QString>("defects");
        QTest::addColumn<bool>("saved");
        QTest::newRow("more defects") << "100" << "101" << false;
        QTest::newRow("as many") << "100" << "100" << true;
        QTest::newRow("none made") << "0" << "1" << false;
    }
    void defectsCannotOutnumberThePieces()
    {
        QFETCH(QString, count);
        QFETCH(QString, defects);
        QFETCH(bool, saved);
        TestApp t;
        t.login();
        QVERIFY(t.dm().Smena1->locate("id", 1));
        t.seam.onModal("TForm11", [&](QDialog* d) {
            edit(t, "TForm11", "Edit3")->setText(count);
            edit(t, "TForm11", "Edit4")->setText(defects);
            click(t, "TForm11", "Button1");
            QCOMPARE(d->isVisible(), !saved);
        });
        click(t, "TForm1", "Button2");
        QCOMPARE(t.seam.texts(), saved ? QStringList{}
                                       : QStringList{"Значение поля \"Брак\" не может быть больше значения поля \"Кол-во\"!"});
        QCOMPARE(t.scalar("select brak from accounts_dep.smena where id=1").toString(), saved ? defects : QStringLiteral("2"));
    }
};

PW_TEST_MAIN(TestJournalRecords)
#include "test_journal_records.moc"
