// The production calendar: the package's files, the administrator's that win year by year,
// the Labour Code's rule for a year without a file and its one notice; and the windows that
// use it: the day-off boxes of the main window and of the household works, the price of a
// record on a holiday, the timesheet grids and the printed timesheet in red on every day off.
#include "DbGrid.h"
#include "Query.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "app/rules/ProductionCalendar.h"
#include "printing/ReportPreview.h"
#include "timesheets/TForm19.h"
#include "timesheets/TForm27.h"
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QDateEdit>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QColor kRed(255, 0, 0);

void write(const QString& path, const QString& text)
{
    QFile f(path);
    QVERIFY(f.open(QIODevice::WriteOnly));
    f.write(text.toUtf8());
}

// The working day picked in the main window as a user does: the date typed, then Enter.
void pickDay(TestApp& t, const QDate& day)
{
    auto* date = t.find<QDateEdit>("TForm1", "DateT");
    date->setDate(day);
    QTest::keyClick(date, Qt::Key_Return);
}

QCheckBox* dayOffBox(TestApp& t) { return t.find<QCheckBox>("TForm1", "CBox1"); }
QString statusLine(TestApp& t) { return t.find<QStatusBar>("TForm1", "StatusBar1")->currentMessage(); }

// The red days among 1 … 31 of a grid's titles; first is the column of day 1.
QList<int> redTitles(QueryModel* m, int first)
{
    QList<int> out;
    for (int d = 1; d <= 31; ++d)
        if (m->headerData(first + d - 1, Qt::Horizontal, Qt::ForegroundRole).value<QColor>() == kRed)
            out << d;
    return out;
}

const QList<int> kJanuary2026Off = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 17, 18, 24, 25, 31};
} // namespace

class TestCalendar : public QObject {
    Q_OBJECT

private slots:
    // The package's calendars, as the program installed beside it reads them.
    void shippedDays_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("off");
        QTest::newRow("Christmas, a Wednesday") << QDate(2026, 1, 7) << true;
        QTest::newRow("moved from 3 January, a Friday") << QDate(2026, 1, 9) << true;
        QTest::newRow("first working day of 2026") << QDate(2026, 1, 12) << false;
        QTest::newRow("8 March on a Sunday, moved to Monday") << QDate(2026, 3, 9) << true;
        QTest::newRow("9 May on a Saturday, moved to Monday") << QDate(2026, 5, 11) << true;
        QTest::newRow("4 November 2026, a Wednesday") << QDate(2026, 11, 4) << true;
        QTest::newRow("31 December 2026, moved") << QDate(2026, 12, 31) << true;
        QTest::newRow("a plain Saturday") << QDate(2026, 1, 17) << true;
        QTest::newRow("a plain Tuesday") << QDate(2026, 1, 13) << false;
        QTest::newRow("working Saturday 1 November 2025") << QDate(2025, 11, 1) << false;
        QTest::newRow("its day off, 3 November 2025") << QDate(2025, 11, 3) << true;
        QTest::newRow("23 February 2025, a Sunday") << QDate(2025, 2, 23) << true;
        QTest::newRow("24 February 2025: moved by decree to 8 May") << QDate(2025, 2, 24) << false;
        QTest::newRow("8 May 2025") << QDate(2025, 5, 8) << true;
    }
    void shippedDays()
    {
        QFETCH(QDate, day);
        QFETCH(bool, off);
        ProductionCalendar c({ProductionCalendar::shippedFolder()});
        QStringList said;
        c.setListener([&](const QString& s) { said << s; });
        QCOMPARE(c.isDayOff(day), off);
        QVERIFY2(said.isEmpty(), qPrintable(said.join('\n')));
        QVERIFY(!c.year(day.year()).source.isEmpty());
    }

    // Every day the package's files list is understood, and lands where its kind says.
    void shippedFilesReadWhole()
    {
        const QDir dir(ProductionCalendar::shippedFolder());
        const QStringList files = dir.entryList({"ru-*.txt"});
        QCOMPARE(files, (QStringList{"ru-2025.txt", "ru-2026.txt"}));
        for (const QString& name : files) {
            QFile f(dir.filePath(name));
            QVERIFY(f.open(QIODevice::ReadOnly));
            const QString text = QString::fromUtf8(f.readAll());
            const int year = name.mid(3, 4).toInt();
            const CalendarRules::Year y = CalendarRules::parse(text, year, name);
            QVERIFY2(y.problems.isEmpty(), qPrintable(y.problems.join('\n')));
            int days = 0;
            for (const QString& line : text.split('\n'))
                days += !line.trimmed().isEmpty() && !line.startsWith('#');
            QCOMPARE(int(y.off.size() + y.work.size()), days);
        }
    }

    // A year without a file: the Code's holidays; one on a weekend gives the next working
    // day off, except in January.
    void labourCode_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("off");
        QTest::newRow("1 January 2027, a Friday") << QDate(2027, 1, 1) << true;
        QTest::newRow("8 January 2027, a Friday") << QDate(2027, 1, 8) << true;
        QTest::newRow("2 January on a Saturday moves nothing") << QDate(2027, 1, 11) << false;
        QTest::newRow("23 February 2027, a Tuesday") << QDate(2027, 2, 23) << true;
        QTest::newRow("8 March 2027, a Monday") << QDate(2027, 3, 8) << true;
        QTest::newRow("1 May on a Saturday: Monday 3 May") << QDate(2027, 5, 3) << true;
        QTest::newRow("9 May on a Sunday: Monday 10 May") << QDate(2027, 5, 10) << true;
        QTest::newRow("and Tuesday 11 May works") << QDate(2027, 5, 11) << false;
        QTest::newRow("12 June on a Saturday: Monday 14 June") << QDate(2027, 6, 14) << true;
        QTest::newRow("4 November 2027, a Thursday") << QDate(2027, 11, 4) << true;
        QTest::newRow("5 November 2027 works") << QDate(2027, 11, 5) << false;
        QTest::newRow("31 December is no holiday of the Code") << QDate(2027, 12, 31) << false;
        QTest::newRow("a Saturday") << QDate(2027, 1, 16) << true;
    }
    void labourCode()
    {
        QFETCH(QDate, day);
        QFETCH(bool, off);
        QCOMPARE(CalendarRules::isDayOff(CalendarRules::labourCode(day.year()), day), off);
    }

    // The rule the Code gives agrees with the decree wherever the decree only applies it.
    void labourCodeAgreesWithTheDecreeOf2026()
    {
        const CalendarRules::Year code = CalendarRules::labourCode(2026);
        for (const QDate& d : {QDate(2026, 3, 9), QDate(2026, 5, 11), QDate(2026, 2, 23), QDate(2026, 6, 12)})
            QVERIFY2(CalendarRules::isDayOff(code, d), qPrintable(d.toString(Qt::ISODate)));
        // The decree's own transfers are not the Code's.
        QVERIFY(!CalendarRules::isDayOff(code, QDate(2026, 1, 9)));
    }

    // The administrator's file of a year replaces the package's of that year only; a line
    // not understood is left out and named once, as is a year without any file.
    void administratorsFileWinsItsYear()
    {
        QTemporaryDir admin;
        write(admin.filePath("ru-2026.txt"), "# corrected\n2026-01-12 off  a day more\n2026-01-17 work\n2026-13-01 off\n");
        ProductionCalendar c({admin.path(), ProductionCalendar::shippedFolder()});
        QVERIFY(c.isDayOff(QDate(2026, 1, 12)));
        QVERIFY(!c.isDayOff(QDate(2026, 1, 9)));  // the package's 2026 is replaced whole
        QVERIFY(!c.isDayOff(QDate(2026, 1, 17))); // a working Saturday
        QVERIFY(!c.isDayOff(QDate(2025, 11, 1))); // 2025 is still the package's
        QVERIFY(c.isDayOff(QDate(2027, 5, 10)));  // no file at all: the Code
        QStringList said;
        c.setListener([&](const QString& s) { said << s; });
        QCOMPARE(said.size(), 2);
        QVERIFY2(said[0].contains("строка 4") && said[0].contains("2026-13-01"), qPrintable(said[0]));
        QVERIFY2(said[1].contains("на 2027 год не загружено") && said[1].contains("/etc/piecework/calendar/ru-2027.txt"),
                 qPrintable(said[1]));
        c.isDayOff(QDate(2027, 5, 11));
        c.isDayOff(QDate(2026, 1, 13));
        QCOMPARE(said.size(), 2);
    }

    // The main window's day-off box follows the calendar when the day changes.
    void mainWindowDayOff_data()
    {
        QTest::addColumn<QDate>("day");
        QTest::addColumn<bool>("ticked");
        QTest::newRow("7 January 2026, a Wednesday") << QDate(2026, 1, 7) << true;
        QTest::newRow("9 January 2026, a Friday moved off") << QDate(2026, 1, 9) << true;
        QTest::newRow("1 November 2025, a working Saturday") << QDate(2025, 11, 1) << false;
        QTest::newRow("12 January 2026, a Monday") << QDate(2026, 1, 12) << false;
    }
    void mainWindowDayOff()
    {
        QFETCH(QDate, day);
        QFETCH(bool, ticked);
        TestApp t;
        t.login();
        dayOffBox(t)->setChecked(!ticked);
        pickDay(t, day);
        QCOMPARE(dayOffBox(t)->isChecked(), ticked);
        // The user still decides.
        QTest::mouseClick(dayOffBox(t), Qt::LeftButton, {}, QPoint(6, dayOffBox(t)->height() / 2));
        QCOMPARE(dayOffBox(t)->isChecked(), !ticked);
        QVERIFY(statusLine(t).isEmpty());
    }

    // Today a holiday: the main window opens with the box ticked.
    void activationOnAHoliday()
    {
        TestApp t;
        t.seam.todayValue = QDate(2026, 1, 7);
        t.login();
        QVERIFY(dayOffBox(t)->isChecked());
    }

    // A record of 4 November 2026 entered through the dialog and its pickers: twice the price.
    void holidayRecordPricedDouble()
    {
        TestApp t;
        t.login();
        pickDay(t, QDate(2026, 11, 4));
        QVERIFY(dayOffBox(t)->isChecked());
        t.seam.onModal("TForm11", [&](QDialog*) {
            t.seam.onModal("TForm5", [&](QDialog*) {
                type(edit(t, "TForm5", "Edit1"), "Ант");
                QTest::keyClick(edit(t, "TForm5", "Edit1"), Qt::Key_Return);
            });
            click(t, "TForm11", "Button3");
            t.seam.onModal("TForm4", [&](QDialog*) {
                type(edit(t, "TForm4", "Edit1"), "П-1");
                QTest::keyClick(edit(t, "TForm4", "Edit1"), Qt::Key_Down); // Краска, then Формовка
                QTest::keyClick(edit(t, "TForm4", "Edit1"), Qt::Key_Return);
            });
            click(t, "TForm11", "Button4");
            QCOMPARE(edit(t, "TForm11", "Edit2")->text(), QStringLiteral("П-1; Формовка; Готовая продукция"));
            type(edit(t, "TForm11", "Edit3"), "10");
            click(t, "TForm11", "Button1");
        });
        click(t, "TForm1", "Button1");
        QCOMPARE(t.scalar("select cena from accounts_dep.smena where data='2026-11-04'").toDouble(), 20.0);
    }

    // The household works' box too.
    void householdDayOff()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm25", [&](QDialog*) {
            auto* box = t.find<QCheckBox>("TForm25", "CBox1");
            auto* picker = t.find<QDateEdit>("TForm25", "DTPicker1");
            picker->setDate(QDate(2026, 1, 9));
            QVERIFY(box->isChecked());
            picker->setDate(QDate(2025, 11, 1));
            QVERIFY(!box->isChecked());
            picker->setDate(QDate(2025, 11, 3));
            QVERIFY(box->isChecked());
        });
        click(t, "TForm1", "Button5");
    }

    // A year without a file: the Code's days, and one notice in the status line.
    void yearWithoutDecree()
    {
        TestApp t;
        t.login();
        QVERIFY(statusLine(t).isEmpty());
        pickDay(t, QDate(2027, 1, 8));
        QVERIFY(dayOffBox(t)->isChecked());
        QVERIFY2(statusLine(t).contains("на 2027 год не загружено"), qPrintable(statusLine(t)));
        t.find<QStatusBar>("TForm1", "StatusBar1")->clearMessage();
        pickDay(t, QDate(2027, 5, 10));
        QVERIFY(dayOffBox(t)->isChecked());
        QVERIFY(statusLine(t).isEmpty());
    }

    // January 2026 in the shift timesheet: 1–11 January red, and every weekend after.
    void shiftTimesheetJanuary()
    {
        TestApp t;
        t.exec("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok) "
               "values (1, 100, 200, 1, 0, '2026-01-05', 1, 1, 0, 4, 'no'), (1, 100, 200, 1, 0, '2026-01-12', 1, 1, 0, 8, 'no')");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, d5, d12) values (1, 1, 2026, 1, 4, 8)");
        t.login();
        pickDay(t, QDate(2026, 1, 15));
        QList<QColor> printed(32);
        QList<QColor> hours(32);
        t.seam.onModal("TForm19", [&](QDialog*) {
            QueryModel* m = t.app->form<TForm19>()->gridModel(1);
            QCOMPARE(redTitles(m, 1), kJanuary2026Off);
            QCOMPARE(m->data(m->index(0, 5), Qt::ForegroundRole).value<QColor>(), kRed);
            QVERIFY(m->data(m->index(0, 12), Qt::ForegroundRole).value<QColor>() != kRed);
            t.seam.onModal("ReportPreview", [&](QDialog* d) {
                Rep::Paginator& doc = qobject_cast<ReportPreview*>(d)->document();
                const Rep::Page& page = doc.page(0);
                for (const Rep::PageItem& i : page.items) {
                    const QString band = page.bands[i.band].name;
                    const int x = i.x;
                    if (band == "column header" && i.text.toInt() >= 1)
                        printed[i.text.toInt()] = doc.styles()[i.style].color;
                    else if (band == "detail" && (i.text == "4" || i.text == "8") && x > 80 && x < 260)
                        hours[i.text.toInt()] = doc.styles()[i.style].color;
                }
            });
            click(t, "TForm19", "Button6");
        });
        t.app->form<TForm1>()->findChild<QAction*>("N13")->trigger();
        QVERIFY(t.seam.nothingPending());
        QList<int> red;
        for (int d = 1; d <= 31; ++d)
            if (printed[d] == kRed)
                red << d;
        QCOMPARE(red, kJanuary2026Off);
        QCOMPARE(printed[12], QColor(Qt::black));
        QCOMPARE(hours[4], kRed);             // the 4 hours of 5 January
        QCOMPARE(hours[8], QColor(Qt::black)); // the 8 hours of 12 January
    }

    // And in the monthly timesheet.
    void monthlyTimesheetJanuary()
    {
        TestApp t;
        t.login();
        t.seam.onModal("TForm27", [&](QDialog*) {
            auto* years = t.find<QComboBox>("TForm27", "cb_year");
            years->setCurrentIndex(years->findData(2025));
            QTest::keyClick(years, Qt::Key_Down);
            auto* months = t.find<QComboBox>("TForm27", "ComboBox1");
            months->setCurrentIndex(1);
            QTest::keyClick(months, Qt::Key_Up);
            QCOMPARE(redTitles(t.app->form<TForm27>()->gridModel(), 2), kJanuary2026Off);
        });
        t.app->form<TForm1>()->findChild<QAction*>("N9")->trigger();
        QVERIFY(t.seam.nothingPending());
    }
};

PW_TEST_MAIN(TestCalendar)
#include "test_calendar.moc"
