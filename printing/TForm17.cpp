#include "TForm17.h"
#include "rules/ReportSql.h"

using namespace Rep;
using namespace PeriodBands;

TForm17::TForm17(App& a) : ReportLayout(a), t_Report(makeQuery(QStringLiteral("t_Report"), ReportSql::tReportByProduct().sql))
{
    Layout& l = QuickRep1.layout;
    l.groups.push_back(reportGroup({label("Коробки", 136, 26).bold(), label("Количество", 165, 25).bold()},
                                   {total("sum(mass)", 131, 24, 11, "#0"), total("sum(kolvo)", 161, 28, 11)}, 106));
    l.groups.push_back(group("nom", true, {total("sum(mass)", 134, 19, 9), total("sum(kolvo)", 163, 24, 9)}, true));
    l.detail = detail({
        expr(kKindText, 13, 40),
        field("vid", 55, 36).centre(),
        expr(kColourText, 93, 39),
        field("mass", 134, 19).centre(),
        field("kolvo", 163, 24).centre(),
    });
    l.pageFooter = pageFooter();
}
