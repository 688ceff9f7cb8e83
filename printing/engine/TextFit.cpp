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

TextMeter::TextMeter(const Font& f) : font_(paintFont(f)), metrics_(font_) {}

double TextMeter::width(const QString& text) const { return metrics_.horizontalAdvance(text) / kUnit; }

bool TextMeter::fits(const QString& text, double cellWidth) const
{
    const double units = room(cellWidth) * kUnit;
    // The widths of the letters one by one: kerning only brings them closer.
    double estimate = 0;
    for (const QChar c : text) {
        auto known = chars_.constFind(c);
        if (known == chars_.constEnd())
            known = chars_.insert(c, metrics_.horizontalAdvance(c));
        estimate += *known;
    }
    return estimate < units * 0.95 || metrics_.horizontalAdvance(text) <= units;
}

QString TextMeter::fit(const QString& text, double cellWidth) const
{
    if (fits(text, cellWidth))
        return text;
    return metrics_.elidedText(text, Qt::ElideRight, room(cellWidth) * kUnit);
}

} // namespace Rep
