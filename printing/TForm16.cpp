#include "TForm16.h"
#include "rules/ReportSql.h"

using namespace Rep;
using namespace PeriodBands;

TForm16::TForm16(App& a) : ReportLayout(a), t_Report(makeQuery(QStringLiteral("t_Report"), ReportSql::tReportByWorker().sql))
{
    Layout& l = QuickRep1.layout;
    l.groups.push_back(reportGroup({}, {total("sum(summa)", 161, 28, 11, "#0.00")}, 138));
    l.groups.push_back(group("fio", true, {total("sum(summa)", 163, 24, 9, "#0.00")}, false));
    l.groups.back().footer.frame = FrameBottom;
    l.groups.push_back(group("nom", false,
                             {total("sum(kolvo)", 138, 19, 9), total("sum(summa)", 163, 24, 9, "#0.000")}, true));
    l.detail = detail({
        expr(kKindText, 13, 42),
        field("vid", 57, 43).centre(),
        expr(kColourText, 102, 35),
        field("kolvo", 138, 19).centre(),
        field("summa", 163, 24).centre().withMask("#0.000"),
    });
    l.pageFooter = pageFooter();
}
