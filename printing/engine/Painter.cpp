#include "Painter.h"
#include "Report.h"
#include "TextFit.h"
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
void frame(QPainter& p, const QRectF& r, unsigned char f)
{
    if (f & FrameLeft)
        p.drawLine(r.topLeft(), r.bottomLeft());
    if (f & FrameTop)
        p.drawLine(r.topLeft(), r.topRight());
    if (f & FrameRight)
        p.drawLine(r.topRight(), r.bottomRight());
    if (f & FrameBottom)
        p.drawLine(r.bottomLeft(), r.bottomRight());
}

QPageLayout pageLayoutOf(const PageSetup& s)
{
    return QPageLayout(QPageSize(QPageSize::A4), s.landscape ? QPageLayout::Landscape : QPageLayout::Portrait,
                       QMarginsF(0, 0, 0, 0), QPageLayout::Millimeter);
}
} // namespace

void paintPage(QPainter& p, const Paginator& doc, const Page& page)
{
    const PageSetup& setup = doc.layout().page;
    p.save();
    p.translate(setup.margin, setup.margin);
    p.scale(1 / kUnit, 1 / kUnit);
    QPen pen(Qt::black);
    pen.setWidthF(0.2 * kUnit);
    const QVector<Style>& styles = doc.styles();
    QVector<QFont> fonts;
    for (const Style& s : styles)
        fonts << paintFont(s.font);
    for (const PageItem& i : page.items) {
        const Style& s = styles[i.style];
        const QRectF r(i.x * kUnit, i.y * kUnit, i.w * kUnit, i.h * kUnit);
        if (s.background.isValid())
            p.fillRect(r, s.background);
        if (s.frame != NoFrame) {
            p.setPen(pen);
            frame(p, r, s.frame);
        }
        if (!i.text.isEmpty()) {
            p.setFont(fonts[i.style]);
            p.setPen(s.color);
            p.drawText(r.adjusted(kTextMargin * kUnit, 0, -kTextMargin * kUnit, 0), int(s.align | Qt::AlignVCenter), i.text);
        }
    }
    p.restore();
}

bool writePdf(Paginator& doc, const QString& path, const PagePainted& painted)
{
    QPdfWriter pdf(path);
    pdf.setResolution(300);
    pdf.setPageLayout(pageLayoutOf(doc.layout().page));
    pdf.setCreator(QStringLiteral("piecework"));
    QPainter p;
    if (!p.begin(&pdf))
        return false;
    p.scale(pdf.resolution() / 25.4, pdf.resolution() / 25.4);
    for (int i = 0; doc.ensure(i); ++i) {
        if (i > 0)
            pdf.newPage();
        paintPage(p, doc, doc.page(i));
        if (painted)
            painted(i);
    }
    return p.end();
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
    for (int i = from; i <= to && doc.ensure(i); ++i) {
        if (i > from)
            printer.newPage();
        paintPage(p, doc, doc.page(i));
        if (painted)
            painted(i);
    }
    p.end();
}

} // namespace Rep
