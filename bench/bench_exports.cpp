// The largest spreadsheet exports on the large workshop: the operations and prices list
// and a year's product output, each from opening its query to the finished file. Cells
// per second, beside the source query in psql; peak memory.
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "refbooks/TForm4.h"
#include "sheets/Excel.h"
#include "sheets/Exports.h"
#include "reports/TForm18.h"
#include <QDate>
#include <QFileInfo>
#include <cstdio>

namespace {
// One export from its query to the written file: ms, cells written, file size.
void run(const Bench::Target& target, ScriptedSeam& seam, const QString& name, Query& q, int columns,
         const std::function<void(Excel&, Query&)>& write)
{
    const double psqlMs = Bench::median(Bench::psqlTimes(target, {q.boundSql()}, 3));
    int rows = 0;
    QString path;
    const double ms = Bench::timeMs([&] {
        q.close();
        q.open();
        rows = q.recordCount();
        Excel x(seam, name);
        x.OpenExcel();
        write(x, q);
        x.ShowExcel(true);
        path = x.path();
    });
    const double queryMs = Bench::timeMs([&] {
        q.close();
        q.open();
    });
    const double cells = double(rows + 1) * columns;
    std::printf("%s: %d rows, %.0f cells, %.0f KB\n", qPrintable(name), rows, cells, QFileInfo(path).size() / 1024.0);
    Bench::report(name + " (export against the query in psql)", ms, psqlMs);
    const double writeMs = ms - queryMs;
    std::printf("%-40s %9.0f cells/s in all, %9.0f cells/s writing alone (%.2f ms; target at least 100000)\n", "",
                cells / (ms / 1000), cells / (writeMs / 1000), writeMs);
    std::printf("%-40s %9.2f ms against 2 x query in psql + writing = %.2f ms\n", "whole export", ms, 2 * psqlMs + writeMs);
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    Bench::Program program(target);
    App& app = *program.app;
    Query& operations = *app.form<TForm4>()->XLS_Rep;
    run(target, program.seam, "operations and prices", operations, 4,
        [](Excel& x, Query& q) { Exports::operations(x, q); });
    Query& output = *app.form<TForm18>()->XLS_Rep;
    const QDate to = program.seam.todayValue.addDays(1);
    output.setParam("data1", to.addYears(-1));
    output.setParam("data2", to);
    run(target, program.seam, "product output of a year", output, 5,
        [](Excel& x, Query& q) { Exports::productOutput(x, q, {}); });
    std::printf("peak resident memory: %.1f MB (target under 300 MB)\n", Bench::peakRssMb());
}
