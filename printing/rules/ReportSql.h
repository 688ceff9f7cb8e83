#pragma once
#include "GroupedReading.h"
#include <QDate>
#include <QString>
#include <QStringList>

// Statement texts of the printed reports, kept as the lines they are sent with.
namespace ReportSql {
// A period report: its statement, parameters data1 and data2, ordered to the last of its
// grouped columns so that a month read whole and a year read a range at a time show equal
// rows in one order; and beside it the first-level group of that order.
struct Period {
    QStringList sql;
    GroupedReading::Key groups;
};
// Summary by worker (TForm16) and by product group (TForm17).
Period tReportByWorker();
Period tReportByProduct();
// Detailed by worker (TForm20) and by product group (TForm21).
Period wReport();
Period iReport();
// Month timesheet (TForm15): parameters mnth, yea.
QStringList hTabel();

// The client-side filter of a product-kind choice (0 all, 1 finished products, 2 blanks);
// empty for all.
QString kindFilter(int kind);
// The product output of a period for the spreadsheet: parameters data1 and data2.
QStringList xlsRep();
// "   Отчет по рабочим за период с 01.03.2025 по 01.04.2025".
QString title(const QString& prefix, const QDate& from, const QDate& to);
} // namespace ReportSql
