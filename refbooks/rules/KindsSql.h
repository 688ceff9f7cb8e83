#pragma once
#include <QString>

// Statement texts and small rules of the operation kinds book.
namespace KindsSql {
// accounts_dep.vid_oper.vid is char(128).
constexpr int NameMax = 128;
extern const char* const TooLong;

// Count of kinds whose name, upper-cased by the database, equals upperName.
QString duplicate(const QString& upperName);
// The same, leaving out the kind being renamed.
QString duplicate(const QString& upperName, qint64 exceptId);
// The new kind, and the current kind under a new name.
QString insert(const QString& name);
QString rename(const QString& name, qint64 id);
// Client-side filter of the kind list: names beginning with the typed text.
QString searchFilter(const QString& text);
} // namespace KindsSql
