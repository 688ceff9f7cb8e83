// Every wait on the server has a bound, and the user can give it up: on a line that goes
// silent (a go-between that stops forwarding and closes nothing), at a connect, at a save's
// statement, at its COMMIT and at a report's reading; and a wait for another client's
// month lock ends in words within the lock bound. Giving up leaves nothing saved that was
// not, and the server frees the abandoned session's locks at once.
#include "App.h"
#include "Connection.h"
#include "CuttingProxy.h"
#include "DbError.h"
#include "Locks.h"
#include "Program.h"
#include "Query.h"
#include "ReadAhead.h"
#include "ServerBounds.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "Transaction.h"
#include "WindowDriver.h"
#include "printing/ReportLayout.h"
#include "printing/ReportPreview.h"
#include "printing/TForm16.h"
#include "printing/rules/GroupedReading.h"
#include "printing/rules/ReportSql.h"
#include "rules/Shell.h"
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QToolButton>

Q_DECLARE_METATYPE(CuttingProxy::Cut)

namespace {
const QString kUnsaved = QStringLiteral("изменения не сохранены");

const QString kRecords =
    QStringLiteral("select count(*) from accounts_dep.smena where w_id=3 and smena=1 and data='2025-04-01'");
// Locks of the program's sessions still held on the server.
const QString kProgramLocks = QStringLiteral(
    "select count(*) from pg_locks l join pg_stat_activity a using (pid) "
    "where a.datname=current_database() and a.application_name='piecework' and l.locktype in ('advisory', 'tuple', 'transactionid')");

// Bounds short enough for a test to meet them.
struct TestBounds {
    ServerBounds before = ServerBounds::current();
    explicit TestBounds(int noticeMs = 300, int lockSeconds = 1)
    {
        ServerBounds b = before;
        b.noticeMs = noticeMs;
        b.lockSeconds = lockSeconds;
        b.connectSeconds = 2;
        ServerBounds::setCurrent(b);
    }
    ~TestBounds() { ServerBounds::setCurrent(before); }
};
} // namespace

class TestServerWaits : public QObject {
    Q_OBJECT

private slots:
    // The user gives up a save whose COMMIT is not answered: the old session's server
    // process is ended from a new one, which then says whether the COMMIT was made. The
    // user is told the truth, a record is never saved twice, and no lock stays.
    void saveGivenUpAtItsCommit_data()
    {
        QTest::addColumn<CuttingProxy::Cut>("cut");
        QTest::addColumn<bool>("saved");
        QTest::newRow("COMMIT never reached the server") << CuttingProxy::Cut::SilentBeforeCommit << false;
        QTest::newRow("committed, the answer never came") << CuttingProxy::Cut::SilentAfterCommitAnswered << true;
    }
    void saveGivenUpAtItsCommit()
    {
        QFETCH(CuttingProxy::Cut, cut);
        QFETCH(bool, saved);
        TestBounds bounds;
        CuttingProxy proxy(TestDb::server(), cut);
        TestApp t(QStringLiteral("pw_template"), proxy.server());
        t.login();
        QElapsedTimer clock;
        qint64 prompted = -1;
        Waiting::Kind kind = Waiting::Kind::Connect;
        t.seam.onServerWait([&](const Waiting& w) {
            prompted = clock.elapsed();
            kind = w.kind;
            return true;
        });
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fillRecord(t, d);
            clock.start();
            click(t, "TForm11", "Button1");
            QVERIFY(proxy.cut());
            QCOMPARE(kind, Waiting::Kind::Commit);
            QVERIFY2(prompted >= 300 && prompted < 3000, qPrintable(QString::number(prompted)));
            if (saved) {
                QVERIFY(!d->isVisible());
                QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
                return;
            }
            // What was typed stays, and the user reads that nothing was saved.
            QVERIFY(d->isVisible());
            QVERIFY(t.seam.last());
            QCOMPARE(t.seam.last()->icon, QMessageBox::Information);
            QVERIFY2(t.seam.last()->text.contains(kUnsaved), qPrintable(t.seam.last()->text));
            QCOMPARE(t.scalar(kRecords).toInt(), 0);
            QCOMPARE(t.scalar(kProgramLocks).toInt(), 0);
            // The next press connects anew and saves.
            t.seam.clearShown();
            click(t, "TForm11", "Button1");
            QVERIFY(!d->isVisible());
        });
        click(t, "TForm1", "Button1");
        QCOMPARE(t.scalar(kRecords).toInt(), 1);
        QCOMPARE(t.scalar("select d1 from accounts_dep.h_tabel where w_id=3 and smena=1 and month=4").toInt(), 7);
        QTRY_COMPARE(t.scalar(kProgramLocks).toInt(), 0);
    }

    // A read on a line gone silent: the wait shows after its notice, giving up says so, the
    // abandoned session ends on the server, and the next action works on a new line.
    void readGivenUpOnASilentLine()
    {
        TestBounds bounds;
        CuttingProxy proxy(TestDb::server());
        TestApp t(QStringLiteral("pw_template"), proxy.server());
        t.login();
        const QString sessions = QStringLiteral(
            "select count(*) from pg_stat_activity where datname=current_database() and application_name='piecework'");
        const int before = t.scalar(sessions).toInt();
        proxy.silence(false);
        t.seam.onServerWait([](const Waiting& w) { return w.kind == Waiting::Kind::Statement; });
        click(t, "TForm1", "Button8");
        QVERIFY(t.seam.last());
        QCOMPARE(t.seam.last()->text, QStringLiteral("Ожидание ответа сервера прервано."));
        QCOMPARE(t.seam.last()->icon, QMessageBox::Information);
        // The silent session is ended by the server at the program's request.
        QTRY_COMPARE(t.scalar(sessions).toInt(), before - 1);
        t.seam.clearShown();
        click(t, "TForm1", "Button8");
        QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
        QVERIFY(t.dm().Smena1->recordCount() > 0);
    }

    // Connecting through a line that takes the connection and never answers: given up at the
    // prompt, or ended by the connect bound when nobody answers the prompt; either way the
    // program says it has no connection and ends, within the bound.
    void connectOnASilentLine_data()
    {
        QTest::addColumn<bool>("givenUp");
        QTest::newRow("the user gives up") << true;
        QTest::newRow("the connect bound ends it") << false;
    }
    void connectOnASilentLine()
    {
        QFETCH(bool, givenUp);
        TestBounds bounds;
        CuttingProxy proxy(TestDb::server());
        proxy.silence(true);
        const QString db = TestDb::create();
        ScriptedSeam seam;
        if (givenUp)
            seam.onServerWait([](const Waiting& w) { return w.kind == Waiting::Kind::Connect; });
        App app(seam, {db, proxy.server()}, buildProgram);
        QElapsedTimer clock;
        clock.start();
        QVERIFY(!app.start());
        const qint64 took = clock.elapsed();
        QVERIFY2(took < (givenUp ? 2000 : 4000), qPrintable(QString::number(took)));
        QCOMPARE(seam.waits.size(), 1);
        QCOMPARE(seam.waits.first().kind, Waiting::Kind::Connect);
        QVERIFY(seam.last());
        QCOMPARE(seam.last()->text, QStringLiteral("Подключение к БД отсутсвует!!!"));
        QCOMPARE(seam.quitRequests, 1);
    }

    // A save that meets its month held by another client (a rebuild) ends within the lock
    // bound with words that say so; what was typed stays, and it saves once the month is free.
    void saveMeetingAMonthBeingRebuilt()
    {
        TestBounds bounds(10000, 1);
        TestApp t;
        t.login();
        auto other = TestDb::connect(t.database, QStringLiteral("rebuilder"));
        other->begin();
        Locks::take(*other, {Locks::month(4, 2025, false)});
        t.seam.onModal("TForm11", [&](QDialog* d) {
            fillRecord(t, d);
            t.seam.expectDbError();
            QElapsedTimer clock;
            clock.start();
            click(t, "TForm11", "Button1");
            QVERIFY2(clock.elapsed() < 3000, qPrintable(QString::number(clock.elapsed())));
            QVERIFY(t.seam.last());
            QCOMPARE(t.seam.last()->text,
                     QStringLiteral("Месяц 04.2025 перестраивается или пересчитывается другим пользователем. "
                                    "Повторите позже: изменения не сохранены."));
            QVERIFY(d->isVisible());
            QCOMPARE(t.find<QLineEdit>("TForm11", "Edit6")->text(), QStringLiteral("7"));
            other->rollback();
            t.seam.clearShown();
            click(t, "TForm11", "Button1");
            QVERIFY(!d->isVisible());
        });
        click(t, "TForm1", "Button1");
        QCOMPARE(t.scalar(kRecords).toInt(), 1);
    }

    // A report's reading on a line gone silent: closing it returns at once (the wait is
    // given up, not sat out), and the server ends the reading's session.
    void reportReadingOnASilentLineEndsWhenClosed()
    {
        TestBounds bounds;
        CuttingProxy proxy(TestDb::server());
        TestApp t(QStringLiteral("pw_demo"));
        const QString statement = SqlText::bind(ReportSql::tReportByWorker().sql.join('\n'),
                                                {{"data1", QDate::currentDate().addDays(-60)},
                                                 {"data2", QDate::currentDate().addDays(1)}});
        const QString reading = Shell::connectionString(t.database, proxy.server());
        auto q = std::make_unique<Query>(t.dm().ADO_DB, QStringLiteral("silent"));
        std::atomic<int> parts{0};
        q->openReading(std::make_unique<ReadAhead>(reading, [&, statement](Connection& rc, const ReadAhead::Deliver& d) {
            GroupedReading::read(rc, statement, ReportSql::tReportByWorker().groups, [&](OdbcReader::Result&& part) {
                if (++parts == 1)
                    proxy.silence(false);
                return d(std::move(part));
            }, GroupedReading::Sizes{1, 0});
        }));
        QVERIFY(q->recordCount() > 0);
        QVERIFY(!q->complete());
        QTest::qWait(500); // the next range waits on the silent line
        QElapsedTimer clock;
        clock.start();
        q.reset();
        QVERIFY2(clock.elapsed() < 1000, qPrintable(QString::number(clock.elapsed())));
        QTRY_COMPARE(t.scalar("select count(*) from pg_stat_activity where datname=current_database() "
                              "and backend_type='client backend' and state <> 'idle' and pid <> pg_backend_pid()")
                         .toInt(),
                     0);
    }

    // A streamed report whose reading fails halfway is not taken for a whole one: no
    // totals are laid out over the rows that came, the preview says so, and it neither
    // prints nor writes a PDF.
    void previewOfAFailedReadingIsIncomplete()
    {
        TestApp t(QStringLiteral("pw_demo"));
        const QString statement = SqlText::bind(ReportSql::tReportByWorker().sql.join('\n'),
                                                {{"data1", QDate::currentDate().addDays(-60)},
                                                 {"data2", QDate::currentDate().addDays(1)}});
        Query q(t.dm().ADO_DB, QStringLiteral("failing"));
        q.openReading(std::make_unique<ReadAhead>(t.dm().ADO_DB.connectionString(),
                                                  [statement](Connection& rc, const ReadAhead::Deliver& d) {
            int parts = 0;
            GroupedReading::read(rc, statement, ReportSql::tReportByWorker().groups, [&](OdbcReader::Result&& part) {
                if (++parts == 2)
                    throw DbError(QStringLiteral("Связь с сервером базы данных прервалась."));
                return d(std::move(part));
            }, GroupedReading::Sizes{300, 0});
        }));
        QTemporaryDir dir;
        t.seam.expectDbError();
        t.seam.onModal("ReportPreview", [&](QDialog* w) {
            auto* preview = qobject_cast<ReportPreview*>(w);
            QVERIFY(preview);
            QTest::mouseClick(w->findChild<QToolButton*>("LastPage"), Qt::LeftButton);
            QTRY_VERIFY(preview->document().done());
            QVERIFY(preview->document().incomplete());
            for (const Rep::Page& p : preview->document().pages())
                for (const QString& line : p.lines())
                    QVERIFY2(!line.startsWith("summary"), qPrintable(line));
            QVERIFY(w->findChild<QLabel*>("PageLabel")->text().contains("Отчет неполный"));
            QVERIFY(!w->findChild<QToolButton*>("PrintButton")->isEnabled());
            QVERIFY(!w->findChild<QToolButton*>("PdfButton")->isEnabled());
            const QString pdf = dir.filePath("report.pdf");
            QVERIFY(!preview->savePdf(pdf));
            QVERIFY(!QFile::exists(pdf));
        });
        QVERIFY(t.seam.guarded([&] { t.app->form<TForm16>()->preview(q); }));
        QVERIFY(t.seam.texts().join('\n').contains("Связь с сервером базы данных прервалась."));
        QVERIFY(t.seam.texts().join('\n').contains("Отчет неполный"));
    }
};

PW_TEST_MAIN(TestServerWaits)
#include "test_server_waits.moc"
