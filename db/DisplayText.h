#pragma once
#include <QLocale>
#include <QString>

// Numbers as people read them: in the grids, the reports, the workbooks and the dialogs.
// The user's decimal separator, no grouping and never an exponent. Statement texts take
// theirs from SqlText::num instead.
namespace DisplayText {
// Without a mask: up to 15 significant digits, trailing zeros dropped (0.1 + 0.2 shows 0,3).
// A mask "#0", "#0.00", "#0.00#": at least one integer digit, as many decimals as zeros
// after the point and up to one more for each '#', rounded half away from zero as the
// decimal value would be.
QString number(double value, const QString& mask = {}, const QLocale& locale = QLocale());
}
