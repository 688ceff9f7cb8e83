// The client on a database that holds exactly the workshop's schema, with rows of other
// applications in the shared tables, working as a role that may change rows but no
// structure: the database holds nothing of ours, the statements that find workers by
// number or were reshaped for speed return the rows of their first texts, and everything
// the client does touches the schema's relations and nothing else.
#include "DbError.h"
#include "Query.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "FirstTexts.h"
#include "TestDb.h"
#include "WindowDriver.h"
#include "household/rules/HouseholdRecords.h"
#include "household/rules/HouseholdSql.h"
#include "journal/rules/JournalRecords.h"
#include "refbooks/rules/RefBookWrites.h"
#include "printing/rules/ReportSql.h"
#include "rules/DataModuleSql.h"
#include "timesheets/rules/MonthSheets.h"
#include <QDateEdit>
#include <QDeadlineTimer>
#include <QTest>
#include <QThread>

namespace {
QStringList texts(Connection& c, const QString& sql)
{
    QStringList out;
    for (const auto& row : c.select(sql).rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << Query::toText(v);
        out << cells.join('|');
    }
    return out;
}

// The rows of a statement as text lines in its order, with its field names.
struct Lines {
    QStringList fields;
    QStringList rows;
    QStringList names() const
    {
        const int fio = fields.indexOf("fio");
        QStringList out;
        for (const QString& r : rows)
            out << (fio < 0 ? QString() : r.section('|', fio, fio));
        return out;
    }
};

Lines linesOf(Connection& c, const QString& sql)
{
    const OdbcReader::Result r = c.select(sql);
    Lines out{r.fields, {}};
    for (const auto& row : r.rows) {
        QStringList cells;
        for (const QVariant& v : row)
            cells << Query::toText(v);
        out.rows << cells.join('|');
    }
    return out;
}

struct Pair {
    QString name;
    QString ours;
    QString first;
};

QVector<Pair> pairs()
{
    QVector<Pair> out;
    for (int shift = 1; shift <= 4; ++shift)
        out.push_back({QString("Smena%1").arg(shift), DataModuleSql::smena(shift).join('\n'), FirstTexts::journal(shift)});
    for (int shift = 1; shift <= 3; ++shift)
        out.push_back({QString("H_Tabel_%1").arg(shift), DataModuleSql::hTabel(shift).join('\n'), FirstTexts::shiftGrid(shift)});
    out.push_back({"H_Tabel of the printed timesheet", ReportSql::hTabel().join('\n'), FirstTexts::printedTimesheet()});
    const QString byWorker = ReportSql::tReportByWorker().sql.join('\n');
    out.push_back({"t_Report by worker", byWorker, FirstTexts::withCast(byWorker, "s_code", "integer")});
    const QString detailed = ReportSql::wReport().sql.join('\n');
    out.push_back({"w_Report", detailed, FirstTexts::withCast(detailed, "s_code", "integer")});
    using V = MonthSheets::Variant;
    for (V v : {V::PieceWork, V::Household, V::AverageRate, V::General})
        out.push_back({MonthSheets::look(v).caption, MonthSheets::sheetStatement(v), FirstTexts::monthly(v)});
    return out;
}

QHash<QString, QVariant> parameters()
{
    QHash<QString, QVariant> p{{"data", QDate(2025, 4, 1)}, {"ok", "ta"},
                               {"mnth", 4},                 {"yea", 2025},
                               {"date1", QDate(2025, 4, 1)}, {"date2", QDate(2025, 5, 1)},
                               {"data1", QDate(2025, 3, 1)}, {"data2", QDate(2025, 5, 1)},
                               {"i_month", 4},              {"i_year", 2025}};
    for (int n = 1; n <= 7; n += 2) {
        p[QString("d_date%1").arg(n)] = QDate(2025, 5, 1);
        p[QString("d_date%1").arg(n + 1)] = QDate(2025, 4, 1);
    }
    return p;
}

// The month's work beyond the fixture: more journal records (one with no hours, one of a
// worker without a number), household works by day and night of both kinds, and the
// timesheet lines of the month, some of workers without records or without a person.
const char* const kMonth[] = {
    "insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, vvod, prize) values "
    "(3, 101, 203, 12, 2, '2025-04-01', 1, 2.5, 0, 0, 'no', '2025-04-01', 5), "
    "(2, 102, 202, 8, 0, '2025-04-01', 2, 3, 0, 4, 'ok', '2025-04-01', 0), "
    "(77, 100, 201, 6, 1, '2025-04-01', 3, 6, 3, 5, 'no', '2025-04-01', 0), "
    "(null, 100, 200, 1, 0, '2025-04-01', 1, 10, 0, 1, 'no', '2025-04-01', 0), "
    "(1, 100, 200, 9, 0, '2025-04-15', 2, 12, 0, 7, 'no', '2025-04-15', 0), "
    "(1, 102, 202, 4, 0, '2025-04-01', 3, 3.6, 0, 2, 'ok', '2025-04-01', 0), "
    "(3, 100, 201, 7, 0, '2025-04-01', 4, 7.5, 1, 3, 'no', '2025-04-01', 0), "
    "(2, 101, 203, 3, 0, '2025-04-01', 4, 0, 0, 1, 'да', '2025-04-01', 0)",
    "insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night) values "
    "(10, 7777, 1, '2025-04-01', 4, 2025, 1, 3, 180, 0, 0), (10, 7777, 1, '2025-04-02', 4, 2025, 1, 2, 216, 0, 1), "
    "(11, 7778, 2, '2025-04-03', 4, 2025, 1, 4, 150.5, 0, 0), (11, 7778, 3, '2025-04-04', 4, 2025, 1, 0, 150, 1, 0), "
    "(10, 7778, 1, '2025-04-02', 4, 2025, 1, 6, 240, 0, 1), "
    "(10, 7777, 3, '2025-03-31', 3, 2025, 1, 5, 180, 0, 0)",
    "insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, i_night, d1, d2, d3, d4, d15) values "
    "(1, 4, 2025, null, 7777, 0, 3, null, null, null, null), (1, 4, 2025, null, 7777, 1, null, 2, null, null, null), "
    "(2, 4, 2025, null, 7778, 0, null, null, 4, null, null), (3, 4, 2025, null, 7778, 0, null, null, null, 0, null), "
    "(3, 4, 2025, null, 7777, 0, 1, null, null, null, null), (999, 4, 2025, null, 7777, 0, 5, null, null, null, null), "
    "(77, 4, 2025, 1, 0, 0, 8, null, null, null, null), (2, 4, 2025, 1, 0, 0, 9, null, null, null, null), "
    "(2, 4, 2025, 2, 0, 0, 4, null, null, null, null), (3, 4, 2025, 2, 0, 0, 6, null, null, null, null), "
    "(1, 4, 2025, 2, 0, 0, null, null, null, null, 7), (999, 4, 2025, 1, 0, 0, 4, null, null, null, null), "
    "(1, 4, 2025, 3, 0, 0, 2, null, null, null, null), (77, 4, 2025, 3, 0, 0, null, 3, null, null, null), "
    "(1, 4, 2025, null, 7778, 1, null, 6, null, null, null), (516, 4, 2025, 1, 0, 0, 1, null, null, null, null)",
};

// Average-rate records beyond those of the month: on a day off, with no day-off flag, of a
// group the worker made nothing of, of a worker known only by number.
const char* const kMoreAverageRate =
    "insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price, i_holiday, i_night) values "
    "(10, 7778, 3, '2025-04-05', 4, 2025, 1, 2, 1, 1, 0), (10, 7778, 2, '2025-04-06', 4, 2025, 1, 2, 1, null, 0), "
    "(11, 7778, 1, '2025-04-07', 4, 2025, 1, 2, 1, 0, 0), (10, 7778, 77, '2025-04-08', 4, 2025, 1, 2, 1, 0, 0)";

// Codes the casts cannot read: 'К-17', '', a Unicode space, a fraction, too many digits.
const char* const kUnreadableCodes = "delete from cmn_contractor.person where id between 510 and 515";

// Persons of other applications whose codes the casts do read: a second person with a
// worker's number, numbers with blanks, zeros and signs, and a person whose id is
// another person's number.
const char* const kReadableForeign =
    "insert into cmn_contractor.person(id, s_caption, s_code) values "
    "(520, 'Двойников Д.Д.', '1'), (521, 'Нулёв Н.Н.', ' 002 '), (522, 'Плюсов П.П.', '+3'), "
    "(523, 'Минусов М.М.', '-1'), (524, 'Табов Т.Т.', chr(9) || '3'), (77, 'Семьдесятов С.С.', '555')";

// The relations of the schema the everyday work reaches: all but the two tables that only
// the import from the legacy database fills. The view izdel is read through its tables.
const QStringList kEverydayRelations = {
    "accounts_dep.fatigue",         "accounts_dep.h_tabel", "accounts_dep.norm",          "accounts_dep.oper",
    "accounts_dep.person",          "accounts_dep.smena",   "accounts_dep.ver",           "accounts_dep.vid_oper",
    "adm_role.roles",               "cmn_classifier.item",  "cmn_contractor.person",      "cmn_department.department",
    "cmn_gds_and_srv.gds_and_srv",  "hrms_staffpos.staffpos",
};

// Waits until no other session is on the database: a session's counts reach the
// statistics when it ends.
void waitForSessionsToEnd(Connection& c)
{
    QDeadlineTimer deadline(20000);
    while (texts(c, "select count(*) from pg_stat_activity where datname = current_database() and pid <> pg_backend_pid()")
               != QStringList{"0"}) {
        if (deadline.hasExpired())
            QFAIL("sessions on the database did not end");
        QThread::msleep(50);
    }
}
} // namespace

class TestSiteDatabase : public QObject {
    Q_OBJECT

private slots:
    // Only the tables, keys, view and worker trigger of the schema: no index, function or
    // view of ours that the client could come to need.
    void schemaHoldsNothingOfOurs()
    {
        auto c = TestDb::connect(TestDb::create(), "schema", TestDb::Role::Site);
        const QString ours = "n.nspname in ('accounts_dep', 'cmn_contractor', 'cmn_classifier', 'cmn_gds_and_srv', "
                             "'cmn_department', 'hrms_staffpos', 'adm_role', 'public')";
        QCOMPARE(texts(*c, "select c.relname from pg_class c join pg_namespace n on n.oid = c.relnamespace "
                           "join pg_index i on i.indexrelid = c.oid where " + ours + " and not i.indisprimary"),
                 QStringList{});
        QCOMPARE(texts(*c, "select n.nspname || '.' || p.proname from pg_proc p join pg_namespace n on n.oid = p.pronamespace "
                           "where " + ours),
                 QStringList{"accounts_dep.person_sync"});
        QCOMPARE(texts(*c, "select n.nspname || '.' || c.relname from pg_class c join pg_namespace n on n.oid = c.relnamespace "
                           "where " + ours + " and c.relkind not in ('r', 'i', 'S') order by 1"),
                 QStringList{"accounts_dep.izdel"});
        QCOMPARE(texts(*c, "select n.nspname || '.' || c.relname from pg_class c join pg_namespace n on n.oid = c.relnamespace "
                           "where " + ours + " and c.relkind = 'r' and c.relname not in ('workers', 'nomenkl') order by 1"),
                 kEverydayRelations);
    }

    // The client's role changes rows and nothing else, so every test that runs the client
    // shows what the everyday rights allow.
    void clientRoleMayNotChangeTheStructure_data()
    {
        QTest::addColumn<QString>("statement");
        QTest::newRow("table") << "create table accounts_dep.x (i integer)";
        QTest::newRow("temporary table") << "create temporary table x (i integer)";
        QTest::newRow("table in public") << "create table public.x (i integer)";
        QTest::newRow("schema") << "create schema x";
        QTest::newRow("column") << "alter table accounts_dep.smena add column x integer";
        QTest::newRow("index") << "create index x on accounts_dep.smena(w_id)";
        QTest::newRow("function") << "create function accounts_dep.x() returns integer language sql as 'select 1'";
        QTest::newRow("view") << "create view accounts_dep.x as select 1";
        QTest::newRow("shared person") << "insert into cmn_contractor.person(s_caption, s_code) values ('x', 'x')";
        QTest::newRow("shared classifier") << "update cmn_classifier.item set s_caption = s_caption";
    }
    void clientRoleMayNotChangeTheStructure()
    {
        QFETCH(QString, statement);
        auto c = TestDb::connect(TestDb::create(), "client");
        bool refused = false;
        try {
            c->execute(statement);
        } catch (const DbError&) {
            refused = true;
        }
        QVERIFY(refused);
    }

    // Each statement gives the rows of its first text: on the clean fixture, and with the
    // persons of other applications whose codes the first texts can still read.
    void sameRowsAsTheFirstTexts_data()
    {
        QTest::addColumn<QString>("ours");
        QTest::addColumn<QString>("first");
        QTest::addColumn<bool>("foreign");
        for (const Pair& p : pairs()) {
            QTest::newRow(qPrintable(p.name + ", clean")) << p.ours << p.first << false;
            QTest::newRow(qPrintable(p.name + ", foreign persons")) << p.ours << p.first << true;
        }
    }
    void sameRowsAsTheFirstTexts()
    {
        QFETCH(QString, ours);
        QFETCH(QString, first);
        QFETCH(bool, foreign);
        const QString db = TestDb::create();
        {
            auto site = TestDb::connect(db, "setup", TestDb::Role::Site);
            site->execute(kUnreadableCodes);
            for (const char* s : kMonth)
                site->execute(s);
            if (foreign)
                site->execute(kReadableForeign);
        }
        auto c = TestDb::connect(db, "compare");
        const Lines got = linesOf(*c, SqlText::bind(ours, parameters()));
        const Lines want = linesOf(*c, SqlText::bind(first, parameters()));
        QVERIFY(want.rows.size() >= 2);
        QCOMPARE(got.fields, want.fields);
        // The names in the same order; the rows of one name in any order, as the texts leave it.
        QCOMPARE(got.names(), want.names());
        QStringList gotSorted = got.rows, wantSorted = want.rows;
        gotSorted.sort();
        wantSorted.sort();
        QCOMPARE(gotSorted, wantSorted);
    }

    // The repricing gives every average-rate record the price of the first text: records on
    // a day off, of a group the worker made nothing of, of a worker without a number here.
    void repriceGivesThePricesOfTheFirstText_data()
    {
        QTest::addColumn<bool>("foreign");
        QTest::newRow("clean") << false;
        QTest::newRow("foreign persons") << true;
    }
    void repriceGivesThePricesOfTheFirstText()
    {
        QFETCH(bool, foreign);
        QStringList prices;
        for (const QString& statement : {HouseholdSql::repriceStatement(4, 2025), FirstTexts::reprice(4, 2025)}) {
            const QString db = TestDb::create();
            {
                auto site = TestDb::connect(db, "setup", TestDb::Role::Site);
                site->execute(kUnreadableCodes);
                for (const char* s : kMonth)
                    site->execute(s);
                site->execute(kMoreAverageRate);
                if (foreign)
                    site->execute(kReadableForeign);
            }
            auto c = TestDb::connect(db, "reprice");
            QCOMPARE(c->executeCount(statement), 7);
            prices << texts(*c, "select id_p, id_nom, i_holiday, price from accounts_dep.fatigue where id_o = 7778 order by id").join(';');
        }
        // Rates of some records, 0 for others.
        const int zero = (prices[1] + ";").count("|0.0000;");
        QVERIFY2(zero >= 2 && zero <= 5, qPrintable(prices[1]));
        QCOMPARE(prices[0], prices[1]);
    }

    // Everything the client does, as the everyday role on the site's schema with foreign
    // rows: the relations it reaches are those of the schema, and the one function it runs
    // is the schema's worker trigger. Any error box on the way fails the test too.
    void everyFamilyTouchesTheSchemaAndNothingElse()
    {
        QString database;
        {
            TestApp t;
            database = t.database;
            t.login(); // the version row and the four journal lists
            Connection& c = t.dm().ADO_DB;
            journal(c);
            openFromMenu(t, "TForm19", &TForm1::N13Click, [&](QDialog*) {
                click(t, "TForm19", "Button1"); // rebuild
                t.seam.onModal("ReportPreview");
                click(t, "TForm19", "Button6"); // print
                click(t, "TForm19", "Button2"); // export
            });
            for (void (TForm1::*item)() : {&TForm1::N9Click, &TForm1::N14Click, &TForm1::N15Click, &TForm1::N17Click})
                openFromMenu(t, "TForm27", item, [&](QDialog*) { click(t, "TForm27", "Button2"); });
            household(c);
            t.seam.onModal("TForm25");
            click(t, "TForm1", "Button5");
            openFromMenu(t, "TForm18", &TForm1::N10Click, [&](QDialog*) {
                for (const char* report : {"Button2", "Button4", "Button1", "Button3"}) {
                    t.seam.onModal("ReportPreview");
                    click(t, "TForm18", report);
                }
                click(t, "TForm18", "Button6"); // export
            });
            openFromMenu(t, "TForm4", &TForm1::N4Click, [&](QDialog*) { click(t, "TForm4", "Button5"); });
            openFromMenu(t, "TForm5", &TForm1::N1Click, [&](QDialog*) {
                t.seam.onModal("TForm2"); // the worker dialog with its lists
                t.invoke("TForm5", "Button1Click");
            });
            referenceBooks(c);
            QCOMPARE(t.seam.shown.size(), 0);
        }
        auto c = TestDb::connect(database, "statistics", TestDb::Role::Site);
        waitForSessionsToEnd(*c);
        QCOMPARE(texts(*c, "select schemaname || '.' || relname from pg_stat_user_tables where seq_scan + "
                           "coalesce(idx_scan, 0) + n_tup_ins + n_tup_upd + n_tup_del > 0 order by 1").join(", "),
                 kEverydayRelations.join(", "));
        QCOMPARE(texts(*c, "select schemaname || '.' || funcname from pg_stat_user_functions where calls > 0"),
                 QStringList{"accounts_dep.person_sync"});
        // New rows take their ids from the sequences of the schema's tables.
        QCOMPARE(texts(*c, "select schemaname || '.' || relname from pg_statio_user_sequences "
                           "where blks_hit + blks_read > 0 order by 1").join(", "),
                 QString("accounts_dep.fatigue_id_seq, accounts_dep.h_tabel_id_seq, accounts_dep.norm_id_seq, accounts_dep.oper_id_seq, "
                         "accounts_dep.smena_id_seq, accounts_dep.vid_oper_id_seq, cmn_contractor.person_id_seq, "
                         "cmn_gds_and_srv.gds_and_srv_id_seq"));
    }

private:
    static void journal(Connection& c)
    {
        EntryRules::Record r;
        r.worker = 1;
        r.item = 100;
        r.oper = 200;
        r.price = 10;
        r.count = 5;
        r.hours = 2;
        r.date = QDate(2025, 4, 2);
        r.entered = r.date;
        QCOMPARE(JournalRecords::save(c, r), JournalRecords::Outcome::Saved);
        const qint64 id = c.select("select max(id) from accounts_dep.smena").rows.value(0).value(0).toLongLong();
        r.hours = 3;
        QCOMPARE(JournalRecords::save(c, r, id), JournalRecords::Outcome::Saved);
        QVERIFY(JournalRecords::remove(c, id).found);
        // A worker known only by the number in his code.
        r.worker = 77;
        QCOMPARE(JournalRecords::save(c, r), JournalRecords::Outcome::Saved);
    }

    static void household(Connection& c)
    {
        HouseholdSql::Record h;
        h.group = 10;
        h.kind = 7778;
        h.worker = 1;
        h.date = QDate(2025, 4, 1);
        h.hours = 4;
        h.price = 200;
        QCOMPARE(HouseholdRecords::save(c, h), HouseholdRecords::Outcome::Saved);
        HouseholdRecords::reprice(c, 4, 2025);
        const qint64 id = c.select("select max(id) from accounts_dep.fatigue").rows.value(0).value(0).toLongLong();
        QVERIFY(HouseholdRecords::remove(c, id));
    }

    static void referenceBooks(Connection& c)
    {
        using RefBookWrites::Saved;
        QCOMPARE(RefBookWrites::saveWorker(c, "Новиков Н.Н.", "Цех №2", std::nullopt), Saved::Yes);
        const int worker = c.select("select max(id) from accounts_dep.person").rows.value(0).value(0).toInt();
        QCOMPARE(RefBookWrites::saveWorker(c, "Новиков Н.Н.", "Цех №1", worker), Saved::Yes);
        QCOMPARE(RefBookWrites::removeWorker(c, worker).status, RefBookWrites::Deletion::Deleted);
        QCOMPARE(RefBookWrites::saveKind(c, "Шлифовка", "ШЛИФОВКА", std::nullopt), Saved::Yes);
        const qint64 kind = c.select("select max(id) from accounts_dep.vid_oper where id < 7777").rows.value(0).value(0).toLongLong();
        QCOMPARE(RefBookWrites::saveProduct(c, "Н-9", "Н-9", "1.5", 10, std::nullopt), Saved::Yes);
        const qint64 product = c.select("select id from accounts_dep.izdel where marka = 'Н-9'").rows.value(0).value(0).toLongLong();
        QCOMPARE(RefBookWrites::saveOperation(c, int(kind), 0, int(product), std::nullopt), Saved::Yes);
        const int oper = c.select("select max(id) from accounts_dep.oper").rows.value(0).value(0).toInt();
        QCOMPARE(RefBookWrites::removeOperation(c, oper).status, RefBookWrites::Deletion::Deleted);
        QCOMPARE(RefBookWrites::removeProduct(c, product).status, RefBookWrites::Deletion::Deleted);
        QCOMPARE(RefBookWrites::removeKind(c, kind).status, RefBookWrites::Deletion::Deleted);
    }
};

PW_TEST_MAIN(TestSiteDatabase)
#include "test_site_database.moc"
