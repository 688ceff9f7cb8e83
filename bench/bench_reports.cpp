// The period reports on the large workshop. The year's detailed report by worker: its
// statement read whole beside psql; the first page shown when the report is read a range
// of groups at a time (as the window reads it) and when it is read through a server-side
// cursor; all pages; the whole PDF; memory with the year in the preview. Then the four
// reports of one month through the data layer beside the same statements in psql.
#include "App.h"
#include "BenchSupport.h"
#include "Connection.h"
#include "Painter.h"
#include "PwApplication.h"
#include "Query.h"
#include "ReadAhead.h"
#include "ScriptedSeam.h"
#include "printing/ReportPreview.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "printing/rules/GroupedReading.h"
#include "printing/rules/ReportSql.h"
#include <QDate>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTemporaryDir>
#include <cstdio>

namespace {
void period(Query* q, const QDate& from, const QDate& to)
{
    q->close();
    q->setParam("data1", from);
    q->setParam("data2", to);
}

// The same statement through a server-side cursor, a block of rows at a time.
std::unique_ptr<ReadAhead> throughCursor(Query& q)
{
    const QString statement = q.boundSql();
    return std::make_unique<ReadAhead>(q.connection().connectionString(), [statement](Connection& c, const ReadAhead::Deliver& d) {
        c.execute("DECLARE pw_bench NO SCROLL CURSOR FOR " + statement);
        for (;;) {
            OdbcReader::Result r = c.selectTable("FETCH 5000 FROM pw_bench");
            const bool last = r.table.rowCount() == 0;
            if (!d(std::move(r)) || last)
                return;
        }
    });
}

struct Shown {
    double firstMs = 0, allMs = 0;
    int rows = 0, pages = 0;
};

// From the opening of the query to the first page painted in the preview, and to the last
// page laid out.
Shown preview(ScriptedSeam& seam, TForm20* f20, const std::function<void(Query&)>& open)
{
    Query& q = *f20->w_Report;
    q.close();
    QuerySource source(q);
    std::unique_ptr<Rep::Paginator> doc;
    std::unique_ptr<ReportPreview> window;
    Shown s;
    QElapsedTimer t;
    t.start();
    open(q);
    doc = f20->QuickRep1.prepare(source);
    window = std::make_unique<ReportPreview>(seam, *doc, f20->QuickRep1.zoom);
    window->grab(); // paints the first page
    s.firstMs = t.nsecsElapsed() / 1e6;
    doc->finish();
    s.allMs = t.nsecsElapsed() / 1e6;
    s.rows = q.recordCount();
    s.pages = doc->pageCount();
    window.reset();
    doc.reset();
    q.close();
    return s;
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
    const int rounds = 3;
    QVector<double> groupsFirst, groupsAll, cursorFirst, cursorAll;
    Shown shown;
    // Memory first, with nothing else read yet.
    for (int r = 0; r < rounds; ++r) {
        shown = preview(seam, f20, [](Query& q) { GroupedReading::open(q, ReportSql::wReport().groups); });
        groupsFirst << shown.firstMs;
        groupsAll << shown.allMs;
    }
    const double memory = Bench::peakRssMb();
    for (int r = 0; r < rounds; ++r) {
        const Shown c = preview(seam, f20, [](Query& q) { q.openReading(throughCursor(q)); });
        cursorFirst << c.firstMs;
        cursorAll << c.allMs;
    }
    std::printf("read a range of groups at a time: %d rows, %d pages\n", shown.rows, shown.pages);
    std::printf("%-40s %9.2f ms (target under 300 ms); all pages laid out %9.2f ms\n", "first page shown, by group ranges",
                Bench::median(groupsFirst), Bench::median(groupsAll));
    std::printf("%-40s %9.2f ms; all pages laid out %9.2f ms\n", "first page shown, through a cursor",
                Bench::median(cursorFirst), Bench::median(cursorAll));
    std::printf("peak resident memory, the year in the preview: %.1f MB (target under 300 MB)\n", memory);
    QVector<double> ours, theirs;
    for (int r = 0; r < rounds; ++r) {
        theirs << Bench::median(Bench::psqlTimes(target, {q->boundSql()}, 1));
        ours << Bench::timeMs([&] {
            q->close();
            q->open();
        });
    }
    std::printf("year's detailed report by worker: %d rows\n", q->recordCount());
    Bench::report("query of the year read whole (w_Report)", Bench::median(ours), Bench::median(theirs));
    q->close();

    QTemporaryDir dir;
    QVector<double> pdf, pdfOpen;
    int pages = 0;
    for (int r = 0; r < rounds; ++r) {
        QuerySource source(*q);
        std::unique_ptr<Rep::Paginator> doc;
        pdfOpen << Bench::timeMs([&] {
            GroupedReading::open(*q, ReportSql::wReport().groups);
            doc = f20->QuickRep1.prepare(source);
            Rep::writePdf(*doc, dir.filePath("year.pdf"));
        });
        doc = f20->QuickRep1.prepare(source); // on the rows read: layout and writing alone
        pdf << Bench::timeMs([&] { Rep::writePdf(*doc, dir.filePath("year.pdf")); });
        pages = doc->pageCount();
        doc.reset();
        q->close();
    }
    std::printf("%-40s %9.2f ms (layout and writing of %d pages, %.1f MB; target within 3000 ms)\n", "whole PDF written",
                Bench::median(pdf), pages, QFileInfo(dir.filePath("year.pdf")).size() / 1048576.0);
    std::printf("%-40s %9.2f ms\n", "the same from the opening of the report", Bench::median(pdfOpen));

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
    const int monthRounds = 7;
    const char* names[] = {"month: t_Report by product", "month: t_Report by worker", "month: w_Report",
                           "month: i_Report"};
    QVector<QVector<double>> oursMonth(queries.size()), theirsMonth(queries.size());
    for (int r = 0; r < monthRounds; ++r) {
        const QVector<double> each = Bench::psqlTimes(target, statements, 1);
        for (int i = 0; i < queries.size(); ++i) {
            theirsMonth[i] << each.value(i);
            oursMonth[i] << Bench::timeMs([&] {
                queries[i]->close();
                queries[i]->open();
            });
        }
    }
    for (int i = 0; i < queries.size(); ++i) {
        queries[i]->close();
        Bench::report(names[i], Bench::median(oursMonth[i]), Bench::median(theirsMonth[i]));
    }
    std::printf("peak resident memory at the end: %.1f MB\n", Bench::peakRssMb());
    return 0;
}
