// The data layer against the real database: queries read whole results, the cursor,
// fields, parameters as literals, the client-side filter and row editing.
#include "DbError.h"
#include "Filter.h"
#include "Query.h"
#include "ReadAhead.h"
#include "SqlText.h"
#include "TestDb.h"
#include "Transaction.h"
#include "rules/DataModuleSql.h"
#include "Workbook.h"
#include "XlsxReader.h"
#include <QScopeGuard>
#include <QTemporaryDir>
#include <clocale>
#include <QTest>

class TestDataLayer : public QObject {
    Q_OBJECT
    std::unique_ptr<Connection> c;

private slots:
    // Under a Russian desktop the C library writes decimals with a comma: the numbers the
    // driver hands over as text, and those the workbook writer puts into its file, must
    // keep their point, for every connection the program makes.
    void numbersUnderARussianDesktop()
    {
        const QByteArray before = std::setlocale(LC_ALL, nullptr);
        // As Qt sets it from the desktop's environment when the application starts.
        if (!std::setlocale(LC_ALL, "ru_RU.UTF-8"))
            QSKIP("the ru_RU.UTF-8 locale is not installed here");
        const auto restore = qScopeGuard([&] { std::setlocale(LC_ALL, before.constData()); });
        auto ru = TestDb::connect(TestDb::create(), QStringLiteral("russian_desktop"));
        Query q(*ru, QStringLiteral("numbers"));
        q.setSql(QStringLiteral("select 12.35::numeric(10,2) as price, 0.500000::numeric(12,6) as massa, 6.25::float8 as rate"));
        q.open();
        QCOMPARE(q.asFloat(QStringLiteral("price")), 12.35);
        QCOMPARE(q.asFloat(QStringLiteral("massa")), 0.5);
        QCOMPARE(q.asFloat(QStringLiteral("rate")), 6.25);
        QTemporaryDir dir;
        Workbook book(dir.filePath(QStringLiteral("n.xlsx")));
        QVERIFY(book.write(0, 0, QStringLiteral("12.35"), {}));
        QVERIFY(book.finish());
        QCOMPARE(readXlsx(book.path()).value(QStringLiteral("A1")).value, QStringLiteral("12.35"));
    }

    void initTestCase()
    {
        c = TestDb::connect(TestDb::create(), QStringLiteral("dl"));
    }

    void literals_data()
    {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("literal");
        QTest::newRow("int") << QVariant(42) << "42";
        QTest::newRow("negative") << QVariant(qint64(-7)) << "-7";
        QTest::newRow("double") << QVariant(12.5) << "12.5";
        QTest::newRow("double shortest") << QVariant(0.1 + 0.2) << "0.30000000000000004";
        QTest::newRow("text") << QVariant(QStringLiteral("О'Нил")) << "'О''Нил'";
        QTest::newRow("date") << QVariant(QDate(2025, 4, 1)) << "'2025-04-01'";
        QTest::newRow("null") << QVariant() << "NULL";
    }
    void literals()
    {
        QFETCH(QVariant, value);
        QFETCH(QString, literal);
        QCOMPARE(SqlText::literal(value), literal);
    }

    void bindLeavesLiteralsAndCastsAlone()
    {
        const QString text = "select ':x', \":x\", a::numeric from t where d=:x and e=:missing";
        QCOMPARE(SqlText::bind(text, {{"x", 5}}), "select ':x', \":x\", a::numeric from t where d=5 and e=:missing");
    }

    void dayFirstDatesReadAsDayFirst()
    {
        // '01.4.2025' is the 1st of April, not the 4th of January.
        Query q(*c, "q");
        q.setSql("select '01.4.2025'::date as d, to_char('05.12.2024'::date, 'YYYY-MM-DD') as s");
        q.open();
        QCOMPARE(q.asDateTime("d").date(), QDate(2025, 4, 1));
        QCOMPARE(q.asString("s"), QStringLiteral("2024-12-05"));
    }

    void cursorAndFields()
    {
        Query q(*c, "q");
        q.setSql("select id, fio, null::integer as empty, 2.5::float8 as f from accounts_dep.person order by id");
        q.open();
        QCOMPARE(q.recordCount(), 3);
        QCOMPARE(q.recNo(), 1);
        QCOMPARE(q.asInteger("ID"), 1);
        QCOMPARE(q.asInteger("empty"), 0);
        QCOMPARE(q.asString("empty"), QString());
        QCOMPARE(q.asFloat("f"), 2.5);
        q.next();
        q.next();
        QCOMPARE(q.asString("fio"), QStringLiteral("Васильев В.В."));
        QVERIFY(!q.eof());
        q.next();
        QVERIFY(q.eof());
        QCOMPARE(q.asInteger("id"), 3); // still on the last record
        q.setRecNo(2);
        QVERIFY(!q.eof());
        QCOMPARE(q.asInteger("id"), 2);
        q.prior();
        q.prior();
        QVERIFY(q.bof());
        QCOMPARE(q.recNo(), 1);
        QVERIFY(q.locate("fio", QStringLiteral("Борисов Б.Б.")));
        QCOMPARE(q.recNo(), 2);
    }

    void parametersCarryTextSafely()
    {
        Query q(*c, "q");
        q.setSql("select count(*) as cnt from accounts_dep.person where fio=:fio or fio like :fio");
        q.setParam("fio", QStringLiteral("x' or '1'='1"));
        q.open();
        QCOMPARE(q.asInteger("cnt"), 0);
    }

    void preparedStatementsGiveTheRowsOfThePlainText()
    {
        // Reopened often enough for the server to switch to its generic plan.
        for (int shift = 1; shift <= 4; ++shift) {
            Query q(*c, "q");
            q.setSql(DataModuleSql::smena(shift));
            q.setParam("data", QDate(2025, 4, 1));
            q.setParam("ok", QStringLiteral("ta"));
            const OdbcReader::Result plain = c->select(q.boundSql());
            for (int round = 0; round < 7; ++round) {
                q.reopen();
                QCOMPARE(q.recordCount(), int(plain.rows.size()));
                for (int r = 0; r < q.recordCount(); ++r)
                    for (int f = 0; f < plain.fields.size(); ++f)
                        QCOMPARE(Query::toText(q.valueAt(r, f)), Query::toText(plain.rows[r][f]));
            }
        }
    }

    void textTheServerCannotPrepareRunsPlainly()
    {
        Query q(*c, "q");
        q.setSql("select 7 as v where :x is null");
        q.setParam("x", QVariant());
        q.open();
        QCOMPARE(q.asInteger("v"), 7);
        q.setParam("x", 1);
        q.reopen();
        QVERIFY(q.isEmpty());
    }

    void preparedQueryRecoversAfterATableChanges()
    {
        const QString db = TestDb::create();
        auto own = TestDb::connect(db, QStringLiteral("prep"));
        Query q(*own, "q");
        q.setSql("select * from accounts_dep.ver where d >= :d");
        q.setParam("d", 0);
        q.open();
        QCOMPARE(q.fieldNames().size(), 3);
        // The column the schema upgrade adds changes the result type of a "select *".
        TestDb::connect(db, QStringLiteral("prep_alter"), TestDb::Role::Site)
            ->execute("alter table accounts_dep.ver add column i_night int default 0");
        q.reopen();
        QCOMPARE(q.fieldNames().size(), 4);
        q.reopen();
        QCOMPARE(q.recordCount(), 1);
    }

    void failedCommitLeavesNoTransactionOpen()
    {
        const QString db = TestDb::create();
        auto own = TestDb::connect(db, QStringLiteral("commit"));
        auto other = TestDb::connect(db, QStringLiteral("commit_other"));
        // A check that fires only at commit, as a deferred constraint does.
        auto site = TestDb::connect(db, QStringLiteral("commit_site"), TestDb::Role::Site);
        site->execute("create function no_zero() returns trigger language plpgsql as $$"
                      " begin if new.d = 0 then raise exception 'zero at commit'; end if; return null; end $$");
        site->execute("create constraint trigger no_zero after insert on accounts_dep.ver deferrable initially deferred"
                      " for each row execute function no_zero()");
        bool failed = false;
        try {
            Transaction t(*own);
            own->execute("insert into accounts_dep.ver(d, t, delim) values (0, 0, '.')");
        } catch (const DbError& e) {
            failed = e.message().contains("zero at commit");
        }
        QVERIFY(failed);
        QVERIFY(!own->inTransaction());
        // A single statement afterwards is committed by itself: another client sees it at once.
        own->execute("update accounts_dep.ver set t = 42");
        QCOMPARE(other->select("select t from accounts_dep.ver").rows.value(0).value(0).toInt(), 42);
        QCOMPARE(other->select("select count(*) from accounts_dep.ver").rows.value(0).value(0).toInt(), 1);
    }

    void backslashesStayTextWhateverTheServerSays()
    {
        const QString db = TestDb::create();
        TestDb::connect(db, QStringLiteral("scs_admin"), TestDb::Role::Site)
            ->execute("alter database " + db + " set standard_conforming_strings = off");
        auto own = TestDb::connect(db, QStringLiteral("scs"));
        const QString name = QStringLiteral("x\\', null); delete from accounts_dep.smena; --");
        own->execute("insert into accounts_dep.person(fio, s_staffpos_hl) values(" + SqlText::quote(name) + ", '')");
        QCOMPARE(own->select("select count(*) from accounts_dep.smena").rows.value(0).value(0).toInt(), 7);
        QCOMPARE(own->select("select fio from accounts_dep.person where fio like 'x%'").rows.value(0).value(0).toString(), name);
    }

    void errorsCarryTheDatabaseMessage()
    {
        Query q(*c, "q");
        q.setSql("select * from accounts_dep.no_such_table");
        try {
            q.open();
            QFAIL("no error");
        } catch (const DbError& e) {
            QVERIFY2(e.message().contains("no_such_table"), qPrintable(e.message()));
        }
        QVERIFY(!q.isOpen());
    }

    void filterForms_data()
    {
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QStringList>("marks");
        QTest::newRow("prefix") << "marka like 'ab%'" << QStringList{"abc", "AB-2"};
        QTest::newRow("enclosed") << "marka like '%ab%'" << QStringList{"abc", "xab", "AB-2"};
        QTest::newRow("apostrophe") << "marka like 'o''n%'" << QStringList{"O'Neil"};
        QTest::newRow("number") << "naimen=1" << QStringList{"xab", "O'Neil"};
        QTest::newRow("both") << "naimen=0 and marka like '%b%'" << QStringList{"abc", "AB-2"};
    }
    void filterForms()
    {
        QFETCH(QString, filter);
        QFETCH(QStringList, marks);
        Query q(*c, "q");
        q.setSql("select * from (values ('abc', 0), ('xab', 1), ('AB-2', 0), ('O''Neil', 1), ('zzz', 0)) v(marka, naimen)");
        q.open();
        q.setFilter(filter);
        q.setFiltered(true);
        QStringList got;
        for (q.first(); !q.eof(); q.next())
            got << q.asString("marka");
        QCOMPARE(got, marks);
        // Switching the filter off keeps the record the cursor stands on.
        q.last();
        q.setFiltered(false);
        QCOMPARE(q.recordCount(), 5);
        QCOMPARE(q.asString("marka"), marks.last());
    }

    void badFilterIsAnErrorNotACrash()
    {
        Query q(*c, "q");
        q.setSql("select 1 as a");
        q.open();
        QVERIFY_THROWS_EXCEPTION(DbError, q.setFilter("a like 'x"));
        QCOMPARE(q.recordCount(), 1);
    }

    void rowEditing()
    {
        Query q(*c, "q");
        q.setSql("select * from accounts_dep.vid_oper where id < 7777 order by id");
        q.setTable("accounts_dep.vid_oper");
        q.open();
        q.append();
        q.setValue("vid", QStringLiteral("Шлифовка'"));
        q.post();
        const qint64 id = q.asInteger("id");
        QVERIFY(id > 100);
        q.reopen();
        QVERIFY(q.locate("id", id));
        QCOMPARE(q.asString("vid").trimmed(), QStringLiteral("Шлифовка'"));
        q.edit();
        q.setValue("vid", QStringLiteral("Резка"));
        q.post();
        q.reopen();
        QVERIFY(q.locate("id", id));
        QCOMPARE(q.asString("vid").trimmed(), QStringLiteral("Резка"));
        q.deleteCurrent();
        q.reopen();
        QVERIFY(!q.locate("id", id));
    }

    // Rows read on a connection of their own, in parts, read as one list: values of every
    // kind in every part, the filter over all of them, an error after the first part.
    void rowsReadInPartsAreOneList()
    {
        const QString part = "select %1*10+n as n, 'т-'||(%1*10+n) as t, (n*0.5)::float8 as f, "
                             "case when n=2 then null else '2025-04-01'::date + n end as d, (%1*10+n)::numeric(10,2) as x "
                             "from generate_series(1,3) n order by n";
        Query q(*c, "q");
        q.setFilter("t like '%2'");
        q.setFiltered(true);
        q.openReading(std::make_unique<ReadAhead>(c->connectionString(), [part](Connection& rc, const ReadAhead::Deliver& d) {
            for (int p = 0; p < 3; ++p)
                d(rc.selectTable(part.arg(p)));
            rc.selectTable("select * from no_such_table");
        }));
        QVERIFY(q.isOpen());
        bool failed = false;
        try {
            while (!q.complete())
                q.fetchMore(true);
        } catch (const DbError&) {
            failed = true;
        }
        QVERIFY(failed);
        QVERIFY(q.complete());
        QCOMPARE(q.recordCount(), 3);
        QStringList shown;
        for (q.first(); !q.eof(); q.next())
            shown << q.asString("t") + " " + q.asString("x") + " " + q.asString("d");
        QCOMPARE(shown, (QStringList{"т-2 2.00 ", "т-12 12.00 ", "т-22 22.00 "}));
        q.setFiltered(false);
        QCOMPARE(q.recordCount(), 9);
        QVERIFY(q.locate("n", 23));
        QCOMPARE(q.asFloat("f"), 1.5);
        QCOMPARE(q.asDateTime("d").date(), QDate(2025, 4, 4));
        QCOMPARE(q.rows().text(q.rowAt(q.recNo() - 1), 1), QStringLiteral("т-23"));
    }
};

QTEST_GUILESS_MAIN(TestDataLayer)
#include "test_datalayer.moc"
