// The monthly timesheets and the repricing on the large workshop: each of the four
// timesheet variants of last month opened through the data layer beside the same
// statement in psql, and the repricing of the month beside one set-based update in psql.
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "TDataModule6.h"
#include "household/rules/HouseholdRecords.h"
#include "timesheets/TForm27.h"
#include <QDate>
#include <cstdio>

using namespace MonthSheets;

namespace {
// The same repricing as one update over the month's sums per worker and group.
QString setBasedReprice(int month, int year)
{
    const QDate first(year, month, 1);
    return QString(
               "update accounts_dep.fatigue f set price = case when coalesce(a.hours, 0)::numeric(10,2) = 0 then 0 "
               "else (a.earn * (1 + f.i_holiday) / a.hours)::numeric(10,2) end "
               "from accounts_dep.fatigue f0 left join ("
               " select s.w_id, gas.id_class_item as nom, sum(s.time) as hours, sum((s.kol_vo - s.brak) * s.cena) as earn"
               " from accounts_dep.smena s join accounts_dep.izdel gas on gas.id = s.i_id"
               " join cmn_classifier.item i on i.id = gas.id_class_item and i.id_level = 2"
               " join accounts_dep.person p on p.id = s.w_id"
               " where s.data >= '%1' and s.data < '%2' group by s.w_id, gas.id_class_item) a"
               " on a.w_id = f0.id_p and a.nom = f0.id_nom "
               "where f.id = f0.id and f.i_mnth = %3 and f.i_year = %4 and f.id_o = 7778")
        .arg(first.toString(Qt::ISODate), first.addMonths(1).toString(Qt::ISODate))
        .arg(month)
        .arg(year);
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    Bench::Program program(target);
    ScriptedSeam& seam = program.seam;
    App& app = *program.app;

    const QDate month = QDate(seam.todayValue.year(), seam.todayValue.month(), 1).addMonths(-1);
    const int rounds = 7;
    TForm27* f27 = app.form<TForm27>();
    const QVector<Query*> sheets{f27->H_Tabel0, f27->H_Tabel7777, f27->H_Tabel7778, f27->H_Tabel_all};
    const char* names[] = {"month: H_Tabel0 (piece work)", "month: H_Tabel7777 (household)",
                           "month: H_Tabel7778 (average rate)", "month: H_Tabel_all (general)"};
    QStringList statements;
    for (Query* q : sheets) {
        setSheetParams(*q, month.month(), month.year(), q == f27->H_Tabel_all);
        statements << q->boundSql();
    }
    const QVector<double> plain = Bench::psqlTimes(target, statements, rounds);
    for (int i = 0; i < sheets.size(); ++i) {
        QVector<double> ours, theirs;
        for (int r = 0; r < rounds; ++r) {
            ours << Bench::timeMs([&] {
                sheets[i]->close();
                sheets[i]->open();
            });
            theirs << plain.value(r * sheets.size() + i);
        }
        std::printf("%s: %d lines\n", names[i], sheets[i]->recordCount());
        sheets[i]->close();
        Bench::report(names[i], Bench::median(ours), Bench::median(theirs));
    }

    Connection& c = app.DataModule6()->ADO_DB;
    const int repriced = HouseholdRecords::reprice(c, month.month(), month.year());
    std::printf("average-rate records of %s: %d\n", qPrintable(month.toString("MM.yyyy")), repriced);
    QVector<double> ours;
    for (int r = 0; r < rounds; ++r)
        ours << Bench::timeMs([&] { HouseholdRecords::reprice(c, month.month(), month.year()); });
    const QVector<double> setBased = Bench::psqlTimes(target, {setBasedReprice(month.month(), month.year())}, rounds);
    Bench::report("repricing of the month", Bench::median(ours), Bench::median(setBased));
    return 0;
}
