#pragma once
#include <QString>

// Statement texts of the workers list and the worker dialog.
namespace WorkersSql {
// Width of accounts_dep.person.fio and s_staffpos_hl.
constexpr int FioMax = 254;
QString insert(const QString& fio, const QString& department);
QString update(const QString& fio, const QString& department, int id);
QString remove(int id);
// List filter for a search text: names beginning with it; empty when there is no text.
QString searchFilter(const QString& text);
// The whole tables behind the dialog's three lists.
extern const char* const Departments;
extern const char* const Staffpos;
extern const char* const Roles;
extern const char* const EmptyNameMessage;
QString tooLongMessage();
} // namespace WorkersSql
