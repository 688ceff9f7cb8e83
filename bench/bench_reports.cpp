// The period reports on the large workshop: a year's detailed report by worker (time to
// the first page shown, to all pages, to the whole PDF, beside its query in psql; memory
// with the year in the preview) and the four reports of one month through the data layer
// beside the same statements in psql.
#include "App.h"
#include "BenchSupport.h"
#include "Painter.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "printing/ReportPreview.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "TForm23.h"
#include <QDate>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void period(Query* q, const QDate& from, const QDate& to)
{
    q->close();
    q->setParam("data1", from);
    q->setParam("data2", to);
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    Bench::Program program(target);
    ScriptedSeam& seam = program.seam;
    App& app = *program.app;

    // A year up to today.
    const QDate to = seam.todayValue.addDays(1);
    const QDate from = to.addYears(-1);
    TForm20* f20 = app.form<TForm20>();
    Query* q = f20->w_Report;
    period(q, from, to);
    f20->QuickRep1.setText("QRLabel1", "   Детальный отчет по рабочим за период с " + from.toString("dd.MM.yyyy"));
    const double psqlYear = Bench::median(Bench::psqlTimes(target, {q->boundSql()}, 3));

    const double queryMs = Bench::timeMs([&] { q->open(); });
    std::printf("peak resident memory with the year's rows read: %.1f MB\n", Bench::peakRssMb());
    QuerySource source(*q);
    std::unique_ptr<Rep::Paginator> doc;
    std::unique_ptr<ReportPreview> preview;
    const double firstMs = Bench::timeMs([&] {
        doc = f20->QuickRep1.prepare(source);
        preview = std::make_unique<ReportPreview>(seam, *doc, f20->QuickRep1.zoom);
        preview->grab(); // paints the first page
    });
    const double allMs = Bench::timeMs([&] { doc->finish(); });
    std::printf("year's detailed report by worker: %d rows, %d pages\n", q->recordCount(), doc->pageCount());
    Bench::report("query of the year (w_Report)", queryMs, psqlYear);
    std::printf("%-40s %9.2f ms after the query, %9.2f ms in all (target under 1000 ms)\n", "first page shown",
                firstMs, queryMs + firstMs);
    std::printf("%-40s %9.2f ms\n", "all pages laid out", allMs);
    std::printf("peak resident memory, the year in the preview: %.1f MB (target under 300 MB)\n", Bench::peakRssMb());
    preview.reset();
    doc.reset();
    QTemporaryDir dir;
    std::unique_ptr<Rep::Paginator> fresh = f20->QuickRep1.prepare(source);
    const double pdfMs = Bench::timeMs([&] { Rep::writePdf(*fresh, dir.filePath("year.pdf")); });
    std::printf("%-40s %9.2f ms (layout and painting of %d pages)\n", "whole PDF written", pdfMs, fresh->pageCount());
    fresh.reset();
    q->close();

    // One month: the four reports' queries.
    const QDate monthTo(seam.todayValue.year(), seam.todayValue.month(), 1);
    const QDate monthFrom = monthTo.addMonths(-1);
    const QVector<Query*> queries{app.form<TForm17>()->t_Report, app.form<TForm16>()->t_Report, q,
                                  app.form<TForm21>()->i_Report};
    QStringList statements;
    for (Query* r : queries) {
        period(r, monthFrom, monthTo);
        statements << r->boundSql();
    }
    const int rounds = 7;
    const QVector<double> each = Bench::psqlTimes(target, statements, rounds);
    const char* names[] = {"month: t_Report by product", "month: t_Report by worker", "month: w_Report",
                           "month: i_Report"};
    for (int i = 0; i < queries.size(); ++i) {
        QVector<double> ours, theirs;
        for (int r = 0; r < rounds; ++r) {
            ours << Bench::timeMs([&] {
                queries[i]->close();
                queries[i]->open();
            });
            theirs << each.value(r * queries.size() + i);
        }
        queries[i]->close();
        Bench::report(names[i], Bench::median(ours), Bench::median(theirs));
    }
    std::printf("peak resident memory at the end: %.1f MB\n", Bench::peakRssMb());
    return 0;
}
