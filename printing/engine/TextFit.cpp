#include "TextFit.h"
#include <QFontDatabase>
#include <cmath>

namespace Rep {

static QString family(const QString& name)
{
    static const QStringList windowsSans{QStringLiteral("MS Sans Serif"), QStringLiteral("Microsoft Sans Serif")};
    static QHash<QString, bool> present;
    if (!windowsSans.contains(name))
        return name;
    auto known = present.constFind(name);
    if (known == present.constEnd())
        known = present.insert(name, QFontDatabase::hasFamily(name));
    return *known ? name : QStringLiteral("Arial");
}

QFont paintFont(const Font& f)
{
    QFont font(family(f.family));
    font.setPixelSize(qMax(1, int(std::lround(f.pt * 25.4 / 72 * kUnit))));
    font.setBold(f.bold);
    // The outline's own widths, the same on the screen, the printer and in a PDF.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

static double room(double cellWidth) { return cellWidth - 2 * kTextMargin; }

Font fittingFont(const Font& f, const QStringList& texts, double cellWidth)
{
    Font out = f;
    for (; out.pt > 5; out.pt -= 0.5) {
        const TextMeter meter(out);
        bool fits = true;
        for (const QString& t : texts)
            fits = fits && meter.width(t) <= room(cellWidth);
        if (fits)
            break;
    }
    return out;
}

namespace {
constexpr int kCommon = 0x500; // to the end of Cyrillic
}

TextMeter::TextMeter(const Font& f) : font_(paintFont(f)), metrics_(font_), common_(kCommon, -1) {}

double TextMeter::charWidth(QChar c) const
{
    if (c.unicode() < kCommon) {
        double& w = common_[c.unicode()];
        if (w < 0)
            w = metrics_.horizontalAdvance(c);
        return w;
    }
    auto known = others_.constFind(c);
    if (known == others_.constEnd())
        known = others_.insert(c, metrics_.horizontalAdvance(c));
    return *known;
}

double TextMeter::width(const QString& text) const { return metrics_.horizontalAdvance(text) / kUnit; }

// The widths of the letters one by one, which kerning only brings closer: far enough
// inside the cell, the text fits.
static bool wellInside(double estimate, double units) { return estimate < units * 0.95; }

bool TextMeter::fits(const QString& text, double cellWidth) const
{
    const double units = room(cellWidth) * kUnit;
    double estimate = 0;
    for (const QChar c : text)
        estimate += charWidth(c);
    return wellInside(estimate, units) || metrics_.horizontalAdvance(text) <= units;
}

QString TextMeter::fit(const QString& text, double cellWidth) const
{
    const double units = room(cellWidth) * kUnit;
    double estimate = 0;
    for (const QChar c : text)
        estimate += charWidth(c);
    if (wellInside(estimate, units))
        return text;
    QHash<QString, QString>& near = near_[int(std::lround(cellWidth * 1000))];
    auto known = near.constFind(text);
    if (known == near.constEnd())
        known = near.insert(text, metrics_.horizontalAdvance(text) <= units
                                      ? text
                                      : metrics_.elidedText(text, Qt::ElideRight, units));
    return *known;
}

} // namespace Rep
