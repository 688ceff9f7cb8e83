// What the program takes from its command line and configuration files before any
// window: the lone options, the configuration keys, and which source wins.
#include "ReportServer.h"
#include "App.h"
#include "Program.h"
#include "TDataModule6.h"
#include "TestDb.h"
#include "rules/Startup.h"
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

namespace {
const Shell::BuildStamp kStamp{20240219, 60364};
const QString kUsageStart = QStringLiteral("Использование: piecework [БАЗА СЕРВЕР]\n");

QString writeFile(const QTemporaryDir& dir, const QString& name, const QString& text)
{
    const QString path = dir.filePath(name);
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(text.toUtf8()) < 0)
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

QString shown(const std::optional<QString>& v) { return v ? QLatin1Char('[') + *v + QLatin1Char(']') : QStringLiteral("-"); }
} // namespace

class TestStartup : public QObject {
    Q_OBJECT

private slots:
    void loneOptionsAnswered_data()
    {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("answer"); // the start of the text; "" when the program is to start
        QTest::newRow("version") << QStringList{"--version"} << "piecework 1.0.0 (build: 20240219.60364)\n";
        QTest::newRow("help") << QStringList{"--help"} << kUsageStart;
        QTest::newRow("short help") << QStringList{"-h"} << kUsageStart;
        QTest::newRow("no arguments") << QStringList{} << "";
        QTest::newRow("database alone") << QStringList{"tabel"} << "";
        QTest::newRow("database and server") << QStringList{"tabel", "/tmp/s"} << "";
        QTest::newRow("option among arguments") << QStringList{"--version", "srv"} << "";
    }
    void loneOptionsAnswered()
    {
        QFETCH(QStringList, args);
        QFETCH(QString, answer);
        const std::optional<QString> text = Startup::answer(args, QStringLiteral("1.0.0"), kStamp);
        QCOMPARE(text.has_value(), !answer.isEmpty());
        if (text)
            QVERIFY2(text->startsWith(answer), qPrintable(*text));
    }

    void configKeys_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("server");
        QTest::newRow("both") << "database = tabel\nserver = 10.0.0.5\n" << "[tabel]" << "[10.0.0.5]";
        QTest::newRow("comments, blanks, CRLF") << "# database = x\r\n; server = y\r\n\r\n  Server=db.local \r\n"
                                                << "-" << "[db.local]";
        QTest::newRow("empty values count") << "database=\nserver =" << "[]" << "[]";
        QTest::newRow("other lines ignored") << "port = 5433\nserver\n[piecework]\n" << "-" << "-";
        QTest::newRow("the later line wins") << "server = a\nserver = b\n" << "-" << "[b]";
    }
    void configKeys()
    {
        QFETCH(QString, text);
        const Startup::Server s = Startup::parseConfig(text);
        QTEST(shown(s.database), "database");
        QTEST(shown(s.server), "server");
    }

    void whichSourceWins_data()
    {
        QTest::addColumn<QStringList>("given");
        QTest::addColumn<QString>("system"); // file text; "-" for no file
        QTest::addColumn<QString>("user");
        QTest::addColumn<QStringList>("expected");
        const QString sys = "database = tabel\nserver = 192.168.0.20\n";
        QTest::newRow("arguments over files") << QStringList{"kromb", "/tmp/s"} << sys << "server = u" << QStringList{"kromb", "/tmp/s"};
        QTest::newRow("empty server given: built-in, files unread")
            << QStringList{"kromb", ""} << sys << "-" << QStringList{"kromb", ""};
        QTest::newRow("the computer's file") << QStringList{} << sys << "-" << QStringList{"tabel", "192.168.0.20"};
        QTest::newRow("the user's file alone") << QStringList{} << "-" << "database=a\nserver=b" << QStringList{"a", "b"};
        QTest::newRow("the user's key over the computer's") << QStringList{} << sys << "server = 10.1.1.1"
                                                            << QStringList{"tabel", "10.1.1.1"};
        QTest::newRow("the user empties the server: built-in") << QStringList{} << sys << "server ="
                                                               << QStringList{"tabel", ""};
        QTest::newRow("a report server third") << QStringList{} << sys + "report_server = s1, s2:5433\n" << "-"
                                               << QStringList{"tabel", "192.168.0.20", "s1, s2:5433"};
        QTest::newRow("the user empties the report server") << QStringList{} << sys + "report_server = s1\n"
                                                            << "report_server =" << QStringList{"tabel", "192.168.0.20"};
        QTest::newRow("no files: built-in") << QStringList{} << "-" << "-" << QStringList{};
        QTest::newRow("empty keys: built-in") << QStringList{} << "database =\nserver =" << "-" << QStringList{};
    }
    void whichSourceWins()
    {
        QFETCH(QStringList, given);
        QFETCH(QString, system);
        QFETCH(QString, user);
        QTemporaryDir dir;
        QStringList files = {dir.filePath("system.conf"), dir.filePath("user.conf")};
        if (system != "-")
            writeFile(dir, "system.conf", system);
        if (user != "-")
            writeFile(dir, "user.conf", user);
        QTEST(Startup::arguments(given, files), "expected");
    }

    void shippedFileKeepsTheBuiltInConnection()
    {
        const QString path = QStringLiteral(PW_SOURCE_DIR "/packaging/piecework.conf");
        QVERIFY(QFile::exists(path));
        QCOMPARE(Startup::arguments({}, {path}), QStringList{});
    }

    void userFileFollowsXdgConfigHome()
    {
        qputenv("XDG_CONFIG_HOME", "/srv/cfg");
        QCOMPARE(Startup::configFiles(), (QStringList{"/etc/piecework.conf", "/srv/cfg/piecework.conf"}));
        qunsetenv("XDG_CONFIG_HOME");
    }

    // The configuration's two values reach the connection as the two arguments would.
    void programConnectsWithTheConfiguredServer()
    {
        QTemporaryDir dir;
        const QString db = TestDb::create();
        const QString conf = writeFile(dir, "piecework.conf",
                                       QStringLiteral("database = %1\nserver = %2\nreport_server = %2\n")
                                           .arg(db, TestDb::server()));
        ScriptedSeam seam;
        App app(seam, Startup::arguments({}, {conf}), buildProgram);
        QVERIFY(app.start());
        QVERIFY(app.firstWindow());
        QCOMPARE(app.DataModule6()->ADO_DB.connectionString(), Shell::connectionString(db, TestDb::server()));
        QCOMPARE(ReportServer::connectionString(app.DataModule6()->ADO_DB),
                 Shell::readingString(db, TestDb::server(), TestDb::server()));
        ReportServer::set(QString());
    }
};

PW_TEST_MAIN(TestStartup)
#include "test_startup.moc"
