#pragma once
#include <QDate>
#include <QLocale>
#include <QString>

// Statement texts and small rules of the products book.
namespace ProductsSql {
// cmn_gds_and_srv.gds_and_srv.s_caption is varchar(254).
constexpr int MarkMax = 254;
extern const char* const TooLong;
extern const char* const NotANumber;

// Journal records of a product from a day on: parameters id_ii and dt.
extern const char* const IzdelSmena;
// Operations of a product: parameter id_ii.
extern const char* const IiOper;
// The nomenclature classifier, filtered to groups on the client.
extern const char* const Item;
extern const char* const ItemFilter;

QString duplicate(const QString& upperMark);
// The same, leaving out the product being changed.
QString duplicate(const QString& upperMark, qint64 exceptId);
// value: the number text as it goes into the statement.
QString insert(const QString& mark, const QString& value, qint64 groupId);
QString update(const QString& mark, const QString& value, qint64 groupId, qint64 id);
QString deleteOper(qint64 id);
QString deleteSmena(qint64 id);
QString deleteProduct(qint64 id);

// Client-side filter of the product list: marks beginning with the typed text.
QString searchFilter(const QString& text);

// First day of the previous month of today's month, in the year 2000: the journal count
// before a deletion starts there.
QDate journalCountFrom(const QDate& today);

// The value field holds digits and at most one point (a comma counts as the point).
// A value is usable when it is a number that fits numeric(28,6).
bool isValue(const QString& text);
// The stored value as the dialog shows it: the user's decimal separator, no grouping,
// no trailing zeros.
QString valueText(double massa, const QLocale& locale = QLocale());
} // namespace ProductsSql
