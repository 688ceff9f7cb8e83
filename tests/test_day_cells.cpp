// The timesheet day cells kept in step with the journal: the upkeep after a save, the
// deletion from the main window with its own upkeep, several clients at once, and a
// failing timesheet statement.
#include "DbError.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "Transaction.h"
#include "WindowDriver.h"
#include "journal/TForm11.h"
#include "journal/rules/DayCells.h"
#include <QLineEdit>
#include <QRadioButton>
#include <QTest>
#include <condition_variable>
#include <mutex>
#include <thread>

namespace {
// The timesheet rows of a key as "d<day>=<hours>" of the filled cells, one row per entry.
QStringList timesheet(TestApp& t, int worker, int shift, int month, int year = 2025)
{
    QStringList rows;
    const QString cells = QStringLiteral("concat_ws(',', %1)")
                              .arg([] {
                                  QStringList c;
                                  for (int d = 1; d <= 31; ++d)
                                      c << QStringLiteral("'d%1=' || d%1").arg(d);
                                  return c.join(", ");
                              }());
    const auto r = t.check->select(QStringLiteral("select %1 from accounts_dep.h_tabel where w_id=%2 and smena=%3 and month=%4 and year=%5 order by id")
                                       .arg(cells)
                                       .arg(worker)
                                       .arg(shift)
                                       .arg(month)
                                       .arg(year));
    for (const auto& row : r.rows)
        rows << row.value(0).toString();
    return rows;
}

void addRecord(TestApp& t, int worker, int shift, const QString& day, int hours, int oper = 200)
{
    t.exec(QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok) "
                          "select %1, i_id, id, 1, 0, '%2', %3, 1, 0, %4, 'no' from accounts_dep.oper where id=%5")
               .arg(worker)
               .arg(day)
               .arg(shift)
               .arg(hours)
               .arg(oper));
}

// A new record of worker 3 on the main window's day and shift, through the dialog.
void save(TestApp& t, int oper, int hours)
{
    t.seam.onModal("TForm11", [&t, oper, hours](QDialog* d) {
        t.find<QLineEdit>("TForm11", "Edit1")->setText("Васильев В.В.");
        d->setProperty("worker_id", 3);
        t.dm().Oper->open();
        QVERIFY(t.dm().Oper->locate("id", oper));
        QVERIFY(t.invoke("TForm11", "takeOperation"));
        t.find<QLineEdit>("TForm11", "Edit3")->setText("1");
        t.find<QLineEdit>("TForm11", "Edit6")->setText(QString::number(hours));
        QVERIFY(t.invoke("TForm11", "Button1Click"));
        QVERIFY(!d->isVisible());
    });
    t.app->form<TForm1>()->Button1Click();
}

void changeHours(TestApp& t, int id, int hours)
{
    QVERIFY(t.app->form<TForm1>()->currentQuery()->locate("id", id));
    t.seam.onModal("TForm11", [&t, hours](QDialog* d) {
        t.find<QLineEdit>("TForm11", "Edit6")->setText(QString::number(hours));
        QVERIFY(t.invoke("TForm11", "Button1Click"));
        QVERIFY(!d->isVisible());
    });
    t.app->form<TForm1>()->Button2Click();
}

void remove(TestApp& t, int id)
{
    QVERIFY(t.app->form<TForm1>()->currentQuery()->locate("id", id));
    t.seam.answer(true);
    QVERIFY(t.invoke("TForm1", "Button3Click"));
}

int recordId(TestApp& t, int worker, const QString& day, int hours)
{
    return t.scalar(QStringLiteral("select max(id) from accounts_dep.smena where w_id=%1 and data='%2' and time=%3")
                        .arg(worker)
                        .arg(day)
                        .arg(hours))
        .toInt();
}

void closeTimesheet(TestApp& t)
{
    t.exec("create function h_tabel_closed() returns trigger language plpgsql as $$ begin raise exception 'табель закрыт'; end $$");
    t.exec("create trigger closed before insert or update on accounts_dep.h_tabel for each row execute function h_tabel_closed()");
}
} // namespace

class TestDayCells : public QObject {
    Q_OBJECT

private slots:
    void statementTexts()
    {
        const QDate day(2025, 4, 5);
        QCOMPARE(DayCells::countStatement(3, 2, day),
                 QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=3 and smena=2 and month=4 and year=2025"));
        QCOMPARE(DayCells::sumStatement(3, 2, day),
                 QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=3 and smena=2 and "
                                "data=to_date('05.04.2025', 'DD.MM.YYYY') group by w_id, smena, data"));
        QCOMPARE(DayCells::updateStatement(3, 2, day, 9),
                 QStringLiteral("update accounts_dep.h_tabel set d5=9 where w_id=3 and smena=2 and month=4 and year=2025"));
        QCOMPARE(DayCells::insertStatement(3, 2, day, 9),
                 QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d5) values(2, 3, 4, 2025, 9)"));
        QCOMPARE(DayCells::deleteRecordStatement("17"), QStringLiteral("delete from accounts_dep.smena where id=17"));
        const auto key = [](qint64 w, int s) { return Locks::keyOf(Locks::journalCell(w, s, 4, 2025).name); };
        QVERIFY(key(3, 2) != key(3, 1));
        QVERIFY(key(3, 2) != key(2, 3));
    }

    void upkeep_data()
    {
        QTest::addColumn<int>("worker");
        QTest::addColumn<int>("shift");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QList<int>>("hours"); // new journal records of that day
        QTest::addColumn<QStringList>("rows");
        QTest::newRow("first record of the month") << 3 << 1 << "2025-04-02" << QList<int>{6} << QStringList{"d2=6"};
        QTest::newRow("4 + 5") << 3 << 1 << "2025-04-02" << QList<int>{4, 5} << QStringList{"d2=9"};
        QTest::newRow("no hours writes 0") << 3 << 2 << "2025-04-02" << QList<int>{0} << QStringList{"d2=0"};
        // Worker 1 has a row for April with 4 hours on the 1st.
        QTest::newRow("other days stay") << 1 << 1 << "2025-04-02" << QList<int>{3} << QStringList{"d1=4,d2=3"};
        QTest::newRow("sum with the day's records") << 1 << 1 << "2025-04-01" << QList<int>{3} << QStringList{"d1=7"};
        // March: a row with 8 hours on the 31st, from record 7.
        QTest::newRow("day 31") << 1 << 1 << "2025-03-31" << QList<int>{2} << QStringList{"d31=10"};
        QTest::newRow("overtime") << 1 << 4 << "2025-04-01" << QList<int>{3} << QStringList{"d1=5"};
        QTest::newRow("December") << 2 << 3 << "2024-12-31" << QList<int>{7} << QStringList{"d31=7"};
    }
    void upkeep()
    {
        QFETCH(int, worker);
        QFETCH(int, shift);
        QFETCH(QString, day);
        QFETCH(QList<int>, hours);
        QFETCH(QStringList, rows);
        TestApp t;
        const QDate date = QDate::fromString(day, Qt::ISODate);
        for (int h : hours) {
            addRecord(t, worker, shift, day, h);
            DayCells::refresh(t.dm().ADO_DB, worker, shift, date);
        }
        QCOMPARE(timesheet(t, worker, shift, date.month(), date.year()), rows);
        QVERIFY(!t.dm().ADO_DB.inTransaction());
    }

    void afterDelete_data()
    {
        QTest::addColumn<int>("worker");
        QTest::addColumn<QString>("day");
        QTest::addColumn<QStringList>("rows");
        // Worker 1's April row holds 99 on the 1st before; record 1 (4 hours) is on that day.
        QTest::newRow("hours left") << 1 << "2025-04-01" << QStringList{"d1=4"};
        QTest::newRow("no hours left") << 1 << "2025-04-09" << QStringList{"d1=99,d9=0"};
        QTest::newRow("no row is made") << 3 << "2025-04-01" << QStringList{};
    }
    void afterDelete()
    {
        QFETCH(int, worker);
        QFETCH(QString, day);
        QFETCH(QStringList, rows);
        TestApp t;
        t.exec("update accounts_dep.h_tabel set d1=99 where w_id=1 and month=4");
        DayCells::refreshAfterDelete(t.dm().ADO_DB, worker, 1, QDate::fromString(day, Qt::ISODate));
        QCOMPARE(timesheet(t, worker, 1, 4), rows);
    }

    void throughTheMainWindow()
    {
        TestApp t;
        t.login();
        const QDate day(2025, 4, 2);
        workOn(t, day, 1);
        save(t, 200, 4);
        QCOMPARE(timesheet(t, 3, 1, 4), QStringList{"d2=4"});
        t.exec("update accounts_dep.h_tabel set d10=8 where w_id=3 and smena=1");
        workOn(t, day, 1);
        save(t, 202, 5);
        QCOMPARE(timesheet(t, 3, 1, 4), QStringList{"d2=9,d10=8"});

        const int five = recordId(t, 3, "2025-04-02", 5);
        workOn(t, day, 1);
        changeHours(t, five, 3);
        QCOMPARE(timesheet(t, 3, 1, 4), QStringList{"d2=7,d10=8"});

        workOn(t, day, 1);
        remove(t, five);
        QCOMPARE(t.seam.last()->text, QStringLiteral("Удалить позицию из списка?"));
        QCOMPARE(t.seam.last()->title, QStringLiteral("Удаление"));
        QCOMPARE(timesheet(t, 3, 1, 4), QStringList{"d2=4,d10=8"});
        QCOMPARE(t.scalar(QString("select count(*) from accounts_dep.smena where id=%1").arg(five)).toInt(), 0);

        remove(t, recordId(t, 3, "2025-04-02", 4));
        QCOMPARE(timesheet(t, 3, 1, 4), QStringList{"d2=0,d10=8"});
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where w_id=3 and data='2025-04-02'").toInt(), 0);
        QCOMPARE(t.dm().Smena1->recordCount(), 0);
    }

    void deleteInOvertime()
    {
        TestApp t;
        t.login();
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d1, d2) values (1, 4, 2025, 4, 2, 6)");
        t.find<QRadioButton>("TForm1", "RadioButton4")->click();
        remove(t, 5);
        QCOMPARE(timesheet(t, 1, 4, 4), QStringList{"d1=0,d2=6"});
        QCOMPARE(timesheet(t, 1, 1, 4), QStringList{"d1=4"});
    }

    void deleteAnsweredNo()
    {
        TestApp t;
        t.login();
        const QStringList before = timesheet(t, 1, 1, 4);
        Query* list = t.dm().Smena1;
        list->setRecNo(3);
        // Another client's record: the list shows it only once re-read.
        addRecord(t, 2, 1, "2025-04-01", 1, 202);
        QCOMPARE(list->recordCount(), 3);
        t.seam.answer(false);
        QVERIFY(t.invoke("TForm1", "Button3Click"));
        QCOMPARE(t.seam.last()->kind, QStringLiteral("question"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where id=3").toInt(), 1);
        QCOMPARE(timesheet(t, 1, 1, 4), before);
        QCOMPARE(list->recordCount(), 4);
        QCOMPARE(list->recNo(), 1);
    }

    void deleteOnEmptyList()
    {
        TestApp t;
        t.login();
        t.find<QRadioButton>("TForm1", "RadioButton3")->click();
        QVERIFY(t.invoke("TForm1", "Button3Click"));
        QVERIFY(t.seam.shown.isEmpty());
        QVERIFY(t.seam.nothingPending());
    }

    void failedDeleteUpkeepKeepsRecord()
    {
        TestApp t;
        t.login();
        closeTimesheet(t);
        t.seam.answer(true);
        QVERIFY(t.dm().Smena1->locate("id", 1));
        t.seam.expectDbError();
        QVERIFY(!t.invoke("TForm1", "Button3Click"));
        QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
        QVERIFY(t.seam.last()->text.contains("табель закрыт"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where id=1").toInt(), 1);
        QCOMPARE(timesheet(t, 1, 1, 4), QStringList{"d1=4"});
        // The shared connection is out of the failed transaction and works on.
        QVERIFY(!t.dm().ADO_DB.inTransaction());
        t.app->form<TForm1>()->Button8Click();
        QCOMPARE(t.dm().Smena1->recordCount(), 3);
    }

    void failedUpkeepOfPrivilegesKeepsRecord()
    {
        TestApp t;
        t.exec("revoke update, insert on accounts_dep.h_tabel from sys");
        const int before = t.scalar("select count(*) from accounts_dep.smena").toInt();
        bool failed = false;
        try {
            Transaction tr(t.dm().ADO_DB);
            t.dm().ADO_DB.execute("insert into accounts_dep.smena(w_id, data, smena, time) values (3, '2025-04-02', 1, 5)");
            DayCells::refresh(t.dm().ADO_DB, 3, 1, QDate(2025, 4, 2));
        } catch (const DbError& e) {
            failed = true;
            QVERIFY(e.message().contains("h_tabel"));
        }
        QVERIFY(failed);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena").toInt(), before);
    }

    // Clients saving records of one worker, shift and day at the same moment: one
    // timesheet row for the key, and the cell holds the whole day.
    void concurrentSaves()
    {
        TestApp t;
        const int clients = 6;
        const int days = 4;
        std::mutex m;
        std::condition_variable cv;
        int arrived = 0;
        int round = 0;
        QStringList errors;
        auto barrier = [&] {
            std::unique_lock<std::mutex> lock(m);
            const int my = round;
            if (++arrived == clients) {
                arrived = 0;
                ++round;
                cv.notify_all();
            } else {
                cv.wait(lock, [&] { return round != my; });
            }
        };
        std::vector<std::thread> threads;
        for (int i = 0; i < clients; ++i)
            threads.emplace_back([&, i] {
                std::unique_ptr<Connection> c = TestDb::connect(t.database, QStringLiteral("client%1").arg(i));
                for (int d = 1; d <= days; ++d) {
                    const QDate day(2025, 5, d);
                    barrier();
                    try {
                        Transaction tr(*c);
                        c->execute(QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, data, smena, time, ok) "
                                                  "values (3, 100, 200, '%1', 2, %2, 'no')")
                                       .arg(day.toString(Qt::ISODate))
                                       .arg(i + 1));
                        DayCells::refresh(*c, 3, 2, day);
                    } catch (const DbError& e) {
                        std::lock_guard<std::mutex> lock(m);
                        errors << e.message();
                    }
                }
            });
        for (std::thread& th : threads)
            th.join();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join("; ")));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.h_tabel where w_id=3 and smena=2 and month=5").toInt(), 1);
        const int sum = clients * (clients + 1) / 2;
        QCOMPARE(timesheet(t, 3, 2, 5), QStringList{QStringLiteral("d1=%1,d2=%1,d3=%1,d4=%1").arg(sum)});
    }
};

PW_TEST_MAIN(TestDayCells)
#include "test_day_cells.moc"
