#pragma once
#include "timesheets/rules/MonthSheets.h"
#include <QString>

// The statements as they were first written, before the match by worker number and the
// reshaping for speed: what the tests compare ours with, and the benchmarks' reference.
// Their cast of s_code fails on a code that is not a number.
namespace FirstTexts {
// The journal of a shift, Smena1 … Smena4.
QString journal(int shift);
// The shift timesheet's grid of a shift, H_Tabel_1 … H_Tabel_3.
QString shiftGrid(int shift);
// The printed (and exported) shift timesheet, H_Tabel.
QString printedTimesheet();
// A monthly timesheet with its sums taken again for every worker.
QString monthly(MonthSheets::Variant v);
// The repricing of a month's average-rate records, one sum for every record.
QString reprice(int month, int year);
// A statement of ours with the worker-number match of the column put back as the cast it
// replaced ("integer", "t_integer"), or as any other match.
QString withCast(const QString& ours, const QString& column, const QString& cast);
QString withMatch(QString ours, const QString& column, const QString& match);
} // namespace FirstTexts
