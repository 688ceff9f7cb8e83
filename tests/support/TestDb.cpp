#include "TestDb.h"
#include "PwApplication.h"
#include "DbError.h"
#include "Query.h"
#include "TDataModule6.h"
#include "Program.h"
#include "TForm23.h"
#include "rules/Shell.h"
#include <QAtomicInt>
#include <QCoreApplication>
#include <QFile>
#include <QLineEdit>
#include <QRegularExpression>
#include <QTest>

namespace TestDb {

QString clusterDir()
{
    const QString dir = qEnvironmentVariable("PW_TEST_CLUSTER");
    if (dir.isEmpty())
        qFatal("PW_TEST_CLUSTER is not set: run the tests through ctest");
    return dir;
}

QString socketDir() { return clusterDir() + QStringLiteral("/sock"); }

QString server()
{
    QFile port(clusterDir() + QStringLiteral("/port"));
    if (port.open(QIODevice::ReadOnly))
        return QStringLiteral("127.0.0.1:") + QString::fromLatin1(port.readAll().trimmed());
    return socketDir();
}

std::unique_ptr<Connection> connect(const QString& database, const QString& name, Role role)
{
    auto c = std::make_unique<Connection>(name);
    QString s = Shell::connectionString(database, server());
    if (role == Role::Site) {
        static const QRegularExpression uid(QStringLiteral("UID=[^;]*")), pwd(QStringLiteral("PWD=[^;]*"));
        s.replace(uid, QStringLiteral("UID=pw_site")).replace(pwd, QStringLiteral("PWD=sitepass"));
    }
    c->setConnectionString(s);
    c->open();
    return c;
}

void makeClientOwner(const QString& database)
{
    auto c = connect(database, QStringLiteral("owner_") + database, Role::Site);
    // A new owner needs the right to create where its objects stand.
    c->execute(QStringLiteral("grant create on database %1 to sys").arg(database));
    c->execute(QStringLiteral("do $$ declare s text; begin for s in select nspname from pg_namespace "
                              "where nspowner = 'pw_owner'::regrole or nspname = 'public' loop "
                              "execute format('grant create on schema %I to sys', s); end loop; end $$"));
    c->execute(QStringLiteral("reassign owned by pw_owner to sys"));
}

QString create(const QString& from)
{
    static QAtomicInt counter;
    const QString name = QStringLiteral("t_%1_%2_%3")
                             .arg(QCoreApplication::applicationPid())
                             .arg(QDateTime::currentMSecsSinceEpoch() % 100000000)
                             .arg(counter.fetchAndAddRelaxed(1));
    auto admin = connect(QStringLiteral("postgres"), QStringLiteral("admin_") + name, Role::Site);
    admin->execute(QStringLiteral("create database %1 template %2").arg(name, from));
    // Not even temporary tables for the client.
    admin->execute(QStringLiteral("revoke temporary on database %1 from public").arg(name));
    return name;
}

} // namespace TestDb

TestApp::TestApp(const QString& from, const QString& server)
{
    PwApplication::useRussianLocale();
    database = TestDb::create(from);
    app = std::make_unique<App>(seam, QStringList{database, server.isEmpty() ? TestDb::server() : server}, buildProgram);
    // The package's calendars alone: none an administrator of this computer may have added.
    app->calendar().setFolders({ProductionCalendar::shippedFolder()});
    if (!app->start())
        qFatal("the program did not start on %s", qPrintable(database));
    check = TestDb::connect(database, QStringLiteral("check_") + database, TestDb::Role::Site);
}

TestApp::~TestApp()
{
    if (!seam.nothingPending())
        QTest::qFail("a scripted window, answer or error did not come", __FILE__, __LINE__);
    check.reset();
    app.reset();
}

TDataModule6& TestApp::dm() const { return *app->DataModule6(); }

void TestApp::login(const QString& code)
{
    if (!app->form<TForm23>()->isVisible())
        seam.showMain(app->form<TForm23>());
    else
        seam.activate(app->form<TForm23>());
    auto* field = app->form<TForm23>()->findChild<QLineEdit*>(QStringLiteral("Edit1"));
    field->clear();
    QTest::keyClicks(field, code);
    seam.keepOpen(QStringLiteral("TForm1"));
    // Enter in the field presses the default button "Вход".
    QTest::keyClick(field, Qt::Key_Return);
    seam.quitRequests = 0;
}

QVariant TestApp::scalar(const QString& sql)
{
    return check->select(sql).rows.value(0).value(0);
}

void TestApp::exec(const QString& sql) { check->execute(sql); }

QString TestApp::loseDatabase()
{
    Connection& c = dm().ADO_DB;
    const QString reachable = c.connectionString();
    c.setConnectionString(Shell::connectionString(QStringLiteral("no_such_database"), TestDb::server()));
    exec(QStringLiteral("select pg_terminate_backend(pid) from pg_stat_activity where datname=current_database()"
                        " and pid<>pg_backend_pid()"));
    return reachable;
}

bool TestApp::invoke(const QString& window, const char* handler)
{
    QWidget* w = app->window(window);
    if (!w)
        return false;
    return invokeHandler(*app, w, handler);
}
