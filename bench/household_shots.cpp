// Renders the household works windows and the four monthly timesheets on a database to
// PNG files, for a person to look at: household_shots DATABASE SOCKET_DIR OUT_DIR
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "TDataModule6.h"
#include "household/TForm24.h"
#include "household/TForm25.h"
#include "household/TForm26.h"
#include "timesheets/TForm27.h"
#include <QDate>
#include <cstdio>

namespace {
void shoot(QWidget* w, const QString& file)
{
    w->show();
    QCoreApplication::processEvents();
    w->grab().save(file);
    std::printf("%s\n", qPrintable(file));
    w->hide();
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    PwApplication::useRussianLocale();
    const Bench::Target target = Bench::target(argc, argv);
    const QString out = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(".");
    Bench::Program program(target);
    ScriptedSeam& seam = program.seam;
    App& app = *program.app;

    // The latest day with the most household records.
    const QDate day = app.DataModule6()->ADO_DB
                          .select("select d_date from accounts_dep.fatigue group by d_date order by count(*) desc, d_date desc limit 1")
                          .rows.value(0).value(0).toDate();
    auto* f25 = app.form<TForm25>();
    f25->setJournalDate(day);
    f25->FormActivate();
    shoot(f25, out + "/TForm25.png");

    auto* f24 = app.form<TForm24>();
    f24->prepareChange({day, false}, *f25->fatigue);
    shoot(f24, out + "/TForm24.png");

    auto* f26 = app.form<TForm26>();
    f26->item->open();
    shoot(f26, out + "/TForm26.png");
    f26->item->close();

    auto* f27 = app.form<TForm27>();
    const std::pair<MonthSheets::Variant, const char*> variants[] = {
        {MonthSheets::Variant::PieceWork, "TForm27_piecework"},
        {MonthSheets::Variant::Household, "TForm27_household"},
        {MonthSheets::Variant::AverageRate, "TForm27_average"},
        {MonthSheets::Variant::General, "TForm27_general"}};
    for (const auto& [v, name] : variants) {
        f27->prepare(v);
        shoot(f27, out + "/" + name + ".png");
        f27->finish();
    }
    return 0;
}
