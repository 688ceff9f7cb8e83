#include "TForm18.h"
#include "App.h"
#include "LongOperation.h"
#include "Query.h"
#include "printing/TForm16.h"
#include "printing/TForm17.h"
#include "printing/TForm20.h"
#include "printing/TForm21.h"
#include "sheets/Excel.h"
#include "sheets/Exports.h"
#include "ReportServer.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "printing/rules/GroupedReading.h"
#include "printing/rules/ReportSql.h"
#include "ui_TForm18.h"

TForm18::TForm18(App& a) : TForm(a), ui(std::make_unique<Ui::TForm18>())
{
    ui->setupUi(this);
    on(ui->Button1, &QPushButton::clicked, &TForm18::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm18::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm18::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm18::Button4Click);
    on(ui->Button5, &QPushButton::clicked, &TForm18::Button5Click);
    on(ui->Button6, &QPushButton::clicked, &TForm18::Button6Click);
    XLS_Rep = new Query(dm().ADO_DB, QStringLiteral("XLS_Rep"), this);
    XLS_Rep->setSql(ReportSql::xlsRep());
    XLS_Rep->setPlannedEachTime(true);
    fixSize();
}

TForm18::~TForm18() = default;

int TForm18::productKind() const
{
    if (ui->RadioGroup1Item1->isChecked())
        return 1;
    return ui->RadioGroup1Item2->isChecked() ? 2 : 0;
}

void TForm18::setPeriod(const QDate& from, const QDate& to)
{
    ui->DTPicker1->setDate(from);
    ui->DTPicker2->setDate(to);
}

void TForm18::setProductKind(int index)
{
    QRadioButton* items[] = {ui->RadioGroup1Item0, ui->RadioGroup1Item1, ui->RadioGroup1Item2};
    items[qBound(0, index, 2)]->setChecked(true);
}

void TForm18::runReport(ReportLayout& layout, Query& query, const GroupedReading::Key& groups, const QString& titlePrefix)
{
    const QDate from = ui->DTPicker1->date();
    const QDate to = ui->DTPicker2->date();
    // An inverted or empty period can only give an empty report; saying why serves the
    // user better than a blank page.
    if (from >= to) {
        error(QStringLiteral("Дата \"с\" должна быть раньше даты \"по\"!"));
        return;
    }
    query.close();
    query.setParam(QStringLiteral("data1"), from);
    query.setParam(QStringLiteral("data2"), to);
    const QString filter = ReportSql::kindFilter(productKind());
    if (!filter.isEmpty())
        query.setFilter(filter);
    query.setFiltered(!filter.isEmpty());
    ReportServer::Source source;
    {
        BusyCursor busy;
        // A long period shows its first pages while the rest is read; with a report server
        // every period is read there, in one snapshot.
        if (GroupedReading::inRanges(from, to))
            source = GroupedReading::open(query, groups);
        else if (ReportServer::configured())
            source = ReportServer::open(query);
        else
            query.open();
    }
    tellFallback(source);
    const QString note = ReportServer::dataNote(source);
    layout.QuickRep1.setText(QStringLiteral("QRLabel1"), ReportSql::title(titlePrefix, from, to)
                                                             + (note.isEmpty() ? QString() : QStringLiteral(". ") + note));
    ClosesAtEnd closer(query);
    layout.preview(query);
}

void TForm18::Button6Click()
{
    const QDate from = ui->DTPicker1->date();
    const QDate to = ui->DTPicker2->date();
    LongOperation op(QStringLiteral("Выгрузка выпуска продукции в Excel"));
    op.watch(dm().ADO_DB);
    XLS_Rep->close();
    XLS_Rep->setParam(QStringLiteral("data1"), from);
    XLS_Rep->setParam(QStringLiteral("data2"), to);
    const QString filter = ReportSql::kindFilter(productKind());
    if (!filter.isEmpty())
        XLS_Rep->setFilter(filter);
    XLS_Rep->setFiltered(!filter.isEmpty());
    readForReport(*XLS_Rep);
    ClosesAtEnd closer(*XLS_Rep);
    Excel excel(seam(), QStringLiteral("Выпуск продукции %1-%2").arg(SqlText::dmy(from), SqlText::dmy(to)));
    if (excel.OpenExcel() < 0)
        return;
    Exports::productOutput(excel, *XLS_Rep, [&](int n, int all) {
        ui->Button6->setText(Exports::progressCaption(n, all));
        op.step(n, all);
    });
    excel.ShowExcel(true);
}

void TForm18::Button2Click()
{
    TForm17* f = app.form<TForm17>();
    runReport(*f, *f->t_Report, ReportSql::tReportByProduct().groups, QStringLiteral("   Отчет по продукции за период с "));
}

void TForm18::Button4Click()
{
    TForm16* f = app.form<TForm16>();
    runReport(*f, *f->t_Report, ReportSql::tReportByWorker().groups, QStringLiteral("   Отчет по рабочим за период с "));
}

void TForm18::Button1Click()
{
    TForm20* f = app.form<TForm20>();
    runReport(*f, *f->w_Report, ReportSql::wReport().groups, QStringLiteral("   Детальный отчет по рабочим за период с "));
}

void TForm18::Button3Click()
{
    TForm21* f = app.form<TForm21>();
    runReport(*f, *f->i_Report, ReportSql::iReport().groups, QStringLiteral("   Детальный отчет по продукции за период с "));
}

void TForm18::Button5Click() { reject(); }
