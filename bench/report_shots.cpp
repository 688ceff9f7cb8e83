// Renders the first page of each report's preview on a database to PNG files, for a
// person to look at: report_shots DATABASE SOCKET_DIR OUT_DIR
#include "App.h"
#include "BenchSupport.h"
#include "PwApplication.h"
#include "Query.h"
#include "ScriptedSeam.h"
#include "printing/ReportPreview.h"
#include "printing/TForm15.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "printing/rules/ReportSql.h"
#include <QDate>
#include <cstdio>

namespace {
void shoot(ScriptedSeam& seam, ReportLayout* layout, Query* q, const QString& file)
{
    q->open();
    QuerySource source(*q);
    auto doc = layout->QuickRep1.prepare(source);
    ReportPreview preview(seam, *doc, layout->QuickRep1.zoom);
    preview.resize(1300, 1000);
    preview.setWindowState(Qt::WindowNoState);
    preview.resize(1300, 1000);
    preview.show();
    QCoreApplication::processEvents();
    preview.grab().save(file);
    std::printf("%s: %d rows, page 1 of %d\n", qPrintable(file), q->recordCount(), (doc->finish(), doc->pageCount()));
    q->close();
}
} // namespace

int main(int argc, char** argv)
{
    PwApplication qapp(argc, argv);
    const Bench::Target target = Bench::target(argc, argv);
    const QString out = argc > 3 ? QString::fromLocal8Bit(argv[3]) : QStringLiteral(".");
    Bench::Program program(target);
    ScriptedSeam& seam = program.seam;
    App& app = *program.app;
    const QDate to(seam.todayValue.year(), seam.todayValue.month(), 1);
    const QDate from = to.addMonths(-1);
    struct R {
        ReportLayout* layout;
        Query* q;
        const char* prefix;
        const char* file;
    } reports[] = {
        {app.form<TForm16>(), app.form<TForm16>()->t_Report, "   Отчет по рабочим за период с ", "TForm16"},
        {app.form<TForm17>(), app.form<TForm17>()->t_Report, "   Отчет по продукции за период с ", "TForm17"},
        {app.form<TForm20>(), app.form<TForm20>()->w_Report, "   Детальный отчет по рабочим за период с ", "TForm20"},
        {app.form<TForm21>(), app.form<TForm21>()->i_Report, "   Детальный отчет по продукции за период с ", "TForm21"},
    };
    for (const R& r : reports) {
        r.q->setParam("data1", from);
        r.q->setParam("data2", to);
        r.layout->QuickRep1.setText("QRLabel1", ReportSql::title(r.prefix, from, to));
        shoot(seam, r.layout, r.q, out + "/" + r.file + ".png");
    }
    TForm15* f15 = app.form<TForm15>();
    f15->H_Tabel->setParam("mnth", from.month());
    f15->H_Tabel->setParam("yea", from.year());
    f15->QuickRep1.setText("QRLabel33", "Данные за: " + QLocale().standaloneMonthName(from.month()) + " " +
                                            QString::number(from.year()));
    shoot(seam, f15, f15->H_Tabel, out + "/TForm15.png");
    return 0;
}
