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
#include "QueuedInput.h"
#include <QComboBox>
#include <QDateEdit>
#include <QTableView>
#include <QDir>
#include <QScopeGuard>
#include <QTemporaryDir>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <unistd.h>

namespace {
const QFileDevice::Permissions kModeBits = QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner
                                           | QFileDevice::ReadGroup | QFileDevice::WriteGroup | QFileDevice::ExeGroup
                                           | QFileDevice::ReadOther | QFileDevice::WriteOther | QFileDevice::ExeOther;
QFileDevice::Permissions mode(const QString& path) { return QFileInfo(path).permissions() & kModeBits; }

// The texts of a grid column, row by row.
QStringList gridTexts(QTableView* grid, int column)
{
    QStringList out;
    for (int r = 0; r < grid->model()->rowCount(); ++r)
        out << grid->model()->index(r, column).data().toString();
    return out;
}

// Антонов, Борисов and Васильев with timesheet rows in April 2025 (Антонов alone in
// March), logged in.
void threeWorkersInApril(TestApp& t)
{
    t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d2) values (2, 4, 2025, 1, 8), (3, 4, 2025, 2, 6)");
    t.login();
}

// Sheet rows from 3 on, column 1, up to the first empty one.
QStringList sheetNames(const QHash<QString, XlsxCell>& cells)
{
    QStringList out;
    for (int r = 3; cells.contains(cellRef(r, 1)); ++r)
        out << cells.value(cellRef(r, 1)).value;
    return out;
}

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

    // Round, long and small numbers reach the workbook as numbers and the grids without an
    // exponent.
    void numbersStayNumbers()
    {
        const QStringList values{"100000", "1e6", "0.1", "1234567.891"};
        const QStringList stored{"100000", "1000000", "0.1", "1234567.891"};
        const QStringList shown{"100000", "1000000", "0,1", "1234567,891"};
        TestApp t;
        QStringList select;
        for (int i = 0; i < values.size(); ++i)
            select << QString("select %1 as n, 'Плитка' as nom, 'Формовка' as vid, 0 as naimen, 0 as color, "
                              "%2::float8 as mass, 1 as kolvo, %2::float8 as cena, 'М' as marka")
                          .arg(i)
                          .arg(values[i]);
        auto q = rowsOf(*t.check, select.join(" union all ") + " order by n");
        for (auto* exportOf : {&Exports::productOutput, &Exports::operations}) {
            Excel x(t.seam, "Числа");
            QCOMPARE(x.OpenExcel(), 1);
            exportOf(x, *q, {});
            x.ShowExcel(true);
            const auto cells = readXlsx(x.path());
            const int column = exportOf == &Exports::operations ? 3 : 4;
            for (int i = 0; i < values.size(); ++i) {
                const XlsxCell cell = cells.value(cellRef(i + 2, column));
                QCOMPARE(cell.value, stored[i]);
                QVERIFY2(!cell.text, qPrintable(cell.value));
            }
        }
        QTableView grid;
        bindGrid(t.seam, &grid, q.get(), {{"cena", "Цена", 90}, {"mass", "Коробки", 90, Qt::AlignRight, true, "#0.00#"}});
        QCOMPARE(gridTexts(&grid, 0), shown);
        QCOMPARE(gridTexts(&grid, 1), (QStringList{"100000,00", "1000000,00", "0,10", "1234567,891"}));
    }

    // A month chosen while the monthly timesheet is being exported is dropped, not kept for
    // after: the sheet holds exactly the rows of the month in its title, and the window
    // still shows that month.
    void monthChosenDuringTheExportIsDropped()
    {
        TestApp t;
        threeWorkersInApril(t);
        QStringList shown;
        openFromMenu(t, "TForm27", &TForm1::N9Click, [&](QDialog*) {
            auto* grid = t.find<QTableView>("TForm27", "DBGrid");
            shown = gridTexts(grid, 0);
            QCOMPARE(shown.size(), 3);
            auto* months = t.find<QComboBox>("TForm27", "ComboBox1");
            // As soon as the export has begun, the user goes to the month list and presses
            // Up (March).
            QTimer::singleShot(0, months, [months] {
                months->setFocus();
                QueuedInput::key(months, Qt::Key_Up);
            });
            click(t, "TForm27", "Button2");
            QTest::qWait(200);
            QCOMPARE(months->currentText(), QStringLiteral("Апрель"));
            QCOMPARE(gridTexts(grid, 0).size(), 3);
        });
        const auto cells = readXlsx(t.seam.opened.value(0));
        QCOMPARE(cells.value("A1").value, QStringLiteral("Апрель 2025"));
        QCOMPARE(sheetNames(cells), shown);
    }

    // "Печать" pressed while the shift timesheet is being exported is dropped: no preview
    // opens after the export (the seam fails the test on an unexpected window).
    void printPressedDuringTheExportIsDropped()
    {
        TestApp t;
        threeWorkersInApril(t);
        QStringList order;
        openFromMenu(t, "TForm19", &TForm1::N13Click, [&](QDialog*) {
            auto* print = t.find<QPushButton>("TForm19", "Button6");
            QTimer::singleShot(0, print, [print] { QueuedInput::click(print); });
            click(t, "TForm19", "Button2");
            order << "export";
            QTest::qWait(200);
        });
        QCOMPARE(order, (QStringList{"export"}));
        const auto cells = readXlsx(t.seam.opened.value(0));
        QCOMPARE(sheetNames(cells), (QStringList{"Антонов А.А.", "Борисов Б.Б.", "Васильев В.В."}));
    }

    // Wage sheets are for their owner's eyes: the workbook is the user's alone, and so is
    // the folder it goes to when there is no documents folder.
    void workbooksAreTheOwnersAlone()
    {
        TestApp t;
        Excel x(t.seam, "Табель");
        QCOMPARE(x.OpenExcel(), 1);
        QCOMPARE(mode(x.path()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
        x.WriteCell(1, 1, 1, "Апрель 2025", true, true, true);
        x.ShowExcel(true);
        QCOMPARE(mode(x.path()), QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    void privateFolderWithoutDocuments()
    {
        QTemporaryDir tmp;
        const QByteArray home = qgetenv("HOME"), tmpdir = qgetenv("TMPDIR"), config = qgetenv("XDG_CONFIG_HOME");
        const auto restore = qScopeGuard([&] {
            for (const auto& [name, value] : {std::pair{"HOME", home}, {"TMPDIR", tmpdir}, {"XDG_CONFIG_HOME", config}})
                value.isNull() ? qunsetenv(name) : qputenv(name, value);
        });
        // No documents folder can be made under this home.
        qputenv("HOME", "/dev/null");
        qputenv("XDG_CONFIG_HOME", tmp.filePath("config").toUtf8());
        qputenv("TMPDIR", tmp.path().toUtf8());
        DesktopSeam seam({});
        const QString dir = seam.exportFolder();
        QCOMPARE(QFileInfo(dir).absolutePath(), QFileInfo(tmp.path()).absoluteFilePath());
        QCOMPARE(mode(dir), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(QFileInfo(dir).ownerId(), uint(::geteuid()));
        QCOMPARE(seam.exportFolder(), dir);
        // A folder of that name that another user made first, open to all, is not used.
        QVERIFY(QDir(dir).removeRecursively());
        QVERIFY(QDir().mkdir(dir));
        QFile::setPermissions(dir, kModeBits);
        if (::chown(qPrintable(dir), 65534, 65534) != 0)
            QSKIP("cannot give a folder to another user here");
        const QString other = seam.exportFolder();
        QVERIFY(other != dir);
        QCOMPARE(mode(other), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
        QCOMPARE(QFileInfo(other).ownerId(), uint(::geteuid()));
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
