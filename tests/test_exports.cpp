// The spreadsheet exports, read back from the written workbooks: headings and titles,
// numbers stored as numbers and text-format cells as text, the progress captions, and
// the failures (no spreadsheet program, a folder that cannot be written).
#include "sheets/Excel.h"
#include "sheets/Exports.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "XlsxReader.h"
#include "DbGrid.h"
#include <QDateEdit>
#include <QTableView>
#include <QDir>
#include <QPushButton>
#include <QTest>

namespace {
// Row r of the sheet, columns 1…n, as "value" ("'value" for text).
QStringList row(const QHash<QString, XlsxCell>& cells, int r, int n)
{
    QStringList out;
    for (int c = 1; c <= n; ++c) {
        const XlsxCell cell = cells.value(cellRef(r, c));
        out << (cell.text ? QStringLiteral("'") + cell.value : cell.value);
    }
    return out;
}

// A query over literal rows, as a timesheet query gives them.
std::unique_ptr<Query> rowsOf(Connection& c, const QString& select)
{
    auto q = std::make_unique<Query>(c, QStringLiteral("rows"));
    q->setSql(select);
    q->open();
    return q;
}

// The day columns of a timesheet row: "null as d1, 8 as d2, …" with the given cells.
QString days(const QString& prefix, const QHash<int, QString>& cells)
{
    QStringList out;
    for (int d = 1; d <= 31; ++d)
        out << cells.value(d, QStringLiteral("null")) + QStringLiteral("::int as ") + prefix + QString::number(d);
    return out.join(", ");
}

QStringList dayHeadings()
{
    QStringList out;
    for (int d = 1; d <= 31; ++d)
        out << QString::number(d);
    return out;
}
} // namespace

class TestExports : public QObject {
    Q_OBJECT

private slots:
    void operationsAndPrices()
    {
        TestApp t;
        t.login();
        openFromMenu(t, "TForm4", &TForm1::N4Click, [&](QDialog*) { click(t, "TForm4", "Button5"); });
        QCOMPARE(t.seam.opened.size(), 1);
        const QString path = t.seam.opened.first();
        QCOMPARE(QFileInfo(path).fileName(), QStringLiteral("Операции и цены.xlsx"));
        const auto cells = readXlsx(path);
        QCOMPARE(row(cells, 1, 4), (QStringList{"'Марка", "'Операция", "'Цена", "'Вид"}));
        // Every operation, with or without norm rows, priced by its own cena_new.
        QCOMPARE(row(cells, 2, 4), (QStringList{"'Б-1", "'Упаковка", "3", "'Заготовки"}));
        QCOMPARE(row(cells, 3, 4), (QStringList{"'П-1", "'Краска", "5", "'Готовая продукция"}));
        QCOMPARE(row(cells, 5, 4), (QStringList{"'П-2", "'Формовка", "0", "'Готовая продукция"}));
        // A second export never writes over the first.
        openFromMenu(t, "TForm4", &TForm1::N4Click, [&](QDialog*) { click(t, "TForm4", "Button5"); });
        QCOMPARE(QFileInfo(t.seam.opened.last()).fileName(), QStringLiteral("Операции и цены (2).xlsx"));
        QVERIFY(t.seam.shown.isEmpty());
    }

    void productOutput_data()
    {
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::addColumn<QStringList>("lines"); // rows 2… as joined cells
        QTest::addColumn<QString>("caption");
        QTest::newRow("1 April") << QDate(2025, 4, 1) << QDate(2025, 4, 2)
                                 << QStringList{"'Бордюры|'Упаковка|'Заготовки|4|40",
                                                "'Плитка|'Формовка|'Готовая продукция|2.86|143",
                                                "'Плитка|'Краска (цвет: 7035)|'Готовая продукция|0.38|19"}
                                 << "Excel (3 из 3)";
        QTest::newRow("no records") << QDate(2025, 5, 1) << QDate(2025, 6, 1) << QStringList{} << "Excel (0 из 0)";
    }
    void productOutput()
    {
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        QFETCH(QStringList, lines);
        QFETCH(QString, caption);
        TestApp t;
        t.login();
        t.seam.onModal("TForm18", [&](QDialog*) {
            t.find<QDateEdit>("TForm18", "DTPicker1")->setDate(from);
            t.find<QDateEdit>("TForm18", "DTPicker2")->setDate(to);
            click(t, "TForm18", "Button6");
            QCOMPARE(t.find<QPushButton>("TForm18", "Button6")->text(), caption);
        });
        t.app->form<TForm1>()->N10Click();
        const auto cells = readXlsx(t.seam.opened.value(0));
        QCOMPARE(row(cells, 1, 5), (QStringList{"'Наименование", "'Операция", "'Вид продукции", "'Коробки", "'Кол-во"}));
        QStringList got;
        for (int r = 2; r < 2 + lines.size() + 1; ++r)
            if (cells.contains(cellRef(r, 1)))
                got << row(cells, r, 5).join('|');
        got.sort();
        lines.sort();
        QCOMPARE(got, lines);
    }

    void shiftTimesheet()
    {
        TestApp t;
        auto q = rowsOf(*t.check, "select 'Антонов А.А.' as fio, " + days("sd", {{1, "8"}, {2, "10"}, {31, "4"}})
                                      + " union all select '123', " + days("sd", {}));
        Excel x(t.seam, "Табель");
        QCOMPARE(x.OpenExcel(), 1);
        QStringList captions;
        Exports::shiftTimesheet(x, *q, "Март 2024", [&](int n, int all) { captions << Exports::progressCaption(n, all); });
        x.ShowExcel(true);
        const auto cells = readXlsx(x.path());
        QCOMPARE(cells.value("A1").value, QStringLiteral("Март 2024"));
        QVERIFY(cells.value("A1").bold && cells.value("A1").text);
        QCOMPARE(row(cells, 2, 33), QStringList{"'Фамилия И.О."} + dayHeadings() + QStringList{"'Итого"});
        QCOMPARE(row(cells, 3, 3), (QStringList{"'Антонов А.А.", "8", "10"}));
        QCOMPARE(cells.value("D3").value, QStringLiteral("0")); // an empty day is 0
        QCOMPARE(cells.value("AF3").value, QStringLiteral("4"));
        QCOMPARE(cells.value("AG3").value, QStringLiteral("22")); // the total of the 31 days
        QVERIFY(!cells.value("AG3").text);
        // A name of digits stays text in the text format.
        QCOMPARE(row(cells, 4, 2), (QStringList{"'123", "0"}));
        QCOMPARE(captions, (QStringList{"Excel (0 из 2)", "Excel (1 из 2)", "Excel (2 из 2)"}));
    }

    void monthlyTimesheet_data()
    {
        QTest::addColumn<int>("tag");
        QTest::addColumn<bool>("nightColumn");
        QTest::addColumn<bool>("hourColumn");
        QTest::newRow("piece-work") << 9 << false << true;
        QTest::newRow("household works") << 14 << true << true;
        QTest::newRow("average piece rate") << 15 << true << true;
        QTest::newRow("general") << 17 << false << false;
    }
    void monthlyTimesheet()
    {
        QFETCH(int, tag);
        QFETCH(bool, nightColumn);
        QFETCH(bool, hourColumn);
        TestApp t;
        auto q = rowsOf(*t.check, "select 'Борисов Б.Б.' as fio, 'ноч.' as s_night, " + days("d", {{3, "8"}})
                                      + ", 8 as i_time, 1234.5 as f_price, 154.31 as average_price"
                                        " union all select 'Васильев В.В.', null, " + days("d", {})
                                      + ", null, null, null");
        Excel x(t.seam, "Табель");
        QCOMPARE(x.OpenExcel(), 1);
        Exports::monthlyTimesheet(x, *q, "Апрель 2025", tag, {});
        x.ShowExcel(true);
        const auto cells = readXlsx(x.path());
        const QStringList heads = QStringList{"'Фамилия И.О.", ""} + dayHeadings()
                                  + QStringList{"'Итого (ч.)", "'Итого (р.)", hourColumn ? "'Час (р.)" : ""};
        QCOMPARE(row(cells, 2, 36), heads);
        QCOMPARE(cells.value("B3").value, nightColumn ? QStringLiteral("ноч.") : QString());
        QCOMPARE(row(cells, 3, 5).mid(2), (QStringList{"0", "0", "8"}));
        QCOMPARE(row(cells, 3, 36).mid(33), (QStringList{"8", "1234.5", hourColumn ? "154.31" : ""}));
        // Empty sums and rates leave their cells empty; empty days are 0.
        QCOMPARE(row(cells, 4, 36).mid(33), (QStringList{"", "", ""}));
        QCOMPARE(cells.value("C4").value, QStringLiteral("0"));
    }

    void shiftTimesheetFromItsWindow()
    {
        TestApp t;
        t.login();
        openFromMenu(t, "TForm19", &TForm1::N13Click, [&](QDialog*) {
            click(t, "TForm19", "Button2");
            QCOMPARE(t.find<QPushButton>("TForm19", "Button2")->text(), QStringLiteral("Excel (1 из 1)"));
        });
        const auto cells = readXlsx(t.seam.opened.value(0));
        QCOMPARE(cells.value("A1").value, QStringLiteral("Апрель 2025"));
        QCOMPARE(cells.value("AG2").value, QStringLiteral("Итого"));
        // Антонов: 4 hours on 1 April in the first shift, the sums of all his rows.
        QCOMPARE(row(cells, 3, 2), (QStringList{"'Антонов А.А.", "4"}));
        QCOMPARE(cells.value("AG3").value, QStringLiteral("4"));
    }

    void monthlyTimesheetFromItsWindow_data()
    {
        QTest::addColumn<QString>("item");
        QTest::addColumn<bool>("hourColumn");
        QTest::newRow("piece-work") << "N9" << true;
        QTest::newRow("general") << "N17" << false;
    }
    void monthlyTimesheetFromItsWindow()
    {
        QFETCH(QString, item);
        QFETCH(bool, hourColumn);
        TestApp t;
        t.login();
        void (TForm1::*menu)() = item == "N9" ? &TForm1::N9Click : &TForm1::N17Click;
        int rows = 0;
        openFromMenu(t, "TForm27", menu, [&](QDialog*) {
            rows = qobject_cast<QueryModel*>(t.find<QTableView>("TForm27", "DBGrid")->model())->rowCount();
            click(t, "TForm27", "Button2");
            QCOMPARE(t.find<QPushButton>("TForm27", "Button2")->text(), QStringLiteral("Excel (%1 из %1)").arg(rows));
        });
        QCOMPARE(t.find<QPushButton>("TForm27", "Button2")->text(), QStringLiteral("Excel"));
        const auto cells = readXlsx(t.seam.opened.value(0));
        QCOMPARE(cells.value("A1").value, QStringLiteral("Апрель 2025"));
        QCOMPARE(cells.value("AJ2").value, hourColumn ? QStringLiteral("Час (р.)") : QString());
        QCOMPARE(cells.contains(cellRef(2 + rows, 1)), rows > 0);
        QVERIFY(!cells.contains(cellRef(3 + rows, 1)));
    }

    void failures_data()
    {
        QTest::addColumn<bool>("writable");
        QTest::addColumn<bool>("program");
        QTest::addColumn<QString>("message");
        QTest::newRow("no spreadsheet program") << true << false << "Невозможно открыть Microsoft Excel.\nКнига записана в файл ";
        QTest::newRow("folder cannot be written") << false << true << "Ошибка открытия файла Microsoft Excel.\nНе удалось создать файл ";
    }
    void failures()
    {
        QFETCH(bool, writable);
        QFETCH(bool, program);
        QFETCH(QString, message);
        TestApp t;
        t.login();
        t.seam.canOpenDocuments = program;
        if (!writable)
            t.seam.exportDir = "/dev/null/exports";
        openFromMenu(t, "TForm4", &TForm1::N4Click, [&](QDialog* d) {
            click(t, "TForm4", "Button5");
            QVERIFY(d->isVisible());
        });
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
        QVERIFY2(t.seam.last()->text.startsWith(message), qPrintable(t.seam.last()->text));
        const QString path = t.seam.last()->text.mid(message.size());
        // Nothing is lost: the workbook is where the message says.
        QCOMPARE(QFileInfo::exists(path), writable);
        if (writable)
            QCOMPARE(readXlsx(path).value("A1").value, QStringLiteral("Марка"));
        // The window works on.
        t.seam.clearShown();
        t.seam.exportDir.clear();
        t.seam.canOpenDocuments = true;
        openFromMenu(t, "TForm4", &TForm1::N4Click, [&](QDialog*) { click(t, "TForm4", "Button5"); });
        QVERIFY(t.seam.shown.isEmpty());
    }
};

PW_TEST_MAIN(TestExports)
#include "test_exports.moc"
