#pragma once
#include <QString>
#include <QVector>
#include <optional>

class Connection;
class DbError;

// The optional objects that close months and keep the history of changes: two tables, the
// functions that fill them and the triggers on the workshop's tables. "Структура БД" makes
// them; the program works without them as before.
namespace Watch {
// The refusal of a change in a closed month: its SQLSTATE, and the month in its text as
// "month YYYY-MM is closed".
constexpr const char* kClosedState = "PWC01";

// The tables and functions, one script run in one transaction.
QString objectsSql();
// True (as SQL) when every table and function of objectsSql() is there.
QString objectsDone();

struct Watched {
    const char* table;  // schema-qualified
    const char* date;   // the column that places a row in a month ("" none; "month" for year/month)
    const char* worker; // the column naming the worker ("" none)
    bool history;       // every change leaves a history row
};
// The tables the triggers watch.
const QVector<Watched>& watched();
QString triggerSql(const Watched& w);
QString triggerDone(const Watched& w);

// Whether the objects are there (false on a site that has not run "Структура БД").
bool available(Connection& c);
// In the caller's transaction: the rows it writes leave no history row each, only the one
// summary that note() adds. Harmless without the objects.
void beginBulk(Connection& c);
// One history row for a whole operation with its counts (JSON object text); nothing
// without the objects.
void note(Connection& c, const QString& what, const QString& table, const QString& key, const QString& counts);
// The month of a refusal of a change in a closed month ({} for any other error).
struct Month {
    int month = 0;
    int year = 0;
};
std::optional<Month> closedMonth(const DbError& e);
// A month as the history names it: "2025-04".
QString monthKey(int month, int year);
} // namespace Watch
