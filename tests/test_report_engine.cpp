// The report engine on rows held in memory: expressions, masks, group sums, pagination.
#include "Expression.h"
#include "DisplayText.h"
#include "Paginator.h"
#include "PdfFile.h"
#include "Painter.h"
#include "TextFit.h"
#include "TextLines.h"
#include <QImage>
#include <QLocale>
#include <QPainter>
#include <QProcess>
#include <QRegularExpression>
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

// Where an image holds dark pixels.
QRect inkBox(const QImage& image)
{
    QRect box;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qGray(image.pixel(x, y)) < 128)
                box |= QRect(x, y, 1, 1);
    return box;
}

int dark(const QImage& image)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += qGray(image.pixel(x, y)) < 128;
    return n;
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

    // Texts are laid out once and drawn as glyphs: they must land where QPainter::drawText
    // puts them, cut where it cuts them.
    void laidOutTextsLandWhereDrawTextPutsThem_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("align");
        QTest::addColumn<double>("width");
        QTest::addColumn<bool>("bold");
        const QString name = QStringLiteral("Иванов И.И.");
        QTest::newRow("left") << name << int(Qt::AlignLeft) << 400.0 << false;
        QTest::newRow("centred") << name << int(Qt::AlignHCenter) << 400.0 << true;
        QTest::newRow("right") << name << int(Qt::AlignRight) << 400.0 << false;
        QTest::newRow("number centred") << QStringLiteral("12345.68") << int(Qt::AlignHCenter) << 170.0 << false;
        QTest::newRow("too long, left") << QStringLiteral("Корпус редуктора чугунный литой Ц2У-160") << int(Qt::AlignLeft)
                                        << 200.0 << false;
        QTest::newRow("too long, centred") << QStringLiteral("Заготовки и готовая продукция") << int(Qt::AlignHCenter)
                                           << 150.0 << true;
        QTest::newRow("leading blanks") << QStringLiteral("   Отчет по рабочим") << int(Qt::AlignLeft) << 900.0 << true;
        QTest::newRow("two lines") << QStringLiteral("Марка\nвторая строка") << int(Qt::AlignHCenter) << 400.0 << false;
    }
    void laidOutTextsLandWhereDrawTextPutsThem()
    {
        QFETCH(QString, text);
        QFETCH(int, align);
        QFETCH(double, width);
        QFETCH(bool, bold);
        const QFont font = paintFont(Font{QStringLiteral("Arial"), 10, bold});
        const QRectF box(20, 10, width, 50);
        auto paint = [&](const std::function<void(QPainter&)>& draw) {
            QImage image(1000, 400, QImage::Format_ARGB32);
            image.fill(Qt::white);
            QPainter p(&image);
            p.setRenderHint(QPainter::TextAntialiasing);
            p.scale(1.0, 1.0);
            draw(p);
            return image;
        };
        const QImage expected = paint([&](QPainter& p) {
            p.setFont(font);
            p.drawText(box, align | Qt::AlignVCenter, text);
        });
        LineCache cache;
        const QImage ours = paint([&](QPainter& p) {
            const LaidText& t = cache.text(0, font, text);
            const Placement at = place(t, box, Qt::Alignment(align));
            if (at.clipped)
                p.setClipRect(box);
            for (size_t k = 0; k < at.origins.size(); ++k)
                for (const QGlyphRun& run : t.lines[k].runs)
                    p.drawGlyphRun(at.origins[k], run);
        });
        QVERIFY(expected != paint([](QPainter&) {}));
        if (!text.contains('\n'))
            QCOMPARE(ours, expected);
        // Lines after the first may round to other pixels; their ink must still agree.
        const QRect a = inkBox(ours), b = inkBox(expected);
        QVERIFY2(qAbs(a.left() - b.left()) <= 1 && qAbs(a.right() - b.right()) <= 1 && qAbs(a.top() - b.top()) <= 1
                     && qAbs(a.bottom() - b.bottom()) <= 1,
                 qPrintable(QString("%1 %2 %3 %4 against %5 %6 %7 %8").arg(a.left()).arg(a.top()).arg(a.right()).arg(a.bottom())
                                .arg(b.left()).arg(b.top()).arg(b.right()).arg(b.bottom())));
    }

    // The file is written straight, not through Qt's PDF engine: it must look the same,
    // hold the same text and embed only the glyphs it shows.
    void pdfLooksAsQtWouldWriteIt()
    {
        Layout l = nested();
        l.groups[0].header.elements << label("Заголовок, который длиннее своей рамки", 40, 30).bold().framed(FrameAll);
        l.groups[1].header.background = QColor(0xE0, 0xE0, 0xE0);
        l.detail.elements << label("справа", 130, 30).right() << label("цвет", 160, 20).centre();
        l.detail.elements.last().color = Qt::red;
        QVector<QVariantList> r;
        for (int i = 0; i < 70; ++i)
            r << QVariantList{i < 40 ? "Иванов И.И." : "Петров П.П.", i % 3 ? "Кольцо 850x400" : "Блок", i * 1.25};
        const TableSource src({"fio", "nom", "v"}, r, {false, false, true});
        QTemporaryDir dir;
        const QString ours = dir.filePath("ours.pdf"), qt = dir.filePath("qt.pdf");
        Paginator a(l, src), b(l, src);
        QVERIFY(writePdf(a, ours));
        QVERIFY(writeQtPdf(b, qt));
        QCOMPARE(PdfFile::faults(ours), QString());
        QCOMPARE(PdfFile::faults(qt), QString());
        auto run = [](const QString& program, const QStringList& args) {
            QProcess p;
            p.start(program, args);
            p.waitForFinished(60000);
            return p.readAllStandardOutput();
        };
        // The words in reading order (blank lines between blocks are the reader's guess).
        auto words = [&](const QString& file) { return QString::fromUtf8(run("pdftotext", {file, "-"})).split(QRegularExpression("\\s+"), Qt::SkipEmptyParts); };
        QCOMPARE(words(ours), words(qt));
        QVERIFY(words(ours).contains("Заголовок,"));
        QVERIFY(run("pdffonts", {ours}).contains("CID TrueType      Identity-H       yes yes yes"));
        for (const QString& page : {QStringLiteral("1"), QStringLiteral("2")}) {
            run("pdftoppm", {"-r", "100", "-gray", "-f", page, "-l", page, "-png", ours, dir.filePath("o")});
            run("pdftoppm", {"-r", "100", "-gray", "-f", page, "-l", page, "-png", qt, dir.filePath("q")});
            const QImage o(dir.filePath("o-" + page + ".png")), q(dir.filePath("q-" + page + ".png"));
            QVERIFY(!o.isNull() && o.size() == q.size());
            int ink = 0, off = 0;
            for (int y = 0; y < o.height(); ++y)
                for (int x = 0; x < o.width(); ++x) {
                    ink += qGray(q.pixel(x, y)) < 128;
                    off += qAbs(qGray(o.pixel(x, y)) - qGray(q.pixel(x, y))) > 96;
                }
            QVERIFY(ink > 1000);
            QVERIFY2(off < ink / 100, qPrintable(QString("%1 of %2 dark pixels differ").arg(off).arg(ink)));
        }
    }

    void pdfHoldsThePages()
    {
        const Layout l = nested();
        const TableSource src = rows(60);
        Paginator p(l, src);
        QTemporaryDir dir;
        const QString path = dir.filePath("r.pdf");
        QVERIFY(writePdf(p, path));
        QCOMPARE(PdfFile::faults(path), QString());
        QVERIFY(p.done());
        QFile f(path);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray pdf = f.readAll();
        QVERIFY(pdf.startsWith("%PDF"));
        QCOMPARE(pdf.count("/Type /Page\n") + pdf.count("/Type /Page\r") + pdf.count("/Type /Page "), qsizetype(2));
    }

    // What a PDF shows can be found and copied: each glyph stands for the characters of its
    // cluster, in whatever face shows it: TrueType, CFF, a fallback face for an emoji, a
    // face of colour pictures.
    void pdfTextCanBeFound_data()
    {
        QTest::addColumn<QString>("family");
        QTest::addColumn<QString>("face"); // that shows the text's first character
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("joined"); // fewer glyphs than characters: ligatures
        QTest::addColumn<bool>("colour"); // the face's glyphs are pictures in colour
        QTest::newRow("Cyrillic") << "Arial" << "Liberation Sans" << "Иванов Пётр: кольцо 850×400, съёмник «Ёж»" << false << false;
        QTest::newRow("ffi, TrueType") << "DejaVu Sans" << "DejaVu Sans" << "Effizienz office affine" << true << false;
        QTest::newRow("ffi, CFF") << "EB Garamond" << "EB Garamond" << "Effizienz office affine" << true << false;
        QTest::newRow("emoji first") << "Arial" << "DejaVu Sans" << "😀 Торт «Наполеон» 😀" << false << false;
        QTest::newRow("colour emoji first") << "Arial" << "Noto Color Emoji" << "🍕 Пицца «Маргарита»" << false << true;
    }

    void pdfTextCanBeFound()
    {
        QFETCH(QString, family);
        QFETCH(QString, face);
        QFETCH(QString, text);
        QFETCH(bool, joined);
        QFETCH(bool, colour);
        Element e = field("t", 0, 180);
        e.font.family = family;
        const QFont font = paintFont(e.font);
        LineCache cache(LineCache::Print);
        const LaidText& laid = cache.text(0, font, text);
        qsizetype glyphs = 0;
        for (const LaidLine& line : laid.lines)
            for (const QGlyphRun& run : line.runs)
                glyphs += run.glyphIndexes().size();
        QVERIFY2(laid.lines.front().runs.front().rawFont().familyName() == face, "a font package of scripts/need.sh is missing");
        QCOMPARE(glyphs < text.toUcs4().size(), joined);

        Layout l;
        l.detail = band("detail", 10, {e});
        const TableSource src({"t"}, {QVariantList{text}}, {false});
        Paginator doc(l, src);
        QTemporaryDir dir;
        const QString path = dir.filePath("t.pdf");
        QVERIFY(writePdf(doc, path));
        QCOMPARE(PdfFile::faults(path), QString());
        QCOMPARE(PdfFile::text(path).simplified(), text);
        QProcess::execute("pdftoppm", {"-r", "100", "-png", "-singlefile", path, dir.filePath("p")});
        const QImage page(dir.filePath("p.png"));
        QVERIFY(!page.isNull());
        int coloured = 0;
        for (int y = 0; y < page.height(); ++y)
            for (int x = 0; x < page.width(); ++x) {
                const QRgb c = page.pixel(x, y);
                coloured += std::max({qRed(c), qGreen(c), qBlue(c)}) - std::min({qRed(c), qGreen(c), qBlue(c)}) > 100;
            }
        QCOMPARE(coloured > 20, colour);
    }

    // A face first met on a later page is embedded like those before it, its text text.
    // The writer once started the file again through Qt's engine instead, cancelling it
    // while its thread still wrote the pages before into it.
    void pdfTakesAFaceFirstMetOnALaterPage()
    {
        Layout l = nested();
        Element summary = label("Effizienz office", 40, 50);
        summary.font.family = "EB Garamond";
        l.groups[0].footer.elements << summary;
        const TableSource src = rows(60);
        Paginator p(l, src);
        QTemporaryDir dir;
        const QString path = dir.filePath("r.pdf");
        QVERIFY(writePdf(p, path));
        QCOMPARE(p.pageCount(), 2);
        QCOMPARE(PdfFile::faults(path), QString());
        QVERIFY(!PdfFile::text(path, {"-f", "1", "-l", "1"}).contains("office"));
        QVERIFY(PdfFile::text(path, {"-f", "2", "-l", "2"}).contains("Effizienz office"));
        const QString fonts = PdfFile::fonts(path);
        QVERIFY2(fonts.contains(QRegularExpression("EBGaramond\\S* +CID Type 0C \\(OT\\) +Identity-H +yes yes yes")), qPrintable(fonts));
    }

    // A variable face is embedded at the instance Qt draws: readers of PDF know no
    // variations and would draw the default (regular) one for the bold.
    void pdfDrawsAVariableFaceAtItsInstance()
    {
        QTemporaryDir dir;
        int ink[2] = {};
        for (const bool bold : {false, true}) {
            Element e = label("Иванов П.П. office 850x400", 0, 180);
            e.font = Font{"Inter", 16, bold};
            QVERIFY2(!QRawFont::fromFont(paintFont(e.font)).fontTable("fvar").isEmpty(), "fonts-inter-variable is missing");
            Layout l;
            l.detail = band("detail", 12, {e});
            const TableSource src({"v"}, {QVariantList{1}}, {true});
            Paginator doc(l, src);
            const QString path = dir.filePath(bold ? "b.pdf" : "r.pdf");
            QVERIFY(writePdf(doc, path));
            QCOMPARE(PdfFile::faults(path), QString());
            QCOMPARE(PdfFile::text(path).simplified(), e.text);
            QProcess::execute("pdftoppm", {"-r", "100", "-gray", "-png", "-singlefile", path, dir.filePath("p")});
            ink[bold] = dark(QImage(dir.filePath("p.png")));
        }
        QVERIFY2(ink[1] > ink[0] * 5 / 4, qPrintable(QString("%1 dark pixels regular, %2 bold").arg(ink[0]).arg(ink[1])));
    }
};

QTEST_MAIN(TestReportEngine)
#include "test_report_engine.moc"
