// The day's four journal queries through the data layer against the same statements in
// psql, on a year of a large workshop; start-up to the login window; peak memory.
#include "App.h"
#include "Program.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm23.h"
#include <QDate>
#include <cstdio>

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    ScriptedSeam seam;
    seam.todayValue = QDate::currentDate();

    App* app = nullptr;
    const double startMs = Bench::timeMs([&] {
        app = new App(seam, {target.database, target.socketDir}, buildProgram);
        app->start();
        seam.showMain(app->form<TForm23>());
        QCoreApplication::processEvents();
    });
    std::printf("start-up to the login window: %.1f ms (target under 500 ms)\n", startMs);

    TDataModule6& dm = *app->DataModule6();
    for (Query* q : dm.smenaQueries()) {
        q->setParam("ok", QStringLiteral("ta"));
        q->setParam("data", seam.todayValue);
    }
    const int rounds = 15;
    QVector<double> ours;
    int rows = 0;
    for (int r = 0; r < rounds; ++r)
        ours << Bench::timeMs([&] {
            rows = 0;
            for (Query* q : dm.smenaQueries()) {
                q->reopen();
                rows += q->recordCount();
            }
        });

    QStringList statements;
    for (Query* q : dm.smenaQueries())
        statements << q->boundSql();
    const QVector<double> each = Bench::psqlTimes(target, statements, rounds);
    QVector<double> theirs;
    for (int r = 0; r + 3 < each.size(); r += 4)
        theirs << each[r] + each[r + 1] + each[r + 2] + each[r + 3];

    std::printf("journal of %s: %d rows in four shifts, median of %d rounds\n",
                qPrintable(seam.todayValue.toString("dd.MM.yyyy")), rows, rounds);
    Bench::report("four journal queries (Smena1..Smena4)", Bench::median(ours), Bench::median(theirs));

    std::printf("peak resident memory: %.1f MB (target under 300 MB)\n", Bench::peakRssMb());
    delete app;
    return 0;
}
