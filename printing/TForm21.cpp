#include "TForm21.h"
#include "rules/ReportSql.h"

using namespace Rep;
using namespace PeriodBands;

TForm21::TForm21(App& a) : ReportLayout(a), i_Report(makeQuery(QStringLiteral("i_Report"), ReportSql::iReport().sql))
{
    Layout& l = QuickRep1.layout;
    l.groups.push_back(reportGroup({label("Брак", 123, 11).bold(), label("Коробки", 135, 18).bold(),
                                    label("Кол-во", 153, 17).bold(), label("Сумма", 174, 16).bold()},
                                   {total("sum(brk)", 124, 9, 11), total("sum(mass)", 133, 19, 11),
                                    total("sum(kolvo)", 152, 17, 11), total("sum(summa)", 170, 19, 11, "#0.00")},
                                   100, 9));
    l.groups.push_back(group("nom", true,
                             {total("sum(brk)", 124, 9, 9), total("sum(mass)", 133, 19, 9, "#0.00"),
                              total("sum(kolvo)", 152, 17, 9), total("sum(summa)", 170, 19, 9, "#0.00")},
                             true));
    QVector<Element> d{
        field("marka", 1, 52),
        field("vid", 53, 28),
        // The colour numbers take four digits; the kind takes the room they leave, so that
        // "Готовая продукция" prints whole in the detail's font.
        field("color", 81, 12).centre(),
        expr(kKindText, 93, 32),
        field("brk", 125, 7).centre(),
        field("mass", 134, 19).centre(),
        field("kolvo", 152, 17).centre(),
        field("summa", 170, 19).centre().withMask("#0.000"),
    };
    // The narrow columns of this report take the long kind texts and sums at 9 pt.
    for (Element& e : d)
        e.font.pt = 9;
    l.detail = detail(d);
    l.pageFooter = pageFooter();
}
