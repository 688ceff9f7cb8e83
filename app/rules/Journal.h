#pragma once
#include <QColor>
#include <QDate>
#include <QString>

// Small rules of the day's journal.
namespace JournalRules {
// "ok" and the older "да" count as checked.
inline bool isChecked(const QString& ok)
{
    const QString t = ok.trimmed();
    return t == QLatin1String("ok") || t == QStringLiteral("да");
}
// The mark a double click writes.
inline QString toggledMark(const QString& ok) { return isChecked(ok) ? QStringLiteral("no") : QStringLiteral("ok"); }
inline QColor markColor(const QString& ok) { return isChecked(ok) ? QColor(0, 128, 0) : QColor(255, 0, 0); }
// The period-reports window opens on the previous calendar month.
inline QDate previousMonthStart(const QDate& today) { return QDate(today.year(), today.month(), 1).addMonths(-1); }
inline QDate monthStart(const QDate& today) { return QDate(today.year(), today.month(), 1); }
} // namespace JournalRules
