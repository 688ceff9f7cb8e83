#pragma once
#include <QString>

class Connection;
class DbError;

// Closing a month, so that nothing of it changes, and reopening it. The server refuses the
// changes (db/Watch); this is what the windows ask and say.
namespace MonthClose {

// "март 2025"
QString monthText(int month, int year);

// The confirmation asked before a close or a reopen.
QString question(int month, int year, bool closing);

enum class Outcome { Done, AlreadySo, Unavailable };
// Closes or reopens the month; Unavailable where "Структура БД" has not made the objects.
Outcome setClosed(Connection& c, int month, int year, bool closing);
// What the user is told of each outcome.
QString outcomeText(Outcome o, int month, int year, bool closing);
extern const char* const kUnavailable;

// False without the objects.
bool isClosed(Connection& c, int month, int year);

// The user's words for a change the server refused because its month is closed; empty for
// any other error.
QString refusal(const DbError& e);

} // namespace MonthClose
