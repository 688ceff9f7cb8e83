// No database error crosses Qt's frames: with the database gone, every button and menu
// item of every window is pressed, a row of every grid is changed and left, every window is
// closed by Escape and by its close button, and the error each meets is shown, never thrown
// out of the handler; a cell that cannot be shown while painting is left blank and said
// once. An exception that does leave a handler ends the program with a message.
#include "DbError.h"
#include "DbGrid.h"
#include "Query.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include <QAbstractButton>
#include <QAction>
#include <QProcess>
#include <QPushButton>
#include <QTableView>
#include <QTest>

namespace {
int dbErrors(const ScriptedSeam& seam)
{
    int shown = 0;
    for (const ScriptedSeam::Shown& s : seam.shown)
        shown += s.kind == QStringLiteral("dbError");
    return shown;
}
} // namespace

class TestHandlers : public QObject {
    Q_OBJECT

private slots:
    void everyButtonAndMenuItemKeepsDatabaseErrorsInside()
    {
        TestApp t;
        t.login();
        t.loseDatabase();
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
        QVERIFY2(dbErrors(t.seam) > 20, qPrintable(QString::number(dbErrors(t.seam))));
    }

    // Row changes, keys and closing, as Qt delivers them: every window shown, the lists read
    // while the database was there; a cell of each editable grid typed into and the row
    // left, every grid painted, then Escape and the close button.
    void everyRowChangeKeyAndCloseKeepsDatabaseErrorsInside()
    {
        TestApp t;
        t.login();
        t.seam.lenient = true;
        QList<Query*> lists = t.dm().findChildren<Query*>();
        for (const QString& name : t.app->windowNames())
            lists += t.app->window(name)->findChildren<Query*>();
        for (Query* q : lists)
            if (!q->sql().isEmpty())
                t.seam.guarded([q] { q->open(); });
        t.loseDatabase();
        int rowsLeft = 0, typedRows = 0;
        for (const QString& name : t.app->windowNames()) {
            QWidget* window = t.app->window(name);
            window->show();
            for (QTableView* grid : window->findChildren<QTableView*>()) {
                auto* model = qobject_cast<QueryModel*>(grid->model());
                if (!model || model->rowCount() < 2)
                    continue;
                grid->grab();
                grid->setFocus();
                grid->setCurrentIndex(model->index(0, 0));
                const bool editable = model->flags(model->index(0, 0)) & Qt::ItemIsEditable;
                if (editable) {
                    QVERIFY(model->setData(model->index(0, 0), QStringLiteral("1"), Qt::EditRole));
                    ++typedRows;
                }
                QTest::keyClick(grid, Qt::Key_Down);
                QCoreApplication::processEvents();
                ++rowsLeft;
                if (editable) {
                    // Not stored and not lost: the row stays as typed, the grid on it.
                    QVERIFY2(model->query()->isModified(), qPrintable(name));
                    QCOMPARE(grid->currentIndex().row(), 0);
                }
            }
            QTest::keyClick(window, Qt::Key_Escape);
            if (window->isVisible())
                window->close();
            window->hide();
        }
        QVERIFY(rowsLeft > 3);
        QCOMPARE(typedRows, 1);
        QVERIFY(dbErrors(t.seam) > 0);
    }

    // A value a cell cannot show (a weight in another notation than the one read) is left
    // blank while the grid paints, and said once through the error display.
    void aCellThatCannotBeShownIsSaidOnce()
    {
        TestApp t;
        t.login();
        openFromMenu(t, "TForm3", &TForm1::N3Click, [&](QDialog*) {
            Query* list = t.dm().Izdel;
            list->close();
            list->setSql("select id, marka, nom, '1,5' as massa from accounts_dep.izdel order by marka");
            list->open();
            auto* grid = t.find<QTableView>("TForm3", "DBGrid1");
            t.seam.expectDbError();
            grid->viewport()->repaint();
            // Said once the painting is over.
            QTRY_VERIFY(t.seam.nothingPending());
            QVERIFY2(t.seam.last()->text.contains(QStringLiteral("1,5")), qPrintable(t.seam.last()->text));
            QCOMPARE(grid->model()->data(grid->model()->index(0, 2)).toString(), QString());
            // Painted again, it is not said again.
            for (int i = 0; i < 3; ++i) {
                grid->viewport()->repaint();
                QCoreApplication::processEvents();
            }
            QCOMPARE(dbErrors(t.seam), 1);
        });
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
