#pragma once
#include <QString>
#include <QStringList>

// Start-up rules: connection string, build stamp, version decision, login roles.
namespace Shell {

// DRIVER=… connection string for a database and server; an empty server selects the
// built-in connection of the workshop's own server. The server may name its port
// ("host:5433", "[::1]:5433"); without one it is 5432. It may list several addresses.
QString connectionString(const QString& database, const QString& server);
struct HostPort {
    QString host;
    QString port;
};
HostPort hostAndPort(const QString& server);
// The addresses of a "server" value that lists several, separated by commas ("db1, db2:5433").
// With more than one, the connection goes to whichever of them is the writable primary.
QStringList addresses(const QString& server);
// The connection string of the reports' reading: the standbys of reportServer first, then the
// servers; libpq takes a standby when one answers, else the primary.
QString readingString(const QString& database, const QString& server, const QString& reportServer);
// Why a database name or server address cannot go into a connection string (a ";" or a
// brace would add attributes of its own); empty when it can.
QString unsafeValue(const QString& database, const QString& server);

struct BuildStamp {
    int date = 0; // YYYYMMDD
    int time = 0; // seconds since midnight
};
// From the compiler's texts, such as "Feb 19 2024" and "16:46:04".
BuildStamp buildStamp(const char* date, const char* time);
QString loginCaption(const BuildStamp& stamp);

// What a version check does with the stored row (hasRow false: the table is empty).
struct VersionDecision {
    bool store = false;    // write the build stamp into the row (or add the first row)
    bool outdated = false; // a newer build has connected: this copy must end
};
VersionDecision decideVersion(bool hasRow, int storedDate, int storedTime, const BuildStamp& build);

enum class Role { None, Administrator, Planning, Foreman, Warehouse };
// Removes leading and trailing characters up to and including the blank.
QString trimLogin(const QString& text);
Role roleForCode(const QString& trimmed);
bool isForemanCode(const QString& trimmed);

// Controls a role switches off, by object name, in the main and the period-reports windows.
struct SwitchedOff {
    QStringList mainWindow;
    QStringList reports;
};
SwitchedOff switchedOff(Role role);

// Who works, as the history of changes names him: the program's login role, the computer's
// user and host names and the program's version, as a JSON object (the session's pw.who).
QString whoSetting(Role role, const QString& osUser, const QString& host, const QString& version);
// The role's name in the history.
QString roleName(Role role);

} // namespace Shell
