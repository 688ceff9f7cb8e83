// Closed months and the history of changes, as the server keeps them: every statement here
// is sent as the everyday role, on the site's schema with and without the optional objects.
#include "Connection.h"
#include "DbError.h"
#include "Query.h"
#include "SchemaUpgrade.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include "Watch.h"
#include "household/rules/HouseholdRecords.h"
#include "timesheets/TForm19.h"
#include "reports/TForm30.h"
#include <QDateEdit>
#include <QLineEdit>
#include "timesheets/rules/MonthClose.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QTest>

namespace {
const QString kWho = QStringLiteral(R"({"role":"мастер","user":"ivan","host":"pc-7","version":"1.2"})");

// March 2025 has journal record 7, a household record and timesheet rows; April has the rest.
const char* const kMarchRows[] = {
    "insert into accounts_dep.fatigue(id, id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price) values "
    "(1, 10, 7778, 1, '2025-03-10', 3, 2025, 1, 8, 1), (2, 10, 7778, 1, '2025-04-10', 4, 2025, 1, 8, 1)",
    "select setval('accounts_dep.fatigue_id_seq', 10)",
};

struct Site {
    QString database = TestDb::create();
    std::unique_ptr<Connection> admin = TestDb::connect(database, QStringLiteral("site_") + database, TestDb::Role::Site);
    std::unique_ptr<Connection> client;
    explicit Site(bool upgraded)
    {
        for (const char* s : kMarchRows)
            admin->execute(QString::fromUtf8(s));
        if (upgraded)
            SchemaUpgrade::run(*admin);
        client = TestDb::connect(database, QStringLiteral("client_") + database);
        client->setSessionSetting(QStringLiteral("pw.who"), kWho);
    }
    QStringList texts(const QString& sql)
    {
        QStringList out;
        for (const auto& row : admin->select(sql).rows)
            out << Query::toText(row.value(0));
        return out;
    }
    // Every row of the tables a close guards.
    QString guarded()
    {
        return texts("select string_agg(t::text, ';' order by t::text) from (select s::text t from accounts_dep.smena s "
                     "union all select f::text from accounts_dep.fatigue f union all select h::text from accounts_dep.h_tabel h) x")
            .join(QString());
    }
    QStringList history()
    {
        return texts("select concat_ws(' ', tbl, key, action, worker, old::jsonb, new::jsonb) from accounts_dep.pw_history order by id");
    }
};

// The state of a DbError thrown by f, or "" when none was.
template <class F> QString stateOf(F f)
{
    try {
        f();
    } catch (const DbError& e) {
        return e.state().isEmpty() ? QStringLiteral("?") + e.message() : e.state();
    }
    return {};
}

using Change = std::function<void(Connection&)>;
Change sql(const char* statement)
{
    return [s = QString::fromUtf8(statement)](Connection& c) { c.execute(s); };
}
} // namespace
Q_DECLARE_METATYPE(Change)

class TestMonthClose : public QObject {
    Q_OBJECT
private slots:
    // The objects are made once: a second run finds them and changes nothing.
    void upgradeMakesTheObjectsOnce()
    {
        Site site(true);
        QCOMPARE(site.texts("select count(*) from pg_trigger where tgname = 'pw_watch'"), QStringList{"8"});
        const SchemaUpgrade::Outcome again = SchemaUpgrade::run(*site.admin);
        QCOMPARE(again.made, 0);
        QVERIFY(SchemaUpgrade::rightsMessage(again).isEmpty());
        QVERIFY(Watch::available(*site.client));
    }

    void closedMonthRefusesEachChange_data()
    {
        QTest::addColumn<Change>("change");
        QTest::addColumn<bool>("inMarch");
        QTest::newRow("journal insert") << sql("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, "
                                               "time, ok) values (1, 100, 200, 5, 0, '2025-03-12', 1, 10, 1, 'no')")
                                        << true;
        QTest::newRow("journal change") << sql("update accounts_dep.smena set kol_vo = 71 where id = 7") << true;
        QTest::newRow("journal OK mark") << sql("update accounts_dep.smena set ok = 'ok' where id = 7") << true;
        QTest::newRow("journal delete") << sql("delete from accounts_dep.smena where id = 7") << true;
        QTest::newRow("journal move in") << sql("update accounts_dep.smena set data = '2025-03-05' where id = 1") << true;
        QTest::newRow("journal move out") << sql("update accounts_dep.smena set data = '2025-04-05' where id = 7") << true;
        QTest::newRow("household insert") << sql("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, "
                                                 "i_smena, cnt, price) values (10, 7777, 2, '2025-03-11', 3, 2025, 1, 4, 180)")
                                          << true;
        QTest::newRow("household change") << sql("update accounts_dep.fatigue set cnt = 3 where id = 1") << true;
        QTest::newRow("household delete") << sql("delete from accounts_dep.fatigue where id = 1") << true;
        QTest::newRow("timesheet insert") << sql("insert into accounts_dep.h_tabel(w_id, month, year, smena, d2) "
                                                 "values (2, 3, 2025, 1, 8)")
                                          << true;
        QTest::newRow("timesheet change") << sql("update accounts_dep.h_tabel set d31 = 7 where month = 3") << true;
        QTest::newRow("timesheet delete") << sql("delete from accounts_dep.h_tabel where month = 3") << true;
        QTest::newRow("timesheet moved in") << sql("update accounts_dep.h_tabel set month = 3 where month = 4") << true;
        QTest::newRow("rebuild") << Change([](Connection& c) { ShiftTimesheet::rebuild(c, 3, 2025); }) << true;
        QTest::newRow("repricing") << Change([](Connection& c) { HouseholdRecords::reprice(c, 3, 2025); }) << true;
        // The months beside it stay open.
        QTest::newRow("April journal") << sql("update accounts_dep.smena set kol_vo = 99 where id = 1") << false;
        QTest::newRow("April rebuild") << Change([](Connection& c) { ShiftTimesheet::rebuild(c, 4, 2025); }) << false;
        QTest::newRow("April repricing") << Change([](Connection& c) { HouseholdRecords::reprice(c, 4, 2025); }) << false;
    }

    // Refused with the program's own state and nothing changed; after a reopen the same
    // change passes. Without the objects every change passes as it always did.
    void closedMonthRefusesEachChange()
    {
        QFETCH(Change, change);
        QFETCH(bool, inMarch);
        {
            Site site(true);
            QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, true), MonthClose::Outcome::Done);
            QVERIFY(MonthClose::isClosed(*site.client, 3, 2025));
            QVERIFY(!MonthClose::isClosed(*site.client, 4, 2025));
            const QString before = site.guarded();
            QString refusal;
            const QString state = stateOf([&] {
                try {
                    change(*site.client);
                } catch (const DbError& e) {
                    refusal = MonthClose::refusal(e);
                    throw;
                }
            });
            if (inMarch) {
                QCOMPARE(state, QString(Watch::kClosedState));
                QVERIFY2(refusal.startsWith("Месяц март 2025 закрыт"), qPrintable(refusal));
                QCOMPARE(site.guarded(), before);
                QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, false), MonthClose::Outcome::Done);
                QCOMPARE(stateOf([&] { change(*site.client); }), QString());
            } else {
                QCOMPARE(state, QString());
            }
        }
        Site bare(false);
        QCOMPARE(MonthClose::setClosed(*bare.client, 3, 2025, true), MonthClose::Outcome::Unavailable);
        QVERIFY(!MonthClose::isClosed(*bare.client, 3, 2025));
        QCOMPARE(stateOf([&] { change(*bare.client); }), QString());
    }

    // The triggers run under the caller's search path: operators of the caller's own that
    // come first on it (here "=" that is never true, "<>" that always is) change nothing of
    // the check and the history.
    void aHostileSearchPathChangesNothing()
    {
        Site site(true);
        site.admin->execute("create schema evil authorization sys");
        for (const char* s : {"create function evil.never(integer, integer) returns boolean language sql as 'select false'",
                              "create operator evil.= (leftarg = integer, rightarg = integer, function = evil.never)",
                              "create function evil.always(text, text) returns boolean language sql as 'select true'",
                              "create operator evil.<> (leftarg = text, rightarg = text, function = evil.always)",
                              "create function evil.same(text, text) returns boolean language sql as 'select true'",
                              "create operator evil.= (leftarg = text, rightarg = text, function = evil.same)"})
            site.client->execute(QString::fromUtf8(s));
        QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, true), MonthClose::Outcome::Done);
        site.client->execute("set search_path = evil, pg_catalog, accounts_dep");
        QCOMPARE(stateOf([&] {
                     site.client->execute("insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, "
                                          "time, ok) values (1, 100, 200, 5, 0, '2025-03-12', 1, 10, 1, 'no')");
                 }),
                 QString(Watch::kClosedState));
        QCOMPARE(stateOf([&] { site.client->execute("update accounts_dep.h_tabel set d31 = 7 where month between 3 and 3"); }),
                 QString(Watch::kClosedState));
        site.client->execute("insert into accounts_dep.smena(id, w_id, i_id, o_id, kol_vo, brak, data, smena, cena, time, ok) "
                             "values (60, 2, 100, 200, 5, 0, '2025-04-12', 1, 10, 1, 'no')");
        site.client->execute("update accounts_dep.smena set kol_vo = 6 where id between 60 and 60");
        QCOMPARE(site.texts("select concat_ws(' ', tbl, key, action, worker, old::jsonb, new::jsonb ->> 'kol_vo') "
                            "from accounts_dep.pw_history where tbl = 'accounts_dep.smena' order by id"),
                 (QStringList{"accounts_dep.smena 60 insert 2 5", R"(accounts_dep.smena 60 update 2 {"kol_vo": 5} 6)"}));
    }

    void closeAndReopenAreSaidOnce()
    {
        Site site(true);
        QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, true), MonthClose::Outcome::Done);
        QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, true), MonthClose::Outcome::AlreadySo);
        QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, false), MonthClose::Outcome::Done);
        QCOMPARE(MonthClose::setClosed(*site.client, 3, 2025, false), MonthClose::Outcome::AlreadySo);
        QCOMPARE(site.texts("select concat_ws(' ', key, action, new::jsonb) from accounts_dep.pw_history order by id"),
                 (QStringList{R"(2025-03 close {"smena": 1, "fatigue": 1, "h_tabel": 1})",
                              R"(2025-03 reopen {"smena": 1, "fatigue": 1, "h_tabel": 1})"}));
    }

    // Exactly the changes made, each with who made it and the old and new values of the
    // columns that changed; a change that changes nothing leaves nothing.
    void historyHoldsExactlyTheChanges()
    {
        Site site(true);
        Connection& c = *site.client;
        c.execute("insert into accounts_dep.smena(id, w_id, i_id, o_id, kol_vo, brak, data, smena, cena, time, ok) "
                  "values (50, 2, 100, 200, 5, 0, '2025-04-02', 1, 10, 1, 'no')");
        c.execute("update accounts_dep.smena set kol_vo = 6, brak = 1 where id = 50");
        c.execute("update accounts_dep.smena set kol_vo = 6 where id = 50");
        c.execute("delete from accounts_dep.smena where id = 50");
        c.execute("update accounts_dep.norm set price = 13 where o_id = 200 and norma = 100");
        c.execute("update accounts_dep.person set fio = 'Антонов А.Б.' where id = 1");
        c.execute("insert into accounts_dep.vid_oper(id, vid) values (4, 'Сушка')");
        c.execute("update accounts_dep.oper set cena_new = 12 where id = 200");
        c.execute("update cmn_gds_and_srv.gds_and_srv set massa = 0.03 where id = 100");
        c.execute("update accounts_dep.fatigue set cnt = 7 where id = 2");
        const QString row50 = R"({"id": 50, "ok": "no", "brak": 0, "cena": 10, "data": "2025-04-02", "i_id": 100, "o_id": 200, )"
                              R"("time": 1, "vvod": null, "w_id": 2, "color": null, "prize": null, "smena": 1, "id_doc": null, )"
                              R"("kol_vo": 5, "id_gds_use": null, "id_cons_use": null, "id_doc_item": null, "f_gds_qty_use": null})";
        const QString row50after = QString(row50).replace(R"("brak": 0)", R"("brak": 1)").replace(R"("kol_vo": 5)", R"("kol_vo": 6)");
        QCOMPARE(site.history(),
                 (QStringList{"accounts_dep.smena 50 insert 2 " + row50,
                              R"(accounts_dep.smena 50 update 2 {"brak": 0, "kol_vo": 5} {"brak": 1, "kol_vo": 6})",
                              "accounts_dep.smena 50 delete 2 " + row50after,
                              R"(accounts_dep.norm 3 update {"price": 12.5} {"price": 13})",
                              R"(accounts_dep.person 1 update 1 {"fio": "Антонов А.А."} {"fio": "Антонов А.Б."})",
                              R"(accounts_dep.vid_oper 4 insert {"id": 4, "vid": ")" + QString("Сушка").leftJustified(128) + R"("})",
                              R"(accounts_dep.oper 200 update {"cena_new": 11} {"cena_new": 12})",
                              R"(cmn_gds_and_srv.gds_and_srv 100 update {"massa": 0.020000} {"massa": 0.030000})",
                              R"(accounts_dep.fatigue 2 update 1 {"cnt": 8} {"cnt": 7})"}));
        QCOMPARE(site.texts("select distinct concat_ws(' ', who, db_user) from accounts_dep.pw_history"),
                 QStringList{kWho + " sys"});
    }

    // A rebuild and a repricing leave one row each, with their counts, and none per row.
    void wholeOperationsLeaveOneRow()
    {
        Site site(true);
        ShiftTimesheet::rebuild(*site.client, 4, 2025);
        HouseholdRecords::reprice(*site.client, 4, 2025);
        QCOMPARE(site.texts("select concat_ws(' ', tbl, key, action, new::jsonb) from accounts_dep.pw_history order by id"),
                 (QStringList{R"(accounts_dep.h_tabel 2025-04 rebuild {"deleted": 1, "inserted": 5})",
                              R"(accounts_dep.fatigue 2025-04 reprice {"fatigue": 1})"}));
    }

    void everydayRoleCannotTouchTheHistory_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("delete") << "delete from accounts_dep.pw_history";
        QTest::newRow("update") << "update accounts_dep.pw_history set who = 'x'";
        QTest::newRow("insert") << "insert into accounts_dep.pw_history(tbl, action) values ('x', 'x')";
        QTest::newRow("truncate") << "truncate accounts_dep.pw_history";
        QTest::newRow("reopen by hand") << "delete from accounts_dep.pw_closed_month";
        QTest::newRow("close by hand") << "insert into accounts_dep.pw_closed_month(ym) values (202504)";
        QTest::newRow("trigger off") << "alter table accounts_dep.smena disable trigger pw_watch";
        QTest::newRow("trigger dropped") << "drop trigger pw_watch on accounts_dep.smena";
        QTest::newRow("function replaced") << "create or replace function accounts_dep.pw_watch() returns trigger "
                                              "language plpgsql as $f$ begin return null; end $f$";
    }

    void everydayRoleCannotTouchTheHistory()
    {
        QFETCH(QString, statement);
        Site site(true);
        site.client->execute("update accounts_dep.smena set kol_vo = 71 where id = 7");
        const QStringList before = site.history();
        QCOMPARE(stateOf([&] { site.client->execute(statement); }), QString("42501"));
        QCOMPARE(site.history(), before);
        QCOMPARE(site.texts("select count(*) from accounts_dep.pw_history"), QStringList{"1"});
    }

    // Without the objects: nothing is kept, and the summary of a whole operation is no error.
    void withoutTheObjectsNothingIsKept()
    {
        Site bare(false);
        QVERIFY(!Watch::available(*bare.client));
        ShiftTimesheet::rebuild(*bare.client, 3, 2025);
        HouseholdRecords::reprice(*bare.client, 3, 2025);
        QCOMPARE(bare.texts("select count(*) from pg_class where relname like 'pw\\_%'"), QStringList{"0"});
    }

    // The planning role closes the month before the working day from the menu "Табель":
    // asked with the month named, told, and the history names who closed it.
    void planningClosesAMonthFromTheMenu()
    {
        TestApp t;
        SchemaUpgrade::run(*t.check);
        t.login(QStringLiteral("vindar"));
        auto* f1 = t.app->form<TForm1>();
        QVERIFY(f1->N11->menuAction()->isEnabled());
        t.seam.answer(true);
        t.seam.onModal("TForm29", [&](QDialog*) {
            QCOMPARE(t.find<QComboBox>("TForm29", "ComboBox1")->currentText(), QString("Март"));
            QCOMPARE(t.find<QLabel>("TForm29", "Label3")->text(), QString("Месяц открыт"));
            click(t, "TForm29", "Button1");
            QCOMPARE(t.find<QLabel>("TForm29", "Label3")->text(), QString("Месяц закрыт"));
            QVERIFY(!t.find<QPushButton>("TForm29", "Button1")->isEnabled());
            QVERIFY(t.find<QPushButton>("TForm29", "Button2")->isEnabled());
        });
        f1->findChild<QAction*>("N18")->trigger();
        QVERIFY(t.seam.nothingPending());
        QCOMPARE(t.seam.texts(), (QStringList{MonthClose::question(3, 2025, true), "Месяц март 2025 закрыт."}));
        QVERIFY(t.seam.shown.first().text.contains("март 2025"));
        QCOMPARE(t.scalar("select count(*) from accounts_dep.pw_closed_month where ym = 202503").toInt(), 1);
        QVERIFY(t.scalar("select who from accounts_dep.pw_history where action = 'close'").toString().contains("\"role\":\"планирование\""));
    }

    // Without the objects the command says what the administrator has to do first.
    void withoutTheObjectsTheCommandSaysSo()
    {
        TestApp t;
        t.login();
        t.app->form<TForm1>()->findChild<QAction*>("N18")->trigger();
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->icon, QMessageBox::Warning);
        QCOMPARE(t.seam.last()->text, QString::fromUtf8(MonthClose::kUnavailable));
        QVERIFY(t.seam.modals.size() == 1); // the main window alone
    }

    // A closed month shows as closed: the journal's entry buttons are off with the reason,
    // the shift timesheet says so; a change the server refuses is said in words.
    void closedMonthShowsInTheWindows()
    {
        TestApp t;
        SchemaUpgrade::run(*t.check);
        QCOMPARE(MonthClose::setClosed(*t.check, 3, 2025, true), MonthClose::Outcome::Done);
        t.login();
        workOn(t, QDate(2025, 3, 31), 1);
        for (const char* b : {"Button1", "Button2", "Button3"}) {
            QVERIFY2(!t.find<QPushButton>("TForm1", b)->isEnabled(), b);
            QVERIFY(t.find<QPushButton>("TForm1", b)->toolTip().contains("март 2025 закрыт"));
        }
        // The OK mark of a record of March: refused, in words, and unchanged.
        t.invoke("TForm1", "DBGrid2DblClick");
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->kind, QString("message"));
        QCOMPARE(t.seam.last()->title, QString("Месяц закрыт"));
        QVERIFY(t.seam.last()->text.startsWith("Месяц март 2025 закрыт"));
        QCOMPARE(t.scalar("select ok from accounts_dep.smena where id = 7").toString(), QString("no"));
        workOn(t, QDate(2025, 4, 1), 1);
        for (const char* b : {"Button1", "Button2", "Button3"})
            QVERIFY2(t.find<QPushButton>("TForm1", b)->isEnabled(), b);
        t.seam.onModal("TForm19", [&](QDialog*) {
            QCOMPARE(t.find<QLabel>("TForm19", "LabelClosed")->text(), QString("Месяц закрыт"));
            QVERIFY(!t.find<QPushButton>("TForm19", "Button1")->isEnabled());
            t.find<QComboBox>("TForm19", "ComboBox1")->setCurrentIndex(3);
            QCOMPARE(t.find<QLabel>("TForm19", "LabelClosed")->text(), QString());
            QVERIFY(t.find<QPushButton>("TForm19", "Button1")->isEnabled());
        });
        t.app->form<TForm19>()->showFor(QDate(2025, 3, 31));
        QVERIFY(t.seam.nothingPending());
    }

    // The history window: the changes of the period, narrowed by table, worker and
    // computer; from the journal, the whole history of the current record.
    void historyWindowListsAndFilters()
    {
        TestApp t;
        SchemaUpgrade::run(*t.check);
        t.login();
        // Changes of other computers and of this one.
        auto other = TestDb::connect(t.database, QStringLiteral("other_") + t.database);
        other->setSessionSetting(QStringLiteral("pw.who"), kWho);
        other->execute("update accounts_dep.smena set kol_vo = 31 where id = 3");
        other->execute("update accounts_dep.norm set price = 11 where o_id = 200 and norma = 50");
        t.dm().ADO_DB.execute("update accounts_dep.smena set kol_vo = 101 where id = 1");
        workOn(t, QDate(2025, 4, 1), 1);
        t.seam.onModal("TForm30", [&](QDialog*) {
            Query* h = t.app->form<TForm30>()->history;
            // The changes were made by the server's clock, not the tests' day.
            t.find<QDateEdit>("TForm30", "DTPicker1")->setDate(QDate::currentDate().addDays(-1));
            t.find<QDateEdit>("TForm30", "DTPicker2")->setDate(QDate::currentDate().addDays(1));
            click(t, "TForm30", "Button1");
            QCOMPARE(columnTexts(h, "key"), (QStringList{"1", "4", "3"}));
            QCOMPARE(columnTexts(h, "caption"), (QStringList{"Журнал", "Нормы", "Журнал"}));
            t.find<QLineEdit>("TForm30", "Edit2")->setText("pc-7");
            click(t, "TForm30", "Button1");
            QCOMPARE(columnTexts(h, "host"), (QStringList{"pc-7", "pc-7"}));
            QCOMPARE(columnTexts(h, "role"), (QStringList{"мастер", "мастер"}));
            t.find<QComboBox>("TForm30", "ComboBox1")->setCurrentText("Журнал");
            click(t, "TForm30", "Button1");
            QCOMPARE(columnTexts(h, "old_values"), QStringList{R"({"kol_vo": 30})"});
            t.find<QLineEdit>("TForm30", "Edit2")->clear();
            t.find<QLineEdit>("TForm30", "Edit1")->setText("1");
            click(t, "TForm30", "Button1");
            QCOMPARE(columnTexts(h, "new_values"), QStringList{R"({"kol_vo": 101})"});
        });
        t.app->form<TForm1>()->findChild<QAction*>("N19")->trigger();
        QVERIFY(t.seam.nothingPending());
        // The record under the cursor: record 1.
        Query* shift = t.app->form<TForm1>()->currentQuery();
        for (int r = 1; r <= shift->recordCount(); ++r) {
            shift->setRecNo(r);
            if (shift->asInteger("id") == 1)
                break;
        }
        t.seam.onModal("TForm30", [&](QDialog*) {
            QCOMPARE(columnTexts(t.app->form<TForm30>()->history, "new_values"), QStringList{R"({"kol_vo": 101})"});
        });
        t.app->form<TForm1>()->findChild<QAction*>("N20")->trigger();
        QVERIFY(t.seam.nothingPending());
        QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
    }
};

PW_TEST_MAIN(TestMonthClose)
#include "test_month_close.moc"
