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
// The worker number a text column of the shared person table holds: the whole number
// written there, or null for any other text, so that the codes other applications keep
// ('К-17', '') match no worker instead of failing the statement. Every statement that
// finds workers by number takes it from here, and the optional index is built on it, so
// that the server can use the index for those statements.
QString workerNumber(const QString& column);
// The persons of the shared table (id, s_caption, s_code) whose worker number is among the
// numbers the subquery gives. The server finds them with one pass over the table against a
// hash of those numbers (or through the optional index); joined on the number directly, it
// has no estimate of the number and sorts the whole table instead.
QString personsNumbered(const QString& numbers);
}
