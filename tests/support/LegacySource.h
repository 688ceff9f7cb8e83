#pragma once
#include "Connection.h"
#include "TestDb.h"
#include <QString>
#include <QStringList>
#include <memory>

// The legacy journal database of the import, for tests and benchmarks: an SQLite file
// with the legacy tables, reached under the data source "Tabel", and the import target
// "Tabel_PgSQL", a database of the test cluster in the legacy layout.
namespace LegacySource {

struct Places {
    QString dir;
    QString sqliteFile;
    QString target; // the target database's name
};
// Writes the odbc.ini of both data sources and points ODBCINI at it. The driver manager
// reads its files once per process: call this before the first connection of any kind.
// admin is the role that makes and drops the target: the site's administrator in the test
// cluster, the client's own role where it owns everything (the benchmarks' cluster).
const Places& configure(const QString& socketDir, TestDb::Role admin = TestDb::Role::Site);
const Places& places();

// The tables of the legacy layout as the old database names them (capital columns).
QStringList tables();
// A connection of its own to the SQLite file.
std::unique_ptr<Connection> open(const QString& name);
// How the columns are spelled: as the legacy database spells them (capitals mostly), or
// all in one case.
enum class Names { AsLegacy, Lower, Upper, Mixed };
// A new SQLite file with the legacy tables, leaving out those named in omit, then the
// statements (inserts of legacy rows).
void create(const QStringList& statements, const QStringList& omit = {}, Names names = Names::AsLegacy);
// A few rows of every legacy table; the largest journal id is 250.
QStringList sampleRows();

// The target database anew, copied from the template; legacy: izdel a table (as before
// the schema upgrade) instead of the view. The client's role owns its objects unless
// clientOwns is false; then it has the everyday rights only.
void makeTarget(bool legacy = true, const QString& from = QStringLiteral("pw_template"), bool clientOwns = true);
std::unique_ptr<Connection> connectTarget(const QString& name);
void dropTarget();

} // namespace LegacySource
