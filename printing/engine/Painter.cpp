#include "Painter.h"
#include "PdfWriter.h"
#include "Report.h"
#include "TextFit.h"
#include <QSaveFile>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QPrinter>
#include <cmath>

namespace Rep {

void Report::setText(const QString& element, const QString& text)
{
    if (Element* e = layout.find(element))
        e->text = text;
}

QString Report::text(const QString& element) const
{
    const Element* e = const_cast<Layout&>(layout).find(element);
    return e ? e->text : QString();
}

namespace {
constexpr double kRule = 0.2 * kUnit;

QPageLayout pageLayoutOf(const PageSetup& s)
{
    return QPageLayout(QPageSize(QPageSize::A4), s.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}

// A painter in the report's units.
struct PainterSurface {
    QPainter& p;
    QPen pen;
    void fill(const QRectF& r, const QColor& c) { p.fillRect(r, c); }
    void line(const QPointF& a, const QPointF& b)
    {
        p.setPen(pen);
        p.drawLine(a, b);
    }
    void text(const LaidText& t, const Placement& at, const QRectF& box, const QColor& c)
    {
        p.setPen(c);
        if (at.clipped) {
            p.save();
            p.setClipRect(box, Qt::IntersectClip);
        }
        for (size_t k = 0; k < at.origins.size(); ++k)
            for (const QGlyphRun& run : t.lines[k].runs)
                p.drawGlyphRun(at.origins[k], run);
        if (at.clipped)
            p.restore();
    }
};

struct PdfSurface {
    PdfWriter& w;
    void fill(const QRectF& r, const QColor& c) { w.fill(r, c); }
    void line(const QPointF& a, const QPointF& b) { w.line(a, b, kRule); }
    void text(const LaidText& t, const Placement& at, const QRectF& box, const QColor& c) { w.text(t, at, box, c); }
};

// The page's boxes, rules and texts onto a surface.
// fonts: those of the styles so far; the layout makes styles of smaller fonts as it goes.
template <class Surface>
void walk(Surface& out, const Paginator& doc, const Page& page, LineCache& lines, QList<QFont>& fonts)
{
    const QVector<Style>& styles = doc.styles();
    while (fonts.size() < styles.size())
        fonts << paintFont(styles[fonts.size()].font);
    for (const PageItem& i : page.items) {
        const Style& s = styles[i.style];
        const QRectF r(i.x * kUnit, i.y * kUnit, i.w * kUnit, i.h * kUnit);
        if (s.background.isValid())
            out.fill(r, s.background);
        if (s.frame & FrameLeft)
            out.line(r.topLeft(), r.bottomLeft());
        if (s.frame & FrameTop)
            out.line(r.topLeft(), r.topRight());
        if (s.frame & FrameRight)
            out.line(r.topRight(), r.bottomRight());
        if (s.frame & FrameBottom)
            out.line(r.bottomLeft(), r.bottomRight());
        if (!i.text.isEmpty()) {
            const LaidText& t = lines.text(i.style, fonts[i.style], i.text);
            const QRectF box = r.adjusted(kTextMargin * kUnit, 0, -kTextMargin * kUnit, 0);
            out.text(t, place(t, box, s.align), box, s.color);
        }
    }
}

} // namespace

void paintPage(QPainter& p, const Paginator& doc, const Page& page, LineCache& lines)
{
    const PageSetup& setup = doc.layout().page;
    p.save();
    p.translate(setup.margin, setup.margin);
    p.scale(1 / kUnit, 1 / kUnit);
    QPen pen(Qt::black);
    pen.setWidthF(kRule);
    PainterSurface surface{p, pen};
    QList<QFont> fonts;
    walk(surface, doc, page, lines, fonts);
    p.restore();
}

// Lays out until page index exists (or the report ends), telling the last page made
// before rows still being read are awaited.
bool layOut(Paginator& doc, int index, const PagePainted& painted)
{
    if (!painted)
        return doc.ensure(index);
    while (doc.pageCount() <= index && !doc.done())
        if (!doc.stepIfReady()) {
            painted(doc.pageCount() - 1);
            doc.ensure(doc.pageCount());
        }
    return index < doc.pageCount();
}

bool writeQtPdf(Paginator& doc, const QString& path, const PagePainted& painted)
{
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    pdf.setPageLayout(pageLayoutOf(doc.layout().page));
    pdf.setCreator(QStringLiteral("piecework"));
    QPainter p;
    if (!p.begin(&pdf))
        return false;
    p.scale(pdf.resolution() / 25.4, pdf.resolution() / 25.4);
    LineCache lines(LineCache::Print);
    for (int i = 0; layOut(doc, i, painted); ++i) {
        if (i > 0)
            pdf.newPage();
        paintPage(p, doc, doc.page(i), lines);
        if (painted)
            painted(i);
    }
    return p.end();
}
bool writePdf(Paginator& doc, const QString& path, const PagePainted& painted)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    const PageSetup& setup = doc.layout().page;
    // Made after the file: its compressing thread ends before the file is let go, also
    // when a row read for the layout fails.
    PdfWriter writer(file, setup.paperWidth(), setup.paperHeight(), setup.margin);
    PdfSurface surface{writer};
    LineCache lines(LineCache::Print);
    QList<QFont> fonts;
    for (int i = 0; layOut(doc, i, painted); ++i) {
        writer.beginPage();
        walk(surface, doc, doc.page(i), lines, fonts);
        writer.endPage();
        if (painted)
            painted(i);
    }
    return writer.finish() && file.commit();
}

void print(Paginator& doc, QPrinter& printer, const PagePainted& painted)
{
    printer.setFullPage(true);
    printer.setPageLayout(pageLayoutOf(doc.layout().page));
    int from = printer.fromPage() > 0 ? printer.fromPage() - 1 : 0;
    const int to = printer.toPage() > 0 ? printer.toPage() - 1 : INT_MAX;
    QPainter p;
    if (!p.begin(&printer))
        return;
    const double dpmm = printer.resolution() / 25.4;
    p.scale(dpmm, dpmm);
    LineCache lines(LineCache::Print);
    for (int i = from; i <= to && layOut(doc, i, painted); ++i) {
        if (i > from)
            printer.newPage();
        paintPage(p, doc, doc.page(i), lines);
        if (painted)
            painted(i);
    }
    p.end();
}

} // namespace Rep
