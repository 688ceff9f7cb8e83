#include "TForm20.h"
#include "rules/ReportSql.h"

using namespace Rep;
using namespace PeriodBands;

TForm20::TForm20(App& a) : ReportLayout(a), w_Report(makeQuery(QStringLiteral("w_Report"), ReportSql::wReport().sql))
{
    Layout& l = QuickRep1.layout;
    const QString f = QStringLiteral("Arial");
    // Headings centred over the columns they name: at their nominal places "Брак" was
    // cut by "Количество" and neither stood over its numbers.
    l.groups.push_back(reportGroup({label("Брак", 125, 15).withFont(f, 9, true).centre(),
                                    label("Количество", 141, 27).withFont(f, 9, true).centre(),
                                    label("Сумма", 170, 20).withFont(f, 9, true).centre()},
                                   {total("sum(brk)", 132, 11, 11), total("sum(kolvo)", 145, 19, 11),
                                    total("sum(summa)", 166, 24, 11, "#0.00")},
                                   106));
    l.groups.push_back(group("fio", true,
                             {total("sum(brk)", 128, 9, 9), total("sum(kolvo)", 146, 17, 9),
                              total("sum(summa)", 170, 20, 9, "#0.00")},
                             true));
    QVector<Element> d{
        field("marka", 0, 41),
        field("vid", 43, 29).centre(),
        field("color", 74, 16).centre(),
        expr(kKindText, 91, 30),
        field("brk", 128, 9).centre(),
        field("kolvo", 146, 17).centre(),
        field("summa", 170, 20).centre().withMask("#0.00"),
    };
    for (Element& e : d)
        e.font = {QStringLiteral("MS Sans Serif"), 8, false};
    l.detail = detail(d, 4.5);
    l.pageFooter = pageFooter();
}
