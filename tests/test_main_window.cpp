// The main window: the day's journal of each shift, the working day and day-off box,
// the OK-mark toggle, refresh, a lost connection, and the reports period.
#include "DbGrid.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include <QAbstractItemModelTester>
#include <QAccessible>
#include <QHeaderView>
#include <QLineEdit>
#include <QPushButton>
#include <QCheckBox>
#include <QDateEdit>
#include <QRadioButton>
#include <QTableView>
#include <QTest>

namespace {
QStringList names(Query* q) { return columnTexts(q, "fio"); }
QString okOf(TestApp& t, int id) { return t.scalar(QString("select ok from accounts_dep.smena where id=%1").arg(id)).toString(); }
// Where the last shown column of a grid ends.
int rightEdge(QTableView* v)
{
    int edge = 0;
    for (int c = 0; c < v->model()->columnCount(); ++c)
        if (!v->isColumnHidden(c))
            edge = std::max(edge, v->columnViewportPosition(c) + v->columnWidth(c));
    return edge;
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void journalOfEachShift_data()
    {
        QTest::addColumn<int>("shift");
        QTest::addColumn<QStringList>("workers");
        // Кодов is found by his worker number (s_code 77), not by id; the record whose
        // mark is empty is shown by no shift.
        QTest::newRow("1") << 1 << QStringList{"Антонов А.А.", "Борисов Б.Б.", "Кодов К.К."};
        QTest::newRow("2") << 2 << QStringList{"Васильев В.В."};
        QTest::newRow("3") << 3 << QStringList{};
        QTest::newRow("overtime") << 4 << QStringList{"Антонов А.А."};
    }
    void journalOfEachShift()
    {
        QFETCH(int, shift);
        QFETCH(QStringList, workers);
        TestApp t;
        t.login();
        QCOMPARE(t.find<QDateEdit>("TForm1", "DateT")->date(), QDate(2025, 4, 1));
        QCOMPARE(names(t.dm().smenaQuery(shift)), workers);
        auto* button = t.find<QRadioButton>("TForm1", QString("RadioButton%1").arg(shift));
        button->click();
        TForm1* f1 = t.app->form<TForm1>();
        QCOMPARE(f1->cur_smena, shift);
        QCOMPARE(f1->gridModel()->query(), t.dm().smenaQuery(shift));
        QCOMPARE(f1->gridModel()->rowCount(), workers.size());
        QVERIFY(button->styleSheet().contains("rgb(0, 128, 0)"));
        for (int s = 1; s <= 4; ++s)
            if (s != shift)
                QVERIFY(t.find<QRadioButton>("TForm1", QString("RadioButton%1").arg(s))->styleSheet().isEmpty());
    }

    void gridColumnsAndMarks()
    {
        TestApp t;
        t.login();
        QueryModel* m = t.app->form<TForm1>()->gridModel();
        QAbstractItemModelTester tester(m, QAbstractItemModelTester::FailureReportingMode::QtTest);
        QStringList titles;
        for (int c = 0; c < m->columnCount(); ++c)
            titles << m->headerData(c, Qt::Horizontal, Qt::DisplayRole).toString();
        QCOMPARE(titles, (QStringList{"Фамилия И.О.", "Марка изделия", "Операция", "Вид", "Цвет", "Часы", "Кол-во",
                                      "Брак", "Итого (р.)", "Премия (%)", "OK", "Заведен"}));
        QVERIFY(t.find<QTableView>("TForm1", "DBGrid2")->isColumnHidden(9));
        const int ok = 10;
        // Антонов "no" red, Борисов "да" green, Кодов "ok" green; the earnings are rounded.
        QCOMPARE(m->data(m->index(0, ok), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
        QCOMPARE(m->data(m->index(1, ok), Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QCOMPARE(m->data(m->index(2, ok), Qt::ForegroundRole).value<QColor>(), QColor(0, 128, 0));
        QVERIFY(m->data(m->index(0, ok), Qt::FontRole).value<QFont>().bold());
        QCOMPARE(m->data(m->index(0, 8), Qt::DisplayRole).toString(), QStringLiteral("980,00"));
        QCOMPARE(m->data(m->index(0, 3), Qt::DisplayRole).toString(), QStringLiteral("Готовая продукция"));
        QCOMPARE(m->data(m->index(1, 3), Qt::DisplayRole).toString(), QStringLiteral("Заготовки"));
    }

    void okToggle()
    {
        TestApp t;
        t.login();
        TForm1* f1 = t.app->form<TForm1>();
        Query* q = t.dm().Smena1;
        q->setRecNo(1);
        f1->DBGrid2DblClick();
        QCOMPARE(okOf(t, 1), QStringLiteral("ok"));
        QCOMPARE(q->recNo(), 1);
        f1->DBGrid2DblClick();
        QCOMPARE(okOf(t, 1), QStringLiteral("no"));
        // The older mark counts as checked: its next toggle unchecks it; the cursor stays.
        q->setRecNo(2);
        f1->DBGrid2DblClick();
        QCOMPARE(okOf(t, 2), QStringLiteral("no"));
        QCOMPARE(q->recNo(), 2);
        QCOMPARE(q->asString("ok"), QStringLiteral("no"));
    }

    void foremanCannotToggle()
    {
        TestApp t;
        t.login("bruvane");
        t.app->form<TForm1>()->DBGrid2DblClick();
        QCOMPARE(okOf(t, 1), QStringLiteral("no"));
    }

    void emptyListToggleDoesNothing()
    {
        TestApp t;
        t.login();
        t.find<QRadioButton>("TForm1", "RadioButton3")->click();
        t.app->form<TForm1>()->DBGrid2DblClick();
        QVERIFY(t.seam.shown.isEmpty());
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where ok='ok'").toInt(), 1);
    }

    void workingDayAndDayOff()
    {
        TestApp t;
        t.login();
        auto* date = t.find<QDateEdit>("TForm1", "DateT");
        auto* dayOff = t.find<QCheckBox>("TForm1", "CBox1");
        QVERIFY(!dayOff->isChecked());
        date->setDate(QDate(2025, 4, 5)); // Saturday
        t.app->form<TForm1>()->DateTChange();
        QVERIFY(dayOff->isChecked());
        QVERIFY(dayOff->styleSheet().contains("rgb(255, 0, 0)"));
        QCOMPARE(t.dm().Smena1->recordCount(), 0);
        date->setDate(QDate(2025, 3, 31)); // Monday
        t.app->form<TForm1>()->DateTKeyPress();
        QVERIFY(!dayOff->isChecked());
        QVERIFY(dayOff->styleSheet().isEmpty());
        QCOMPARE(names(t.dm().Smena1), QStringList{"Антонов А.А."});
        // Back to today, a working day: the tick the calendar gave Saturday goes with it.
        date->setDate(QDate(2025, 4, 5));
        QTest::keyClick(date, Qt::Key_Return);
        QVERIFY(dayOff->isChecked());
        t.seam.activate(t.app->form<TForm1>());
        QCOMPARE(date->date(), QDate(2025, 4, 1));
        QVERIFY(!dayOff->isChecked());
        QVERIFY(dayOff->styleSheet().isEmpty());
        // A tick the user gives survives activation.
        QTest::mouseClick(dayOff, Qt::LeftButton, {}, QPoint(4, dayOff->height() / 2));
        t.seam.activate(t.app->form<TForm1>());
        QCOMPARE(date->date(), QDate(2025, 4, 1));
        QVERIFY(dayOff->isChecked());
        QCOMPARE(t.dm().Smena1->recordCount(), 3);
        // Today a Sunday: activation ticks it.
        dayOff->setChecked(false);
        t.seam.todayValue = QDate(2025, 4, 6);
        t.seam.activate(t.app->form<TForm1>());
        QVERIFY(dayOff->isChecked());
    }

    void shiftChangeDoesNotReread()
    {
        TestApp t;
        t.login();
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok)"
               " values (3, 100, 200, 1, 0, '2025-04-01', 2, 10, 0, 1, 'no')");
        t.find<QRadioButton>("TForm1", "RadioButton2")->click();
        QCOMPARE(t.dm().Smena2->recordCount(), 1);
        t.app->form<TForm1>()->Button8Click();
        QCOMPARE(t.dm().Smena2->recordCount(), 2);
    }

    void lostConnectionIsShownThenReconnects()
    {
        TestApp t;
        t.login();
        t.exec("select pg_terminate_backend(pid) from pg_stat_activity"
               " where datname=current_database() and pid<>pg_backend_pid()");
        t.seam.expectDbError();
        QVERIFY(t.invoke("TForm1", "Button8Click") == false);
        QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
        QVERIFY(!t.seam.last()->text.isEmpty());
        t.seam.clearShown();
        QVERIFY(t.invoke("TForm1", "Button8Click"));
        QVERIFY(t.seam.shown.isEmpty());
        QCOMPARE(t.dm().Smena1->recordCount(), 3);
        // The session is set up again: day-first date texts still read day first.
        QCOMPARE(t.dm().ADO_DB.select("select '02.4.2025'::date").rows.value(0).value(0).toDate(), QDate(2025, 4, 2));
    }

    void mainPathsThroughTheWidgets()
    {
        TestApp t;
        t.login();
        auto* grid = t.find<QTableView>("TForm1", "DBGrid2");
        // A double click on a row toggles its mark.
        const QPoint row1 = grid->visualRect(grid->model()->index(0, 0)).center();
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, row1);
        QTest::mouseDClick(grid->viewport(), Qt::LeftButton, {}, row1);
        QCOMPARE(okOf(t, 1), QStringLiteral("ok"));
        // "Добавить": the worker and the operation picked in their lists, then "Запись".
        t.seam.onModal("TForm11", [&](QDialog* d) {
            t.seam.onModal("TForm5", [&](QDialog*) {
                auto* workers = t.find<QTableView>("TForm5", "DBGrid1");
                const QPoint third = workers->visualRect(workers->model()->index(2, 0)).center();
                QTest::mouseClick(workers->viewport(), Qt::LeftButton, {}, third);
                QTest::mouseDClick(workers->viewport(), Qt::LeftButton, {}, third);
            });
            click(t, "TForm11", "Button3");
            t.seam.onModal("TForm4", [&](QDialog*) {
                type(edit(t, "TForm4", "Edit1"), "Б-1");
                click(t, "TForm4", "Button2");
            });
            click(t, "TForm11", "Button4");
            type(edit(t, "TForm11", "Edit3"), "12");
            click(t, "TForm11", "Button1");
            QVERIFY(!d->isVisible());
        });
        click(t, "TForm1", "Button1");
        QCOMPARE(t.scalar("select w_id || ':' || o_id || ':' || kol_vo || ':' || cena from accounts_dep.smena"
                          " where id > 1000").toString(),
                 QStringLiteral("3:202:12:3"));
        // "Удалить" asks and deletes the current record.
        QVERIFY(t.dm().Smena1->locate("w_id", 3));
        t.seam.answer(true);
        click(t, "TForm1", "Button3");
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where id > 1000").toInt(), 0);
        QVERIFY(t.seam.nothingPending());
    }

    void errorOfAClickIsShownCentrally()
    {
        TestApp t;
        t.login();
        t.exec("alter table accounts_dep.vid_oper rename to vid_oper_gone");
        t.seam.expectDbError();
        click(t, "TForm1", "Button8");
        QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
        QVERIFY(t.seam.last()->text.contains("vid_oper"));
    }

    void listsRecoverAfterAFailedOpening()
    {
        TestApp t;
        t.exec("alter table accounts_dep.vid_oper rename to vid_oper_gone");
        t.seam.expectDbError();
        t.login();
        t.exec("alter table accounts_dep.vid_oper_gone rename to vid_oper");
        click(t, "TForm1", "Button8");
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.dm().Smena1->recordCount(), 3);
        QCOMPARE(t.dm().Smena2->recordCount(), 1);
        QCOMPARE(t.dm().Smena4->recordCount(), 1);
    }

    void shiftChosenWithoutAClick()
    {
        TestApp t;
        t.login();
        auto* overtime = t.find<QRadioButton>("TForm1", "RadioButton4");
        // As a screen reader toggles it.
        QAccessibleInterface* a = QAccessible::queryAccessibleInterface(overtime);
        QVERIFY(a && a->actionInterface());
        a->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
        QVERIFY(overtime->isChecked());
        QCOMPARE(t.app->form<TForm1>()->cur_smena, 4);
        QCOMPARE(t.app->form<TForm1>()->gridModel()->query(), t.dm().Smena4);
        QVERIFY(overtime->styleSheet().contains("rgb(0, 128, 0)"));
        QVERIFY(t.find<QRadioButton>("TForm1", "RadioButton1")->styleSheet().isEmpty());
        // The keyboard too.
        auto* second = t.find<QRadioButton>("TForm1", "RadioButton2");
        second->setFocus();
        second->setChecked(true);
        QCOMPARE(t.app->form<TForm1>()->cur_smena, 2);
    }

    void columnsFitTheirTexts()
    {
        TestApp t;
        t.exec("update accounts_dep.smena set vvod='2025-04-01 23:58:58' where id=1");
        t.login();
        auto* grid = t.find<QTableView>("TForm1", "DBGrid2");
        grid->window()->show();
        QueryModel* m = t.app->form<TForm1>()->gridModel();
        const int vvod = 11;
        const QString shown = m->data(m->index(0, vvod), Qt::DisplayRole).toString();
        QCOMPARE(shown, QStringLiteral("01.04.2025 23:58:58"));
        QVERIFY2(grid->fontMetrics().horizontalAdvance(shown) + 6 <= grid->columnWidth(vvod),
                 qPrintable(QString("%1 in %2").arg(grid->fontMetrics().horizontalAdvance(shown)).arg(grid->columnWidth(vvod))));
        QVERIFY(rightEdge(grid) <= grid->viewport()->width());
        t.seam.onModal("TForm4", [&](QDialog* d) {
            auto* list = d->findChild<QTableView*>("DBGrid1");
            QVERIFY(rightEdge(list) <= list->viewport()->width());
            // Titles fit too: "Нормы (шт.)" is wider than its column was given.
            for (int c = 1; c <= 4; ++c) {
                const QString title = list->model()->headerData(c, Qt::Horizontal).toString();
                QVERIFY2(list->horizontalHeader()->fontMetrics().horizontalAdvance(title) + 8 <= list->columnWidth(c),
                         qPrintable(title));
            }
            QVERIFY(list->columnWidth(0) >= 150);
        });
        t.app->form<TForm1>()->N4Click();
    }

    void reportsPeriod_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("january") << QDate(2025, 1, 20) << QDate(2024, 12, 1) << QDate(2025, 1, 1);
        QTest::newRow("march") << QDate(2025, 3, 31) << QDate(2025, 2, 1) << QDate(2025, 3, 1);
    }
    void reportsPeriod()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        TestApp t;
        t.login();
        t.seam.todayValue = today;
        t.seam.onModal("TForm18", [&](QDialog* d) {
            QCOMPARE(d->findChild<QDateEdit*>("DTPicker1")->date(), from);
            QCOMPARE(d->findChild<QDateEdit*>("DTPicker2")->date(), to);
        });
        t.app->form<TForm1>()->N10Click();
        QCOMPARE(t.seam.modals.last(), QStringLiteral("TForm18"));
        // Back from the window: the main window is active again and shows today.
        QCOMPARE(t.find<QDateEdit>("TForm1", "DateT")->date(), today);
    }
};

PW_TEST_MAIN(TestMainWindow)
#include "test_main_window.moc"
