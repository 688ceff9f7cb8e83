// The two maintenance commands of the main window: the schema upgrade and the import
// from the legacy journal database, and how an administrator reaches them.
#include "Connection.h"
#include "DbError.h"
#include "LegacyImport.h"
#include "LegacySource.h"
#include "SchemaUpgrade.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TestDb.h"
#include "journal/rules/JournalRecords.h"
#include "rules/DataModuleSql.h"
#include "printing/rules/ReportSql.h"
#include "SqlText.h"
#include "WindowDriver.h"
#include <QAction>
#include <QLabel>
#include <QMenuBar>
#include <QTest>

Q_DECLARE_METATYPE(LegacySource::Names)

namespace {
const char* const kTargets[] = {"h_tabel", "izdel", "nomenkl", "oper", "vid_oper", "workers", "smena"};

// Every row of every target table, to show that nothing changed.
QString targetRows(Connection& c)
{
    QStringList out;
    for (const char* t : kTargets)
        out << QString::fromLatin1(t) + QLatin1Char(':')
                   + Query::toText(c.select(QStringLiteral("select coalesce(string_agg(t::text, ';' order by t::text), '') "
                                                           "from accounts_dep.%1 t")
                                                .arg(QLatin1String(t)))
                                       .rows.value(0)
                                       .value(0));
    return out.join(QLatin1Char('\n'));
}

QStringList texts(Connection& c, const QString& sql)
{
    QStringList out;
    for (const auto& row : c.select(sql).rows)
        out << Query::toText(row.value(0));
    return out;
}

// The schema's view and flag columns, as the catalog describes them.
QString layout(Connection& c)
{
    QStringList out;
    out << texts(c, "select pg_get_viewdef('accounts_dep.izdel'::regclass)");
    out << texts(c, "select format('%s.%s %s %s %s', table_name, column_name, data_type, column_default, is_nullable) "
                    "from information_schema.columns where table_schema = 'accounts_dep' "
                    "and table_name in ('fatigue', 'h_tabel', 'izdel') order by table_name, column_name");
    return out.join(QLatin1Char('\n'));
}

// The layout with the indexes and functions of ours besides it.
QString structure(Connection& c)
{
    QStringList out{layout(c)};
    out << texts(c, "select indexdef from pg_indexes where schemaname in ('accounts_dep', 'cmn_contractor') "
                    "and indexname not like '%pkey' order by indexname");
    out << texts(c, "select p.proname from pg_proc p where p.pronamespace = 'accounts_dep'::regnamespace order by 1");
    return out.join(QLatin1Char('\n'));
}

// The layout of a database from before the upgrade: an older product view, no flags of
// household works and timesheet rows; and what an earlier version of the upgrade left.
const char* const kOlder[] = {
    "drop view accounts_dep.izdel",
    "create view accounts_dep.izdel as select gds.s_caption as marka, gds.id, gds.massa, i.s_caption as nom "
    "from cmn_gds_and_srv.gds_and_srv gds, cmn_classifier.item i where gds.id_class_item = i.id",
    "alter table accounts_dep.fatigue drop column i_holiday, drop column i_night",
    "alter table accounts_dep.h_tabel drop column i_night",
    "create function accounts_dep.person_code(code text) returns numeric language sql immutable "
    "as $$ select case when code ~ '^\\s*[-+]?[0-9]{1,15}\\s*$' then code::numeric end $$",
    // Its index was on the function, which fails on the fixture's code with a Unicode space:
    // an index of that name stands in for it.
    "create index person_code on cmn_contractor.person(s_code)",
};

// Where the client's role owns the objects, as the maintenance commands need: the test's
// own connection in that role.
std::unique_ptr<Connection> asOwner(TestApp& t)
{
    TestDb::makeClientOwner(t.database);
    return TestDb::connect(t.database, QStringLiteral("owner_client_") + t.database);
}

// The chord pressed in the main window, the active one.
void pressChord(TestApp& t)
{
    TForm1* f1 = t.app->form<TForm1>();
    f1->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(f1));
    QTest::keyClick(f1->findChild<QWidget*>("DBGrid2"), Qt::Key_F12, Qt::ControlModifier | Qt::ShiftModifier);
}

void showMaintenance(TestApp& t)
{
    pressChord(t);
    QVERIFY(t.app->form<TForm1>()->N12->isVisible());
}

// A click on an item of the main window's menu bar, as the user makes it.
void clickMenu(TestApp& t, QAction* item)
{
    QMenuBar* bar = t.app->form<TForm1>()->MainMenu;
    const QRect r = bar->actionGeometry(item);
    QVERIFY2(r.isValid(), qPrintable(item->objectName()));
    QTest::mouseClick(bar, Qt::LeftButton, {}, r.center());
}

std::unique_ptr<Connection> commandSource(const QString& name)
{
    auto c = std::make_unique<Connection>(name, Connection::Session::Foreign);
    c->setConnectionString(QString::fromLatin1(LegacyImport::MSA));
    c->open();
    return c;
}
std::unique_ptr<Connection> commandTarget(const QString& name)
{
    auto c = std::make_unique<Connection>(name);
    c->setConnectionString(QString::fromLatin1(LegacyImport::PGSQL));
    c->open();
    return c;
}
LegacyImport::Outcome importSample()
{
    auto source = commandSource("msa_test");
    auto target = commandTarget("pgsql_test");
    return LegacyImport::run(*source, *target);
}

// The copied rows of each table as the target holds them.
const QList<QPair<QString, QStringList>> kCopied = {
    {"select (id, w_id, month, year, smena, d1, d2, d3, d31)::text from accounts_dep.h_tabel where id > 0 order by id",
     {"(1,1,3,2024,1,8,,,4)", "(5,2,3,2024,2,,7,,)"}},
    {"select (id, marka, nom, massa)::text from accounts_dep.izdel where id > 0 order by id",
     {"(1,П-1,Плитка,0.020000)", "(2,Б-1,Бордюры,0.125000)"}},
    {"select (nom, rtrim(marka))::text from accounts_dep.nomenkl where id > 0 order by nom", {"(Бордюры,Б)", "(Плитка,П)"}},
    {"select (id, vid, naimen, i_id, cena, cena_new)::text from accounts_dep.oper where id > 0 order by id",
     {"(3,1,0,1,12.5,)", "(4,2,1,2,3.25,)"}},
    {"select (id, rtrim(vid))::text from accounts_dep.vid_oper where id > 0 order by id", {"(1,Формовка)", "(2,Упаковка)"}},
    {"select (id, fio, addr)::text from accounts_dep.workers where id > 0 order by id",
     {"(1,\"Антонов А.А.\",\"ул. Ленина, 1\")", "(2,\"Борисов Б.Б.\",)"}},
    {"select (id, w_id, i_id, o_id, kol_vo, brak, smena, cena, color, time, ok, data, vvod, prize)::text "
     "from accounts_dep.smena where id > 0 order by id",
     {"(10,1,1,3,100,2,1,12.5,0,8,ok,2024-03-01,\"2024-03-01 08:30:00\",)",
      "(11,2,2,4,40,0,2,3.25,7035,6,no,2024-03-02,\"2024-03-02 17:05:10\",)",
      "(250,1,2,4,5,0,4,4.5,1,2,да,2024-03-02,\"2024-03-03 09:00:00\",)"}},
};
} // namespace

class TestMaintenance : public QObject {
    Q_OBJECT

private slots:
    // The driver manager reads its data sources once: before any connection.
    void initTestCase() { LegacySource::configure(TestDb::server()); }
    void cleanupTestCase() { LegacySource::dropTarget(); }

    void chordShowsTheCommandsToAdministratorsOnly_data()
    {
        QTest::addColumn<QString>("code");
        QTest::addColumn<bool>("shown");
        QTest::newRow("administrator") << "0842" << true;
        QTest::newRow("second administrator code") << "63517402" << true;
        QTest::newRow("planning") << "vindar" << false;
        QTest::newRow("foreman") << "bruvane" << false;
        QTest::newRow("warehouse") << "gelvo" << false;
    }
    void chordShowsTheCommandsToAdministratorsOnly()
    {
        QFETCH(QString, code);
        QFETCH(bool, shown);
        TestApp t;
        t.login(code);
        TForm1* f1 = t.app->form<TForm1>();
        QVERIFY(!f1->N12->isVisible() && !f1->N16->isVisible());
        pressChord(t);
        QCOMPARE(f1->N12->isVisible(), shown);
        QCOMPARE(f1->N16->isVisible(), shown);
        QCOMPARE(f1->N12->text(), QString("Импорт"));
        QCOMPARE(f1->N16->text(), QString("Структура БД"));
        pressChord(t);
        QVERIFY(!f1->N12->isVisible() && !f1->N16->isVisible());
        QVERIFY(t.seam.shown.isEmpty());
    }

    void upgradeBringsAnOlderDatabaseUpAndThenChangesNothing()
    {
        TestApp t;
        t.login();
        auto owner = asOwner(t);
        const QString before = layout(*t.check);
        for (const char* s : kOlder)
            owner->execute(s);
        QVERIFY(layout(*t.check) != before);
        t.exec("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, cnt, price) values (10, 7777, 1, '2025-04-01', 3, 180)");
        showMaintenance(t);
        clickMenu(t, t.app->form<TForm1>()->N16);
        const QString upToDate = structure(*t.check);
        // The schema's columns and view as before, the earlier function gone, the indexes added.
        QCOMPARE(layout(*t.check), before);
        QCOMPARE(texts(*t.check, "select indexname from pg_indexes where indexname not like '%pkey' and schemaname in "
                                 "('accounts_dep', 'cmn_contractor') order by 1"),
                 (QStringList{"fatigue_date", "fatigue_p_date", "h_tabel_key", "h_tabel_month", "norm_o_id", "oper_i_id",
                              "person_worker_number", "pw_history_at", "pw_history_row", "smena_data_smena", "smena_i_id",
                              "smena_w_id_data"}));
        QCOMPARE(texts(*t.check, "select count(*) from pg_proc where proname = 'person_code'"), QStringList{"0"});
        QCOMPARE(t.scalar("select format('%s/%s', i_holiday, i_night) from accounts_dep.fatigue").toString(), QString("0/0"));

        // Again: everything is there already.
        t.exec("update accounts_dep.fatigue set i_holiday = 1, i_night = 1");
        const QString rows = targetRows(*t.check);
        clickMenu(t, t.app->form<TForm1>()->N16);
        QCOMPARE(structure(*t.check), upToDate);
        QCOMPARE(targetRows(*t.check), rows);
        QCOMPARE(t.scalar("select format('%s/%s', i_holiday, i_night) from accounts_dep.fatigue").toString(), QString("1/1"));
        QVERIFY(t.seam.shown.isEmpty());
        // The journal reads the view and the function made anew.
        t.dm().smenaQuery(1)->reopen();
        QCOMPARE(t.dm().smenaQuery(1)->recordCount(), 3);
    }

    // An upgrade with nothing to do looks in the catalogue and takes no lock: another
    // client's open transaction on the tables does not hold it up (it waited for it before,
    // and every save queued behind it).
    void upgradeWithNothingToDoTakesNoLock()
    {
        TestApp t;
        t.login();
        auto owner = asOwner(t);
        SchemaUpgrade::run(*owner);
        auto other = TestDb::connect(t.database, QStringLiteral("reader"));
        other->begin();
        other->select("select 1 from accounts_dep.fatigue, accounts_dep.h_tabel, accounts_dep.izdel, accounts_dep.smena limit 1");
        showMaintenance(t);
        clickMenu(t, t.app->form<TForm1>()->N16);
        QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
        other->rollback();
    }

    // An index whose table another client is writing in an open transaction waits for it no
    // longer than a step's bound: the step is named and may be run again; the writers are
    // never held up; the second run, with the table free, builds it valid.
    void upgradeStepMeetingABusyTableIsNamed()
    {
        TestApp t;
        t.login();
        auto owner = asOwner(t);
        auto writer = TestDb::connect(t.database, QStringLiteral("writer"));
        writer->begin();
        writer->execute("update accounts_dep.smena set kol_vo = kol_vo where id = 1");
        showMaintenance(t);
        clickMenu(t, t.app->form<TForm1>()->N16);
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->text,
                 QString("Не выполнено, потому что таблицы заняты другими пользователями: индекс accounts_dep.smena_data_smena, "
                         "индекс accounts_dep.smena_w_id_data, индекс accounts_dep.smena_i_id, триггер accounts_dep.smena. Команду «Структура БД» "
                         "можно запустить ещё раз, когда они освободятся."));
        // The other indexes are there, and the writer went on writing meanwhile.
        QCOMPARE(texts(*t.check, "select count(*) from pg_indexes where indexname in ('h_tabel_key', 'oper_i_id')"),
                 QStringList{"2"});
        writer->execute("update accounts_dep.smena set kol_vo = kol_vo where id = 2");
        writer->commit();
        t.seam.clearShown();
        clickMenu(t, t.app->form<TForm1>()->N16);
        QVERIFY2(t.seam.shown.isEmpty(), qPrintable(t.seam.texts().join('\n')));
        QCOMPARE(texts(*t.check, "select count(*) from pg_index where indisvalid and indexrelid::regclass::text in "
                                 "('accounts_dep.smena_data_smena', 'accounts_dep.smena_w_id_data', 'accounts_dep.smena_i_id')"),
                 QStringList{"3"});
    }

    void viewListsGoodsWhoseGroupMatchesAsANumber()
    {
        TestApp t;
        auto owner = asOwner(t);
        // Groups kept as text by an older shared schema: only the number counts.
        owner->execute("drop view accounts_dep.izdel");
        owner->execute("alter table cmn_gds_and_srv.gds_and_srv alter column id_class_item type varchar(20)");
        owner->execute("create view accounts_dep.izdel as select s_caption as marka, id from cmn_gds_and_srv.gds_and_srv");
        owner->execute("insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, id_class_item) values "
                       "(300, 'Т-010', '010'), (301, 'Т-999', '999'), (302, 'Т-нет', NULL), (303, 'Т-11', ' 11 ')");
        SchemaUpgrade::run(t.dm().ADO_DB);
        QCOMPARE(texts(*t.check, "select format('%s %s', marka, nom) from accounts_dep.izdel order by marka"),
                 (QStringList{"Б-1 Бордюры", "П-1 Плитка", "П-2 Плитка", "Т-010 Плитка", "Т-11 Бордюры"}));
    }

    // The client's everyday role owns nothing: every step fails, the additions stay away,
    // and the user learns why.
    void upgradeWithoutRightsSaysSo()
    {
        TestApp t;
        t.login();
        const QString before = structure(*t.check);
        showMaintenance(t);
        clickMenu(t, t.app->form<TForm1>()->N16);
        QCOMPARE(structure(*t.check), before);
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->icon, QMessageBox::Warning);
        QCOMPARE(t.seam.last()->title, QString("Структура БД"));
        // The view and the columns are there already: only the indexes were to be made.
        QCOMPARE(t.seam.last()->text, QString("Структура БД изменена не полностью: у пользователя sys нет прав владельца на "
                                              "cmn_contractor.person, accounts_dep.smena, accounts_dep.h_tabel, "
                                              "accounts_dep.fatigue, accounts_dep.norm, "
                                              "accounts_dep.oper, accounts_dep, accounts_dep.vid_oper, accounts_dep.person, "
                                              "cmn_gds_and_srv.gds_and_srv. Эти шаги пропущены, остальные выполнены."));
        // The client works as before.
        click(t, "TForm1", "Button8");
        QCOMPARE(t.dm().smenaQuery(1)->recordCount(), 3);
    }

    // The index is built on the very expression the statements compare, so the server can
    // use it for each of them (here made to, on the small fixture).
    void workerNumberIndexServesEveryMatchByCode()
    {
        TestApp t;
        auto owner = asOwner(t);
        SchemaUpgrade::run(*owner);
        QStringList statements;
        for (int shift = 1; shift <= 4; ++shift)
            statements << DataModuleSql::smena(shift).join('\n');
        statements << DataModuleSql::hTabel(1).join('\n') << ReportSql::tReportByWorker().sql.join('\n')
                   << ReportSql::wReport().sql.join('\n') << ReportSql::hTabel().join('\n');
        const QHash<QString, QVariant> params{{"data", QDate(2025, 4, 1)}, {"ok", "ta"},   {"mnth", 4},
                                              {"yea", 2025},               {"date1", QDate(2025, 4, 1)},
                                              {"date2", QDate(2025, 5, 1)}, {"data1", QDate(2025, 4, 1)},
                                              {"data2", QDate(2025, 5, 1)}};
        owner->execute("set enable_seqscan = off");
        for (const QString& s : statements) {
            const QString plan = texts(*owner, "explain " + SqlText::bind(s, params)).join('\n');
            QVERIFY2(plan.contains("person_worker_number"), qPrintable(plan));
        }
    }

    void importCopiesEveryTable_data()
    {
        QTest::addColumn<QStringList>("targetRows");
        QTest::addColumn<LegacySource::Names>("names");
        QTest::addColumn<QStringList>("survivors"); // target rows with ids of 0 and below
        const QStringList emptied = {"delete from accounts_dep.smena", "delete from accounts_dep.h_tabel",
                                     "delete from accounts_dep.oper", "delete from accounts_dep.vid_oper"};
        const QStringList filled = {
            "insert into accounts_dep.smena(id, w_id, ok) values (0, 9, 'no'), (-3, 9, 'no')",
            "insert into accounts_dep.vid_oper(id, vid) values (0, 'Нулевой'), (-1, 'Отрицательный')",
            "insert into accounts_dep.workers(id, fio) values (5, 'Старый'), (0, 'Нулевой')",
            "insert into accounts_dep.izdel(id, marka) values (7, 'Старое'), (-2, 'Отрицательное')",
            "insert into accounts_dep.nomenkl(nom, marka) values ('Старая', 'С')"};
        const QStringList survivors = {"izdel:-2", "vid_oper:-1,0", "workers:0", "smena:-3,0"};
        QTest::newRow("empty target") << emptied << LegacySource::Names::AsLegacy << QStringList{};
        QTest::newRow("filled target") << filled << LegacySource::Names::AsLegacy << survivors;
        QTest::newRow("columns in lower case") << emptied << LegacySource::Names::Lower << QStringList{};
        QTest::newRow("columns in capitals") << filled << LegacySource::Names::Upper << survivors;
        QTest::newRow("columns capitalised") << emptied << LegacySource::Names::Mixed << QStringList{};
    }
    void importCopiesEveryTable()
    {
        QFETCH(QStringList, targetRows);
        QFETCH(LegacySource::Names, names);
        QFETCH(QStringList, survivors);
        LegacySource::create(LegacySource::sampleRows(), {}, names);
        LegacySource::makeTarget();
        auto check = LegacySource::connectTarget("check_import");
        for (const QString& s : targetRows)
            check->execute(s);

        const LegacyImport::Outcome out = importSample();
        QCOMPARE(out.status, LegacyImport::Outcome::Done);
        QStringList counts;
        for (const auto& c : out.copied)
            counts << QString("%1>%2:%3").arg(c.source, c.target).arg(c.rows);
        QCOMPARE(counts, (QStringList{"H_TABEL>accounts_dep.h_tabel:2", "IZDEL>accounts_dep.izdel:2",
                                      "NOMENKL>accounts_dep.nomenkl:2", "OPER>accounts_dep.oper:2",
                                      "VID_OPER>accounts_dep.vid_oper:2", "WORKERS>accounts_dep.workers:2",
                                      "smena>accounts_dep.smena:3"}));
        for (const auto& [sql, rows] : kCopied)
            QCOMPARE(texts(*check, sql), rows);
        QStringList left;
        for (const char* table : kTargets) {
            const QStringList ids = texts(*check, QString("select id from accounts_dep.%1 where id <= 0 order by id").arg(table));
            if (!ids.isEmpty())
                left << QString("%1:%2").arg(table, ids.join(','));
        }
        QCOMPARE(left, survivors);
    }

    void legacyTableWithoutRowsEmptiesItsTarget()
    {
        QStringList rows = LegacySource::sampleRows();
        rows.removeIf([](const QString& s) { return s.startsWith("insert into WORKERS ") || s.startsWith("insert into OPER "); });
        LegacySource::create(rows);
        LegacySource::makeTarget();
        auto check = LegacySource::connectTarget("check_empty");
        check->execute("insert into accounts_dep.workers(id, fio) values (4, 'Старый')");
        const LegacyImport::Outcome out = importSample();
        QCOMPARE(out.copied.at(3).rows, 0);
        QCOMPARE(out.copied.at(5).rows, 0);
        QCOMPARE(texts(*check, "select count(*) from accounts_dep.workers"), QStringList{"0"});
        // The template's operations, the household ones among them, are gone with the rest.
        QCOMPARE(texts(*check, "select count(*) from accounts_dep.oper"), QStringList{"0"});
        QCOMPARE(texts(*check, "select count(*) from accounts_dep.smena"), QStringList{"3"});
    }

    void recordEnteredAfterTheImportGetsAFreshId_data()
    {
        QTest::addColumn<qint64>("sequenceBefore");
        QTest::addColumn<qint64>("nextId");
        // Behind the copied ids (the next one would be the copied 10): moved past 250.
        QTest::newRow("behind") << qint64(9) << qint64(251);
        // Further already: stays.
        QTest::newRow("ahead") << qint64(1000) << qint64(1001);
    }
    void recordEnteredAfterTheImportGetsAFreshId()
    {
        QFETCH(qint64, sequenceBefore);
        QFETCH(qint64, nextId);
        LegacySource::create(LegacySource::sampleRows());
        LegacySource::makeTarget();
        auto target = LegacySource::connectTarget("client_after_import");
        target->execute(QString("select setval('accounts_dep.smena_id_seq', %1)").arg(sequenceBefore));
        target->execute("select setval('accounts_dep.h_tabel_id_seq', 1)");
        importSample();

        EntryRules::Record r;
        r.worker = 2;
        r.item = 1;
        r.oper = 3;
        r.price = 12.5;
        r.count = 10;
        r.hours = 4;
        r.date = QDate(2025, 4, 1);
        r.entered = r.date;
        QCOMPARE(JournalRecords::save(*target, r), JournalRecords::Outcome::Saved);
        QCOMPARE(texts(*target, "select max(id) from accounts_dep.smena"), QStringList{QString::number(nextId)});
        // The new timesheet row of the day cell, after the copied ids 1 and 5.
        QCOMPARE(texts(*target, "select id from accounts_dep.h_tabel where w_id = 2 and month = 4"), QStringList{"6"});
    }

    void importThroughTheMenuShowsProgressAndWhatEachTableGot()
    {
        LegacySource::create(LegacySource::sampleRows());
        LegacySource::makeTarget();
        TestApp t;
        t.login();
        showMaintenance(t);
        auto* label = t.app->form<TForm1>()->findChild<QLabel*>("Label1");
        clickMenu(t, t.app->form<TForm1>()->N12);
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->icon, QMessageBox::Information);
        QCOMPARE(t.seam.last()->title, QString("Импорт"));
        QCOMPARE(t.seam.last()->text, QString("Импорт закончен. Получено записей:\n"
                                              "H_TABEL → accounts_dep.h_tabel: 2\nIZDEL → accounts_dep.izdel: 2\n"
                                              "NOMENKL → accounts_dep.nomenkl: 2\nOPER → accounts_dep.oper: 2\n"
                                              "VID_OPER → accounts_dep.vid_oper: 2\nWORKERS → accounts_dep.workers: 2\n"
                                              "smena → accounts_dep.smena: 3"));
        QCOMPARE(label->text(), QString("smena: 3 из 3 записей"));
        QVERIFY(!label->isVisible());
        QVERIFY(t.app->form<TForm1>()->N12->isEnabled() && t.app->form<TForm1>()->N16->isEnabled());
        // The client's own database is not the target.
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena").toInt(), 7);
    }

    void failureLeavesEveryTargetAsItWas_data()
    {
        QTest::addColumn<QStringList>("omit");
        QTest::addColumn<QString>("change");
        QTest::addColumn<QString>("error");
        QTest::newRow("source without OPER") << QStringList{"OPER"} << QString() << "OPER";
        QTest::newRow("mark longer than its column") << QStringList{} << "update smena set ok = 'oki' where ID = 250"
                                                     << "character(2)";
        QTest::newRow("defects beyond smallint") << QStringList{} << "update smena set BRAK = 40000 where ID = 11"
                                                 << "smallint";
    }
    void failureLeavesEveryTargetAsItWas()
    {
        QFETCH(QStringList, omit);
        QFETCH(QString, change);
        QFETCH(QString, error);
        QStringList rows = LegacySource::sampleRows();
        if (!omit.isEmpty())
            rows.removeIf([&](const QString& s) { return s.startsWith("insert into " + omit.first() + " "); });
        if (!change.isEmpty())
            rows << change;
        LegacySource::create(rows, omit);
        LegacySource::makeTarget();
        auto check = LegacySource::connectTarget("check_failure");
        check->execute("insert into accounts_dep.workers(id, fio) values (4, 'Старый')");
        const QString before = targetRows(*check);

        TestApp t;
        t.login();
        showMaintenance(t);
        t.seam.expectDbError();
        clickMenu(t, t.app->form<TForm1>()->N12);
        QCOMPARE(t.seam.shown.size(), 1);
        QVERIFY2(t.seam.last()->text.contains(error), qPrintable(t.seam.last()->text));
        QCOMPARE(targetRows(*check), before);
        QVERIFY(!t.app->form<TForm1>()->findChild<QLabel*>("Label1")->isVisible());
        QVERIFY(t.app->form<TForm1>()->N12->isEnabled());
    }

    // Refused before anything is deleted, saying why: a target whose product table is the
    // view of the upgraded layout; a target where the role has the everyday rights only, so
    // that the id sequences cannot be moved past the copied ids.
    void targetIsRefusedBeforeAnyDeletion_data()
    {
        QTest::addColumn<bool>("legacy");
        QTest::addColumn<bool>("clientOwns");
        QTest::addColumn<QString>("message");
        QTest::newRow("product view") << false << true
                                      << "В базе-приёмнике accounts_dep.izdel — представление: структура базы уже "
                                         "обновлена, а импорт заполняет только таблицы прежней структуры. "
                                         "Импорт не выполнен, в базе ничего не изменено.";
        QString sequences;
        for (const char* t : {"h_tabel", "izdel", "nomenkl", "oper", "vid_oper", "workers", "smena"})
            sequences += QString("%1изменение последовательности accounts_dep.%2_id_seq").arg(sequences.isEmpty() ? "" : ", ", t);
        QTest::newRow("everyday rights") << true << false
                                         << "У пользователя sys нет прав, нужных импорту: " + sequences
                                                + ". Импорт не выполнен, в базе ничего не изменено.";
    }
    void targetIsRefusedBeforeAnyDeletion()
    {
        QFETCH(bool, legacy);
        QFETCH(bool, clientOwns);
        QFETCH(QString, message);
        LegacySource::create(LegacySource::sampleRows());
        LegacySource::makeTarget(legacy, QStringLiteral("pw_template"), clientOwns);
        auto check = LegacySource::connectTarget("check_refusal");
        const QString before = targetRows(*check);
        TestApp t;
        t.login();
        showMaintenance(t);
        clickMenu(t, t.app->form<TForm1>()->N12);
        QCOMPARE(t.seam.shown.size(), 1);
        QCOMPARE(t.seam.last()->title, QString("Ошибка"));
        QCOMPARE(t.seam.last()->text, message);
        QCOMPARE(targetRows(*check), before);
    }
};

PW_TEST_MAIN(TestMaintenance)
#include "test_maintenance.moc"
