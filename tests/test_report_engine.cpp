// The report engine on rows held in memory: expressions, masks, group sums, pagination.
#include "Expression.h"
#include "DisplayText.h"
#include "Paginator.h"
#include "Painter.h"
#include <QLocale>
#include <QTemporaryDir>
#include <QTest>

using namespace Rep;

namespace {
Band band(const QString& name, double h, QVector<Element> elements = {})
{
    Band b;
    b.name = name;
    b.height = h;
    b.elements = std::move(elements);
    return b;
}

// Worker, product group, value: a report group, two nested groups and a page footer.
Layout nested()
{
    Layout l;
    Group report;
    report.header = band("title", 10, {label("T", 0)});
    report.footer = band("summary", 8, {label("Итого:", 0, 20), expr("sum(v)", 100, 20)});
    Group worker;
    worker.expression = "fio";
    worker.header = band("header fio", 6, {field("fio", 0, 50)});
    worker.footer = band("footer fio", 6, {expr("sum(v)", 100, 20).resetting()});
    Group product;
    product.expression = "nom";
    product.header = band("header nom", 6, {field("nom", 0, 50)});
    product.footer = band("footer nom", 6, {expr("sum(v)", 100, 20).resetting()});
    l.groups.push_back(report);
    l.groups.push_back(worker);
    l.groups.push_back(product);
    l.detail = band("detail", 5, {field("v", 100, 20)});
    l.pageFooter = band("page footer", 6, {pageNumber(170, 20)});
    return l;
}

TableSource rows(int n, const QString& fio = "A")
{
    QVector<QVariantList> r;
    for (int i = 0; i < n; ++i)
        r << QVariantList{fio, "x", 1};
    return TableSource({"fio", "nom", "v"}, r, {false, false, true});
}

class Row : public ExprContext {
public:
    explicit Row(QVector<Value> v, int page = 1) : values(std::move(v)), page(page) {}
    Value field(int c) const override { return values[c]; }
    int pageNumber() const override { return page; }
    QVector<Value> values;
    int page;
};

int bandsNamed(const Page& p, const QString& name)
{
    int n = 0;
    for (const PageBand& b : p.bands)
        n += b.name == name;
    return n;
}
} // namespace

class TestReportEngine : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::Russian, QLocale::Russia)); }

    void nestedSumsResetAndGrandTotal()
    {
        const Layout l = nested();
        const TableSource src({"fio", "nom", "v"},
                              {{"A", "x", 1}, {"A", "x", 2}, {"A", "y", 4}, {"B  ", "x", 8.5}}, {false, false, true});
        Paginator p(l, src);
        p.finish();
        QCOMPARE(p.pageCount(), 1);
        const QStringList expected{
            "title: T",         "header fio: A",   "header nom: x", "detail: 1",     "detail: 2",
            "footer nom: 3",    "header nom: y",   "detail: 4",     "footer nom: 4", "footer fio: 7",
            "header fio: B",    "header nom: x",   "detail: 8,5",   "footer nom: 8,5", "footer fio: 8,5",
            "summary: Итого: | 15,5", "page footer: 1"};
        QCOMPARE(p.page(0).lines(), expected);
    }

    void expressions_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::addColumn<double>("number"); // the field n
        QTest::addColumn<QString>("expected");
        const QString colour = "if(n>0,if(n=1,' (грунт)',' (RAL: '+STR(n)+')'),' ')";
        QTest::newRow("no colour") << colour << 0.0 << " ";
        QTest::newRow("primer") << colour << 1.0 << " (грунт)";
        QTest::newRow("RAL") << colour << 9016.0 << " (RAL: 9016)";
        const QString kind = "IF(n=0,'Готовая продукция','Заготовки')";
        QTest::newRow("finished") << kind << 0.0 << "Готовая продукция";
        QTest::newRow("blank") << kind << 1.0 << "Заготовки";
        QTest::newRow("sum of numbers") << "n+2.5+t" << 1.0 << "3,5"; // an empty field adds 0
        QTest::newRow("text join") << "'a'+STR(n)+'b'" << 12.0 << "a12b";
        QTest::newRow("grouping") << "IF((n+1)>2,'big','small')" << 1.0 << "small";
        QTest::newRow("page") << "'стр. '+STR(PAGENUMBER)" << 0.0 << "стр. 7";
    }
    void expressions()
    {
        QFETCH(QString, expression);
        QFETCH(double, number);
        QFETCH(QString, expected);
        const Expression e(expression, {"n", "t"});
        QCOMPARE(e.eval(Row({Value::number(number), Value()}, 7)).asText(), expected);
    }

    void badExpressionsAreRefused_data()
    {
        QTest::addColumn<QString>("expression");
        QTest::newRow("unknown field") << "n+nosuch";
        QTest::newRow("unknown function") << "MAX(n)";
        QTest::newRow("unclosed") << "IF(n=1,'a','b'";
        QTest::newRow("trailing") << "n n";
    }
    void badExpressionsAreRefused()
    {
        QFETCH(QString, expression);
        QVERIFY_THROWS_EXCEPTION(ExprError, Expression(expression, {"n"}));
    }

    void sumsAddEachRowAndReset()
    {
        Expression e("sum(n)+1", {"n"});
        e.accumulate(Row({Value::number(2)}));
        e.accumulate(Row({Value::number(3.5)}));
        QCOMPARE(e.eval(Row({Value()})).asNumber(), 6.5);
        e.resetSums();
        QCOMPARE(e.eval(Row({Value()})).asNumber(), 1.0);
    }

    void masks_data()
    {
        QTest::addColumn<double>("value");
        QTest::addColumn<QString>("mask");
        QTest::addColumn<QString>("expected");
        QTest::newRow("half up, binary below") << 2.675 << "#0.00" << "2,68";
        QTest::newRow("three decimals") << 12.0 << "#0.000" << "12,000";
        QTest::newRow("rounding three") << 0.0005 << "#0.000" << "0,001";
        QTest::newRow("whole") << 12.5 << "#0" << "13";
        QTest::newRow("integer digit") << 0.25 << "#0.00" << "0,25";
        QTest::newRow("negative half") << -1.005 << "#0.00" << "-1,01";
        QTest::newRow("no minus zero") << -0.001 << "#0.00" << "0,00";
        QTest::newRow("no grouping") << 1234567.891 << "#0.00" << "1234567,89";
        QTest::newRow("general whole") << 100.0 << "" << "100";
        QTest::newRow("general fraction") << 1234.5 << "" << "1234,5";
        QTest::newRow("general sum of tenths") << 0.1 + 0.2 << "" << "0,3";
        // Round and long numbers, large and small, never take an exponent.
        QTest::newRow("general hundred thousand") << 100000.0 << "" << "100000";
        QTest::newRow("general million") << 1e6 << "" << "1000000";
        QTest::newRow("general tenth") << 0.1 << "" << "0,1";
        QTest::newRow("general long") << 1234567.891 << "" << "1234567,891";
        QTest::newRow("general small") << 0.00001 << "" << "0,00001";
        QTest::newRow("general large") << 1e15 << "" << "1000000000000000";
        QTest::newRow("general negative") << -2.5 << "" << "-2,5";
        // The grids' price mask: two decimals, a third when there is one.
        QTest::newRow("optional decimal absent") << 1.5 << "#0.00#" << "1,50";
        QTest::newRow("optional decimal present") << 1234.5678 << "#0.00#" << "1234,568";
        QTest::newRow("optional decimal, million") << 1e6 << "#0.00#" << "1000000,00";
    }
    void masks()
    {
        QFETCH(double, value);
        QFETCH(QString, mask);
        QFETCH(QString, expected);
        QCOMPARE(DisplayText::number(value, mask), expected);
    }

    void emptySourceStillGivesAPage()
    {
        const Layout l = nested();
        const TableSource src({"fio", "nom", "v"}, {});
        Paginator p(l, src);
        p.finish();
        QCOMPARE(p.pageCount(), 1);
        QCOMPARE(p.page(0).lines(), (QStringList{"title: T", "summary: Итого: | 0", "page footer: 1"}));
    }

    // 277 mm less the 6 mm page footer hold the 10 mm title, two 6 mm headers and 49
    // rows of 5 mm on the first page.
    void longGroupRepeatsItsHeaderAndPagesAreNumbered()
    {
        Layout l = nested();
        l.groups[1].everyPage = true;
        const TableSource src = rows(120);
        Paginator p(l, src);
        p.finish();
        QVERIFY(p.pageCount() >= 3);
        for (int i = 0; i < p.pageCount(); ++i) {
            const Page& page = p.page(i);
            QCOMPARE(page.bands.first().name, i == 0 ? QString("title") : QString("header fio"));
            QCOMPARE(page.lines().last(), QString("page footer: %1").arg(i + 1));
            // Nothing runs into the page footer.
            const PageBand& footer = page.bands.last();
            QCOMPARE(footer.y + footer.h, 277.f);
            for (int b = 0; b + 1 < page.bands.size(); ++b)
                QVERIFY(page.bands[b].y + page.bands[b].h <= footer.y + 1e-3);
        }
        QCOMPARE(bandsNamed(p.page(0), "detail"), 49);
        int details = 0;
        for (const Page& page : p.pages())
            details += bandsNamed(page, "detail");
        QCOMPARE(details, 120);
        QCOMPARE(p.page(p.pageCount() - 1).lines().mid(0, 1), QStringList{"header fio: A"});
    }

    void headerKeptWithItsFooter_data()
    {
        QTest::addColumn<bool>("keep");
        QTest::addColumn<QString>("lastOnFirstPage");
        QTest::newRow("kept") << true << "footer fio";
        QTest::newRow("free") << false << "header fio";
    }
    // The first worker's 49 rows and 4 mm footer leave 6 mm: room for the next header (6)
    // but not for it with its footer (10).
    void headerKeptWithItsFooter()
    {
        QFETCH(bool, keep);
        QFETCH(QString, lastOnFirstPage);
        Layout l = nested();
        l.groups.erase(l.groups.begin() + 2);
        l.groups[1].keepWithFooter = keep;
        l.groups[1].footer.height = 4;
        QVector<QVariantList> r;
        for (int i = 0; i < 49; ++i)
            r << QVariantList{"A", "x", 1};
        r << QVariantList{"B", "x", 1};
        const TableSource src({"fio", "nom", "v"}, r, {false, false, true});
        Paginator p(l, src);
        p.finish();
        QCOMPARE(p.pageCount(), 2);
        const QVector<PageBand>& bands = p.page(0).bands;
        QCOMPARE(bands[bands.size() - 2].name, lastOnFirstPage);
    }

    void firstPageComesBeforeTheLastIsMade()
    {
        const Layout l = nested();
        const TableSource src = rows(5000);
        Paginator p(l, src);
        QVERIFY(p.ensure(0));
        QVERIFY(!p.done());
        QCOMPARE(p.pageCount(), 1);
        QVERIFY(!p.ensure(100000));
        QVERIFY(p.done());
        QCOMPARE(p.page(p.pageCount() - 1).lines().at(p.page(p.pageCount() - 1).bands.size() - 2),
                 QString("summary: Итого: | 5000"));
    }

    void pdfHoldsThePages()
    {
        const Layout l = nested();
        const TableSource src = rows(60);
        Paginator p(l, src);
        QTemporaryDir dir;
        const QString path = dir.filePath("r.pdf");
        QVERIFY(writePdf(p, path));
        QVERIFY(p.done());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), qsizetype(2));
    }
};

QTEST_MAIN(TestReportEngine)
#include "test_report_engine.moc"
