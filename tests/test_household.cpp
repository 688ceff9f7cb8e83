// The household works: the journal of a date and its entry dialog driven through the
// main window, the prices written, the day cells of the household timesheet rows kept in
// step in one transaction with the record, deletion, and the repricing of a month.
#include "Concurrent.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "app/rules/Messages.h"
#include "household/TForm24.h"
#include "household/TForm25.h"
#include "household/rules/HouseholdRecords.h"
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
const QString kIncomplete = QStringLiteral("Все поля должны быть заполнены!");
const QString kNoHours = QStringLiteral("Нужно завести количество!");


struct Entry {
    int worker = 1;
    QString group = QStringLiteral("Плитка");
    int kind = 7777;
    QString hours = QStringLiteral("4");
    bool night = false;
};

// The dialog filled as a user does: both pickers, the kind, the hours, "Ночные".
void fill(TestApp& t, const Entry& e)
{
    if (e.worker != 0) {
        t.seam.onModal("TForm5", [&](QDialog*) {
            QVERIFY(t.dm().Workers->locate("id", e.worker));
            click(t, "TForm5", "Button2");
        });
        click(t, "TForm24", "Button3");
    }
    if (!e.group.isEmpty()) {
        t.seam.onModal("TForm26", [&](QDialog*) {
            QLineEdit* search = edit(t, "TForm26", "Edit1");
            search->clear();
            type(search, e.group.left(3));
            click(t, "TForm26", "Button1");
        });
        click(t, "TForm24", "Button4");
    }
    auto* kinds = t.find<QComboBox>("TForm24", "cb_type_work");
    kinds->setCurrentIndex(kinds->findData(e.kind));
    QLineEdit* hours = edit(t, "TForm24", "Edit3");
    hours->clear();
    type(hours, e.hours);
    auto* night = t.find<QCheckBox>("TForm24", "CBox1");
    if (night->isChecked() != e.night)
        QTest::mouseClick(night, Qt::LeftButton, {}, QPoint(6, night->height() / 2));
}

// "Добавить" in the open journal window, the dialog filled and "Записать" pressed.
void add(TestApp& t, const Entry& e)
{
    t.seam.onModal("TForm24", [&](QDialog* d) {
        fill(t, e);
        click(t, "TForm24", "Button1");
        QVERIFY(!d->isVisible());
    });
    click(t, "TForm25", "Button1");
}

// The journal window opened from the main window on a day, "Выходной" set as given.
void inJournal(TestApp& t, const QDate& day, bool holiday, const std::function<void()>& step)
{
    t.find<QDateEdit>("TForm1", "DateT")->setDate(day);
    t.seam.onModal("TForm25", [&](QDialog*) {
        t.find<QCheckBox>("TForm25", "CBox1")->setChecked(holiday);
        step();
    });
    click(t, "TForm1", "Button5");
    QVERIFY(t.seam.nothingPending());
}

void addOn(TestApp& t, const QDate& day, bool holiday, const Entry& e)
{
    inJournal(t, day, holiday, [&] { add(t, e); });
}

int records(TestApp& t) { return t.scalar("select count(*) from accounts_dep.fatigue").toInt(); }

// A day cell of the household rows of a key: "-" for an empty cell, "rows:N" when the
// key has not exactly one row.
QString cell(TestApp& t, int worker, int kind, bool night, const QDate& day)
{
    const QString where = QString(" from accounts_dep.h_tabel where w_id=%1 and i_type=%2 and i_night=%3 and month=%4 and year=%5")
                              .arg(worker).arg(kind).arg(night ? 1 : 0).arg(day.month()).arg(day.year());
    const int rows = t.scalar("select count(*)" + where).toInt();
    if (rows != 1)
        return QString("rows:%1").arg(rows);
    return t.scalar(QString("select coalesce(d%1::text, '-')").arg(day.day()) + where).toString();
}

void selectRow(TestApp& t, int row)
{
    auto* grid = t.find<QTableView>("TForm25", "DBGrid1");
    QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->visualRect(grid->model()->index(row, 0)).center());
}

const QDate kTuesday(2025, 4, 8);
} // namespace

class TestHousehold : public QObject {
    Q_OBJECT

private slots:
    void clientsSavingIntoOneCellAtOnce()
    {
        TestApp t;
        const int clients = 6;
        const auto run = runClients<bool>(t.database, clients, [](Connection& c, int i) {
            HouseholdSql::Record r;
            r.group = 10;
            r.worker = 3;
            r.date = QDate(2025, 5, 6);
            r.hours = i + 1;
            r.price = 180;
            return HouseholdRecords::save(c, r) == HouseholdRecords::Outcome::Saved;
        });
        QVERIFY2(run.errors.isEmpty(), qPrintable(run.errors.join("; ")));
        QCOMPARE(run.results.count(true), clients);
        // One row for the key, holding every client's hours.
        QCOMPARE(t.scalar("select count(*) from accounts_dep.h_tabel where w_id=3 and i_type=7777 and month=5").toInt(), 1);
        QCOMPARE(t.scalar("select d6 from accounts_dep.h_tabel where w_id=3 and i_type=7777 and month=5").toInt(),
                 clients * (clients + 1) / 2);
    }

    void pricesWithFactors_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<bool>("holiday");
        QTest::addColumn<bool>("night");
        QTest::addColumn<QString>("price");
        // The reserved norms: 7777 at 100 (set below), 7778 at 200.
        QTest::newRow("holiday night at 100") << 7777 << true << true << "240.0000";
        QTest::newRow("plain hour at 100") << 7777 << false << false << "100.0000";
        QTest::newRow("night at 100") << 7777 << false << true << "120.0000";
        QTest::newRow("holiday at 100") << 7777 << true << false << "200.0000";
        QTest::newRow("average rate, night") << 7778 << false << true << "240.0000";
    }
    void pricesWithFactors()
    {
        QFETCH(int, kind);
        QFETCH(bool, holiday);
        QFETCH(bool, night);
        QFETCH(QString, price);
        TestApp t;
        t.exec("update accounts_dep.norm set price=100 where o_id in (select id from accounts_dep.oper where vid=7777)");
        t.login();
        Entry e;
        e.kind = kind;
        e.night = night;
        e.hours = "3";
        addOn(t, kTuesday, holiday, e);
        QCOMPARE(t.scalar("select concat_ws('|', id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night) "
                          "from accounts_dep.fatigue").toString(),
                 QString("10|%1|1|2025-04-08|4|2025|1|3|%2|%3|%4").arg(kind).arg(price).arg(holiday ? 1 : 0).arg(night ? 1 : 0));
    }

    void dialogShowsPriceAndSum()
    {
        TestApp t;
        t.login();
        inJournal(t, kTuesday, false, [&] {
            t.seam.onModal("TForm24", [&](QDialog* d) {
                QCOMPARE(d->windowTitle(), QStringLiteral("Хоз. работы/среднесдельная (24)"));
                QCOMPARE(edit(t, "TForm24", "Edit3")->text(), QStringLiteral("0"));
                QCOMPARE(t.find<QComboBox>("TForm24", "cb_type_work")->currentData().toInt(), 7777);
                QVERIFY(t.find<QCheckBox>("TForm24", "CBox1")->isEnabled());
                fill(t, {1, "Плитка", 7778, "7", false});
                QCOMPARE(edit(t, "TForm24", "Edit4")->text(), QStringLiteral("200"));
                QCOMPARE(edit(t, "TForm24", "Edit5")->text(), QStringLiteral("1400"));
                QCOMPARE(edit(t, "TForm24", "Edit1")->text(), QStringLiteral("Антонов А.А."));
                QCOMPARE(edit(t, "TForm24", "Edit2")->text(), QStringLiteral("Плитка"));
            });
            click(t, "TForm25", "Button1");
        });
        QCOMPARE(records(t), 0);
    }

    void incompleteInput_data()
    {
        QTest::addColumn<int>("worker");
        QTest::addColumn<QString>("group");
        QTest::addColumn<QString>("hours");
        QTest::addColumn<QString>("message");
        QTest::newRow("no worker") << 0 << "Плитка" << "4" << kIncomplete;
        QTest::newRow("no group") << 1 << "" << "4" << kIncomplete;
        QTest::newRow("no hours") << 1 << "Плитка" << "0" << kNoHours;
        QTest::newRow("empty hours") << 1 << "Плитка" << "" << kNoHours;
    }
    void incompleteInput()
    {
        QFETCH(int, worker);
        QFETCH(QString, group);
        QFETCH(QString, hours);
        QFETCH(QString, message);
        TestApp t;
        t.login();
        inJournal(t, kTuesday, false, [&] {
            t.seam.onModal("TForm24", [&](QDialog* d) {
                fill(t, {worker, group, 7777, hours, false});
                click(t, "TForm24", "Button1");
                QVERIFY(d->isVisible());
            });
            click(t, "TForm25", "Button1");
        });
        QCOMPARE(t.seam.texts(), QStringList{message});
        QCOMPARE(records(t), 0);
    }

    void firstRecordInsertsLaterUpdate()
    {
        TestApp t;
        t.login();
        addOn(t, kTuesday, false, {1, "Плитка", 7777, "4", false});
        QCOMPARE(cell(t, 1, 7777, false, kTuesday), QStringLiteral("4"));
        QCOMPARE(t.scalar("select concat_ws('|', smena, d1, d7, d9, d31) from accounts_dep.h_tabel where i_type=7777").toString(),
                 QString());
        // A night record and another kind have rows of their own.
        addOn(t, kTuesday, false, {1, "Плитка", 7777, "2", true});
        addOn(t, kTuesday, false, {1, "Плитка", 7778, "1", false});
        addOn(t, kTuesday.addDays(1), false, {1, "Бордюры", 7777, "5", false});
        QCOMPARE(cell(t, 1, 7777, false, kTuesday), QStringLiteral("4"));
        QCOMPARE(cell(t, 1, 7777, false, kTuesday.addDays(1)), QStringLiteral("5"));
        QCOMPARE(cell(t, 1, 7777, true, kTuesday), QStringLiteral("2"));
        QCOMPARE(cell(t, 1, 7778, false, kTuesday), QStringLiteral("1"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.h_tabel where i_type in (7777, 7778)").toInt(), 3);
    }

    void holidayAndWeekdayRecordsAddUp()
    {
        TestApp t;
        t.login();
        addOn(t, kTuesday, true, {2, "Плитка", 7777, "3", false});
        addOn(t, kTuesday, false, {2, "Бордюры", 7777, "5", false});
        QCOMPARE(cell(t, 2, 7777, false, kTuesday), QStringLiteral("8"));
        QCOMPARE(t.scalar("select string_agg(i_holiday || ':' || price, ',' order by id) from accounts_dep.fatigue").toString(),
                 QStringLiteral("1:360.0000,0:180.0000"));
    }

    void deletingTheOnlyRecordZeroesItsDay()
    {
        TestApp t;
        t.login();
        addOn(t, kTuesday.addDays(1), false, {1, "Плитка", 7777, "6", false});
        inJournal(t, kTuesday, false, [&] {
            add(t, {1, "Плитка", 7777, "4", false});
            add(t, {2, "Плитка", 7777, "3", false});
            Query* list = t.app->form<TForm25>()->fatigue;
            QCOMPARE(trimmedTexts(list, "fio"), (QStringList{"Антонов А.А.", "Борисов Б.Б."}));
            selectRow(t, 0);
            t.seam.answer(true);
            click(t, "TForm25", "Button3");
            QCOMPARE(trimmedTexts(list, "fio"), QStringList{"Борисов Б.Б."});
        });
        QCOMPARE(t.seam.last()->text, QStringLiteral("Удалить позицию из списка?"));
        QCOMPARE(cell(t, 1, 7777, false, kTuesday), QStringLiteral("0"));
        QCOMPARE(cell(t, 1, 7777, false, kTuesday.addDays(1)), QStringLiteral("6"));
        QCOMPARE(cell(t, 2, 7777, false, kTuesday), QStringLiteral("3"));
    }

    void answeringNoKeepsTheRecord()
    {
        TestApp t;
        t.login();
        inJournal(t, kTuesday, false, [&] {
            add(t, {1, "Плитка", 7777, "4", false});
            t.seam.answer(false);
            click(t, "TForm25", "Button3");
        });
        QCOMPARE(records(t), 1);
        QCOMPARE(cell(t, 1, 7777, false, kTuesday), QStringLiteral("4"));
    }

    void changeBringsBothCellsInStep()
    {
        TestApp t;
        t.login();
        inJournal(t, kTuesday, false, [&] {
            add(t, {1, "Плитка", 7777, "4", true});
            t.seam.onModal("TForm24", [&](QDialog* d) {
                QCOMPARE(edit(t, "TForm24", "Edit1")->text(), QStringLiteral("Антонов А.А."));
                QCOMPARE(edit(t, "TForm24", "Edit3")->text(), QStringLiteral("4"));
                auto* night = t.find<QCheckBox>("TForm24", "CBox1");
                QVERIFY(night->isChecked());
                QVERIFY(!night->isEnabled());
                fill(t, {3, "", 7778, "5", true});
                click(t, "TForm24", "Button1");
                QVERIFY(!d->isVisible());
            });
            // A double click on the row is "Изменить".
            auto* grid = t.find<QTableView>("TForm25", "DBGrid1");
            const QPoint at = grid->visualRect(grid->model()->index(0, 0)).center();
            QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, at);
            QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, at);
        });
        QCOMPARE(cell(t, 1, 7777, true, kTuesday), QStringLiteral("0"));
        QCOMPARE(cell(t, 3, 7778, true, kTuesday), QStringLiteral("5"));
        QCOMPARE(t.scalar("select concat_ws('|', id_p, id_o, cnt, price, d_date, i_night) from accounts_dep.fatigue").toString(),
                 QStringLiteral("3|7778|5|240.0000|2025-04-08|1"));
    }

    void saveFailingInItsUpkeepLeavesNoRecord()
    {
        TestApp t;
        t.exec("create function pg_temp_fail() returns trigger language plpgsql as $$ begin raise exception 'h_tabel locked'; end $$");
        t.exec("create trigger no_cells before insert or update on accounts_dep.h_tabel for each row execute function pg_temp_fail()");
        t.login();
        inJournal(t, kTuesday, false, [&] {
            t.seam.onModal("TForm24", [&](QDialog* d) {
                fill(t, {});
                t.seam.expectDbError();
                click(t, "TForm24", "Button1");
                QVERIFY(d->isVisible());
            });
            click(t, "TForm25", "Button1");
            QVERIFY(t.app->form<TForm25>()->fatigue->isEmpty());
        });
        QVERIFY(t.seam.last()->text.contains("h_tabel locked"));
        QCOMPARE(records(t), 0);
    }

    void recordDeletedMeanwhile()
    {
        TestApp t;
        t.login();
        inJournal(t, kTuesday, false, [&] {
            add(t, {1, "Плитка", 7777, "4", false});
            t.exec("delete from accounts_dep.fatigue");
            t.seam.answer(true);
            click(t, "TForm25", "Button3");
            QVERIFY(t.app->form<TForm25>()->fatigue->isEmpty());
        });
        QCOMPARE(t.seam.last()->text, QString::fromUtf8(Messages::Gone));
    }

    void dateChangeSetsHoliday_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("holiday");
        QTest::newRow("Saturday") << QDate(2025, 4, 12) << true;
        QTest::newRow("Sunday") << QDate(2025, 4, 13) << true;
        QTest::newRow("Monday") << QDate(2025, 4, 14) << false;
    }
    void dateChangeSetsHoliday()
    {
        QFETCH(QDate, day);
        QFETCH(bool, holiday);
        TestApp t;
        t.exec("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price) values "
               "(10, 7777, 2, '2025-04-12', 4, 2025, 1, 2, 180), (11, 7778, 1, '2025-04-14', 4, 2025, 1, 3, 200)");
        t.login();
        inJournal(t, kTuesday, !holiday, [&] {
            auto* box = t.find<QCheckBox>("TForm25", "CBox1");
            QDateEdit* picker = t.find<QDateEdit>("TForm25", "DTPicker1");
            picker->setFocus();
            picker->setDate(day);
            QCOMPARE(box->isChecked(), holiday);
            QCOMPARE(box->styleSheet().contains("255, 0, 0"), holiday);
            Query* list = t.app->form<TForm25>()->fatigue;
            QCOMPARE(list->recordCount(), day.day() == 13 ? 0 : 1);
        });
    }

    void repricingInDecember()
    {
        TestApp t;
        // Worker 1: group 10 (Плитка) in December, 60 + 40 over 4 hours = 25 an hour;
        // the records of 30 November and 1 January lie outside the month.
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, time) values "
               "(1, 100, 200, 10, 0, '2024-12-01', 1, 6, 3), (1, 101, 200, 5, 1, '2024-12-31', 2, 10, 1), "
               "(1, 100, 200, 100, 0, '2024-11-30', 1, 10, 1), (1, 100, 200, 100, 0, '2025-01-01', 1, 10, 1), "
               "(1, 102, 202, 100, 0, '2024-12-02', 1, 50, 1), "
               "(2, 100, 200, 10, 0, '2024-12-05', 1, 10, 0)");
        t.exec("insert into accounts_dep.fatigue(id, id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night) values "
               "(1, 10, 7778, 1, '2024-12-10', 12, 2024, 1, 2, 200, 0, 0), "
               "(2, 10, 7778, 1, '2024-12-14', 12, 2024, 1, 2, 400, 1, 1), "
               "(3, 10, 7778, 2, '2024-12-10', 12, 2024, 1, 2, 200, 0, 0), "
               "(4, 10, 7778, 3, '2024-12-10', 12, 2024, 1, 2, 200, 0, 0), "
               "(5, 10, 7777, 1, '2024-12-10', 12, 2024, 1, 2, 180, 0, 0), "
               "(6, 10, 7778, 1, '2025-01-10', 1, 2025, 1, 2, 200, 0, 0), "
               "(7, 11, 7778, 1, '2024-12-11', 12, 2024, 1, 2, 200, 0, 0)");
        t.login();
        inJournal(t, QDate(2024, 12, 10), false, [&] {
            Query* list = t.app->form<TForm25>()->fatigue;
            QCOMPARE(list->recordCount(), 4);
            click(t, "TForm25", "Button4");
            QCOMPARE(trimmedTexts(list, "price"), (QStringList{"25.0000", "180.0000", "0.0000", "0.0000"}));
        });
        // Worker 1's holiday record doubles the rate; worker 2 has 0 hours, worker 3 no
        // records of the group; group 11 has 5000 over 1 hour; kind 7777 and January stay.
        QCOMPARE(t.scalar("select string_agg(id || ':' || price, ',' order by id) from accounts_dep.fatigue").toString(),
                 QStringLiteral("1:25.0000,2:50.0000,3:0.0000,4:0.0000,5:180.0000,6:200.0000,7:5000.0000"));
    }
};

PW_TEST_MAIN(TestHousehold)
#include "test_household.moc"
