#pragma once
#include "Shell.h"
#include "ServerBounds.h"
#include <QHash>
#include <QString>
#include <QStringList>
#include <optional>

// What the command line and the configuration files give the program before any window.
namespace Startup {

// The command line without the program's name, as the system passes it.
QStringList commandLine(int argc, char** argv);

// The text "--version" or "--help" asks for, printed instead of starting the program;
// nothing when the program is to start. Only a lone option counts: any other command
// line is the database name and the server address.
std::optional<QString> answer(const QStringList& args, const QString& version, const Shell::BuildStamp& stamp);

// The database and server keys of one configuration file ("key = value" lines, "#" or
// ";" comments). A key that is present counts even when empty.
struct Server {
    std::optional<QString> database;
    std::optional<QString> server;
    // Where the reports read (a standby or a list of them); optional.
    std::optional<QString> reportServer;
    // The bounds of the waits on the server that the file sets, by key ("lock_timeout").
    QHash<QString, int> bounds;
};
Server parseConfig(const QString& text);

// The bounds of every wait on the server: the defaults, with what the files set.
ServerBounds bounds(const QStringList& files);

// The configuration files in the order they apply, each overriding the keys of the one
// before: the computer's, then the user's.
QStringList configFiles();

// The arguments the program runs with: the given ones whenever there are any; otherwise
// those of the configuration files (the report server third, when one is named); with
// neither, none (the built-in connection).
QStringList arguments(const QStringList& given, const QStringList& files);

} // namespace Startup
