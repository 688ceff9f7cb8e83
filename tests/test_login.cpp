// Start-up and login: connection string, build stamp and version check, login codes,
// and the controls each role switches off.
#include "PwApplication.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "Program.h"
#include "TForm23.h"
#include "TestDb.h"
#include "rules/Shell.h"
#include <QAction>
#include <QLineEdit>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>

namespace {
const QString kFragments =
    ";PORT=5432;UID=sys;PWD=vamplex;SSLmode=prefer;"
    "ReadOnly=0;Protocol=7.4;FakeOidIndex=0;ShowOidColumn=0;RowVersioning=0;ShowSystemTables=0;Fetch=100;UnknownSizes=0;MaxVarcharSize=255;MaxLongVarcharSize=8190;"
    "Debug=0;CommLog=0;UseDeclareFetch=0;TextAsLongVarchar=1;UnknownsAsLongVarchar=0;BoolsAsChar=1;Parse=0;ExtraSysTablePrefixes=;LFConversion=1;UpdatableCursors=1;"
    "TrueIsMinus1=0;BI=0;ByteaAsLongVarBinary=1;UseServerSidePrepare=1;LowerCaseIdentifier=0;D6=-101;OptionalErrors=0;XaOpt=1";

bool enabled(QWidget* root, const QString& name)
{
    if (auto* m = root->findChild<QMenu*>(name))
        return m->menuAction()->isEnabled();
    if (auto* a = root->findChild<QAction*>(name))
        return a->isEnabled();
    return root->findChild<QWidget*>(name)->isEnabled();
}
} // namespace

class TestLogin : public QObject {
    Q_OBJECT

private slots:
    void connectionString_data()
    {
        QTest::addColumn<QString>("database");
        QTest::addColumn<QString>("server");
        QTest::addColumn<QString>("expected");
        QTest::newRow("both") << "tabel" << "/tmp/s" << "DRIVER={PostgreSQL UNICODE};DATABASE=tabel;SERVER=/tmp/s" + kFragments;
        QTest::newRow("no database") << "" << "srv" << "DRIVER={PostgreSQL UNICODE};DATABASE=;SERVER=srv" + kFragments;
        const QString several = "DRIVER={PostgreSQL UNICODE};DATABASE=tabel;SERVER=;PORT=" + kFragments.mid(10);
        QTest::newRow("two servers") << "tabel" << "db1, db2:5433"
                                     << several + ";pqopt={host='db1,db2' port='5432,5433' target_session_attrs=read-write}";
        QTest::newRow("v6, a socket, an empty entry") << "tabel" << "[::1]:5433,, /tmp/s"
                                     << several + ";pqopt={host='::1,/tmp/s' port='5433,5432' target_session_attrs=read-write}";
        QTest::newRow("built-in ignores the name") << "tabel" << "" << "DRIVER={PostgreSQL UNICODE};DATABASE=kromb_erp;SERVER=192.168.0.10" + kFragments;
    }
    void connectionString()
    {
        QFETCH(QString, database);
        QFETCH(QString, server);
        QFETCH(QString, expected);
        QCOMPARE(Shell::connectionString(database, server), expected);
    }

    // The standbys first, then the primary: libpq keeps the first standby that answers.
    void readingString()
    {
        QCOMPARE(Shell::readingString("tabel", "db1", " "), QString());
        const QString s = Shell::readingString("tabel", "db1, db2", "db3:5433");
        QVERIFY2(s.startsWith("DRIVER={PostgreSQL UNICODE};DATABASE=tabel;SERVER=;PORT=;UID=sys;"), qPrintable(s));
        QVERIFY2(s.endsWith(";pqopt={host='db3,db1,db2' port='5433,5432,5432' target_session_attrs=prefer-standby}"),
                 qPrintable(s));
    }

    void buildStamp_data()
    {
        QTest::addColumn<QString>("date");
        QTest::addColumn<QString>("time");
        QTest::addColumn<int>("d");
        QTest::addColumn<int>("t");
        QTest::newRow("example") << "Feb 19 2024" << "16:46:04" << 20240219 << 60364;
        QTest::newRow("blank day") << "Dec  5 2025" << "00:00:09" << 20251205 << 9;
        QTest::newRow("january") << "Jan 31 2026" << "23:59:59" << 20260131 << 86399;
    }
    void buildStamp()
    {
        QFETCH(QString, date);
        QFETCH(QString, time);
        const Shell::BuildStamp s = Shell::buildStamp(date.toLatin1().constData(), time.toLatin1().constData());
        QTEST(s.date, "d");
        QTEST(s.time, "t");
        QCOMPARE(Shell::loginCaption({20240219, 60364}), QStringLiteral("Авторизация (build: 20240219.60364)"));
    }

    void versionCheck_data()
    {
        QTest::addColumn<QString>("rows");   // the ver table before
        QTest::addColumn<int>("stampDate");
        QTest::addColumn<int>("stampTime");
        QTest::addColumn<QString>("after");  // d.t stored afterwards
        QTest::addColumn<bool>("outdated");
        QTest::newRow("raised") << "(20240219, 60000, '.')" << 20240219 << 60364 << "20240219.60364" << false;
        QTest::newRow("newer build connected") << "(20240220, 0, '.')" << 20240219 << 60364 << "20240220.0" << true;
        QTest::newRow("same day, later time") << "(20240219, 70000, '.')" << 20240219 << 60364 << "20240219.70000" << true;
        QTest::newRow("equal") << "(20240219, 60364, '.')" << 20240219 << 60364 << "20240219.60364" << false;
        QTest::newRow("empty table") << "" << 20240219 << 60364 << "20240219.60364" << false;
    }
    void versionCheck()
    {
        QFETCH(QString, rows);
        QFETCH(int, stampDate);
        QFETCH(int, stampTime);
        QFETCH(QString, after);
        QFETCH(bool, outdated);
        TestApp t;
        t.exec("delete from accounts_dep.ver");
        if (!rows.isEmpty())
            t.exec("insert into accounts_dep.ver(d, t, delim) values " + rows);
        t.seam.stamp = {stampDate, stampTime};
        t.seam.activate(t.app->form<TForm23>());
        QCOMPARE(t.scalar("select d || '.' || t from accounts_dep.ver").toString(), after);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.ver").toInt(), 1);
        QCOMPARE(t.app->form<TForm23>()->Timer1->isActive(), outdated);
        QCOMPARE(t.seam.quitRequests > 0, outdated);
        if (outdated) {
            QCOMPARE(t.seam.last()->text, QStringLiteral("Версия программы не соответсвует БД! Запустите программу через 5 мин."));
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
        }
        // The caption shows the running build, never the stored one.
        QCOMPARE(t.app->form<TForm23>()->windowTitle(),
                 QStringLiteral("Авторизация (build: %1.%2)").arg(stampDate).arg(stampTime));
        QCOMPARE(t.app->form<TForm1>()->build_date, stampDate);
    }

    void outdatedFoundByTheMainWindowsTimer()
    {
        TestApp t;
        t.login();
        t.exec("update accounts_dep.ver set d=20990101");
        t.app->form<TForm1>()->Timer1Timer();
        QCOMPARE(t.seam.quitRequests, 1);
        QVERIFY(t.app->form<TForm23>()->Timer1->isActive());
        QCOMPARE(t.app->form<TForm1>()->Timer1->interval(), 30000);
        QVERIFY(t.app->form<TForm1>()->Timer1->isActive());
    }

    void versionTableUnreadable()
    {
        TestApp t;
        t.exec("alter table accounts_dep.ver rename to ver_gone");
        t.seam.expectDbError();
        t.seam.activate(t.app->form<TForm23>());
        QCOMPARE(t.seam.last()->kind, QStringLiteral("dbError"));
        QVERIFY(t.seam.last()->text.contains("ver"));
        QCOMPARE(t.seam.quitRequests, 0);
    }

    void delimComesFromTheVersionRow()
    {
        TestApp t;
        t.exec("update accounts_dep.ver set delim=','");
        t.seam.activate(t.app->form<TForm23>());
        QCOMPARE(t.dm().delim, QStringLiteral(","));
        QCOMPARE(t.dm().FixDelim("12.5"), QStringLiteral("12,5"));
    }

    void fixDelim_data()
    {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("result");
        QTest::newRow("comma") << "12,5" << "12.5";
        QTest::newRow("point") << "12.5" << "12.5";
        QTest::newRow("whole") << "12" << "12";
        QTest::newRow("first comma only") << "1,2,3" << "1.2,3";
        QTest::newRow("comma before point") << "1.2,3" << "1.2.3";
    }
    void fixDelim()
    {
        QFETCH(QString, text);
        QFETCH(QString, result);
        TestApp t;
        QCOMPARE(t.dm().FixDelim(text), result);
    }

    void loginCodes_data()
    {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<bool>("accepted");
        QTest::addColumn<bool>("timesheetMenu");
        QTest::newRow("admin") << "63517402" << true << true;
        QTest::newRow("admin short") << "0842" << true << true;
        QTest::newRow("planning") << "vindar" << true << true;
        QTest::newRow("foreman with blanks") << "  bruvane\t " << true << false;
        QTest::newRow("foreman in capitals") << "BRUVANE" << false << false;
        QTest::newRow("warehouse") << "gelvo" << true << false;
        QTest::newRow("nothing") << "" << false << false;
        QTest::newRow("apostrophe") << "x' or '1'='1" << false << false;
    }
    void loginCodes()
    {
        QFETCH(QString, typed);
        QFETCH(bool, accepted);
        QFETCH(bool, timesheetMenu);
        TestApp t;
        t.app->form<TForm23>()->findChild<QLineEdit*>("Edit1")->setText(typed);
        if (accepted)
            t.seam.keepOpen("TForm1");
        t.app->form<TForm23>()->Button1Click();
        QCOMPARE(t.app->form<TForm1>()->login_code, Shell::trimLogin(typed));
        QCOMPARE(t.app->form<TForm1>()->cur_smena, 1);
        QCOMPARE(enabled(t.app->form<TForm1>(), "N11"), timesheetMenu);
        if (accepted) {
            QCOMPARE(t.seam.modals, QStringList{"TForm1"});
            QVERIFY(!t.app->form<TForm23>()->isVisible());
            QCOMPARE(t.dm().Smena3->param("ok").toString(), QStringLiteral("ta"));
        } else {
            QCOMPARE(t.seam.last()->text, QStringLiteral("Введены неверные данные."));
            QCOMPARE(t.seam.last()->title, QStringLiteral("Ошибка"));
            QCOMPARE(t.seam.last()->icon, QMessageBox::Critical);
            QVERIFY(t.seam.modals.isEmpty());
        }
    }

    void refusedThenAdminEnablesTimesheets()
    {
        TestApp t;
        auto* edit = t.app->form<TForm23>()->findChild<QLineEdit*>("Edit1");
        edit->setText("vindarx");
        t.app->form<TForm23>()->Button1Click();
        QVERIFY(!enabled(t.app->form<TForm1>(), "N11"));
        edit->setText("0842");
        t.seam.keepOpen("TForm1");
        t.app->form<TForm23>()->Button1Click();
        QVERIFY(enabled(t.app->form<TForm1>(), "N11"));
    }

    void switchedOffControls_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<QStringList>("mainOff");
        QTest::addColumn<QStringList>("reportsOff");
        const QStringList all1 = {"Button1", "Button2", "Button3", "RadioButton1", "RadioButton2", "RadioButton3",
                                  "RadioButton4", "CBox1", "Button8", "DBGrid2", "DateT", "N2"};
        // The planning role opens the menu "Табель" for the close of a month alone.
        const QStringList sheets = {"N9", "N13", "N14", "N15", "N17"};
        QTest::newRow("administrator") << "0842" << QStringList{} << QStringList{};
        QTest::newRow("planning") << "vindar" << all1 + sheets << QStringList{};
        QTest::newRow("foreman") << "bruvane" << QStringList{"Button2", "Button3", "N2", "N11"}
                                 << QStringList{"Button1", "Button2", "Button4", "Button6"};
        QTest::newRow("warehouse") << "gelvo" << QStringList{"Button1", "Button2", "Button3", "N2", "N11"}
                                   << QStringList{"Button1", "Button2", "Button4", "Button6", "RadioGroup1"};
    }
    void switchedOffControls()
    {
        QFETCH(QString, code);
        QFETCH(QStringList, mainOff);
        QFETCH(QStringList, reportsOff);
        TestApp t;
        t.login(code);
        const QStringList mainAll = {"Button1", "Button2", "Button3", "Button4", "Button5", "Button8", "RadioButton1",
                                     "RadioButton2", "RadioButton3", "RadioButton4", "CBox1", "DBGrid2", "DateT",
                                     "N2", "N11", "N7", "N9", "N13", "N14", "N15", "N17", "N18"};
        for (const QString& n : mainAll)
            QVERIFY2(enabled(t.app->form<TForm1>(), n) == !mainOff.contains(n), qPrintable(n));
        QWidget* f18 = t.app->window("TForm18");
        for (const QString& n : {"Button1", "Button2", "Button3", "Button4", "Button5", "Button6", "RadioGroup1"})
            QVERIFY2(enabled(f18, n) == !reportsOff.contains(n), qPrintable(QString(n)));
        if (code == "gelvo")
            QVERIFY(f18->findChild<QRadioButton*>("RadioGroup1Item1")->isChecked());
        // Maintenance commands are hidden in every role.
        QVERIFY(!t.app->form<TForm1>()->findChild<QAction*>("N12")->isVisible());
        QVERIFY(!t.app->form<TForm1>()->findChild<QAction*>("N16")->isVisible());
    }

    void cancelEndsTheProgram()
    {
        TestApp t;
        t.app->form<TForm23>()->Button2Click();
        QCOMPARE(t.seam.quitRequests, 1);
    }

    void standardButtonsSpeakRussian()
    {
        PwApplication::loadTranslations(qApp);
        QMessageBox box(QMessageBox::Question, "Удаление", "?", QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text().remove('&'), QStringLiteral("Да"));
        QCOMPARE(box.button(QMessageBox::No)->text().remove('&'), QStringLiteral("Нет"));
    }

    void unreachableDatabase()
    {
        ScriptedSeam seam;
        App app(seam, {"no_such_database", TestDb::server()}, buildProgram);
        QVERIFY(!app.start());
        QCOMPARE(seam.last()->text, QStringLiteral("Подключение к БД отсутсвует!!!"));
        QCOMPARE(seam.last()->title, QStringLiteral("Ошибка!"));
        QCOMPARE(seam.quitRequests, 1);
        QVERIFY(!app.window("TForm11"));
    }
};

PW_TEST_MAIN(TestLogin)
#include "test_login.moc"
