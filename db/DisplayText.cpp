#include "DisplayText.h"
#include <algorithm>
#include <cmath>

namespace DisplayText {

namespace {
// Fixed notation with the given decimals, a point as separator, no "-0".
QString fixed(double value, int decimals)
{
    QString s = QString::number(value, 'f', decimals);
    if (s.startsWith(QLatin1Char('-')) && s.toDouble() == 0)
        s.remove(0, 1);
    return s;
}

void dropZeros(QString& s, int atMost)
{
    const int dot = s.indexOf(QLatin1Char('.'));
    if (dot < 0)
        return;
    for (int i = 0; i < atMost && s.endsWith(QLatin1Char('0')); ++i)
        s.chop(1);
    if (s.endsWith(QLatin1Char('.')))
        s.chop(1);
}

QString general(double value)
{
    if (value == 0 || !std::isfinite(value))
        return value == 0 ? QStringLiteral("0") : QString::number(value);
    const int magnitude = int(std::floor(std::log10(std::fabs(value))));
    QString s = fixed(value, std::clamp(14 - magnitude, 0, 40));
    dropZeros(s, 40);
    return s;
}

QString masked(double value, const QString& mask)
{
    const int dot = mask.indexOf(QLatin1Char('.'));
    const QString frac = dot < 0 ? QString() : mask.mid(dot + 1);
    const int decimals = int(frac.size());
    const int optional = int(frac.count(QLatin1Char('#')));
    const double scale = std::pow(10.0, decimals);
    // Sums of binary fractions land just below the half (2.675 is 2.67499…): a nudge far
    // below the last printed digit rounds them as the decimal value would be.
    double scaled = value * scale;
    scaled = std::round(scaled + (scaled >= 0 ? 1e-7 : -1e-7));
    QString s = fixed(scaled / scale, decimals);
    dropZeros(s, optional);
    return s;
}
} // namespace

QString number(double value, const QString& mask, const QLocale& locale)
{
    QString s = mask.isEmpty() ? general(value) : masked(value, mask);
    return s.replace(QLatin1Char('.'), locale.decimalPoint());
}


} // namespace DisplayText
