#pragma once
#include "Layout.h"
#include <QFont>
#include <QFontMetricsF>
#include <QHash>
#include <QStringList>
#include <vector>

// Texts of a layout against their cells. A fixed text (a label, a quoted string of an
// expression) always fits: its element's font is made smaller until it does; so does a
// number, which a cut would falsify. Any other text (a field's value) longer than its
// cell is cut and ends with "…", so that no letter ever lies under the next column.
namespace Rep {

// Painting works in tenths of a millimetre, so that fonts can be sized in whole units on
// every device alike.
constexpr double kUnit = 10;
// Left blank on each side of a text inside its cell, in mm.
constexpr double kTextMargin = 0.5;

// The font a layout font is painted and measured in (pixels of kUnit to the millimetre).
// The Windows sans serif faces, where they are missing, are taken in Arial's widths, which
// are theirs too, rather than in the wider default face.
QFont paintFont(const Font& f);

// The font, made smaller by half points down to 5 pt where needed, in which every one of
// the texts fits a cell of that width (mm).
Font fittingFont(const Font& f, const QStringList& texts, double cellWidth);

// Measures texts in one font, in mm.
class TextMeter {
public:
    explicit TextMeter(const Font& f);
    double width(const QString& text) const;
    bool fits(const QString& text, double cellWidth) const;
    // The text as it fits a cell of that width (mm): itself, or cut and ending with "…".
    QString fit(const QString& text, double cellWidth) const;

private:
    double charWidth(QChar c) const;

    QFont font_;
    QFontMetricsF metrics_;
    // The widths of the letters met, so that a text well inside its cell is not laid out:
    // Latin and Cyrillic by their code, any other in the hash.
    mutable std::vector<double> common_;
    mutable QHash<QChar, double> others_;
    // Texts near or over their cell's width as they fit it, by the cell's width in µm: a
    // year's report repeats its long marks thousands of times.
    mutable QHash<int, QHash<QString, QString>> near_;
};

} // namespace Rep
