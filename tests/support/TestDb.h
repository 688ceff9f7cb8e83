#pragma once
#include "App.h"
#include "PwApplication.h"
#include <QTest>
#include "Connection.h"
#include "ServerCall.h"
#include "ScriptedSeam.h"
#include <QString>
#include <memory>

class TDataModule6;
class QTableView;

// A test program's main: the application object is the program's own, so that an error
// a handler raises on a real click reaches the central error display.
#define PW_TEST_MAIN(TestClass)                                                                                        \
    int main(int argc, char** argv)                                                                                    \
    {                                                                                                                  \
        PwApplication app(argc, argv);                                                                                 \
        app.setAttribute(Qt::AA_Use96Dpi, true);                                                                       \
        TestClass tc;                                                                                                  \
        QTEST_SET_MAIN_SOURCE_PATH                                                                                     \
        const int code = QTest::qExec(&tc, argc, argv);                                                                \
        ServerCall::drain(std::chrono::seconds(30));                                                                   \
        return code;                                                                                                   \
    }

// Databases of the test cluster: each test case gets its own copy of the template.
namespace TestDb {
QString clusterDir();
QString socketDir();
// The server as the program is given it: "127.0.0.1:port" when the cluster listens on TCP
// (as a workshop's server does), else the socket folder.
QString server();
// Who connects: the client's role (everyday rights only), or the site's administrator,
// who owns the databases and may change anything in them.
enum class Role { Client, Site };
// A new database copied from the template (or from another database of the cluster).
QString create(const QString& from = QStringLiteral("pw_template"));
// A connection of the test's own to a database, as the client makes it.
std::unique_ptr<Connection> connect(const QString& database, const QString& name, Role role = Role::Client);
// Hands every object of the database to the client's role, as a site does where the client
// may run the maintenance commands.
void makeClientOwner(const QString& database);
}

// The program on a fresh copy of the fixture (or of the demo workshop, "pw_demo"), with a
// scripted seam.
struct TestApp {
    // from: the database the test's copy is made of; server: where the program reaches it
    // (empty: the cluster itself; a proxy's address to go through the proxy).
    explicit TestApp(const QString& from = QStringLiteral("pw_template"), const QString& server = QString());
    ~TestApp();

    ScriptedSeam seam;
    QString database;
    std::unique_ptr<App> app;
    std::unique_ptr<Connection> check; // the test's own connection as the site's administrator

    TDataModule6& dm() const;
    // Logs in with a code and leaves the main window open and active.
    void login(const QString& code = QStringLiteral("0842"));
    // A single value read through the test's own connection.
    QVariant scalar(const QString& sql);
    void exec(const QString& sql);
    // From now on every statement of the program fails: its session is ended and a new one
    // cannot open. Returns the connection text that reaches the database again.
    QString loseDatabase();
    template <class T> T* find(const QString& window, const QString& name) const
    {
        return app->window(window)->findChild<T*>(name);
    }
    // Runs a handler the way a click would.
    bool invoke(const QString& window, const char* handler);
};
