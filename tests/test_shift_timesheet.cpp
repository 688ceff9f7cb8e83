// The shift timesheet window: the month's grids with their day marks and cell looks, the
// year list, refresh, exit, print, and the month rebuild from the journal (equal to the
// day-by-day rebuild, one transaction, household rows kept, safe beside other clients' saves).
#include "DbError.h"
#include "DbGrid.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "Transaction.h"
#include "WindowDriver.h"
#include "journal/rules/DayCells.h"
#include "printing/ReportPreview.h"
#include "printing/TForm15.h"
#include "timesheets/TForm19.h"
#include "timesheets/rules/RebuildByDay.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDateEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableView>
#include <QRegularExpression>
#include <QTest>
#include <atomic>
#include <thread>

using ShiftTimesheet::CellLook;
using ShiftTimesheet::DayMark;
using ShiftTimesheet::Ink;
Q_DECLARE_METATYPE(CellLook)
Q_DECLARE_METATYPE(DayMark)

namespace {
void record(TestApp& t, int worker, int shift, const QString& day, int hours)
{
    t.exec(QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok) "
                          "values (%1, 100, 200, 1, 0, '%2', %3, 1, 0, %4, 'no')")
               .arg(worker)
               .arg(day)
               .arg(shift)
               .arg(hours));
}

// Every timesheet row of a month, household rows too, as "w_id/smena/i_type: d1,d2,…"
// (empty where NULL), in a fixed order; withId adds the row's id.
QStringList rows(TestApp& t, int month, int year, bool withId = false)
{
    QStringList cells;
    for (int d = 1; d <= 31; ++d)
        cells << QStringLiteral("coalesce(d%1::text, '')").arg(d);
    const auto r = t.check->select(QStringLiteral("select %1 w_id || '/' || coalesce(smena::text, '-') || '/' || coalesce(i_type, 0) || ': ' || "
                                    "concat_ws(',', %2) as r from accounts_dep.h_tabel where month=%3 and year=%4 order by r")
                         .arg(withId ? "id || ' ' ||" : "")
                         .arg(cells.join(", "))
                         .arg(month)
                         .arg(year));
    QStringList out;
    for (const auto& row : r.rows)
        out << row.value(0).toString();
    out.sort();
    return out;
}

// One row as rows() writes it, from its filled days.
QString row(int worker, int shift, const QMap<int, int>& days, int type = 0)
{
    QStringList cells;
    for (int d = 1; d <= 31; ++d)
        cells << (days.contains(d) ? QString::number(days[d]) : QString());
    return QStringLiteral("%1/%2/%3: %4").arg(worker).arg(shift).arg(type).arg(cells.join(','));
}

TForm19* form(TestApp& t) { return t.app->form<TForm19>(); }
template <class T> T* control(TestApp& t, const char* name) { return t.find<T>("TForm19", name); }

// Logs in, picks the working day in the main window, and opens the timesheet from the
// menu item; step runs in the open window.
void openOn(TestApp& t, const QDate& workingDay, const ScriptedSeam::Step& step)
{
    t.login();
    t.find<QDateEdit>("TForm1", "DateT")->setDate(workingDay);
    t.app->form<TForm1>()->DateTChange();
    t.seam.onModal("TForm19", step);
    t.app->form<TForm1>()->findChild<QAction*>("N13")->trigger();
    QVERIFY(t.seam.nothingPending());
}

QStringList names(TestApp& t, int shift)
{
    QueryModel* m = form(t)->gridModel(shift);
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r)
        out << m->text(r, 0);
    return out;
}

QString cell(TestApp& t, int shift, int row, int column) { return form(t)->gridModel(shift)->text(row, column); }

void click(TestApp& t, const char* button) { QTest::mouseClick(control<QPushButton>(t, button), Qt::LeftButton); }

// A month of journal records of eight workers: several shifts, shift 4, two shifts and
// several records on one day, days without records, and records just outside the month.
void busyMonth(TestApp& t, const QDate& first)
{
    const QDate last = first.addMonths(1).addDays(-1);
    t.exec(QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok) "
                          "select 700 + w, 100, 200, 1, 0, d, 1 + (w + extract(day from d)::int) % 4, 1, 0, "
                          "(w * 3 + extract(day from d)::int) % 10, 'no' "
                          "from generate_series(1, 8) w, generate_series('%1'::date, '%2'::date, '1 day') d "
                          "where (w + extract(day from d)::int) % 3 <> 0")
               .arg(first.toString(Qt::ISODate), last.toString(Qt::ISODate)));
    // A second record of the same shift and day, and one of another shift on that day.
    t.exec(QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, data, smena, time, ok) "
                          "select w_id, i_id, o_id, data, smena, 2, 'no' from accounts_dep.smena where w_id=701 and data<'%1'")
               .arg(first.addDays(5).toString(Qt::ISODate)));
    record(t, 702, 4, first.toString(Qt::ISODate), 3);
    record(t, 702, 1, first.toString(Qt::ISODate), 5);
    record(t, 703, 1, first.addDays(-1).toString(Qt::ISODate), 7);
    record(t, 703, 1, last.addDays(1).toString(Qt::ISODate), 7);
}
} // namespace

class TestShiftTimesheet : public QObject {
    Q_OBJECT

private slots:
    // Titles and empty cells of the day columns: days off red, days past the month's end
    // silver titles over invisible cells, other empty days grey; 8 hours bold. 2024 has no
    // calendar file: its holidays are the Labour Code's (23 February, 12 June).
    void dayColumns_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<QList<int>>("daysOff");
        QTest::addColumn<int>("days");
        QTest::newRow("leap February") << QDate(2024, 2, 1) << QList<int>{3, 4, 10, 11, 17, 18, 23, 24, 25} << 29;
        QTest::newRow("common February") << QDate(2025, 2, 1) << QList<int>{1, 2, 8, 9, 15, 16, 22, 23} << 28;
        QTest::newRow("1st a Saturday") << QDate(2024, 6, 1) << QList<int>{1, 2, 8, 9, 12, 15, 16, 22, 23, 29, 30} << 30;
        QTest::newRow("December") << QDate(2024, 12, 1) << QList<int>{1, 7, 8, 14, 15, 21, 22, 28, 29} << 31;
    }
    void dayColumns()
    {
        QFETCH(QDate, month);
        QFETCH(QList<int>, daysOff);
        QFETCH(int, days);
        TestApp t;
        record(t, 1, 1, month.addDays(9).toString(Qt::ISODate), 8);
        t.exec(QStringLiteral("insert into accounts_dep.h_tabel(w_id, month, year, smena, d10) values (1, %1, %2, 1, 8)")
                   .arg(month.month())
                   .arg(month.year()));
        openOn(t, month.addDays(14), [&](QDialog*) {
            QCOMPARE(control<QComboBox>(t, "ComboBox1")->currentIndex(), month.month() - 1);
            QCOMPARE(control<QComboBox>(t, "ComboBox2")->currentText(), QString::number(month.year()));
            QueryModel* m = form(t)->gridModel(1);
            QCOMPARE(m->rowCount(), 1);
            const QColor text = QApplication::palette().color(QPalette::WindowText);
            const QColor base = QApplication::palette().color(QPalette::Base);
            for (int d = 1; d <= 31; ++d) {
                const bool dayOff = daysOff.contains(d);
                const QColor title = m->headerData(d, Qt::Horizontal, Qt::ForegroundRole).value<QColor>();
                const QColor ink = m->data(m->index(0, d), Qt::ForegroundRole).value<QColor>();
                QCOMPARE(m->headerData(d, Qt::Horizontal, Qt::DisplayRole).toString(), QString::number(d));
                if (d > days) {
                    QCOMPARE(title, QColor(192, 192, 192));
                    QCOMPARE(ink, base);
                } else if (dayOff) {
                    QCOMPARE(title, QColor(255, 0, 0));
                    QCOMPARE(ink, QColor(255, 0, 0));
                } else {
                    QCOMPARE(title, text);
                    QCOMPARE(ink, d == 10 ? text : QColor(192, 192, 192));
                }
            }
            QVERIFY(m->data(m->index(0, 10), Qt::FontRole).value<QFont>().bold());
            QVERIFY(!m->data(m->index(0, 11), Qt::FontRole).isValid());
            QCOMPARE(cell(t, 1, 0, 32), QString("8"));
        });
    }

    // At the window's size each tab shows the whole month: the name, every day and the
    // total, without sideways scrolling, in every month of the year.
    void wholeMonthShows()
    {
        TestApp t;
        openOn(t, QDate(2025, 1, 15), [&](QDialog*) {
            auto* tabs = control<QTabWidget>(t, "PageControl1");
            for (int month = 1; month <= 12; ++month) {
                control<QComboBox>(t, "ComboBox1")->setCurrentIndex(month - 1);
                for (int tab = 0; tab < 3; ++tab) {
                    tabs->setCurrentIndex(tab);
                    auto* grid = control<QTableView>(t, qPrintable(QStringLiteral("DBGrid%1").arg(tab + 1)));
                    checkWholeMonthShows(grid, 1, QDate(2025, month, 1), QStringLiteral("month %1, shift %2").arg(month).arg(tab + 1));
                    if (QTest::currentTestFailed())
                        return;
                }
            }
        });
    }

    void cellPainting_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<DayMark>("mark");
        QTest::addColumn<CellLook>("look");
        const CellLook grey{Ink::Silver, false, false}, plain{}, bold{Ink::WindowText, true, false};
        QTest::newRow("empty") << QVariant() << DayMark::Working << grey;
        QTest::newRow("0") << QVariant(0) << DayMark::Working << grey;
        QTest::newRow("empty on a day off stays red") << QVariant() << DayMark::DayOff << plain;
        QTest::newRow("empty past the month") << QVariant() << DayMark::Beyond << CellLook{Ink::WindowBackground, false, false};
        QTest::newRow("1") << QVariant(1) << DayMark::Working << plain;
        QTest::newRow("7") << QVariant(7) << DayMark::Working << plain;
        QTest::newRow("negative") << QVariant(-2) << DayMark::Working << plain;
        QTest::newRow("8") << QVariant(8) << DayMark::Working << bold;
        QTest::newRow("8 on a day off stays red") << QVariant(8) << DayMark::DayOff << CellLook{Ink::Unchanged, true, false};
        QTest::newRow("9") << QVariant(9) << DayMark::Working << CellLook{Ink::Unchanged, true, true};
        QTest::newRow("12 on a day off") << QVariant(12) << DayMark::DayOff << CellLook{Ink::Unchanged, true, true};
    }
    void cellPainting()
    {
        QFETCH(QVariant, value);
        QFETCH(DayMark, mark);
        QFETCH(CellLook, look);
        QVERIFY(ShiftTimesheet::cellLook(value, mark) == look);
    }

    // Only workers with journal records inside the month are listed; December runs to,
    // not into, 1 January.
    void listedWorkers()
    {
        TestApp t;
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d31) values "
               "(1, 12, 2024, 1, 8), (2, 12, 2024, 1, 8), (3, 12, 2024, 1, 8), (1, 12, 2024, 4, 3)");
        record(t, 1, 2, "2024-12-31", 8); // any shift's record lists the row
        record(t, 2, 1, "2025-01-01", 8);
        record(t, 3, 1, "2024-11-30", 8);
        openOn(t, QDate(2024, 12, 31), [&](QDialog*) {
            QCOMPARE(names(t, 1), QStringList{"Антонов А.А."});
            QCOMPARE(names(t, 2), QStringList{});
            QCOMPARE(names(t, 3), QStringList{}); // overtime rows are on no tab
            QCOMPARE(t.dm().H_Tabel_1->param("date2").toDate(), QDate(2025, 1, 1));
        });
        QVERIFY(!t.dm().H_Tabel_1->isOpen()); // closed with the window
    }

    void yearList_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("workingDay");
        QTest::addColumn<QString>("first");
        QTest::addColumn<QString>("last");
        QTest::newRow("this year") << QDate(2026, 3, 10) << QDate(2026, 3, 10) << "2007" << "2027";
        QTest::newRow("2007") << QDate(2026, 3, 10) << QDate(2007, 1, 15) << "2007" << "2027";
        QTest::newRow("before 2007") << QDate(2025, 4, 1) << QDate(2005, 6, 1) << "2005" << "2026";
    }
    void yearList()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, workingDay);
        QFETCH(QString, first);
        QFETCH(QString, last);
        TestApp t;
        t.seam.todayValue = today;
        openOn(t, workingDay, [&](QDialog*) {
            auto* years = control<QComboBox>(t, "ComboBox2");
            QCOMPARE(years->itemText(0), first);
            QCOMPARE(years->itemText(years->count() - 1), last);
            QCOMPARE(years->currentText(), QString::number(workingDay.year()));
            QCOMPARE(control<QComboBox>(t, "ComboBox1")->currentIndex(), workingDay.month() - 1);
            QCOMPARE(t.dm().H_Tabel_1->param("yea").toInt(), workingDay.year());
        });
    }

    // Changing the month reloads the grids; "Обновить" shows another client's rows.
    void monthChoiceAndRefresh()
    {
        TestApp t;
        openOn(t, QDate(2025, 4, 1), [&](QDialog*) {
            QCOMPARE(names(t, 1), QStringList{"Антонов А.А."});
            auto* months = control<QComboBox>(t, "ComboBox1");
            months->setFocus();
            QTest::keyClick(months, Qt::Key_Up);
            QCOMPARE(t.dm().H_Tabel_1->param("mnth").toInt(), 3);
            QCOMPARE(names(t, 1), QStringList{"Антонов А.А."}); // record 7 of 31 March
            QCOMPARE(cell(t, 1, 0, 31), QString("8"));
            t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d2) values (2, 3, 2025, 2, 6)");
            record(t, 2, 2, "2025-03-02", 6);
            QCOMPARE(names(t, 2), QStringList{});
            click(t, "Button5");
            QCOMPARE(names(t, 2), QStringList{"Борисов Б.Б."});
        });
    }

    void exitAndActivation_data()
    {
        QTest::addColumn<bool>("escape");
        QTest::newRow("Выход") << false;
        QTest::newRow("Escape") << true;
    }
    void exitAndActivation()
    {
        QFETCH(bool, escape);
        TestApp t;
        control<QPushButton>(t, "Button2")->setText("Excel (3 из 9)");
        openOn(t, QDate(2025, 4, 1), [&](QDialog* d) {
            QCOMPARE(control<QPushButton>(t, "Button2")->text(), QString("Excel"));
            QCOMPARE(d->windowTitle(), QString("Табель по времени"));
            QCOMPARE(d->size(), QSize(958, 577));
            QVERIFY(control<QProgressBar>(t, "PB")->isHidden());
            if (escape)
                QTest::keyClick(d, Qt::Key_Escape);
            else
                click(t, "Button4");
            QVERIFY(!d->isVisible());
            QCOMPARE(d->result(), int(QDialog::Rejected));
        });
        for (Query* q : {t.dm().H_Tabel_1, t.dm().H_Tabel_2, t.dm().H_Tabel_3})
            QVERIFY(!q->isOpen());
    }

    // "Перестроить": the shifts of a day each get their row, overtime too (on no tab);
    // the household rows stay; the bar moves and goes again.
    void rebuildFromTheWindow()
    {
        TestApp t;
        record(t, 1, 1, "2025-04-03", 4);
        record(t, 1, 2, "2025-04-03", 5);
        record(t, 1, 4, "2025-04-03", 2);
        record(t, 2, 1, "2025-04-03", 6);
        record(t, 2, 1, "2025-04-03", 6);
        // Household rows of the month: kinds 7777 and 7778, no shift.
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, i_night, d2, d3) values "
               "(1, 4, 2025, null, 7777, 0, 3, null), (2, 4, 2025, null, 7778, 1, null, 4)");
        // A stale shift row the journal no longer backs.
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d9) values (3, 4, 2025, 3, 8)");
        const QStringList march = rows(t, 3, 2025, true);
        QList<int> progress;
        bool shown = true;
        openOn(t, QDate(2025, 4, 1), [&](QDialog*) {
            auto* pb = control<QProgressBar>(t, "PB");
            connect(pb, &QProgressBar::valueChanged, pb, [&](int v) {
                progress << v;
                shown = shown && pb->isVisible();
            });
            click(t, "Button1");
            QVERIFY(pb->isHidden());
            QCOMPARE(pb->maximum(), 30);
            QCOMPARE(names(t, 1), (QStringList{"Антонов А.А.", "Борисов Б.Б.", "Кодов К.К."}));
            QCOMPARE(cell(t, 1, 0, 3), QString("4"));
            QCOMPARE(cell(t, 1, 1, 3), QString("12"));
            QueryModel* m = form(t)->gridModel(1);
            QCOMPARE(m->data(m->index(1, 3), Qt::BackgroundRole).value<QColor>(), QColor(192, 220, 192));
            QCOMPARE(names(t, 2), (QStringList{"Антонов А.А.", "Васильев В.В."}));
            QCOMPARE(cell(t, 2, 0, 3), QString("5"));
            QCOMPARE(names(t, 3), QStringList{});
        });
        QVERIFY(shown);
        QVERIFY(progress.size() >= 2);
        QCOMPARE(progress.last(), 30);
        QVERIFY(std::is_sorted(progress.begin(), progress.end()));
        QStringList expected{row(1, 1, {{1, 4}, {3, 4}}), row(1, 2, {{3, 5}}), row(1, 4, {{1, 2}, {3, 2}}),
                                                row(2, 1, {{1, 9}, {3, 12}}), "2/-/7778: ,,4" + QString(28, ','),
                                                "1/-/7777: ,3" + QString(29, ','), row(3, 2, {{1, 6}}),
                             row(77, 1, {{1, 8}})};
        expected.sort();
        QCOMPARE(rows(t, 4, 2025), expected);
        QCOMPARE(rows(t, 3, 2025, true), march);
        QVERIFY(t.seam.shown.isEmpty());
    }

    // The rows of the set-based rebuild are those of the day-by-day rebuild.
    void sameRowsAsDayByDay_data()
    {
        QTest::addColumn<QDate>("month");
        QTest::addColumn<bool>("records");
        QTest::newRow("April") << QDate(2025, 4, 1) << true;
        QTest::newRow("leap February") << QDate(2024, 2, 1) << true;
        QTest::newRow("December") << QDate(2024, 12, 1) << true;
        QTest::newRow("no records") << QDate(2025, 6, 1) << false;
    }
    void sameRowsAsDayByDay()
    {
        QFETCH(QDate, month);
        QFETCH(bool, records);
        TestApp t;
        if (records)
            busyMonth(t, month);
        // Rows the rebuild replaces: a stale one, and a second row for one key.
        t.exec(QStringLiteral("insert into accounts_dep.h_tabel(w_id, month, year, smena, d9) values "
                              "(709, %1, %2, 1, 8), (701, %1, %2, 1, 1), (701, %1, %2, 1, 2)")
                   .arg(month.month())
                   .arg(month.year()));
        t.exec(QStringLiteral("insert into accounts_dep.h_tabel(w_id, month, year, i_type, d5) values (701, %1, %2, 7777, 3)")
                   .arg(month.month())
                   .arg(month.year()));
        Connection& c = t.dm().ADO_DB;
        const QStringList otherMonths = rows(t, month.addMonths(1).month(), month.addMonths(1).year(), true);
        const int statements = RebuildByDay::run(c, month.month(), month.year());
        const QStringList byDay = rows(t, month.month(), month.year());
        ShiftTimesheet::rebuild(c, month.month(), month.year());
        const QStringList setBased = rows(t, month.month(), month.year());
        QCOMPARE(setBased, byDay);
        QCOMPARE(rows(t, month.addMonths(1).month(), month.addMonths(1).year(), true), otherMonths);
        const QString household = row(701, 0, {{5, 3}}, 7777).replace("/0/7777", "/-/7777");
        if (!records) {
            QCOMPARE(setBased, QStringList{household});
            return;
        }
        QVERIFY(setBased.contains(household));
        QVERIFY(statements > 200);
        // Every worker and shift of the month once, and the day sums of the journal.
        QCOMPARE(t.scalar(QStringLiteral("select count(*) from accounts_dep.h_tabel where month=%1 and year=%2 and smena is not null")
                              .arg(month.month())
                              .arg(month.year()))
                     .toInt(),
                 t.scalar(QStringLiteral("select count(distinct (w_id, smena)) from accounts_dep.smena where data>='%1' and data<'%2'")
                              .arg(month.toString(Qt::ISODate), month.addMonths(1).toString(Qt::ISODate)))
                     .toInt());
        // Overtime rows, and two shifts of one worker on the month's first day.
        QCOMPARE(setBased.filter("702/4/0: 3,").size(), 1);
        QCOMPARE(setBased.filter(QRegularExpression("^702/1/0: [1-9]")).size(), 1);
    }

    // A statement failing after the delete: the month stays as it was, the database's
    // message is shown, the bar goes away.
    void failedRebuildLeavesTheMonth()
    {
        TestApp t;
        record(t, 1, 2, "2025-04-05", 6);
        t.exec("create function h_tabel_closed() returns trigger language plpgsql as $$ begin raise exception 'табель закрыт'; end $$");
        t.exec("create trigger closed before insert on accounts_dep.h_tabel for each row execute function h_tabel_closed()");
        const QStringList before = rows(t, 4, 2025, true);
        openOn(t, QDate(2025, 4, 1), [&](QDialog*) {
            t.seam.expectDbError();
            click(t, "Button1");
            QCOMPARE(t.seam.last()->kind, QString("dbError"));
            QVERIFY(t.seam.last()->text.contains("табель закрыт"));
            QVERIFY(control<QProgressBar>(t, "PB")->isHidden());
            QCOMPARE(names(t, 1), QStringList{"Антонов А.А."});
        });
        QCOMPARE(rows(t, 4, 2025, true), before);
        QVERIFY(!t.dm().ADO_DB.inTransaction());
    }

    // Clients save records of the month while it is rebuilt again and again: each worker
    // and shift keeps one row, and every cell holds the day's hours of the journal.
    void rebuildRacesSaves()
    {
        TestApp t;
        const int clients = 4;
        const int saves = 40;
        std::atomic<int> running{clients};
        QStringList errors;
        std::mutex m;
        std::vector<std::thread> threads;
        for (int i = 0; i < clients; ++i)
            threads.emplace_back([&, i] {
                std::unique_ptr<Connection> c = TestDb::connect(t.database, QStringLiteral("saver%1").arg(i));
                for (int n = 0; n < saves; ++n) {
                    const QDate day(2025, 5, 1 + (n * 7 + i) % 28);
                    const int worker = 1 + (n + i) % 3;
                    const int shift = 1 + n % 2;
                    try {
                        Transaction tr(*c);
                        c->execute(QStringLiteral("insert into accounts_dep.smena(w_id, i_id, o_id, data, smena, time, ok) "
                                                  "values (%1, 100, 200, '%2', %3, %4, 'no')")
                                       .arg(worker)
                                       .arg(day.toString(Qt::ISODate))
                                       .arg(shift)
                                       .arg(1 + i));
                        // A rebuild coming in here must not miss the record.
                        std::this_thread::sleep_for(std::chrono::milliseconds(5));
                        DayCells::refresh(*c, worker, shift, day);
                    } catch (const DbError& e) {
                        std::lock_guard<std::mutex> lock(m);
                        errors << e.message();
                    }
                }
                --running;
            });
        openOn(t, QDate(2025, 5, 1), [&](QDialog*) {
            int rebuilds = 0;
            while (running > 0 || rebuilds < 3) {
                click(t, "Button1");
                ++rebuilds;
            }
        });
        for (std::thread& th : threads)
            th.join();
        QVERIFY2(errors.isEmpty(), qPrintable(errors.join("; ")));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.h_tabel where month=5 and year=2025").toInt(),
                 t.scalar("select count(distinct (w_id, smena)) from accounts_dep.smena where data>='2025-05-01' and data<'2025-06-01'").toInt());
        const QStringList kept = rows(t, 5, 2025);
        RebuildByDay::run(*t.check, 5, 2025);
        QCOMPARE(kept, rows(t, 5, 2025));
    }

    // "Печать": the month's rows of every shift and kind, under "Март 2024 г.".
    void print()
    {
        TestApp t;
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, d1, d2) values "
               "(1, 3, 2024, 1, 0, 8, null), (1, 3, 2024, 4, 0, 2, null), (1, 3, 2024, null, 7777, null, 3)");
        QStringList page;
        openOn(t, QDate(2024, 3, 12), [&](QDialog*) {
            t.seam.onModal("ReportPreview", [&](QDialog* d) {
                page = qobject_cast<ReportPreview*>(d)->document().page(0).lines();
            });
            click(t, "Button6");
        });
        QVERIFY(page.size() >= 2);
        QVERIFY2(page[0].startsWith("column header: Март 2024 г. | 1 | 2 | 3"), qPrintable(page[0]));
        QCOMPARE(page[1], QString("detail: Антонов А.А. | 10 | 3 | 13"));
        QVERIFY(!t.app->form<TForm15>()->H_Tabel->isOpen());
    }
};

PW_TEST_MAIN(TestShiftTimesheet)
#include "test_shift_timesheet.moc"
