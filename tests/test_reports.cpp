// The period reports window and the five print layouts on a small February of the
// workshop: bands, group sums, colour and kind texts, the product-kind filter, titles,
// the timesheet layout, the preview and a PDF read back.
#include "PdfFile.h"
#include "Query.h"
#include "printing/ReportPreview.h"
#include "TForm1.h"
#include "printing/TForm15.h"
#include "printing/TForm16.h"
#include "printing/TForm20.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include <QDateEdit>
#include <QLabel>
#include <QRegularExpression>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

namespace {
// Антонов: two product groups, primer and RAL colours, a bonus, prices that round;
// Борисов: one row; a record of 1 March lies outside February.
void february(TestApp& t)
{
    t.exec("insert into accounts_dep.smena(id, w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, prize) values "
           "(901, 1, 100, 200, 10, 1, '2025-02-03', 1, 1.005, 1, 8, 'ok', 10),"
           "(902, 1, 102, 202, 7, 0, '2025-02-04', 1, 2.5, 9016, 8, 'ok', 0),"
           "(903, 2, 100, 201, 4, 0, '2025-02-05', 2, 0.3333, 0, 8, 'ok', 0),"
           "(904, 1, 100, 200, 5, 0, '2025-02-28', 1, 1.005, 1, 8, 'ok', 0),"
           "(905, 2, 100, 200, 1000, 0, '2025-03-01', 1, 10, 0, 8, 'ok', 0)");
}

const QDate kFeb(2025, 2, 1), kMar(2025, 3, 1);

using Lines = QVector<QStringList>;

// Opens the reports window from the menu, sets period and kind as a user does, presses
// the button and returns the pages of the preview; check runs in the preview.
Lines report(TestApp& t, const char* button, QDate from = kFeb, QDate to = kMar, int kind = 0,
             const std::function<void(ReportPreview*)>& check = {})
{
    Lines pages;
    openFromMenu(t, "TForm18", &TForm1::N10Click, [&](QDialog*) {
        t.find<QDateEdit>("TForm18", "DTPicker1")->setDate(from);
        t.find<QDateEdit>("TForm18", "DTPicker2")->setDate(to);
        QTest::mouseClick(t.find<QRadioButton>("TForm18", QString("RadioGroup1Item%1").arg(kind)), Qt::LeftButton);
        t.seam.onModal("ReportPreview", [&](QDialog* d) {
            auto* p = qobject_cast<ReportPreview*>(d);
            QVERIFY(p);
            QVERIFY(p->windowState() & Qt::WindowMaximized);
            if (check)
                check(p);
            p->document().finish();
            for (const Rep::Page& page : p->document().pages())
                pages << page.lines();
        });
        QTest::mouseClick(t.find<QPushButton>("TForm18", button), Qt::LeftButton);
    });
    return pages;
}

QStringList named(const Lines& pages, const QString& prefix)
{
    QStringList out;
    for (const QStringList& p : pages)
        for (const QString& l : p)
            if (l.startsWith(prefix))
                out << l;
    return out;
}
} // namespace

class TestReports : public QObject {
    Q_OBJECT

private slots:
    void summaryByWorker()
    {
        TestApp t;
        t.login();
        february(t);
        const Lines pages = report(t, "Button4");
        QCOMPARE(pages.size(), 1);
        const QStringList expected{
            "title:    Отчет по рабочим за период с 01.02.2025 по 01.03.2025",
            "spacer: ",
            "header fio: Антонов А.А.",
            "header nom: Бордюры",
            "detail: Заготовки | Упаковка |  (RAL: 9016) | 7 | 17,500",
            "footer nom: 7 | 17,500",
            "header nom: Плитка",
            "detail: Готовая продукция | Формовка |  (грунт) | 14 | 14,070",
            "footer nom: 14 | 14,070",
            "footer fio: 31,57",
            "header fio: Борисов Б.Б.",
            "header nom: Плитка",
            "detail: Готовая продукция | Краска |   | 4 | 1,333",
            "footer nom: 4 | 1,333",
            "footer fio: 1,33",
            "summary: Итого: | 32,90",
            "page footer: 1",
        };
        QCOMPARE(pages[0], expected);
        QVERIFY(t.seam.shown.isEmpty());
        QVERIFY(!t.app->form<TForm16>()->t_Report->isOpen()); // closed with the preview
    }

    void productKindFilter_data()
    {
        QTest::addColumn<int>("kind");
        QTest::addColumn<QStringList>("groups");
        QTest::addColumn<QString>("total");
        QTest::newRow("Все") << 0 << QStringList{"header nom: Бордюры", "header nom: Плитка", "header nom: Плитка"}
                             << "summary: Итого: | 32,90";
        QTest::newRow("Готовая продукция") << 1 << QStringList{"header nom: Плитка", "header nom: Плитка"}
                                           << "summary: Итого: | 15,40";
        QTest::newRow("Заготовки") << 2 << QStringList{"header nom: Бордюры"} << "summary: Итого: | 17,50";
    }
    void productKindFilter()
    {
        QFETCH(int, kind);
        QFETCH(QStringList, groups);
        QFETCH(QString, total);
        TestApp t;
        t.login();
        february(t);
        const Lines pages = report(t, "Button4", kFeb, kMar, kind);
        QCOMPARE(named(pages, "header nom"), groups);
        QCOMPARE(named(pages, "summary"), QStringList{total});
    }

    // Each report button: its title, and the report footer adding up the period.
    void reportButtons_data()
    {
        QTest::addColumn<QString>("button");
        QTest::addColumn<QString>("title");
        QTest::addColumn<QStringList>("totals");
        QTest::newRow("by product") << "Button2" << "Отчет по продукции"
                                    << QStringList{"footer nom: 0,7 | 7", "footer nom: 0,36 | 18", "summary: Итого: | 1 | 25"};
        QTest::newRow("detailed by product")
            << "Button3" << "Детальный отчет по продукции"
            << QStringList{"footer nom: 0 | 0,70 | 7 | 17,50", "footer nom: 1 | 0,38 | 19 | 15,40",
                           "summary: Итого: | 1 | 1,08 | 26 | 32,90"};
        // Pieces count the defects too; the sums pay the good pieces at the journal's price.
        QTest::newRow("detailed by worker")
            << "Button1" << "Детальный отчет по рабочим"
            << QStringList{"footer fio: 1 | 22 | 31,57", "footer fio: 0 | 4 | 1,33", "summary: Итого: | 1 | 26 | 32,90"};
    }
    void reportButtons()
    {
        QFETCH(QString, button);
        QFETCH(QString, title);
        QFETCH(QStringList, totals);
        TestApp t;
        t.login();
        february(t);
        const Lines pages = report(t, qPrintable(button));
        QCOMPARE(named(pages, "title"),
                 QStringList{"title:    " + title + " за период с 01.02.2025 по 01.03.2025" +
                             (button == "Button2" ? " | Коробки | Количество"
                              : button == "Button3" ? " | Брак | Коробки | Кол-во | Сумма"
                                                    : " | Брак | Количество | Сумма")});
        QStringList footers = named(pages, "footer");
        footers << named(pages, "summary");
        QCOMPARE(footers, totals);
        QVERIFY(t.seam.shown.isEmpty());
    }

    void detailedByWorkerBonusUsesTheJournalPrice()
    {
        TestApp t;
        t.login();
        february(t);
        double bonus = -1;
        report(t, "Button1", kFeb, kMar, 0, [&](ReportPreview*) {
            Query* q = t.app->form<TForm20>()->w_Report;
            double s = 0;
            for (q->first(); !q->eof(); q->next())
                s += q->asFloat("s_prize");
            bonus = s;
        });
        QCOMPARE(bonus, 10 * 9 * 1.005 / 100);
    }

    void emptyPeriodStillPrintsHeadersAndFooter()
    {
        TestApp t;
        t.login();
        const Lines pages = report(t, "Button1", QDate(2024, 1, 1), QDate(2024, 2, 1));
        QCOMPARE(pages, (Lines{{"title:    Детальный отчет по рабочим за период с 01.01.2024 по 01.02.2024 | Брак | Количество | Сумма",
                                "spacer: ", "summary: Итого: | 0 | 0 | 0,00", "page footer: 1"}}));
    }

    void invertedPeriodIsRefused_data()
    {
        QTest::addColumn<QDate>("to");
        QTest::newRow("same day") << kFeb;
        QTest::newRow("before") << QDate(2025, 1, 31);
    }
    void invertedPeriodIsRefused()
    {
        QFETCH(QDate, to);
        TestApp t;
        t.login();
        openFromMenu(t, "TForm18", &TForm1::N10Click, [&](QDialog*) {
            t.find<QDateEdit>("TForm18", "DTPicker1")->setDate(kFeb);
            t.find<QDateEdit>("TForm18", "DTPicker2")->setDate(to);
            QTest::mouseClick(t.find<QPushButton>("TForm18", "Button4"), Qt::LeftButton);
        });
        QCOMPARE(t.seam.texts(), QStringList{"Дата \"с\" должна быть раньше даты \"по\"!"});
        QCOMPARE(t.seam.last()->title, QString("Ошибка"));
        QVERIFY(!t.seam.modals.contains("ReportPreview"));
    }

    void previousMonthPreset_data()
    {
        QTest::addColumn<QDate>("today");
        QTest::addColumn<QDate>("from");
        QTest::addColumn<QDate>("to");
        QTest::newRow("January") << QDate(2025, 1, 15) << QDate(2024, 12, 1) << QDate(2025, 1, 1);
        QTest::newRow("1 March") << QDate(2025, 3, 1) << kFeb << kMar;
        QTest::newRow("31 March") << QDate(2025, 3, 31) << kFeb << kMar;
    }
    void previousMonthPreset()
    {
        QFETCH(QDate, today);
        QFETCH(QDate, from);
        QFETCH(QDate, to);
        TestApp t;
        t.seam.todayValue = today;
        t.login();
        openFromMenu(t, "TForm18", &TForm1::N10Click, [&](QDialog*) {
            QCOMPARE(t.find<QDateEdit>("TForm18", "DTPicker1")->date(), from);
            QCOMPARE(t.find<QDateEdit>("TForm18", "DTPicker2")->date(), to);
        });
    }

    void pdfOfAReportReadsBack()
    {
        TestApp t;
        t.login();
        february(t);
        QTemporaryDir dir;
        const QString path = dir.filePath("report.pdf");
        report(t, "Button4", kFeb, kMar, 0, [&](ReportPreview* p) { QVERIFY(p->savePdf(path)); });
        QCOMPARE(PdfFile::faults(path), QString());
        const QString text = PdfFile::text(path, {"-layout"});
        QVERIFY2(text.contains("Отчет по рабочим за период с 01.02.2025 по 01.03.2025"), qPrintable(text));
        QVERIFY2(text.contains("Антонов А.А."), qPrintable(text));
        QVERIFY2(text.contains(QRegularExpression("Итого:\\s+32,90")), qPrintable(text));
    }

    // 40 workers: the landscape page holds 35 rows under the day header, so the header
    // comes again on page 2; each worker's total spans all his timesheet rows.
    void timesheetTotalsAndRepeatedHeader()
    {
        TestApp t;
        t.login();
        t.exec("insert into accounts_dep.person(id, fio) select 600 + g, 'Раб ' || lpad(g::text, 2, '0') "
               "from generate_series(1, 40) g");
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, d1, d2, d31) "
               "select 600 + g, 2, 2025, 1, 0, 8, null, 1 from generate_series(1, 40) g");
        // Раб 01 also has a second shift and a household row that month.
        t.exec("insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, d1, d2) values "
               "(601, 2, 2025, 2, 0, 4, 3), (601, 2, 2025, 0, 7777, null, 2)");
        TForm15* f = t.app->form<TForm15>();
        f->H_Tabel->setParam("mnth", 2);
        f->H_Tabel->setParam("yea", 2025);
        f->H_Tabel->open();
        f->QuickRep1.setText("QRLabel33", "Данные за: Февраль 2025");
        QStringList page1, page2;
        QString label;
        t.seam.onModal("ReportPreview", [&](QDialog* d) {
            auto* p = qobject_cast<ReportPreview*>(d);
            QTest::mouseClick(p->findChild<QToolButton*>("NextPage"), Qt::LeftButton);
            QCOMPARE(p->pageIndex(), 1);
            QTest::mouseClick(p->findChild<QToolButton*>("LastPage"), Qt::LeftButton);
            label = p->findChild<QLabel*>("PageLabel")->text();
            page1 = p->document().page(0).lines();
            page2 = p->document().page(1).lines();
        });
        f->preview(*f->H_Tabel);
        f->H_Tabel->close();
        QCOMPARE(label, QString("Страница 2 из 2"));
        QString header = "column header: Данные за: Февраль 2025";
        for (int d = 1; d <= 31; ++d)
            header += QString(" | %1").arg(d);
        header += " | Итого";
        QCOMPARE(page1.first(), header);
        QCOMPARE(page2.first(), header);
        QCOMPARE(page1.size(), 1 + 35 + 1);
        QCOMPARE(page1[1], QString("detail: Раб 01 | 12 | 5 | 1 | 18"));
        QCOMPARE(page1[2], QString("detail: Раб 02 | 8 | 1 | 9"));
        QCOMPARE(page2.last(), QString("page footer: 2"));
        QVERIFY(t.seam.shown.isEmpty());
    }
};

PW_TEST_MAIN(TestReports)
#include "test_reports.moc"
