// The shift timesheet on the large workshop: the month rebuild beside the same delete and
// insert … select … group by run in psql (and the day-by-day rebuild for the record), and
// the opening of the three month grids beside their statements in psql.
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "Rows.h"
#include "ScriptedSeam.h"
#include "TDataModule6.h"
#include "timesheets/rules/RebuildByDay.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QDate>
#include <cstdio>


int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    Bench::Program program(target);
    ScriptedSeam& seam = program.seam;
    App& app = *program.app;
    TDataModule6& dm = *app.DataModule6();
    Connection& c = dm.ADO_DB;

    // Last full month.
    const QDate first = QDate(seam.todayValue.year(), seam.todayValue.month(), 1).addMonths(-1);
    const int m = first.month(), y = first.year();
    const int rounds = 9;

    // Rounds of ours and psql's alternate, so that the load of a shared machine falls on both.
    const QStringList plain{QStringLiteral("begin"), ShiftTimesheet::deleteShiftRows(m, y),
                            ShiftTimesheet::insertShiftRows(m, y), QStringLiteral("commit")};
    QVector<double> ours, floor;
    for (int r = 0; r < rounds; ++r) {
        ours << Bench::timeMs([&] { ShiftTimesheet::rebuild(c, m, y); });
        floor << Bench::sum(Bench::psqlTimes(target, plain, 1));
    }
    const QString rowsMade = QString::number(Rows::firstInteger(
        c, QStringLiteral("select count(*) from accounts_dep.h_tabel where month=%1 and year=%2 and smena is not null").arg(m).arg(y)));
    std::printf("month %02d.%d: %s shift rows\n", m, y, qPrintable(rowsMade));
    Bench::report("rebuild (target ratio <= 1.5)", Bench::median(ours), Bench::median(floor));
    int statements = 0;
    const double byDay = Bench::timeMs([&] { statements = RebuildByDay::run(c, m, y); });
    std::printf("%-40s %9.2f ms, %d statements (for the record)\n", "day-by-day rebuild", byDay, statements);
    ShiftTimesheet::rebuild(c, m, y);

    // The three grids of the month, as the month choice opens them.
    const QVector<Query*> grids{dm.H_Tabel_1, dm.H_Tabel_2, dm.H_Tabel_3};
    QStringList statementsOfGrids;
    for (Query* q : grids) {
        q->close();
        q->setParam(QStringLiteral("mnth"), m);
        q->setParam(QStringLiteral("yea"), y);
        q->setParam(QStringLiteral("date1"), first);
        q->setParam(QStringLiteral("date2"), first.addMonths(1));
        statementsOfGrids << q->boundSql();
    }
    const int openRounds = 11;
    QVector<double> oursOpen, theirsOpen;
    for (int r = 0; r < openRounds; ++r) {
        theirsOpen << Bench::sum(Bench::psqlTimes(target, statementsOfGrids, 1));
        oursOpen << Bench::timeMs([&] {
            for (Query* q : grids) {
                q->close();
                q->open();
            }
        });
    }
    std::printf("grid rows: %d, %d, %d\n", grids[0]->recordCount(), grids[1]->recordCount(), grids[2]->recordCount());
    Bench::report("opening H_Tabel_1..3 (target ratio <= 1.2)", Bench::median(oursOpen), Bench::median(theirsOpen));
    return 0;
}
