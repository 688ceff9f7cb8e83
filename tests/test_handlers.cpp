// No database error crosses Qt's frames: with the database gone, every button and menu
// item of every window is pressed, and the error each meets is shown, never thrown out of
// the handler; an exception that does leave a handler ends the program with a message.
#include "DbError.h"
#include "rules/Shell.h"
#include "TDataModule6.h"
#include "TestDb.h"
#include <QAbstractButton>
#include <QAction>
#include <QProcess>
#include <QPushButton>
#include <QTest>

class TestHandlers : public QObject {
    Q_OBJECT

private slots:
    void everyButtonAndMenuItemKeepsDatabaseErrorsInside()
    {
        TestApp t;
        t.login();
        // From now on every statement fails: the session is gone and a new one cannot open.
        t.dm().ADO_DB.setConnectionString(Shell::connectionString(QStringLiteral("no_such_database"), TestDb::server()));
        t.exec("select pg_terminate_backend(pid) from pg_stat_activity where datname=current_database()"
               " and pid<>pg_backend_pid()");
        t.seam.lenient = true;
        QStringList escaped;
        int pressed = 0;
        for (const QString& name : t.app->windowNames()) {
            QWidget* window = t.app->window(name);
            const auto press = [&](QObject* control, const std::function<void()>& how) {
                // The program's own controls; Qt's inner ones (a calendar's month menu) have no handler of ours.
                if (control->objectName().isEmpty() || control->objectName().startsWith(QLatin1String("qt_")))
                    return;
                ++pressed;
                try {
                    how();
                } catch (const DbError&) {
                    escaped << name + QLatin1Char('.') + control->objectName();
                }
            };
            for (QAbstractButton* b : window->findChildren<QAbstractButton*>())
                press(b, [b] { b->click(); });
            for (QAction* a : window->findChildren<QAction*>())
                press(a, [a] { a->trigger(); });
        }
        QVERIFY2(escaped.isEmpty(), qPrintable(escaped.join(QStringLiteral(", "))));
        QVERIFY(pressed > 80);
        int shown = 0;
        for (const ScriptedSeam::Shown& s : t.seam.shown)
            shown += s.kind == QStringLiteral("dbError");
        QVERIFY2(shown > 20, qPrintable(QString::number(shown)));
    }

    // Run in a process of its own: the program ends there.
    void anEscapingExceptionEndsTheProgramLoudly()
    {
        if (qEnvironmentVariableIsSet("PW_ESCAPE_CHILD")) {
            QPushButton button(QStringLiteral("Обновить"));
            // Connected past the guard, as no handler of the program is.
            QObject::connect(&button, &QPushButton::clicked, [] { throw DbError(QStringLiteral("сервер недоступен")); });
            button.show();
            QVERIFY(QTest::qWaitForWindowExposed(&button));
            QTest::mouseClick(&button, Qt::LeftButton);
            QFAIL("the program went on after an exception left a handler");
        }
        QProcess child;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("PW_ESCAPE_CHILD"), QStringLiteral("1"));
        // A sanitizer build would add its own report of the abort; it is not what is tested.
        env.insert(QStringLiteral("ASAN_OPTIONS"), QStringLiteral("detect_leaks=0"));
        child.setProcessEnvironment(env);
        child.start(QCoreApplication::applicationFilePath(), {QStringLiteral("anEscapingExceptionEndsTheProgramLoudly")});
        QVERIFY(child.waitForFinished(60000));
        const QString err = QString::fromUtf8(child.readAllStandardError() + child.readAllStandardOutput());
        QCOMPARE(child.exitStatus(), QProcess::CrashExit);
        QVERIFY2(err.contains(QStringLiteral("an exception left a handler of QPushButton: сервер недоступен")), qPrintable(err));
    }
};

PW_TEST_MAIN(TestHandlers)
#include "test_handlers.moc"
