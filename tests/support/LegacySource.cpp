#include "LegacySource.h"
#include "rules/Shell.h"
#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QTemporaryDir>

namespace LegacySource {

namespace {
Places g_places;
QString g_socketDir;
TestDb::Role g_admin = TestDb::Role::Site;

struct Table {
    const char* name;
    QStringList columns; // "name TYPE", names spelled as the legacy database spells them
};

QList<Table> layout()
{
    QStringList tabel = {"id INTEGER PRIMARY KEY", "w_id INTEGER", "month SMALLINT", "year SMALLINT", "smena SMALLINT"};
    for (int d = 1; d <= 31; ++d)
        tabel << QStringLiteral("d%1 SMALLINT").arg(d);
    return {
        {"H_TABEL", tabel},
        {"IZDEL", {"ID INTEGER PRIMARY KEY", "MARKA VARCHAR(50)", "nom VARCHAR(100)", "massa DECIMAL(10,3)"}},
        {"NOMENKL", {"Nom VARCHAR(150)", "marka VARCHAR(7)"}},
        {"OPER", {"ID INTEGER PRIMARY KEY", "VID INTEGER", "NAIMEN SMALLINT", "CENA DECIMAL(10,2)", "I_ID INTEGER"}},
        {"VID_OPER", {"ID INTEGER PRIMARY KEY", "VID VARCHAR(50)"}},
        {"WORKERS", {"ID INTEGER PRIMARY KEY", "FIO VARCHAR(50)", "ADDR VARCHAR(100)"}},
        {"smena", {"ID INTEGER PRIMARY KEY", "W_ID INTEGER", "I_ID INTEGER", "O_ID INTEGER", "KOL_VO INTEGER",
                   "BRAK SMALLINT", "SMENA SMALLINT", "DATA DATETIME", "CENA DOUBLE", "color INTEGER", "time INTEGER",
                   "ok VARCHAR(255)", "vvod DATETIME"}},
    };
}

QString spelled(const QString& name, Names names)
{
    switch (names) {
    case Names::Lower: return name.toLower();
    case Names::Upper: return name.toUpper();
    case Names::Mixed: return name.left(1).toUpper() + name.mid(1).toLower();
    case Names::AsLegacy: break;
    }
    return name;
}

std::unique_ptr<Connection> admin(const QString& database = QStringLiteral("postgres"))
{
    if (g_admin == TestDb::Role::Site)
        return TestDb::connect(database, QStringLiteral("legacy_admin"), TestDb::Role::Site);
    auto c = std::make_unique<Connection>(QStringLiteral("legacy_admin"));
    c->setConnectionString(Shell::connectionString(database, g_socketDir));
    c->open();
    return c;
}
} // namespace

const Places& configure(const QString& server, TestDb::Role admin)
{
    g_admin = admin;
    static QTemporaryDir dir(QDir::tempPath() + QStringLiteral("/pwlegacy-XXXXXX"));
    g_socketDir = server;
    g_places.dir = dir.path();
    g_places.sqliteFile = dir.path() + QStringLiteral("/tabel.sqlite");
    g_places.target = QStringLiteral("legacy_%1").arg(QCoreApplication::applicationPid());
    QFile ini(dir.path() + QStringLiteral("/odbc.ini"));
    if (!ini.open(QIODevice::WriteOnly | QIODevice::Truncate))
        qFatal("cannot write %s", qPrintable(ini.fileName()));
    // The password of sys comes from here: the command's connection string names none.
    const Shell::HostPort where = Shell::hostAndPort(server);
    ini.write(QStringLiteral("[Tabel]\nDriver=SQLite3\nDatabase=%1\n\n"
                             "[Tabel_PgSQL]\nDriver=PostgreSQL UNICODE\nServername=%2\nPort=%4\nDatabase=%3\n"
                             "Password=vamplex\n")
                  .arg(g_places.sqliteFile, where.host, g_places.target, where.port)
                  .toUtf8());
    ini.close();
    qputenv("ODBCINI", ini.fileName().toLocal8Bit());
    return g_places;
}

const Places& places() { return g_places; }

QStringList tables()
{
    QStringList out;
    for (const Table& t : layout())
        out << QString::fromLatin1(t.name);
    return out;
}

std::unique_ptr<Connection> open(const QString& name)
{
    auto c = std::make_unique<Connection>(name, Connection::Session::Foreign);
    c->setConnectionString(QStringLiteral("DRIVER={SQLite3};Database=%1;SyncPragma=OFF").arg(g_places.sqliteFile));
    c->open();
    return c;
}

void create(const QStringList& statements, const QStringList& omit, Names names)
{
    QFile::remove(g_places.sqliteFile);
    auto c = open(QStringLiteral("legacy_create"));
    for (const Table& t : layout()) {
        if (omit.contains(QString::fromLatin1(t.name)))
            continue;
        QStringList columns;
        for (const QString& col : t.columns)
            columns << spelled(col.section(QLatin1Char(' '), 0, 0), names) + QLatin1Char(' ') + col.section(QLatin1Char(' '), 1);
        c->execute(QStringLiteral("create table %1 (%2)").arg(QString::fromLatin1(t.name), columns.join(QStringLiteral(", "))));
    }
    c->execute(QStringLiteral("begin"));
    for (const QString& s : statements)
        c->execute(s);
    c->execute(QStringLiteral("commit"));
}

QStringList sampleRows()
{
    return {
        "insert into H_TABEL(id, w_id, month, year, smena, d1, d2, d31) values (1, 1, 3, 2024, 1, 8, NULL, 4), "
        "(5, 2, 3, 2024, 2, NULL, 7, NULL)",
        "insert into IZDEL values (1, 'П-1', 'Плитка', 0.02), (2, 'Б-1', 'Бордюры', 0.125)",
        "insert into NOMENKL values ('Плитка', 'П'), ('Бордюры', 'Б')",
        "insert into OPER values (3, 1, 0, 12.5, 1), (4, 2, 1, 3.25, 2)",
        "insert into VID_OPER values (1, 'Формовка'), (2, 'Упаковка')",
        "insert into WORKERS values (1, 'Антонов А.А.', 'ул. Ленина, 1'), (2, 'Борисов Б.Б.', NULL)",
        "insert into smena values (10, 1, 1, 3, 100, 2, 1, '2024-03-01 00:00:00', 12.5, 0, 8, 'ok', '2024-03-01 08:30:00'), "
        "(11, 2, 2, 4, 40, 0, 2, '2024-03-02 00:00:00', 3.25, 7035, 6, 'no', '2024-03-02 17:05:10'), "
        "(250, 1, 2, 4, 5, 0, 4, '2024-03-02 00:00:00', 4.5, 1, 2, 'да', '2024-03-03 09:00:00')",
    };
}

void makeTarget(bool legacy, const QString& from, bool clientOwns)
{
    {
        auto a = admin();
        a->execute(QStringLiteral("drop database if exists %1 with (force)").arg(g_places.target));
        a->execute(QStringLiteral("create database %1 template %2").arg(g_places.target, from));
    }
    auto c = admin(g_places.target);
    const bool site = g_admin == TestDb::Role::Site;
    if (legacy) {
        // Made by the owner of the rest, with the client's everyday rights on it.
        if (site)
            c->execute(QStringLiteral("set role pw_owner"));
        c->execute(QStringLiteral("drop view accounts_dep.izdel"));
        c->execute(QStringLiteral("create table accounts_dep.izdel (id serial primary key, marka varchar(254), "
                                  "nom varchar(255), massa numeric(28,6))"));
        if (site)
            c->execute(QStringLiteral("grant select, insert, update, delete on accounts_dep.izdel to sys; "
                                      "grant usage on sequence accounts_dep.izdel_id_seq to sys; reset role"));
    }
    c.reset();
    if (site && clientOwns)
        TestDb::makeClientOwner(g_places.target);
}

void dropTarget() { admin()->execute(QStringLiteral("drop database if exists %1 with (force)").arg(g_places.target)); }

std::unique_ptr<Connection> connectTarget(const QString& name)
{
    auto c = std::make_unique<Connection>(name);
    c->setConnectionString(Shell::connectionString(g_places.target, g_socketDir));
    c->open();
    return c;
}

} // namespace LegacySource
