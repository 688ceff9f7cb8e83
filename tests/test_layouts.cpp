// Every print layout laid out over the demo workshop, whose marks, kinds and names are
// the longest the program meets: each printed text lies inside its cell, fixed texts
// whole, values too long for their column cut with "…"; and the kind of the detailed
// report by product reads whole in its PDF.
#include "Painter.h"
#include "PdfFile.h"
#include "Query.h"
#include "TestDb.h"
#include "TextFit.h"
#include "printing/ReportLayout.h"
#include "printing/TForm15.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "printing/rules/ReportSql.h"
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {
const QDate kFrom(2000, 1, 1), kTo(2100, 1, 1);

// The quoted strings of every element: texts that must print whole.
QStringList fixedTexts(const Rep::Layout& l, const QStringList& fields)
{
    QStringList out;
    auto add = [&](const Rep::Band& b, auto& self) -> void {
        for (const Rep::Element& e : b.elements) {
            if (e.kind == Rep::Element::Label)
                out << e.text;
            else if (e.kind == Rep::Element::Expression)
                out << Rep::Expression(e.text, fields).fixedTexts();
        }
        for (const Rep::Band& c : b.child)
            self(c, self);
    };
    for (const Rep::Group& g : l.groups) {
        add(g.header, add);
        add(g.footer, add);
    }
    add(l.detail, add);
    add(l.pageFooter, add);
    out.removeAll(QString());
    return out;
}

// Lays the layout out over the query and checks every text on every page; the number of
// texts cut is returned in cut.
void checkPages(ReportLayout& layout, const Query& q, int& cut)
{
    const QuerySource source(q);
    const std::unique_ptr<Rep::Paginator> doc = layout.QuickRep1.prepare(source);
    doc->finish();
    const QStringList fixed = fixedTexts(layout.QuickRep1.layout, q.fieldNames());
    QHash<int, std::shared_ptr<Rep::TextMeter>> meters;
    for (const Rep::Page& page : doc->pages()) {
        for (const Rep::PageItem& i : page.items) {
            if (i.text.isEmpty())
                continue;
            auto& meter = meters[i.style];
            if (!meter)
                meter = std::make_shared<Rep::TextMeter>(doc->styles()[i.style].font);
            const double width = meter->width(i.text);
            QVERIFY2(width <= i.w - 2 * Rep::kTextMargin + 0.01,
                     qPrintable(QStringLiteral("'%1' is %2 mm in a cell of %3 mm").arg(i.text).arg(width).arg(i.w)));
            if (i.text.endsWith(QChar(0x2026))) {
                ++cut;
                const QString start = i.text.chopped(1);
                for (const QString& f : fixed)
                    QVERIFY2(!f.startsWith(start), qPrintable(QStringLiteral("the fixed text '%1' is cut").arg(f)));
            }
        }
    }
}

// A period report over every record of the demo, with its caller's title.
void periodReport(ReportLayout& layout, Query& q, const QString& title, int& cut)
{
    q.close();
    q.setParam(QStringLiteral("data1"), kFrom);
    q.setParam(QStringLiteral("data2"), kTo);
    q.open();
    QVERIFY(q.recordCount() > 0);
    layout.QuickRep1.setText(QStringLiteral("QRLabel1"), ReportSql::title(title, kFrom, kTo));
    checkPages(layout, q, cut);
    q.close();
}
} // namespace

class TestLayouts : public QObject {
    Q_OBJECT

private slots:
    void everyTextFitsItsCell()
    {
        TestApp t(QStringLiteral("pw_demo"));
        int cut = 0;
        periodReport(*t.app->form<TForm16>(), *t.app->form<TForm16>()->t_Report, "   Отчет по рабочим за период с ", cut);
        periodReport(*t.app->form<TForm17>(), *t.app->form<TForm17>()->t_Report, "   Отчет по продукции за период с ", cut);
        periodReport(*t.app->form<TForm20>(), *t.app->form<TForm20>()->w_Report,
                     "   Детальный отчет по рабочим за период с ", cut);
        periodReport(*t.app->form<TForm21>(), *t.app->form<TForm21>()->i_Report,
                     "   Детальный отчет по продукции за период с ", cut);
        // The month timesheet, in the month with the most rows, under its longest heading.
        TForm15* f = t.app->form<TForm15>();
        const QVariantList month = t.check->select(
            "select month, year from accounts_dep.h_tabel group by month, year order by count(*) desc limit 1").rows.value(0);
        QCOMPARE(month.size(), 2);
        f->H_Tabel->setParam("mnth", month[0].toInt());
        f->H_Tabel->setParam("yea", month[1].toInt());
        f->H_Tabel->open();
        f->QuickRep1.setText("QRLabel33", QStringLiteral("Сентябрь %1 г.").arg(month[1].toInt()));
        checkPages(*f, *f->H_Tabel, cut);
        f->H_Tabel->close();
        // The demo's longest marks are longer than the detailed reports' mark columns.
        QVERIFY(cut > 0);
    }

    // The kind of the detailed report by product prints whole, apart from the defects
    // beside it.
    void kindReadsWholeInThePdf()
    {
        TestApp t(QStringLiteral("pw_demo"));
        TForm21* f = t.app->form<TForm21>();
        Query& q = *f->i_Report;
        q.setParam(QStringLiteral("data1"), kFrom);
        q.setParam(QStringLiteral("data2"), kTo);
        q.open();
        f->QuickRep1.setText(QStringLiteral("QRLabel1"), ReportSql::title("   Детальный отчет по продукции за период с ", kFrom, kTo));
        const QuerySource source(q);
        const std::unique_ptr<Rep::Paginator> doc = f->QuickRep1.prepare(source);
        QTemporaryDir dir;
        const QString path = dir.filePath("kinds.pdf");
        QVERIFY(Rep::writePdf(*doc, path));
        q.close();
        QCOMPARE(PdfFile::faults(path), QString());
        const QString text = PdfFile::text(path, {"-layout"});
        const QStringList lines = text.split('\n');
        int kinds = 0;
        for (const QString& line : lines) {
            if (!line.contains("Готовая"))
                continue;
            ++kinds;
            QVERIFY2(line.contains(QRegularExpression("Готовая продукция(\\s|$)")), qPrintable(line));
        }
        QVERIFY(kinds > 0);
    }
};

PW_TEST_MAIN(TestLayouts)
#include "test_layouts.moc"
