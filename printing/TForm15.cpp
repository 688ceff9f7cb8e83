#include "TForm15.h"
#include "app/rules/ProductionCalendar.h"
#include "rules/ReportSql.h"

using namespace Rep;

namespace {
// Left edges of the day cells, days 1 to 31.
const double kDayX[31] = {81,  88,  94,  100, 106, 112, 119, 125, 132, 138, 143, 149, 154, 160, 165, 171,
                          176, 182, 188, 193, 199, 204, 210, 215, 221, 226, 232, 238, 243, 249, 254};
const double kDayW = 5.3;
} // namespace

TForm15::TForm15(App& a) : ReportLayout(a), H_Tabel(makeQuery(QStringLiteral("H_Tabel"), ReportSql::hTabel()))
{
    QuickRep1.zoom = Report::Zoom::WholePage;
    Layout& l = QuickRep1.layout;
    l.page.landscape = true;

    Group columns;
    columns.everyPage = true;
    columns.header.name = QStringLiteral("column header");
    columns.header.height = 6;
    columns.header.frame = FrameTop | FrameBottom;
    columns.header.elements << label(QStringLiteral("Данные за:"), 0, 80).named(QStringLiteral("QRLabel33")).bold();
    columns.footer.name = QStringLiteral("column footer");
    columns.footer.height = 0;

    Band& d = l.detail;
    d.name = QStringLiteral("detail");
    d.height = 5;
    d.frame = FrameTop | FrameBottom;
    d.elements << field(QStringLiteral("fio"), 0, 80);
    QStringList days;
    for (int i = 0; i < 31; ++i) {
        const QString n = QString::number(i + 1);
        columns.header.elements << label(n, kDayX[i], kDayW).centre().bold().framed(FrameLeft | FrameRight)
                                       .named(QStringLiteral("day") + n);
        Element cell = field(QStringLiteral("sd") + n, kDayX[i], kDayW).centre()
                           .withFont(QStringLiteral("Microsoft Sans Serif"), 9).named(QStringLiteral("sd") + n);
        if (i % 2 == 0)
            cell.frame = FrameLeft | FrameRight; // a rule between every two neighbouring days
        d.elements << cell;
        days << QStringLiteral("sd") + n;
    }
    columns.header.elements << label(QStringLiteral("Итого"), 263, 14).centre().bold();
    d.elements << expr(days.join(QLatin1Char('+')), 265, 10).centre().bold();
    l.groups.push_back(columns);

    l.pageFooter.name = QStringLiteral("page footer");
    l.pageFooter.height = 6;
    l.pageFooter.elements << pageNumber(257, 20).right();
}

void TForm15::markDays(int month, int year, ProductionCalendar& calendar)
{
    const QDate first(year, month, 1);
    for (int d = 1; d <= 31; ++d) {
        const QColor ink = d <= first.daysInMonth() && calendar.isDayOff(first.addDays(d - 1)) ? QColor(255, 0, 0)
                                                                                                 : QColor(Qt::black);
        for (const QString& name : {QStringLiteral("day%1").arg(d), QStringLiteral("sd%1").arg(d)})
            QuickRep1.layout.find(name)->color = ink;
    }
}
