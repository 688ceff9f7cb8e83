// A journal save with its day-cell upkeep on the large workshop: the dialog's "Запись"
// as a whole, the statements of one save through the data layer, and the same
// statements sent by psql. Works on a copy of the large database, dropped afterwards.
#include "App.h"
#include "Program.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "DbError.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm23.h"
#include "journal/TForm11.h"
#include "journal/rules/DayCells.h"
#include "journal/rules/EntryRules.h"
#include "journal/rules/JournalRecords.h"
#include "rules/Shell.h"
#include <QDateEdit>
#include <QLineEdit>
#include <QSet>
#include <cstdio>

namespace {
QVector<int> ids(Connection& c, const QString& sql)
{
    QVector<int> out;
    for (const auto& row : c.select(sql).rows)
        out << row.first().toInt();
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target large = Bench::target(argc, argv);
    const QString copy = QStringLiteral("pw_large_save_bench");
    const bool copied = Bench::copyDatabase(large, copy);
    if (!copied) {
        std::fprintf(stderr, "could not copy %s\n", qPrintable(large.database));
        return 1;
    }
    const Bench::Target target{copy, large.socketDir};

    ScriptedSeam seam;
    seam.todayValue = QDate::currentDate();
    const QDate today = seam.todayValue;
    auto* app = new App(seam, {target.database, target.socketDir}, buildProgram);
    app->start();
    seam.showMain(app->form<TForm23>());
    app->form<TForm23>()->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("0842"));
    seam.keepOpen(QStringLiteral("TForm1"));
    app->form<TForm23>()->Button1Click();

    TDataModule6& dm = *app->DataModule6();
    TForm1* f1 = app->form<TForm1>();
    auto* f11 = app->form<TForm11>();
    const QVector<int> workers = ids(dm.ADO_DB, "select id from accounts_dep.person order by id limit 100");
    // Painting operations: the colour code keeps every saved record distinct.
    const QVector<int> opers =
        ids(dm.ADO_DB, "select o.id from accounts_dep.oper o join accounts_dep.vid_oper v on v.id=o.vid "
                       "where v.vid like '%Краска%' and exists (select 1 from accounts_dep.norm n where n.o_id=o.id) order by o.id limit 20");
    const qint64 journalRows = dm.ADO_DB.select("select count(*) from accounts_dep.smena").rows.first().first().toLongLong();
    if (workers.isEmpty() || opers.isEmpty()) {
        std::fprintf(stderr, "no workers or painting operations in %s\n", qPrintable(copy));
        return 1;
    }

    // 1. "Запись" in the dialog: check, write, upkeep, list re-read.
    const int saves = 200;
    QVector<double> dialogMs;
    int refused = 0;
    for (int i = 0; i < saves; ++i) {
        const int worker = workers[i % workers.size()];
        const int oper = opers[i % opers.size()];
        seam.onModal(QStringLiteral("TForm11"), [&](QDialog* d) {
            d->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(QStringLiteral("bench"));
            f11->worker_id = worker;
            dm.Oper->open();
            dm.Oper->locate(QStringLiteral("id"), oper);
            f11->takeOperation();
            d->findChild<QLineEdit*>(QStringLiteral("Edit3"))->setText(QString::number(10 + i));
            d->findChild<QLineEdit*>(QStringLiteral("Edit6"))->setText(QString::number(1 + i % 8));
            d->findChild<QLineEdit*>(QStringLiteral("Edit5"))->setText(QString::number(500000 + i));
            dialogMs << Bench::timeMs([&] { invokeHandler(*app, f11, "Button1Click"); });
            if (d->isVisible())
                ++refused;
        });
        f1->Button1Click();
    }

    // 2. The statements of one save through the data layer, without the list re-read.
    QVector<double> statementsMs;
    QStringList plain;
    QSet<int> rowMade;
    bool firstRowExists = false;
    const QString listSql = dm.Smena1->boundSql();
    for (int i = 0; i < saves; ++i) {
        EntryRules::Record r;
        r.worker = workers[i % workers.size()];
        r.oper = opers[i % opers.size()];
        r.item = dm.ADO_DB.select("select i_id from accounts_dep.oper where id=" + SqlText::num(r.oper)).rows.first().first().toInt();
        r.price = 12.5;
        r.count = 10 + i;
        r.hours = 1 + i % 8;
        r.colour = 600000 + i;
        r.date = today;
        r.shift = 2;
        r.entered = today;
        statementsMs << Bench::timeMs([&] { JournalRecords::save(dm.ADO_DB, r); });
        // The same save for psql, on shift 3 so that it writes records of its own.
        EntryRules::Record p = r;
        p.shift = 3;
        p.colour = 700000 + i;
        const bool rowExists = rowMade.contains(int(p.worker))
            || dm.ADO_DB.select(DayCells::countStatement(p.worker, p.shift, p.date)).rows.first().first().toInt() > 0;
        rowMade.insert(int(p.worker));
        if (i == 0)
            firstRowExists = rowExists;
        // As JournalRecords::save sends them: its operation and worker held, the month and the
        // cell locked, the duplicate check, the insert, the cell's upkeep, the transaction's number.
        QStringList upkeep = DayCells::refreshStatements(p.worker, p.shift, p.date, rowExists, p.hours);
        const QString lock = upkeep.takeFirst();
        plain << QStringLiteral("begin")
              << QStringLiteral("select id from accounts_dep.oper where id=%1 order by id for key share").arg(p.oper)
              << QStringLiteral("select id from accounts_dep.person where id=%1 order by id for key share").arg(p.worker)
              << lock << EntryRules::duplicateCheck(p) << EntryRules::insertStatement(p) << upkeep
              << QStringLiteral("select txid_current_if_assigned()") << QStringLiteral("commit") << listSql;
    }
    const int perSave = plain.size() / saves;
    const QVector<double> each = Bench::psqlTimes(target, plain, 1);
    // Per save: the statements, then the list re-read the dialog does afterwards.
    QVector<double> psqlMs, psqlWithListMs;
    for (int s = 0; s + perSave <= each.size(); s += perSave) {
        double sum = 0;
        for (int k = 0; k + 1 < perSave; ++k)
            sum += each[s + k];
        psqlMs << sum;
        psqlWithListMs << sum + each[s + perSave - 1];
    }

    std::printf("large workshop: %lld journal records; %d saves of distinct records on %s (%d refused)\n",
                journalRows, saves, qPrintable(today.toString("dd.MM.yyyy")), refused);
    std::printf("statements of one save (a new record of worker %d, the month's timesheet row %s):\n", workers.first(),
                firstRowExists ? "found" : "made");
    for (int k = 0; k + 1 < perSave; ++k)
        std::printf("  %s\n", qPrintable(plain[k]));
    Bench::report("save in the dialog (with list re-read)", Bench::median(dialogMs), Bench::median(psqlWithListMs));
    Bench::report("statements of one save", Bench::median(statementsMs), Bench::median(psqlMs));
    std::printf("slowest save in the dialog: %.2f ms\n", *std::max_element(dialogMs.begin(), dialogMs.end()));
    std::printf("journal rows in the list after the saves: %d\n", f1->currentQuery()->recordCount());
    std::printf("peak resident memory: %.1f MB\n", Bench::peakRssMb());
    delete app;
    Bench::psql(large, "postgres", "drop database if exists " + copy);
    return 0;
}
