#include "Exports.h"
#include "Excel.h"
#include "Query.h"
#include "DisplayText.h"

namespace Exports {

namespace {
// Fixed-width columns come padded with blanks, which a spreadsheet would keep.
QString text(Query& q, const QString& field) { return q.asString(field).trimmed(); }
QString integer(Query& q, const QString& field) { return QString::number(q.asInteger(field)); }
QString real(Query& q, const QString& field) { return q.isNull(field) ? QString() : DisplayText::number(q.asFloat(field)); }
QString kind(Query& q) { return q.asInteger(QStringLiteral("naimen")) == 0 ? QStringLiteral("Готовая продукция") : QStringLiteral("Заготовки"); }

// The title row and the day headings of the two timesheets; the days from column firstDay.
void timesheetHeading(Excel& x, const QString& title, int firstDay)
{
    x.WriteCell(1, 1, 1, title, true, true, true);
    x.WriteCell(1, 1, 2, QStringLiteral("Фамилия И.О."), true, true, true);
    for (int d = 1; d <= 31; ++d)
        x.WriteCell(1, firstDay + d - 1, 2, QString::number(d), false, true, true);
}

// Walks the rows from the first, calling write with the sheet row of each.
void eachRow(Query& rows, int firstRow, const std::function<void(int)>& write, const Progress& progress)
{
    const int all = rows.recordCount();
    if (progress)
        progress(0, all);
    int n = 0;
    for (rows.first(); !rows.isEmpty() && !rows.eof(); rows.next()) {
        write(firstRow + n);
        ++n;
        if (progress)
            progress(n, all);
    }
}
} // namespace

QString progressCaption(int written, int all) { return QStringLiteral("Excel (%1 из %2)").arg(written).arg(all); }

void operations(Excel& x, Query& rows, const Progress& progress)
{
    const QStringList heads{"Марка", "Операция", "Цена", "Вид"};
    for (int c = 0; c < heads.size(); ++c)
        x.WriteCellPlain(1, c + 1, 1, heads[c]);
    eachRow(rows, 2, [&](int r) {
        x.WriteCellPlain(1, 1, r, text(rows, QStringLiteral("marka")));
        x.WriteCellPlain(1, 2, r, text(rows, QStringLiteral("vid")));
        x.WriteCellPlain(1, 3, r, real(rows, QStringLiteral("cena")));
        x.WriteCellPlain(1, 4, r, kind(rows));
    }, progress);
}

void productOutput(Excel& x, Query& rows, const Progress& progress)
{
    const QStringList heads{"Наименование", "Операция", "Вид продукции", "Коробки", "Кол-во"};
    for (int c = 0; c < heads.size(); ++c)
        x.WriteCellPlain(1, c + 1, 1, heads[c]);
    eachRow(rows, 2, [&](int r) {
        const qint64 colour = rows.asInteger(QStringLiteral("color"));
        QString operation = text(rows, QStringLiteral("vid"));
        if (colour == 1)
            operation += QStringLiteral(" (грунт)");
        else if (colour > 0)
            operation += QStringLiteral(" (цвет: %1)").arg(colour);
        x.WriteCellPlain(1, 1, r, text(rows, QStringLiteral("nom")));
        x.WriteCellPlain(1, 2, r, operation);
        x.WriteCellPlain(1, 3, r, kind(rows));
        x.WriteCellPlain(1, 4, r, real(rows, QStringLiteral("mass")));
        x.WriteCellPlain(1, 5, r, integer(rows, QStringLiteral("kolvo")));
    }, progress);
}

void shiftTimesheet(Excel& x, Query& rows, const QString& title, const Progress& progress)
{
    timesheetHeading(x, title, 2);
    x.WriteCell(1, 33, 2, QStringLiteral("Итого"), true, true, true);
    eachRow(rows, 3, [&](int r) {
        x.WriteCell(1, 1, r, text(rows, QStringLiteral("fio")), true, true, false);
        qint64 total = 0;
        for (int d = 1; d <= 31; ++d) {
            const qint64 hours = rows.asInteger(QStringLiteral("sd%1").arg(d));
            total += hours;
            x.WriteCell(1, d + 1, r, QString::number(hours), false, true, false);
        }
        x.WriteCell(1, 33, r, QString::number(total), false, true, false);
    }, progress);
}

void monthlyTimesheet(Excel& x, Query& rows, const QString& title, int tag, const Progress& progress)
{
    const bool hourColumn = tag != 17;
    timesheetHeading(x, title, 3);
    x.WriteCell(1, 34, 2, QStringLiteral("Итого (ч.)"), true, true, true);
    x.WriteCell(1, 35, 2, QStringLiteral("Итого (р.)"), true, true, true);
    if (hourColumn)
        x.WriteCell(1, 36, 2, QStringLiteral("Час (р.)"), true, true, true);
    eachRow(rows, 3, [&](int r) {
        x.WriteCell(1, 1, r, text(rows, QStringLiteral("fio")), true, true, false);
        if (tag != 17 && tag != 9)
            x.WriteCell(1, 2, r, text(rows, QStringLiteral("s_night")), true, true, false);
        for (int d = 1; d <= 31; ++d)
            x.WriteCell(1, d + 2, r, integer(rows, QStringLiteral("d%1").arg(d)), false, true, false);
        x.WriteCell(1, 34, r, rows.asString(QStringLiteral("i_time")), false, true, false);
        x.WriteCell(1, 35, r, rows.asString(QStringLiteral("f_price")), false, true, false);
        if (hourColumn)
            x.WriteCell(1, 36, r, rows.asString(QStringLiteral("average_price")), false, true, false);
    }, progress);
}

} // namespace Exports
