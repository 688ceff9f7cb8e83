// A primary with a streaming standby, on clusters of this program's own: the program finds
// the writable one in a list of servers whatever its order, and after a failover (the
// primary stopped, the standby promoted) the save cut short says so and the next one lands
// on the new primary; the reports read on the standby named for them, in one snapshot, and
// on the primary, saying so once, when it does not answer.
#include "Gate.h"
#include "ReportServer.h"
#include "TForm1.h"
#include "printing/ReportPreview.h"
#include "StandbyPair.h"
#include "TDataModule6.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "XlsxReader.h"
#include "rules/Shell.h"
#include <QDateEdit>
#include <QLineEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QTest>
#include <thread>

namespace {

int scalar(Connection& c, const QString& sql) { return c.select(sql).rows.value(0).value(0).toInt(); }

using Lines = QVector<QStringList>;

// February's output report, as a user asks for it; the lines of its pages. before runs
// just before the button is pressed.
Lines report(TestApp& t, const std::function<void()>& before = {})
{
    Lines pages;
    openFromMenu(t, "TForm18", &TForm1::N10Click, [&](QDialog*) {
        t.find<QDateEdit>("TForm18", "DTPicker1")->setDate(QDate(2025, 2, 1));
        t.find<QDateEdit>("TForm18", "DTPicker2")->setDate(QDate(2025, 3, 1));
        t.seam.onModal("ReportPreview", [&](QDialog* d) {
            auto* p = qobject_cast<ReportPreview*>(d);
            p->document().finish();
            for (const Rep::Page& page : p->document().pages())
                pages << page.lines();
        });
        if (before)
            before();
        QTest::mouseClick(t.find<QPushButton>("TForm18", "Button1"), Qt::LeftButton);
    });
    return pages;
}

// The program on the primary with its reports read through reportServer; a few of
// February's records written on the primary.
void readingThrough(TestApp& t, const QString& primary, const QString& reportServer)
{
    ReportServer::set(Shell::readingString(t.database, primary, reportServer));
    t.login();
    t.exec("insert into accounts_dep.smena(id, w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, prize) values "
           "(901, 1, 100, 200, 10, 1, '2025-02-03', 1, 1.005, 1, 8, 'ok', 10),"
           "(903, 2, 100, 201, 4, 0, '2025-02-05', 2, 0.3333, 0, 8, 'ok', 0)");
}

// The sessions of the program on a server that run a statement reading the journal.
int readingSessions(Connection& c, const QString& waiting)
{
    return scalar(c, QStringLiteral("select count(*) from pg_stat_activity where application_name = 'piecework' "
                                    "and state = 'active' and query like '%smena%' and pid <> pg_backend_pid() %1")
                         .arg(waiting));
}

const QString kFallback = QStringLiteral("Резервный сервер для отчётов не отвечает");

// Антонов's hours on 1 April as a timesheet's print or export shows them, and whether it
// says its data are late.
struct DayOne {
    QString hours;
    bool late = false;
};

DayOne timesheetReading(TestApp& t, const QString& what)
{
    DayOne r;
    if (what == QLatin1String("print")) {
        QStringList lines;
        openFromMenu(t, "TForm19", &TForm1::N13Click, [&](QDialog*) {
            t.seam.onModal("ReportPreview", [&](QDialog* d) { lines = qobject_cast<ReportPreview*>(d)->document().page(0).lines(); });
            click(t, "TForm19", "Button6");
        });
        for (const QString& line : lines)
            if (line.contains(QStringLiteral("Антонов")))
                r.hours = line.section(QStringLiteral(" | "), 1, 1);
        r.late = lines.join(QLatin1Char('\n')).contains(QStringLiteral("(резервный сервер отстаёт)"));
        return r;
    }
    const bool monthly = what == QLatin1String("monthly export");
    const QString window = monthly ? QStringLiteral("TForm27") : QStringLiteral("TForm19");
    openFromMenu(t, window, monthly ? &TForm1::N9Click : &TForm1::N13Click, [&](QDialog*) { click(t, window, "Button2"); });
    const auto cells = readXlsx(t.seam.opened.last());
    for (int row = 3; row < 10; ++row)
        if (cells.value(cellRef(row, 1)).value.contains(QStringLiteral("Антонов")))
            r.hours = cells.value(cellRef(row, monthly ? 3 : 2)).value;
    return r;
}
} // namespace

class TestStandby : public QObject {
    Q_OBJECT
    std::unique_ptr<StandbyPair> pair;

private slots:
    void initTestCase() { pair = std::make_unique<StandbyPair>(); }
    void cleanupTestCase() { pair.reset(); }

    void connectsToTheWritableServerOfAList_data()
    {
        QTest::addColumn<bool>("standbyFirst");
        QTest::newRow("primary first") << false;
        QTest::newRow("standby first") << true;
    }
    void connectsToTheWritableServerOfAList()
    {
        QFETCH(bool, standbyFirst);
        const QString list = standbyFirst ? pair->standby() + QStringLiteral(", ") + pair->primary()
                                          : pair->primary() + QStringLiteral(",") + pair->standby();
        // The template is on both from the start: the standby would take the client too.
        Connection c;
        c.setConnectionString(Shell::connectionString(QStringLiteral("pw_template"), list));
        c.open();
        QCOMPARE(scalar(c, QStringLiteral("select pg_is_in_recovery()::int")), 0);
        QCOMPARE(scalar(c, QStringLiteral("select count(*) from pg_stat_replication")), 1);
    }

    // The report's reading waits on the standby for a lock the standby replays from the
    // primary: meanwhile the test looks at both servers' sessions.
    void reportsReadOnTheStandby()
    {
        TestApp t(QStringLiteral("pw_template"), pair->primary());
        readingThrough(t, pair->primary(), pair->standby());
        auto locker = StandbyPair::connect(pair->primary(), t.database, QStringLiteral("locker"));
        int onStandby = -1, onPrimary = -1;
        std::thread look;
        // Taken with the reports window open, so that the main window's journal does not meet it.
        const Lines onTheStandby = report(t, [&] {
            locker->begin();
            locker->execute(QStringLiteral("lock table accounts_dep.smena in access exclusive mode"));
            pair->catchUp();
            look = std::thread([&] {
                auto s = StandbyPair::connect(pair->standby(), t.database, QStringLiteral("look_standby"));
                auto p = StandbyPair::connect(pair->primary(), t.database, QStringLiteral("look_primary"));
                for (int i = 0; i < 200 && onStandby <= 0; ++i) {
                    onStandby = readingSessions(*s, QStringLiteral("and wait_event_type = 'Lock'"));
                    std::this_thread::sleep_for(std::chrono::milliseconds(20));
                }
                onPrimary = readingSessions(*p, QString());
                locker->rollback();
            });
        });
        if (look.joinable())
            look.join();
        QCOMPARE(onStandby, 1);
        QCOMPARE(onPrimary, 0);
        QVERIFY(t.seam.shown.isEmpty());
        // The same pages as on the primary, without a note on the data's time.
        ReportServer::set(QString());
        const Lines onThePrimary = report(t);
        QVERIFY(!onThePrimary.isEmpty());
        QCOMPARE(onTheStandby, onThePrimary);
    }

    void reportsFallBackToThePrimaryOnce()
    {
        TestApp t(QStringLiteral("pw_template"), pair->primary());
        readingThrough(t, pair->primary(), pair->standby());
        pair->stopStandby();
        auto back = qScopeGuard([&] { pair->startStandby(); });
        const Lines first = report(t);
        QCOMPARE(t.seam.shown.size(), 1);
        QVERIFY2(t.seam.last()->text.contains(kFallback), qPrintable(t.seam.last()->text));
        t.seam.clearShown();
        const Lines second = report(t);
        QVERIFY(t.seam.shown.isEmpty());
        QCOMPARE(second, first);
        ReportServer::set(QString());
        QCOMPARE(report(t), first);
    }

    // The timesheets' print and exports read on the standby: while it lags they show what
    // it has (the print says from when); once it replays again, a reading first waits for it
    // to reach what the primary had when the user asked.
    void timesheetReadingsOnTheStandby_data()
    {
        QTest::addColumn<QString>("what");
        QTest::newRow("shift timesheet print") << "print";
        QTest::newRow("shift timesheet export") << "shift export";
        QTest::newRow("monthly timesheet export") << "monthly export";
    }
    void timesheetReadingsOnTheStandby()
    {
        QFETCH(QString, what);
        TestApp t(QStringLiteral("pw_template"), pair->primary());
        ReportServer::set(Shell::readingString(t.database, pair->primary(), pair->standby()));
        t.login();
        pair->catchUp();
        pair->pauseReplay();
        auto resume = qScopeGuard([&] {
            pair->resumeReplay();
            ReportServer::set(QString());
        });
        t.exec("update accounts_dep.h_tabel set d1 = 6 where w_id = 1 and month = 4 and year = 2025");
        const DayOne lagging = timesheetReading(t, what);
        QCOMPARE(lagging.hours, QStringLiteral("4"));
        QCOMPARE(lagging.late, what == QLatin1String("print"));
        std::thread later([&] {
            std::this_thread::sleep_for(std::chrono::milliseconds(300));
            pair->resumeReplay();
        });
        const DayOne current = timesheetReading(t, what);
        later.join();
        QCOMPARE(current.hours, QStringLiteral("6"));
        QVERIFY(!current.late);
        QVERIFY(t.seam.shown.isEmpty());
    }

    // Last: the pair does not survive it.
    void aFailoverDuringASave()
    {
        TestApp t(QStringLiteral("pw_template"), pair->primary() + QStringLiteral(", ") + pair->standby());
        t.login();
        // The save stops after its journal insert; meanwhile the primary stops and the
        // standby takes over.
        Gate::install(*t.check, {"accounts_dep.smena"}, false, "insert");
        Gate::close(*t.check);
        pair->catchUp();
        saveInterruptedThenAgain(t, [&] {
            pair->stopPrimary();
            pair->promote();
        });
        auto now = StandbyPair::connect(pair->standby(), t.database, QStringLiteral("new_primary"));
        QCOMPARE(scalar(*now, QStringLiteral("select pg_is_in_recovery()::int")), 0);
        QCOMPARE(scalar(*now, QStringLiteral("select count(*) from accounts_dep.smena where w_id=3 and smena=1 and data='2025-04-01'")), 1);
        QCOMPARE(scalar(*now, QStringLiteral("select d1 from accounts_dep.h_tabel where w_id=3 and smena=1 and month=4")), 7);
        t.check.reset();
    }
};

PW_TEST_MAIN(TestStandby)
#include "test_standby.moc"
