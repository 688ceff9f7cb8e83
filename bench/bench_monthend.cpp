// The month-end of the large workshop (300 workers) as the accountant does it, through the
// windows: the shift timesheet of last month opened and rebuilt; the four monthly
// timesheets opened; the four period reports of the month written to PDF from their
// previews; the four exports written. Each step's time and the total, beside the sum of the
// same statements in psql; rounds of ours and psql's alternate.
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "TDataModule6.h"
#include "refbooks/TForm4.h"
#include "printing/ReportPreview.h"
#include "printing/TForm15.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "reports/TForm18.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "timesheets/TForm19.h"
#include "timesheets/TForm27.h"
#include "timesheets/rules/ShiftTimesheet.h"
#include <QDate>
#include <QTemporaryDir>
#include <cstdio>

namespace {
struct Step {
    const char* name;
    std::function<QStringList()> run; // returns the statements the step ran
    QVector<double> ours, psql;
};

QStringList boundStatements(const QVector<Query*>& queries)
{
    QStringList out;
    for (Query* q : queries)
        out << q->boundSql();
    return out;
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    Bench::Program program(target);
    ScriptedSeam& seam = program.seam;
    App& app = *program.app;
    TDataModule6& dm = *app.DataModule6();

    const QDate first = QDate(seam.todayValue.year(), seam.todayValue.month(), 1).addMonths(-1);
    const QDate next = first.addMonths(1);
    const int m = first.month(), y = first.year();
    // The monthly timesheets open on the month of the computer's clock: that month it is.
    seam.todayValue = first.addDays(14);
    auto* f19 = app.form<TForm19>();
    auto* f27 = app.form<TForm27>();
    auto* f18 = app.form<TForm18>();
    QTemporaryDir dir;

    Step steps[] = {
        {"1. shift timesheet opened and rebuilt",
         [&] {
             QStringList s;
             seam.onModal("TForm19", [&](QDialog*) {
                 s << boundStatements({dm.H_Tabel_1, dm.H_Tabel_2, dm.H_Tabel_3});
                 f19->Button1Click();
                 s << "begin" << ShiftTimesheet::deleteShiftRows(m, y) << ShiftTimesheet::insertShiftRows(m, y) << "commit";
                 s << boundStatements({dm.H_Tabel_1, dm.H_Tabel_2, dm.H_Tabel_3});
             });
             f19->showFor(first);
             return s;
         }},
        {"2. four monthly timesheets opened",
         [&] {
             QStringList s;
             for (auto v : {MonthSheets::Variant::PieceWork, MonthSheets::Variant::Household,
                            MonthSheets::Variant::AverageRate, MonthSheets::Variant::General}) {
                 f27->prepare(v);
                 s << boundStatements({f27->cur_tabel, f27->all_price, f27->price, f27->price7, f27->price8});
             }
             return s;
         }},
        {"3. four period reports written to PDF",
         [&] {
             QStringList s;
             f18->setPeriod(first, next);
             const std::pair<void (TForm18::*)(), Query*> reports[] = {
                 {&TForm18::Button2Click, app.form<TForm17>()->t_Report},
                 {&TForm18::Button4Click, app.form<TForm16>()->t_Report},
                 {&TForm18::Button1Click, app.form<TForm20>()->w_Report},
                 {&TForm18::Button3Click, app.form<TForm21>()->i_Report}};
             for (const auto& [button, query] : reports) {
                 seam.onModal("ReportPreview", [&, query = query](QDialog* d) {
                     s << query->boundSql();
                     qobject_cast<ReportPreview*>(d)->savePdf(dir.filePath(query->objectName() + ".pdf"));
                 });
                 (f18->*button)();
             }
             return s;
         }},
        {"4. four exports written",
         [&] {
             app.form<TForm4>()->Button5Click();
             f18->Button6Click();
             f19->Button2Click();
             f27->Button2Click(); // the general timesheet, as step 2 left it
             return boundStatements({app.form<TForm4>()->XLS_Rep, f18->XLS_Rep, app.form<TForm15>()->H_Tabel});
         }},
    };

    const int rounds = 5;
    QVector<double> oursTotal, psqlTotal;
    for (int r = 0; r < rounds; ++r) {
        double o = 0, p = 0;
        for (Step& step : steps) {
            QStringList statements;
            const double ms = Bench::timeMs([&] { statements = step.run(); });
            const double plain = Bench::sum(Bench::psqlTimes(target, statements, 1));
            step.ours << ms;
            step.psql << plain;
            o += ms;
            p += plain;
        }
        oursTotal << o;
        psqlTotal << p;
    }
    std::printf("month-end of %02d.%d on the large workshop, medians of %d rounds\n", m, y, rounds);
    for (const Step& step : steps)
        Bench::report(step.name, Bench::median(step.ours), Bench::median(step.psql));
    Bench::report("month-end in all (target under 3000 ms)", Bench::median(oursTotal), Bench::median(psqlTotal));
    std::printf("peak resident memory: %.1f MB\n", Bench::peakRssMb());
    return 0;
}
