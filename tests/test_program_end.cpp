// The end of the program, through the production seam and the real event loop: an
// outdated copy ends within five seconds whether or not the user closes the message.
#include "App.h"
#include "Program.h"
#include "DbError.h"
#include "Seam.h"
#include "TForm1.h"
#include "TForm23.h"
#include "TestDb.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QTimer>

namespace {
const QString kOutdated = QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин.");

QMessageBox* shownBox()
{
    for (QWidget* w : QApplication::topLevelWidgets())
        if (auto* box = qobject_cast<QMessageBox*>(w); box && box->isVisible())
            return box;
    return nullptr;
}

// Runs the program as main() does on a database; returns how long it ran in ms.
qint64 runProgram(const QString& database, const std::function<void(App&)>& during, QString* boxText = nullptr)
{
    DesktopSeam seam({20250401, 36000});
    App app(seam, {database, TestDb::server()}, buildProgram);
    // The box's text, whenever it shows.
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (QMessageBox* b = shownBox(); b && boxText)
            *boxText = b->text();
    });
    watch.start(100);
    QTimer::singleShot(300, [&] { during(app); });
    // A safety net for the test run itself, far beyond the five seconds.
    QTimer::singleShot(30000, [] { QCoreApplication::exit(99); });
    QElapsedTimer clock;
    clock.start();
    const int rc = app.exec();
    const qint64 ms = clock.elapsed();
    return rc == 99 ? -1 : ms;
}

QString databaseWithNewerBuild()
{
    const QString db = TestDb::create();
    TestDb::connect(db, QStringLiteral("newer_") + db)->execute("update accounts_dep.ver set d=20990101");
    return db;
}
} // namespace

class TestProgramEnd : public QObject {
    Q_OBJECT

private slots:
    void outdatedCopyEndsWithTheMessageLeftOpen()
    {
        QString text;
        const qint64 ms = runProgram(databaseWithNewerBuild(), [](App&) {}, &text);
        QCOMPARE(text, kOutdated);
        QVERIFY2(ms >= 4500 && ms < 7000, qPrintable(QString::number(ms)));
    }

    void outdatedCopyEndsWhenTheMessageIsClosed()
    {
        QString text;
        const qint64 ms = runProgram(databaseWithNewerBuild(), [](App&) {
            if (QMessageBox* b = shownBox())
                QTest::mouseClick(b->button(QMessageBox::Ok), Qt::LeftButton);
        }, &text);
        QCOMPARE(text, kOutdated);
        QVERIFY2(ms >= 0 && ms < 2000, qPrintable(QString::number(ms)));
    }

    void outdatedFoundInTheMiddleOfWork()
    {
        const QString db = TestDb::create();
        QString text;
        const qint64 ms = runProgram(db, [&](App& app) {
            app.form<TForm1>()->Timer1->setInterval(500);
            auto* field = app.form<TForm23>()->findChild<QLineEdit*>(QStringLiteral("Edit1"));
            QTest::keyClicks(field, QStringLiteral("bruvane"));
            // A newer build connects while this one works in the main window.
            QTimer::singleShot(200, [db] {
                TestDb::connect(db, QStringLiteral("newer_") + db)->execute("update accounts_dep.ver set d=20990101");
            });
            QTest::keyClick(field, Qt::Key_Return);
        }, &text);
        QCOMPARE(text, kOutdated);
        QVERIFY2(ms >= 0 && ms < 8000, qPrintable(QString::number(ms)));
    }

    void closingTheMainWindowEndsTheProgram()
    {
        const QString db = TestDb::create();
        const qint64 ms = runProgram(db, [](App& app) {
            auto* field = app.form<TForm23>()->findChild<QLineEdit*>(QStringLiteral("Edit1"));
            QTest::keyClicks(field, QStringLiteral("0842"));
            QTimer::singleShot(300, [&app] {
                QTest::mouseClick(app.form<TForm1>()->findChild<QPushButton*>(QStringLiteral("Button4")), Qt::LeftButton);
            });
            QTest::keyClick(field, Qt::Key_Return);
        });
        QVERIFY2(ms >= 0 && ms < 3000, qPrintable(QString::number(ms)));
    }
};

PW_TEST_MAIN(TestProgramEnd)
#include "test_program_end.moc"
