#pragma once
#include <QString>

namespace Rep {
// "#0", "#0.00", "#0.000": at least one integer digit and as many decimals as zeros
// after the point, rounded half away from zero; an empty mask gives the shortest
// general form. The decimal separator is the user's.
QString formatNumber(double value, const QString& mask);
}
