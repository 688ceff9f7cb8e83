// A client of its own process for the tests of a client killed in the middle of its
// work: runs one action on the database and ends with 0 when it was done.
//   pw_fault_client save|rebuild|import DATABASE SOCKET_DIR
#include "Connection.h"
#include "DbError.h"
#include "LegacyImport.h"
#include "Records.h"
#include "journal/rules/JournalRecords.h"
#include "rules/Shell.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QCoreApplication>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 4) {
        std::fprintf(stderr, "usage: pw_fault_client save|rebuild|import DATABASE SOCKET_DIR\n");
        return 2;
    }
    try {
        if (args[1] == QLatin1String("import")) {
            LegacyImport::Connections c = LegacyImport::open();
            return LegacyImport::run(*c.source, *c.target).status == LegacyImport::Outcome::Done ? 0 : 1;
        }
        Connection c;
        c.setConnectionString(Shell::connectionString(args[2], args[3]));
        c.open();
        if (args[1] == QLatin1String("rebuild")) {
            ShiftTimesheet::rebuild(c, 4, 2025);
            return 0;
        }
        return JournalRecords::save(c, journalRecord(3)) == JournalRecords::Outcome::Saved ? 0 : 1;
    } catch (const DbError& e) {
        std::fprintf(stderr, "%s\n", e.what());
        return 1;
    }
}
