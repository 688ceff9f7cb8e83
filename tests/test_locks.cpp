// The lock protocol, one lock at a time and without leaving anything to chance: a client
// stops in the middle of a real save, deletion, rebuild or repricing (held at its first
// write by a gate the test opens), another client's writer is seen waiting for a lock in
// pg_locks, the gate opens, and the writer lands on the right rows. Two writers that once
// took their locks out of order (a worker's deletion beside a rebuild, the import beside a
// save) meet the other one in the order now. Also: the order of the locks is checked, and
// records of a painting operation differing only in colour are both accepted.
#include "Concurrent.h"
#include "DbError.h"
#include "Gate.h"
#include "LegacyImport.h"
#include "LegacySource.h"
#include "Locks.h"
#include "Query.h"
#include "Records.h"
#include "TDataModule6.h"
#include "TestDb.h"
#include "Transaction.h"
#include "household/rules/HouseholdRecords.h"
#include "journal/rules/DayCells.h"
#include "journal/rules/JournalRecords.h"
#include "refbooks/rules/OperSql.h"
#include "refbooks/rules/RefBookWrites.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QTest>

namespace {
using Action = std::function<int(Connection&)>;

const QStringList kGatedTables = {"accounts_dep.smena",          "accounts_dep.h_tabel", "accounts_dep.fatigue",
                                  "accounts_dep.person",         "accounts_dep.vid_oper", "accounts_dep.oper",
                                  "cmn_gds_and_srv.gds_and_srv", "accounts_dep.norm"};

EntryRules::Record journal(qint64 worker, qint64 oper, qint64 item, qint64 hours, qint64 colour = 0)
{
    return journalRecord(worker, oper, item, hours, colour);
}

HouseholdSql::Record household(qint64 worker, int kind, qint64 hours)
{
    HouseholdSql::Record r;
    r.group = 10;
    r.kind = kind;
    r.worker = worker;
    r.date = QDate(2025, 5, 6);
    r.hours = hours;
    r.price = 180;
    return r;
}

Action saveJournal(const EntryRules::Record& r)
{
    return [r](Connection& c) { return int(JournalRecords::save(c, r)); };
}
Action saveHousehold(const HouseholdSql::Record& r)
{
    return [r](Connection& c) { return int(HouseholdRecords::save(c, r)); };
}
Action saveOperation(int kind, int item)
{
    return [=](Connection& c) { return int(RefBookWrites::saveOperation(c, kind, 1, item, std::nullopt)); };
}
Action deletion(RefBookWrites::Deletion (*remove)(Connection&, int), int id)
{
    return [=](Connection& c) { return int(remove(c, id).status); };
}
RefBookWrites::Deletion removeKind(Connection& c, int id) { return RefBookWrites::removeKind(c, id); }
RefBookWrites::Deletion removeProduct(Connection& c, int id) { return RefBookWrites::removeProduct(c, id); }
const Action kRebuildMay = [](Connection& c) {
    ShiftTimesheet::rebuild(c, 5, 2025);
    return 0;
};
const Action kRepriceMay = [](Connection& c) { return HouseholdRecords::reprice(c, 5, 2025); };

constexpr int kNormStored = 0, kNormRefused = 1;
// A new norm row of the operation, typed into the norms grid and left; refused when its
// operation is gone.
Action addNorm(int oper)
{
    return [oper](Connection& c) {
        Query norm(c, QStringLiteral("norm"));
        RefBookWrites::setUpNormRows(norm);
        norm.open();
        norm.append();
        norm.setValue(QStringLiteral("o_id"), oper);
        norm.setValue(QStringLiteral("norma"), 300);
        norm.setValue(QStringLiteral("price"), 7.5);
        try {
            norm.post();
        } catch (const DbError& e) {
            if (e.message() != QString::fromUtf8(RefBookWrites::NormOperationMissing))
                throw;
            return kNormRefused;
        }
        return kNormStored;
    };
}

constexpr int kSaved = int(JournalRecords::Outcome::Saved), kDuplicate = int(JournalRecords::Outcome::Duplicate),
              kMissingRecord = int(JournalRecords::Outcome::Missing);
constexpr int kOperationMissing = int(RefBookWrites::Saved::Missing), kHouseholdMissing = int(HouseholdRecords::Outcome::Missing);
constexpr int kDeleted = RefBookWrites::Deletion::Deleted, kInUse = RefBookWrites::Deletion::InUse;

struct Case {
    const char* name;
    Action holder; // stopped at its first write, its locks held
    Action writer; // must wait for one of them
    int outcome;   // what the writer returns
    const char* check;
    const char* rows; // what check reads afterwards
};

// Worker 4 and kind 4 have no records; product 101 has only operation 203, which has no records.
const char* const kSetup = "insert into accounts_dep.person(id, fio, s_staffpos_hl) values (4, 'Григорьев Г.Г.', 'Цех №1');"
                           "insert into accounts_dep.vid_oper(id, vid) values (4, 'Шлифовка')";

const char* const kMayCells = "select string_agg(w_id || ':' || smena || ':' || coalesce(d6, -1), ',' order by w_id, smena)"
                              " from accounts_dep.h_tabel where month=5 and coalesce(i_type, 0)=0";

const char* const kOrphanNorms = "select count(*) from accounts_dep.norm where o_id not in (select id from accounts_dep.oper)";

const QVector<Case>& cases()
{
    static const QVector<Case> all = {
        {"duplicate waits for the save of its twin", saveJournal(journal(1, 200, 100, 4)), saveJournal(journal(1, 200, 100, 4)),
         kDuplicate, "select count(*) from accounts_dep.smena where data='2025-05-06'", "1"},
        {"journal save waits for another save of its cell", saveJournal(journal(1, 200, 100, 4)),
         saveJournal(journal(1, 201, 100, 3, 7035)), kSaved, kMayCells, "1:1:7"},
        {"household save waits for another save of its cell", saveHousehold(household(3, 7777, 2)),
         saveHousehold(household(3, 7777, 5)), kSaved,
         "select count(*) || ':' || sum(d6) from accounts_dep.h_tabel where w_id=3 and i_type=7777 and month=5", "1:7"},
        {"save waits for a rebuild of its month", kRebuildMay, saveJournal(journal(2, 200, 100, 5)), kSaved, kMayCells,
         "2:1:5"},
        {"rebuild waits for a save in its month", saveJournal(journal(2, 200, 100, 5)), kRebuildMay, 0, kMayCells, "2:1:5"},
        {"repricing waits for a household save in its month", saveHousehold(household(1, 7778, 8)), kRepriceMay, 1,
         "select price::int from accounts_dep.fatigue where id_p=1", "0"},
        {"journal save waits for a deletion of its worker", deletion(RefBookWrites::removeWorker, 4),
         saveJournal(journal(4, 200, 100, 4)), kMissingRecord, "select count(*) from accounts_dep.smena where w_id=4", "0"},
        {"journal save waits for a deletion of its operation", deletion(RefBookWrites::removeOperation, 203),
         saveJournal(journal(1, 203, 101, 4)), kMissingRecord, "select count(*) from accounts_dep.smena where o_id=203", "0"},
        {"journal save waits for a deletion of its product", deletion(removeProduct, 101), saveJournal(journal(1, 203, 101, 4)),
         kMissingRecord, "select count(*) from accounts_dep.smena where i_id=101", "0"},
        {"household save waits for a deletion of its worker", deletion(RefBookWrites::removeWorker, 4),
         saveHousehold(household(4, 7777, 4)), kHouseholdMissing, "select count(*) from accounts_dep.fatigue where id_p=4", "0"},
        {"household save waits for a deletion of its kind", deletion(removeKind, 4), saveHousehold(household(3, 4, 4)),
         kHouseholdMissing, "select count(*) from accounts_dep.fatigue where id_o=4", "0"},
        {"operation save waits for a deletion of its product", deletion(removeProduct, 101), saveOperation(2, 101),
         kOperationMissing, "select count(*) from accounts_dep.oper where i_id=101", "0"},
        {"operation save waits for a deletion of its kind", deletion(removeKind, 4), saveOperation(4, 100),
         kOperationMissing, "select count(*) from accounts_dep.oper where vid=4", "0"},
        {"worker deletion waits for a journal save", saveJournal(journal(4, 200, 100, 4)),
         deletion(RefBookWrites::removeWorker, 4), kInUse, "select count(*) from accounts_dep.person where id=4", "1"},
        {"worker deletion waits for a household save", saveHousehold(household(4, 7777, 4)),
         deletion(RefBookWrites::removeWorker, 4), kInUse, "select count(*) from accounts_dep.person where id=4", "1"},
        {"kind deletion waits for a household save", saveHousehold(household(3, 4, 4)), deletion(removeKind, 4), kInUse,
         "select count(*) from accounts_dep.vid_oper where id=4", "1"},
        {"operation deletion waits for a journal save", saveJournal(journal(1, 203, 101, 4)),
         deletion(RefBookWrites::removeOperation, 203), kInUse, "select count(*) from accounts_dep.oper where id=203", "1"},
        {"product deletion waits for an operation save", saveOperation(2, 101), deletion(removeProduct, 101), kDeleted,
         "select count(*) from accounts_dep.oper where i_id=101", "0"},
        {"product deletion waits for a journal save", saveJournal(journal(3, 203, 101, 4)), deletion(removeProduct, 101),
         kDeleted, kMayCells, "3:1:0"},
        {"norm row waits for a deletion of its operation", deletion(RefBookWrites::removeOperation, 203), addNorm(203),
         kNormRefused, kOrphanNorms, "0"},
        {"norm row waits for a deletion of its product", deletion(removeProduct, 101), addNorm(203), kNormRefused,
         kOrphanNorms, "0"},
        {"operation deletion waits for a norm row", addNorm(203), deletion(RefBookWrites::removeOperation, 203), kDeleted,
         kOrphanNorms, "0"},
    };
    return all;
}

// Runs fn on a connection of its own whose writes stop at the gate.
struct GatedClient {
    GatedClient(const QString& database, const Action& fn)
        : writer(database, [fn](Connection& c) {
              c.execute(QStringLiteral("set pw.gate = 'on'"));
              return fn(c);
          })
    {
    }
    BlockedWriter<int> writer;
};
} // namespace

class TestLocks : public QObject {
    Q_OBJECT

private slots:
    void initTestCase() { LegacySource::configure(TestDb::server()); }
    void cleanupTestCase() { LegacySource::dropTarget(); }

    void writerWaitsThenLands_data()
    {
        QTest::addColumn<int>("index");
        for (int i = 0; i < cases().size(); ++i)
            QTest::newRow(cases()[i].name) << i;
    }
    void writerWaitsThenLands()
    {
        QFETCH(int, index);
        const Case& k = cases()[index];
        TestApp t;
        for (const QString& s : QString::fromUtf8(kSetup).split(';'))
            t.exec(s);
        // The first client stops at its first write to any of the tables, the second passes.
        Gate::install(*t.check, kGatedTables, true);
        Gate::close(*t.check);
        GatedClient holder(t.database, k.holder);
        QVERIFY2(holder.writer.waitsForALock(*t.check), "the first client did not reach its first write");
        BlockedWriter<int> writer(t.database, k.writer);
        const bool waited = writer.waitsForALock(*t.check);
        Gate::open(*t.check);
        holder.writer.result();
        const int outcome = writer.result();
        QVERIFY2(holder.writer.error().isEmpty(), qPrintable(holder.writer.error()));
        QVERIFY2(writer.error().isEmpty(), qPrintable(writer.error()));
        QVERIFY2(waited, "the second client did not wait for the first");
        QCOMPARE(outcome, k.outcome);
        QCOMPARE(t.scalar(k.check).toString(), QString::fromUtf8(k.rows));
    }

    // A repricing holds the records it rewrites before it takes the month: a change of one
    // of them, which holds its record before it asks for the month, waits for the repricing
    // instead of each waiting for the other.
    void changeMeetingARepricingWaitsWithoutACircle()
    {
        TestApp t;
        const qint64 id = t.scalar("insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt,"
                                   " price, i_holiday, i_night) values (10, 7778, 1, '2025-05-06', 5, 2025, 1, 4, 200, 0, 0)"
                                   " returning id")
                              .toLongLong();
        // The repricing stops just before its update.
        Gate::install(*t.check, {"accounts_dep.fatigue"}, true, "update", true);
        Gate::close(*t.check);
        GatedClient repricing(t.database, kRepriceMay);
        QVERIFY(repricing.writer.waitsForALock(*t.check));
        HouseholdSql::Record changed = household(1, 7778, 6);
        BlockedWriter<int> change(t.database, [&](Connection& c) { return int(HouseholdRecords::save(c, changed, id)); });
        const bool waited = change.waitsForALock(*t.check);
        Gate::open(*t.check);
        repricing.writer.result();
        QCOMPARE(change.result(), kSaved);
        QVERIFY2(repricing.writer.error().isEmpty(), qPrintable(repricing.writer.error()));
        QVERIFY2(change.error().isEmpty(), qPrintable(change.error()));
        QVERIFY(waited);
        QCOMPARE(t.scalar("select cnt || ':' || price::int from accounts_dep.fatigue where id=" + QString::number(id)).toString(),
                 QStringLiteral("6:180"));
        QCOMPARE(t.scalar("select d6 from accounts_dep.h_tabel where w_id=1 and i_type=7778 and month=5").toInt(), 6);
    }

    // A worker's deletion takes his timesheet rows under their months' keys. Where an index
    // leads it through his rows in another order than a rebuild goes through the month's
    // (as stored), it waits for the rebuild before it locks any row, instead of the two each
    // holding a row the other wants.
    void workerDeletionWaitsForARebuildOfHisMonth()
    {
        TestApp t;
        for (const QString& s : QString::fromUtf8(kSetup).split(';'))
            t.exec(s);
        // His rows of May, the second shift stored first.
        t.exec("insert into accounts_dep.h_tabel(w_id, smena, month, year, d6) values (4, 2, 5, 2025, 3), (4, 1, 5, 2025, 4)");
        t.exec("create index h_tabel_key on accounts_dep.h_tabel(w_id, smena, month, year)");
        // The rebuild stops at his second-shift row, that row locked.
        Gate::installOnRow(*t.check, "accounts_dep.h_tabel", "old.w_id = 4 and old.smena = 2");
        Gate::close(*t.check);
        GatedClient rebuild(t.database, kRebuildMay);
        QVERIFY(rebuild.writer.waitsForALock(*t.check));
        BlockedWriter<int> removal(t.database, [](Connection& c) {
            // His rows by the index, as on a site's table of many years.
            c.execute(QStringLiteral("set enable_seqscan = off"));
            c.execute(QStringLiteral("set enable_bitmapscan = off"));
            return int(RefBookWrites::removeWorker(c, 4).status);
        });
        const bool waited = removal.waitsForALock(*t.check);
        Gate::open(*t.check);
        rebuild.writer.result();
        const int outcome = removal.result();
        QVERIFY2(rebuild.writer.error().isEmpty(), qPrintable(rebuild.writer.error()));
        QVERIFY2(removal.error().isEmpty(), qPrintable(removal.error()));
        QVERIFY(waited);
        QCOMPARE(outcome, kDeleted);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.h_tabel where w_id=4").toInt(), 0);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.person where id=4").toInt(), 0);
    }

    // The import locks its tables in the order the other writers reach them: a save that
    // holds its operation and then writes the timesheet finishes while the import waits.
    void importWaitsForASaveHoldingItsOperation()
    {
        LegacySource::create(LegacySource::sampleRows());
        LegacySource::makeTarget();
        const QString db = LegacySource::places().target;
        auto look = TestDb::connect(db, "look_import", TestDb::Role::Site);
        Gate::install(*look, {"accounts_dep.smena"}, true, "insert");
        Gate::close(*look);
        GatedClient save(db, saveJournal(journal(1, 200, 100, 4)));
        QVERIFY(save.writer.waitsForALock(*look));
        BlockedWriter<int> import(db, [](Connection& target) {
            auto source = LegacySource::open(QStringLiteral("import_source"));
            const LegacyImport::Outcome out = LegacyImport::run(*source, target);
            return int(out.copied.value(out.copied.size() - 1).rows);
        });
        const bool waited = import.waitsForALock(*look);
        Gate::open(*look);
        QCOMPARE(save.writer.result(), kSaved);
        const int journalRows = import.result();
        QVERIFY2(save.writer.error().isEmpty(), qPrintable(save.writer.error()));
        QVERIFY2(import.error().isEmpty(), qPrintable(import.error()));
        QVERIFY(waited);
        // The import came after the save: the journal is the legacy one.
        QVERIFY(journalRows > 0);
        QCOMPARE(look->select("select count(*) from accounts_dep.smena").rows.value(0).value(0).toInt(), journalRows);
    }

    void paintingRecordsDifferingOnlyInColour_data()
    {
        QTest::addColumn<int>("first");
        QTest::addColumn<int>("second");
        QTest::addColumn<int>("outcome");
        QTest::newRow("another colour") << 7035 << 9010 << kSaved;
        QTest::newRow("primer and a colour") << 1 << 7035 << kSaved;
        QTest::newRow("the same colour") << 7035 << 7035 << kDuplicate;
    }
    void paintingRecordsDifferingOnlyInColour()
    {
        QFETCH(int, first);
        QFETCH(int, second);
        QFETCH(int, outcome);
        TestApp t;
        // Operation 201 is "Краска".
        QCOMPARE(saveJournal(journal(3, 201, 100, 2, first))(t.dm().ADO_DB), kSaved);
        QCOMPARE(saveJournal(journal(3, 201, 100, 3, second))(t.dm().ADO_DB), outcome);
        QCOMPARE(t.scalar("select count(*) from accounts_dep.smena where o_id=201 and data='2025-05-06'").toInt(),
                 outcome == kSaved ? 2 : 1);
        QCOMPARE(t.scalar("select d6 from accounts_dep.h_tabel where w_id=3 and smena=1 and month=5").toInt(),
                 outcome == kSaved ? 5 : 2);
    }

    void locksOutOfOrderAreRefused_data()
    {
        QTest::addColumn<int>("index");
        QTest::newRow("a cell before its month") << 0;
        QTest::newRow("a record before its worker") << 1;
        QTest::newRow("cells of one rank downwards in two calls") << 2;
        QTest::newRow("rows of one rank in two calls") << 3;
        QTest::newRow("a lock outside a transaction") << 4;
    }
    void locksOutOfOrderAreRefused()
    {
        QFETCH(int, index);
        using namespace Locks;
        const Key a = journalCell(1, 1, 5, 2025), b = journalCell(2, 1, 5, 2025);
        const Key high = keyOf(a.name) > keyOf(b.name) ? a : b, low = keyOf(a.name) > keyOf(b.name) ? b : a;
        const std::function<void(Connection&)> wrong[] = {
            [&](Connection& c) {
                take(c, {a});
                take(c, {month(5, 2025, true)});
            },
            [](Connection& c) {
                rows(c, Locks::Table::JournalRecord, "id=1", RowMode::Update);
                rows(c, Locks::Table::Worker, "id=1", RowMode::KeyShare);
            },
            [&](Connection& c) {
                take(c, {high});
                take(c, {low});
            },
            [](Connection& c) {
                rows(c, Locks::Table::Operation, "id=200", RowMode::KeyShare);
                rows(c, Locks::Table::Operation, "id=201", RowMode::KeyShare);
            },
            [&](Connection& c) { take(c, {a}); },
        };
        TestApp t;
        Connection& c = t.dm().ADO_DB;
        bool refused = false;
        try {
            if (index == 4) {
                wrong[index](c);
            } else {
                Transaction tr(c);
                wrong[index](c);
            }
        } catch (const DbError& e) {
            refused = e.message().contains(QStringLiteral("порядок блокировок")) || e.message().contains(QStringLiteral("вне транзакции"));
        }
        QVERIFY(refused);
        // The same locks in order, and again once held, are taken.
        Transaction tr(c);
        take(c, {low, month(5, 2025, true), high});
        take(c, {high, month(5, 2025, true)});
        QCOMPARE(reached(c), int(Rank::Cell));
    }
};

PW_TEST_MAIN(TestLocks)
#include "test_locks.moc"
