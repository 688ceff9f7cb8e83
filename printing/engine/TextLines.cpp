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

int codePointLength(const QString& s, int at)
{
    return at + 1 < s.size() && s[at].isHighSurrogate() && s[at + 1].isLowSurrogate() ? 2 : 1;
}

// Most lines show one glyph per character, in the characters' order: each run's glyphs
// are those its font maps the next characters to. Empty when the line is not such.
std::vector<std::vector<GlyphText>> plainTexts(const QTextLine& l, const QList<QGlyphRun>& runs, const QString& text)
{
    int end = l.textStart() + l.textLength();
    while (end > l.textStart() && text[end - 1] == QChar::LineSeparator)
        --end;
    std::vector<std::vector<GlyphText>> out(size_t(runs.size()));
    int at = l.textStart();
    for (qsizetype r = 0; r < runs.size(); ++r) {
        const QList<quint32> ids = runs[r].glyphIndexes();
        const QList<quint32> mapped = runs[r].rawFont().glyphIndexesForString(text.mid(at, 2 * ids.size()));
        if (mapped.size() < ids.size())
            return {};
        for (qsizetype i = 0; i < ids.size(); ++i) {
            if (at >= end || mapped[i] != ids[i])
                return {};
            const int n = codePointLength(text, at);
            out[size_t(r)].push_back({ids[i], at, n});
            at += n;
        }
    }
    if (at != end)
        return {};
    return out;
}

// Any other line by its clusters, as the layout gives them: the characters that show the
// same glyphs are one cluster (a ligature, a letter with its marks).
std::vector<std::vector<GlyphText>> clusterTexts(const QTextLine& l, const QList<QGlyphRun>& runs, const QString& text)
{
    std::vector<std::vector<GlyphText>> out(size_t(runs.size()));
    QList<QGlyphRun> cluster;
    int from = 0, to = 0;
    auto flush = [&] {
        for (const QGlyphRun& g : cluster)
            for (qsizetype r = 0; r < runs.size(); ++r)
                if (runs[r].rawFont() == g.rawFont() && !g.glyphIndexes().isEmpty()) {
                    out[size_t(r)].push_back({g.glyphIndexes().first(), from, to - from});
                    return;
                }
    };
    auto same = [](const QList<QGlyphRun>& a, const QList<QGlyphRun>& b) {
        if (a.size() != b.size())
            return false;
        for (qsizetype i = 0; i < a.size(); ++i)
            if (a[i].rawFont() != b[i].rawFont() || a[i].glyphIndexes() != b[i].glyphIndexes()
                || a[i].positions() != b[i].positions())
                return false;
        return true;
    };
    for (int at = l.textStart(), end = at + l.textLength(); at < end;) {
        const int n = codePointLength(text, at);
        const QList<QGlyphRun> here = l.glyphRuns(at, n);
        if (!here.isEmpty()) {
            if (same(here, cluster)) {
                to = at + n;
            } else {
                flush();
                cluster = here;
                from = at;
                to = at + n;
            }
        }
        at += n;
    }
    flush();
    return out;
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
        if (design) {
            // The layout's text: the same characters, its line breaks its own.
            line.texts = plainTexts(l, line.runs, layout.text());
            if (line.texts.empty())
                line.texts = clusterTexts(l, l.glyphRuns(), layout.text());
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
