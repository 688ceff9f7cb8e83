#pragma once
#include <QDate>
#include <QString>
#include <QStringList>
#include <QVariant>

// Building statement text from values without letting the values change the statement.
namespace SqlText {
// 'text' with every apostrophe doubled; the result is a complete literal.
QString quote(const QString& text);
// The text for inside a literal (apostrophes doubled), for statements that put the quotes themselves.
QString escape(const QString& text);
// Numbers as SQL literals: a point as separator whatever the user's locale, no grouping,
// never an exponent; a double in the shortest digits that read back as the same value.
// What people read comes from DisplayText::number.
QString num(qint64 value);
QString num(double value);
// DD.MM.YYYY, as the workshop's statements write dates inside to_date(…, 'DD.MM.YYYY').
QString dmy(const QDate& date);
// A value as a literal: numbers plain, text quoted, dates ISO in quotes, null as NULL.
QString literal(const QVariant& value);
// Replaces :name parameters outside literals, identifiers in double quotes and :: casts.
QString bind(const QString& text, const QHash<QString, QVariant>& params);
// The same text with $1, $2 … in place of the parameters that have values, for a prepared
// statement; names receives the parameter of each number in order.
QString placeholders(const QString& text, const QHash<QString, QVariant>& params, QStringList& names);
}
