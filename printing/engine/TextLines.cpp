#include "TextLines.h"
#include <QFontMetricsF>
#include <QTextLayout>
#include <algorithm>
#include <cmath>

namespace Rep {

namespace {
// As QPainter::drawText reads a text: a line or paragraph break starts a new line.
QString lineText(const QString& text)
{
    QString s = text;
    for (QChar& c : s)
        if (c == QLatin1Char('\n') || c == QLatin1Char('\r') || c == QChar::ParagraphSeparator)
            c = QChar::LineSeparator;
    return s;
}

LaidText layOut(const QFont& font, const QString& text, bool design)
{
    LaidText out;
    out.text = text;
    QTextLayout layout(lineText(text), font);
    QTextOption option;
    option.setWrapMode(QTextOption::ManualWrap);
    option.setFlags(QTextOption::IncludeTrailingSpaces);
    option.setUseDesignMetrics(design);
    layout.setTextOption(option);
    layout.setCacheEnabled(true);
    const qreal leading = QFontMetricsF(font).leading();
    qreal height = -leading;
    layout.beginLayout();
    for (QTextLine l = layout.createLine(); l.isValid(); l = layout.createLine()) {
        l.setLineWidth(1e6);
        height += leading;
        height = std::ceil(height);
        l.setPosition(QPointF(0, height));
        // QTextLine::height() is rounded up; drawText goes by the exact sum.
        height += l.ascent() + l.descent();
    }
    layout.endLayout();
    for (int i = 0; i < layout.lineCount(); ++i) {
        const QTextLine l = layout.lineAt(i);
        LaidLine line;
        line.top = l.position().y();
        line.naturalWidth = l.naturalTextWidth();
        line.advance = l.horizontalAdvance();
        line.height = l.ascent() + l.descent();
        // Positions from the line's own top left; the line's place comes with the box.
        for (QGlyphRun run : l.glyphRuns()) {
            QList<QPointF> at = run.positions();
            for (QPointF& p : at)
                p -= QPointF(0, l.position().y());
            run.setPositions(at);
            line.runs << run;
        }
        out.lines.push_back(std::move(line));
    }
    return out;
}
} // namespace

const LaidText& LineCache::text(int fontKey, const QFont& font, const QString& text)
{
    const quintptr place = quintptr(text.constData());
    Recent& r = recent_[((place >> 4) ^ quintptr(fontKey) * 2654435761u) & (recent_.size() - 1)];
    if (r.laid && r.fontKey == fontKey && r.text.constData() == text.constData() && r.text.size() == text.size())
        return *r.laid;
    std::pair<int, QString> key(fontKey, text);
    auto it = texts_.find(key);
    if (it == texts_.end()) {
        if (int(texts_.size()) >= capacity_) {
            texts_.clear();
            std::fill(recent_.begin(), recent_.end(), Recent());
        }
        it = texts_.emplace(std::move(key), layOut(font, text, metrics_ == Print)).first;
    }
    r = Recent{text, fontKey, &it->second};
    return it->second;
}

Placement place(const LaidText& t, const QRectF& box, Qt::Alignment align)
{
    // Lines are laid out until one reaches the box's bottom; the block is centred on the
    // box as a whole and each line aligned on its own.
    Placement p;
    qreal height = 0, width = 0;
    size_t shown = 0;
    for (const LaidLine& l : t.lines) {
        height = l.top + l.height;
        width = qMax(width, l.naturalWidth);
        ++shown;
        if (height >= box.height())
            break;
    }
    const qreal yoff = (box.height() - height) / 2;
    qreal xoff = 0;
    if (align & Qt::AlignRight)
        xoff = box.width() - width;
    else if (align & Qt::AlignHCenter)
        xoff = (box.width() - width) / 2;
    const QRectF bounds(box.x() + xoff, box.y() + yoff, width, height);
    p.clipped = !box.contains(bounds);
    for (size_t i = 0; i < shown; ++i) {
        const qreal advance = t.lines[i].advance;
        qreal x = 0;
        if (align & Qt::AlignRight)
            x = box.width() - advance;
        else if (align & Qt::AlignHCenter)
            x = (box.width() - advance) / 2;
        p.origins.push_back(QPointF(box.x() + x, box.y() + yoff + t.lines[i].top));
    }
    return p;
}
} // namespace Rep
