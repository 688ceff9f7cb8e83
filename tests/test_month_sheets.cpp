// The monthly timesheet window opened from the main menu in its four variants: columns,
// rows of each variant, the month's day columns, the four totals, the month and year.
#include "DbGrid.h"
#include "Query.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "timesheets/TForm27.h"
#include <QAbstractItemModelTester>
#include <QAccessible>

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
TForm27* sheet(TestApp& t) { return t.app->form<TForm27>(); }
QTableView* grid(TestApp& t) { return t.find<QTableView>("TForm27", "DBGrid"); }

// Opens the variant through its menu item and runs the step in the shown window.
void openSheet(TestApp& t, const char* item, const std::function<void()>& step)
{
    t.seam.onModal("TForm27", [&](QDialog*) { step(); });
    t.app->form<TForm1>()->findChild<QAction*>(item)->trigger();
    QVERIFY(t.seam.nothingPending());
}

// The month and the year chosen as a user does, with the keyboard.
void choose(TestApp& t, int month, int year)
{
    auto* years = t.find<QComboBox>("TForm27", "cb_year");
    years->setCurrentIndex(years->findData(year) - 1);
    QTest::keyClick(years, Qt::Key_Down);
    auto* months = t.find<QComboBox>("TForm27", "ComboBox1");
    months->setCurrentIndex(month == 1 ? 1 : month - 2);
    QTest::keyClick(months, month == 1 ? Qt::Key_Up : Qt::Key_Down);
    QCOMPARE(months->currentIndex(), month - 1);
}

// A grid line as "name|mark|hours|earnings|rate"; mark and rate only where shown.
QStringList lines(TestApp& t)
{
    QueryModel* m = sheet(t)->gridModel();
    QStringList out;
    for (int r = 0; r < m->rowCount(); ++r) {
        QStringList cells{m->text(r, 0).trimmed()};
        for (int c : {1, 34, 33, 35})
            if (!grid(t)->isColumnHidden(c))
                cells << m->text(r, c);
        out << cells.join('|');
    }
    return out;
}

QString total(TestApp& t, const char* label) { return t.find<QLabel>("TForm27", label)->text(); }
} // namespace


class TestMonthSheets : public QObject {
    Q_OBJECT

private slots:
    void variants_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<QString>("caption");
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("markShown");
        QTest::addColumn<bool>("rateShown");
        QTest::addColumn<int>("nameWidth");
        // April has 30 days: the name column takes the hidden day 31's 20.
        QTest::newRow("piece work") << "N9" << "Табель сделка (27)" << 9 << false << true << 258;
        QTest::newRow("household works") << "N14" << "Табель хоз. работы (27)" << 14 << true << true << 228;
        QTest::newRow("average piece rate") << "N15" << "Табель ср. сдельная (27)" << 15 << true << true << 228;
        QTest::newRow("general") << "N17" << "Общий табель (27)" << 17 << false << false << 324;
    }
    void variants()
    {
        QFETCH(QString, item);
        QFETCH(QString, caption);
        QFETCH(int, tag);
        QFETCH(bool, markShown);
        QFETCH(bool, rateShown);
        QFETCH(int, nameWidth);
        TestApp t;
        t.login();
        // Another variant first: nothing of it may stay.
        openSheet(t, item == "N14" ? "N17" : "N14", [] {});
        openSheet(t, qPrintable(item), [&] {
            QCOMPARE(sheet(t)->windowTitle(), caption);
            QCOMPARE(sheet(t)->Tag, tag);
            QCOMPARE(!grid(t)->isColumnHidden(1), markShown);
            QCOMPARE(!grid(t)->isColumnHidden(35), rateShown);
            QCOMPARE(grid(t)->columnWidth(0), nameWidth);
            QCOMPARE(t.find<QComboBox>("TForm27", "ComboBox1")->currentText(), QStringLiteral("Апрель"));
            QCOMPARE(t.find<QComboBox>("TForm27", "cb_year")->currentText(), QStringLiteral("2025"));
            QVERIFY(grid(t)->isColumnHidden(32));
            QVERIFY(!grid(t)->isColumnHidden(31));
            QAbstractItemModelTester tester(sheet(t)->gridModel(), QAbstractItemModelTester::FailureReportingMode::QtTest);
        });
        QVERIFY(!sheet(t)->cur_tabel->isOpen());
    }

    void dayAndNightLines()
    {
        TestApp t;
        t.exec("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_night) values "
               "(10, 7777, 2, '2025-04-02', 4, 2025, 1, 2, 180, 0), (10, 7777, 2, '2025-04-03', 4, 2025, 1, 3, 216, 1), "
               "(10, 7777, 2, '2025-04-04', 4, 2025, 1, 1, 216, 1), (10, 7778, 2, '2025-04-02', 4, 2025, 1, 5, 20, 0)");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, i_type, i_night, d2, d3, d4) values "
               "(2, 4, 2025, 7777, 0, 2, null, null), (2, 4, 2025, 7777, 1, null, 3, 1), (2, 4, 2025, 7778, 0, 5, null, null)");
        t.login();
        openSheet(t, "N14", [&] {
            QCOMPARE(lines(t), (QStringList{"Борисов Б.Б.|дн.|2|360,00|180,00", "Борисов Б.Б.|ноч.|4|864,00|216,00"}));
            QCOMPARE(sheet(t)->gridModel()->text(1, 4), QStringLiteral("3"));
            QCOMPARE(sheet(t)->gridModel()->text(0, 4), QStringLiteral("0"));
        });
        openSheet(t, "N15", [&] { QCOMPARE(lines(t), QStringList{"Борисов Б.Б.|дн.|5|100,00|20,00"}); });
        // The general timesheet: every row of the worker, journal and household together.
        openSheet(t, "N17", [&] {
            QCOMPARE(lines(t), (QStringList{"Антонов А.А.|6|1130,00", "Борисов Б.Б.|20|1494,00"}));
            QCOMPARE(sheet(t)->gridModel()->text(1, 3), QStringLiteral("7"));
        });
    }

    void totals_data()
    {
        QTest::addColumn<QString>("household");
        QTest::addColumn<QStringList>("shown"); // "Ср. сдел.:", "Хоз. работы:", "Сделка:", "Итого:"
        QTest::newRow("no household records") << "" << QStringList{"", "", "1695,00", "1695,00"};
        QTest::newRow("household records")
            << "(7777, 2, 180), (7777, 4, 0), (7778, 3, 200), (7778, 0, 200)" << QStringList{"600,00", "360,00", "1695,00", "2655,00"};
    }
    void totals()
    {
        QFETCH(QString, household);
        QFETCH(QStringList, shown);
        TestApp t;
        if (!household.isEmpty())
            t.exec("insert into accounts_dep.fatigue(id_o, cnt, price, id_nom, id_p, d_date, i_mnth, i_year, i_smena) "
                   "select k, c, p, 10, 2, '2025-04-15', 4, 2025, 1 from (values " + household + ") v(k, c, p)");
        t.login();
        openSheet(t, "N9", [&] {
            QCOMPARE((QStringList{total(t, "Label2"), total(t, "Label4"), total(t, "Label6"), total(t, "Label8")}), shown);
        });
    }

    void zeroPriceOrQuantityCountInTheGridOnly()
    {
        TestApp t;
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, time) values "
               "(3, 100, 201, 0, 3, '2025-04-02', 2, 10, 2), (3, 100, 201, 10, 0, '2025-04-03', 2, 0, 1)");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d1, d2, d3) values (3, 4, 2025, 2, 6, 2, 1)");
        t.login();
        openSheet(t, "N9", [&] {
            // 95 of the fixture's record less 30 of the defects without pieces.
            QCOMPARE(lines(t), (QStringList{"Антонов А.А.|6|1130,00|188,33", "Васильев В.В.|9|65,00|7,22"}));
            QCOMPARE(total(t, "Label6"), QStringLiteral("1695,00"));
            QCOMPARE(total(t, "Label8"), QStringLiteral("1695,00"));
        });
    }

    void monthSelection()
    {
        TestApp t;
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, time) values "
               "(1, 100, 200, 1, 0, '2024-12-01', 1, 10, 1), (1, 100, 200, 1, 0, '2024-12-31', 1, 10, 5), "
               "(1, 100, 200, 1, 0, '2025-01-01', 1, 10, 7), (1, 100, 200, 1, 0, '2024-11-30', 1, 10, 9)");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d1, d31) values (1, 12, 2024, 1, 1, 5)");
        t.login();
        openSheet(t, "N9", [&] {
            QueryModel* m = sheet(t)->gridModel();
            // 5 April 2025 is a Saturday, 7 April a Monday; day 31 is beyond April.
            QCOMPARE(m->headerData(2 + 4, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
            QCOMPARE(m->data(m->index(0, 2 + 5), Qt::ForegroundRole).value<QColor>(), QColor(255, 0, 0));
            QVERIFY(!m->headerData(2 + 6, Qt::Horizontal, Qt::ForegroundRole).isValid());
            QCOMPARE(m->headerData(2 + 30, Qt::Horizontal, Qt::ForegroundRole).value<QColor>(), QColor(192, 192, 192));
            auto* years = t.find<QComboBox>("TForm27", "cb_year");
            QCOMPARE(years->itemText(0), QStringLiteral("2007"));
            QCOMPARE(years->itemText(years->count() - 1), QStringLiteral("2026"));
            // February of a common year hides three days, the same at every selection.
            for (int i = 0; i < 2; ++i) {
                choose(t, 2, 2025);
                QCOMPARE(grid(t)->columnWidth(0), 238 + 60);
                QVERIFY(grid(t)->isColumnHidden(2 + 28));
                QVERIFY(!grid(t)->isColumnHidden(2 + 27));
            }
            choose(t, 4, 2025);
            QVERIFY(!grid(t)->isColumnHidden(2 + 29));
            QVERIFY(grid(t)->isColumnHidden(2 + 30));
            QCOMPARE(grid(t)->columnWidth(0), 238 + 20);
            // December runs from its first day up to 1 January.
            choose(t, 12, 2024);
            QCOMPARE(lines(t), QStringList{"Антонов А.А.|6|20,00|3,33"});
            QCOMPARE(m->text(0, 2), QStringLiteral("1"));
            QCOMPARE(m->text(0, 32), QStringLiteral("5"));
            QCOMPARE(total(t, "Label6"), QStringLiteral("20,00"));
            QVERIFY(!grid(t)->isColumnHidden(32));
        });
    }

    void wholeMonthShows_data()
    {
        QTest::addColumn<QString>("item");
        QTest::newRow("piece work") << "N9";
        QTest::newRow("household works") << "N14";
        QTest::newRow("average piece rate") << "N15";
        QTest::newRow("general") << "N17";
    }
    void wholeMonthShows()
    {
        QFETCH(QString, item);
        TestApp t;
        // Forty workers with rows of every kind in every month of 2025: more than the grid's
        // height shows.
        t.exec("insert into accounts_dep.person(id, fio, s_staffpos_hl) "
               "select n, 'Работник ' || n, 'Цех №1' from generate_series(10, 49) n");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, d1, d28) "
               "select w, m, 2025, 1, k, 24, 16 from generate_series(10, 49) w, generate_series(1, 12) m, "
               "unnest(array[0, 7777, 7778]) k");
        t.login();
        openSheet(t, qPrintable(item), [&] {
            for (int month = 1; month <= 12; ++month) {
                choose(t, month, 2025);
                QVERIFY(grid(t)->model()->rowCount() >= 40);
                checkWholeMonthShows(grid(t), 2, QDate(2025, month, 1), QStringLiteral("month %1").arg(month));
                if (QTest::currentTestFailed())
                    return;
            }
        });
    }

    // Each total speaks its amount to assistive technology, not its caption alone.
    void totalsSpeakTheirAmounts()
    {
        TestApp t;
        t.login();
        openSheet(t, "N9", [&] {
            const std::pair<const char*, const char*> totals[] = {
                {"Ср. сдел.:", "Label2"}, {"Хоз. работы:", "Label4"}, {"Сделка:", "Label6"}, {"Итого:", "Label8"}};
            for (const auto& [caption, name] : totals) {
                auto* label = t.find<QLabel>("TForm27", name);
                QAccessibleInterface* a = QAccessible::queryAccessibleInterface(label);
                QVERIFY(a);
                QCOMPARE(a->text(QAccessible::Name), QString::fromUtf8(caption) + " " + label->text());
            }
            QVERIFY(QAccessible::queryAccessibleInterface(t.find<QLabel>("TForm27", "Label6"))
                        ->text(QAccessible::Name)
                        .endsWith("1695,00"));
            // Another month, other amounts, spoken too.
            choose(t, 3, 2025);
            QCOMPARE(QAccessible::queryAccessibleInterface(t.find<QLabel>("TForm27", "Label6"))->text(QAccessible::Name),
                     "Сделка: " + total(t, "Label6"));
        });
    }

    void refreshReadsTheRowsAgain()
    {
        TestApp t;
        t.login();
        openSheet(t, "N9", [&] {
            QCOMPARE(lines(t).size(), 1);
            t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d2) values (2, 4, 2025, 1, 8)");
            QTest::mouseClick(t.find<QPushButton>("TForm27", "Button5"), Qt::LeftButton);
            QCOMPARE(lines(t), (QStringList{"Антонов А.А.|6|1130,00|188,33", "Борисов Б.Б.|9|170,00|18,89"}));
        });
    }
};

PW_TEST_MAIN(TestMonthSheets)
#include "test_month_sheets.moc"
