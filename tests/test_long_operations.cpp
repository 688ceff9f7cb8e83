// Long operations (a rebuild, a repricing) run their statements on a connection of their
// own while their progress window stays alive: its "Отмена" gives the server's wait up and
// leaves the data as it was; a click or key given meanwhile anywhere else is dropped, not
// replayed after; the main window's version check does not run inside the operation. And
// the real prompt of a long wait, in the real event loop, gives the wait up.
#include "Connection.h"
#include "DbError.h"
#include "Gate.h"
#include "QueuedInput.h"
#include "Seam.h"
#include "ServerBounds.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "household/TForm25.h"
#include "timesheets/TForm19.h"
#include <QApplication>
#include <QMessageBox>
#include <QProgressDialog>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

namespace {
// Everything the operations write, as one text: equal texts, equal contents.
QString contents(TestApp& t)
{
    QStringList parts;
    for (const char* table : {"accounts_dep.h_tabel", "accounts_dep.fatigue", "accounts_dep.smena"})
        parts << t.scalar(QStringLiteral("select md5(coalesce(string_agg(x::text, '|' order by x::text), '')) from %1 x")
                              .arg(QString::fromLatin1(table)))
                     .toString();
    return parts.join(',');
}

// The visible window of a name, if one is up.
QWidget* shown(const QString& name)
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (w->objectName() == name && w->isVisible())
            return w;
    return nullptr;
}

// Runs act once, from inside the running operation, when its progress window is up.
struct WhenProgressShows {
    QTimer timer;
    bool done = false;
    explicit WhenProgressShows(std::function<void(QWidget*)> act)
    {
        QObject::connect(&timer, &QTimer::timeout, [this, act] {
            if (QWidget* w = shown(QStringLiteral("LongOperation")); w && !done) {
                done = true;
                act(w);
            }
        });
        timer.start(30);
    }
};

struct Operation {
    const char* window;
    const char* button;
    const char* gated; // the table the operation writes, and the write that stops it
    const char* events;
};
const Operation kRebuild{"TForm19", "Button1", "accounts_dep.h_tabel", "insert"};
const Operation kRepricing{"TForm25", "Button4", "accounts_dep.fatigue", "update"};

// Opens the operation's window from the main window and runs step in it.
void inWindow(TestApp& t, const Operation& op, const ScriptedSeam::Step& step)
{
    t.seam.onModal(QString::fromLatin1(op.window), step);
    if (QString::fromLatin1(op.window) == QLatin1String("TForm19"))
        t.app->form<TForm1>()->N13Click();
    else
        click(t, "TForm1", "Button5");
}
} // namespace

Q_DECLARE_METATYPE(const Operation*)

class TestLongOperations : public QObject {
    Q_OBJECT

private slots:
    void cancelLeavesTheDataAsItWas_data()
    {
        QTest::addColumn<const Operation*>("op");
        QTest::newRow("rebuild") << &kRebuild;
        QTest::newRow("repricing") << &kRepricing;
    }
    void cancelLeavesTheDataAsItWas()
    {
        QFETCH(const Operation*, op);
        TestApp t;
        t.login();
        Gate::install(*t.check, {op->gated}, false, op->events);
        const QString before = contents(t);
        Gate::close(*t.check);
        WhenProgressShows cancel([](QWidget* w) {
            QTest::mouseClick(w->findChild<QPushButton*>(), Qt::LeftButton);
        });
        inWindow(t, *op, [&](QDialog*) {
            click(t, op->window, op->button);
            QVERIFY(cancel.done);
            QVERIFY(t.seam.last());
            QCOMPARE(t.seam.last()->icon, QMessageBox::Information);
            QCOMPARE(t.seam.last()->text, QStringLiteral("Операция отменена: данные не изменены."));
        });
        Gate::open(*t.check);
        QCOMPARE(contents(t), before);
        // Nothing of it is left on the server.
        QTRY_COMPARE(t.scalar("select count(*) from pg_locks l join pg_stat_activity a using (pid) "
                              "where a.datname=current_database() and l.locktype='advisory' and l.objid <> 4242")
                         .toInt(),
                     0);
    }

    // Clicks on the operation's own button and keys given while it runs are dropped: one
    // rebuild, not two; and the version check waits for the operation's end.
    void inputDuringTheOperationIsDropped()
    {
        TestApp t;
        t.login();
        t.exec("create table rebuilds(at timestamptz default now())");
        t.exec("create function count_rebuild() returns trigger language plpgsql as "
               "$$ begin insert into public.rebuilds default values; return null; end $$");
        t.exec("create trigger count_rebuild after delete on accounts_dep.h_tabel for each statement "
               "execute function count_rebuild()");
        t.exec("grant insert on public.rebuilds to sys");
        Gate::install(*t.check, {"accounts_dep.h_tabel"}, false, "insert");
        Gate::close(*t.check);
        // A newer build has connected: a version check would say so at once.
        t.exec("update accounts_dep.ver set d = 20990101");
        t.app->form<TForm1>()->Timer1->setInterval(20);
        QStringList duringOperation;
        WhenProgressShows impatient([&](QWidget*) {
            QWidget* rebuild = t.app->window("TForm19")->findChild<QPushButton*>("Button1");
            QueuedInput::click(rebuild);
            QTest::mouseClick(rebuild, Qt::LeftButton);
            QueuedInput::key(rebuild, Qt::Key_Space);
            QTest::qWait(100); // the version timer's ticks pass
            duringOperation = t.seam.texts();
            Gate::open(*t.check);
        });
        inWindow(t, kRebuild, [&](QDialog*) {
            click(t, "TForm19", "Button1");
            QVERIFY(impatient.done);
            QTest::qWait(200);
        });
        QCOMPARE(t.scalar("select count(*) from public.rebuilds").toInt(), 1);
        QVERIFY2(duringOperation.isEmpty(), qPrintable(duringOperation.join('\n')));
        // After it, the check runs again.
        QTRY_VERIFY(t.seam.texts().join('\n').contains("Версия программы не соответсвует БД!"));
    }

    // The real prompt of a long wait, in the real event loop: it shows after the notice
    // and its "Прервать" gives the wait up; the box that follows says so.
    void realPromptGivesUp()
    {
        const ServerBounds before = ServerBounds::current();
        ServerBounds b = before;
        b.noticeMs = 200;
        ServerBounds::setCurrent(b);
        const QString db = TestDb::create();
        auto check = TestDb::connect(db, QStringLiteral("check"), TestDb::Role::Site);
        Gate::install(*check, {"accounts_dep.smena"}, false, "delete");
        Gate::close(*check);
        DesktopSeam seam({20250401, 36000});
        SeamWaiter waiter(seam);
        auto c = TestDb::connect(db, QStringLiteral("prompted"));
        c->setWaiter(&waiter);
        QString prompt, box;
        QTimer look;
        QObject::connect(&look, &QTimer::timeout, [&] {
            if (auto* w = qobject_cast<QProgressDialog*>(shown(QStringLiteral("ServerWait"))); w && prompt.isEmpty()) {
                prompt = w->labelText();
                QTest::mouseClick(w->findChild<QPushButton*>(), Qt::LeftButton);
            }
            for (QWidget* w : QApplication::topLevelWidgets())
                if (auto* m = qobject_cast<QMessageBox*>(w); m && m->isVisible()) {
                    box = m->text();
                    m->accept();
                }
        });
        look.start(30);
        QString error;
        QTimer::singleShot(0, [&] {
            seam.guarded([&] { c->execute("delete from accounts_dep.smena where id < 0"); });
            QCoreApplication::exit(0);
        });
        QCoreApplication::exec();
        Gate::open(*check);
        ServerBounds::setCurrent(before);
        QVERIFY2(prompt.startsWith("Ожидание ответа сервера базы данных…"), qPrintable(prompt));
        QCOMPARE(box, QStringLiteral("Ожидание ответа сервера прервано."));
    }
};

PW_TEST_MAIN(TestLongOperations)
#include "test_long_operations.moc"
