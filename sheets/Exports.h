#pragma once
#include <QString>
#include <functional>

class Excel;
class Query;

// The four exports: what each writes from its query into the sheet. The caller opens the
// query and the workbook before and shows the workbook after.
namespace Exports {
// After each record written: records written, records in all.
using Progress = std::function<void(int written, int all)>;
// "Excel (N из M)", the caption of an export button.
QString progressCaption(int written, int all);

// Operations and prices (the operations window's XLS_Rep).
void operations(Excel& x, Query& rows, const Progress& progress = {});
// Product output of a period (the period reports window's XLS_Rep).
void productOutput(Excel& x, Query& rows, const Progress& progress);
// The shift timesheet: one line per worker with the day sums sd1…sd31 and their total.
void shiftTimesheet(Excel& x, Query& rows, const QString& title, const Progress& progress);
// A monthly timesheet variant (tag 9, 14, 15 or 17) over its shown query.
void monthlyTimesheet(Excel& x, Query& rows, const QString& title, int tag, const Progress& progress);
} // namespace Exports
