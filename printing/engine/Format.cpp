#include "Format.h"
#include <QLocale>
#include <cmath>

namespace Rep {

QString formatNumber(double value, const QString& mask)
{
    const QLocale loc;
    if (mask.isEmpty()) {
        QString s = loc.toString(value, 'g', 15);
        s.remove(loc.groupSeparator());
        return s;
    }
    const int dot = mask.indexOf(QLatin1Char('.'));
    const int decimals = dot < 0 ? 0 : int(mask.size() - dot - 1);
    const double scale = std::pow(10.0, decimals);
    // Sums of binary fractions land just below the half (2.675 is 2.67499…): a nudge far
    // below the last printed digit rounds them as the decimal value would be.
    double scaled = value * scale;
    scaled = std::round(scaled + (scaled >= 0 ? 1e-7 : -1e-7));
    if (scaled == 0)
        scaled = 0; // no "-0,00"
    QString s = loc.toString(scaled / scale, 'f', decimals);
    s.remove(loc.groupSeparator());
    return s;
}

} // namespace Rep
