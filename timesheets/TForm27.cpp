#include "TForm27.h"
#include "App.h"
#include "DbGrid.h"
#include "LongOperation.h"
#include "ReportServer.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "sheets/Excel.h"
#include "sheets/Exports.h"
#include "ui_TForm27.h"
#include <QFont>
#include <QHeaderView>
#include <tuple>

using namespace MonthSheets;

namespace {
const int kFirstDay = 2;  // grid column of day 1
const int kPrice = 33;    // f_price
const int kRate = 35;     // average_price
const QColor kTotals(225, 228, 255);

QVector<GridColumn> columns()
{
    QVector<GridColumn> c{{"fio", "Фамилия И. О.", 208}, {"s_night", " ", 30}};
    for (int d = 1; d <= 31; ++d)
        c.append({QStringLiteral("d%1").arg(d), QString::number(d), 20, Qt::AlignCenter, true, {}, {}, true});
    c.append({"f_price", "Итого (р.)", 94, Qt::AlignRight | Qt::AlignVCenter});
    c.append({"i_time", "Итого (ч.)", 66, Qt::AlignCenter});
    c.append({"average_price", "Час (р.)", 66, Qt::AlignCenter});
    return c;
}
} // namespace

TForm27::TForm27(App& a) : TForm(a), ui(std::make_unique<Ui::TForm27>())
{
    ui->setupUi(this);
    auto query = [this](const char* name, const QString& sql) {
        auto* q = new Query(dm().ADO_DB, QString::fromLatin1(name), this);
        q->setSql(sql);
        return q;
    };
    H_Tabel0 = query("H_Tabel0", sheetStatement(Variant::PieceWork));
    H_Tabel7777 = query("H_Tabel7777", sheetStatement(Variant::Household));
    H_Tabel7778 = query("H_Tabel7778", sheetStatement(Variant::AverageRate));
    H_Tabel_all = query("H_Tabel_all", sheetStatement(Variant::General));
    all_price = query("all_price", QString::fromUtf8(AllPrice));
    price = query("price", QString::fromUtf8(Price));
    price7 = query("price7", QString::fromUtf8(Price7));
    price8 = query("price8", QString::fromUtf8(Price8));
    cur_tabel = H_Tabel0;
    model_ = bindGrid(seam(), ui->DBGrid, H_Tabel0, columns());
    model_->setLook([this](const QueryModel&, int row, int column, int role) { return look(row, column, role); });
    ui->DBGrid->horizontalHeader()->setMinimumSectionSize(10);
    on(ui->ComboBox1, &QComboBox::activated, &TForm27::ComboBox1Change);
    on(ui->cb_year, &QComboBox::activated, &TForm27::ComboBox1Change);
    on(ui->Button1, &QPushButton::clicked, &QDialog::reject);
    on(ui->Button2, &QPushButton::clicked, &TForm27::Button2Click);
    on(ui->Button5, &QPushButton::clicked, &TForm27::Button5Click);
    setFixedSize(1145, 617);
}

TForm27::~TForm27() = default;

QVariant TForm27::look(int row, int column, int role) const
{
    const bool title = row < 0;
    const int day = column - kFirstDay + 1;
    const bool isDay = day >= 1 && day <= 31;
    const int days = QDate(year_, month_, 1).daysInMonth();
    if (role == Qt::ForegroundRole && isDay) {
        if (day > days)
            return title ? QColor(192, 192, 192) : QVariant();
        if (dayOff_[day - 1])
            return QColor(255, 0, 0);
        return {};
    }
    if (role == Qt::BackgroundRole && !title && column >= kPrice)
        return kTotals;
    if (role == Qt::FontRole && (column == 0 ? title : (column >= kPrice || (title && isDay)))) {
        QFont f;
        f.setBold(true);
        return f;
    }
    if (role == Qt::TextAlignmentRole && title && (column == 0 || isDay))
        return int(Qt::AlignCenter);
    return {};
}

void TForm27::prepare(Variant v)
{
    variant_ = v;
    const Look l = MonthSheets::look(v);
    setWindowTitle(QString::fromUtf8(l.caption));
    Tag = l.tag;
    Query* const queries[] = {H_Tabel0, H_Tabel7777, H_Tabel7778, H_Tabel_all};
    cur_tabel = queries[int(v)];
    model_->column(1).visible = l.nightShown;
    model_->column(kRate).visible = l.rateShown;
    const QDate today = seam().today();
    ui->ComboBox1->setCurrentIndex(today.month() - 1);
    ui->cb_year->clear();
    for (int y : years(today))
        ui->cb_year->addItem(QString::number(y), y);
    ui->cb_year->setCurrentIndex(ui->cb_year->findData(today.year()));
    rebindGrid(ui->DBGrid, cur_tabel);
    ComboBox1Change();
}

void TForm27::finish()
{
    if (cur_tabel)
        cur_tabel->close();
    ui->Button2->setText(QStringLiteral("Excel"));
}

void TForm27::ComboBox1Change()
{
    month_ = ui->ComboBox1->currentIndex() + 1;
    year_ = ui->cb_year->currentData().toInt();
    cur_tabel->close();
    setSheetParams(*cur_tabel, month_, year_, cur_tabel == H_Tabel_all);
    // The columns of the month before the rows, so the grid is laid out once.
    markDays();
    cur_tabel->open();
    showMonthState(dm().ADO_DB, month_, year_, ui->LabelClosed, {});
    for (Query* q : {all_price, price, price7, price8}) {
        q->close();
        setTotalParams(*q, month_, year_, q == all_price);
        q->open();
    }
    // Caption, amount and the amount's query of each total.
    const std::tuple<QLabel*, QLabel*, Query*> totals[] = {{ui->Label1, ui->Label2, price8},
                                                           {ui->Label3, ui->Label4, price7},
                                                           {ui->Label5, ui->Label6, price},
                                                           {ui->Label7, ui->Label8, all_price}};
    for (const auto& [caption, amount, q] : totals) {
        amount->setText(QueryModel::display(q->value(QStringLiteral("price")), true));
        // A screen reader reads the amount with its caption, not the caption alone.
        amount->setAccessibleName(caption->text() + QLatin1Char(' ') + amount->text());
    }
}

void TForm27::markDays()
{
    const QDate first(year_, month_, 1);
    const int days = first.daysInMonth();
    for (int d = 1; d <= 31; ++d) {
        model_->column(kFirstDay + d - 1).visible = d <= days;
        dayOff_[d - 1] = d <= days && app.calendar().isDayOff(first.addDays(d - 1));
    }
    model_->column(0).width = nameWidth(variant_, year_, month_);
    applyColumns(ui->DBGrid);
    emit model_->headerDataChanged(Qt::Horizontal, 0, model_->columnCount() - 1);
}

void TForm27::Button5Click() { cur_tabel->reopen(); }

void TForm27::Button2Click()
{
    // The grid stays where it was while the export walks the rows.
    const int recNo = cur_tabel->recNo();
    cur_tabel->disableControls();
    struct Back {
        Query* q;
        int recNo;
        ~Back()
        {
            if (recNo >= 1 && recNo <= q->recordCount())
                q->setRecNo(recNo);
            q->enableControls();
        }
    } back{cur_tabel, recNo};
    const QString title = ui->ComboBox1->currentText() + QLatin1Char(' ') + QString::number(year_);
    LongOperation op(QStringLiteral("Выгрузка табеля в Excel"));
    // With a report server the export reads the shown month's rows there, not the grid's.
    std::unique_ptr<Query> reading;
    if (ReportServer::configured()) {
        reading = std::make_unique<Query>(dm().ADO_DB, cur_tabel->objectName());
        reading->setSql(cur_tabel->sql());
        for (auto p = cur_tabel->params().cbegin(); p != cur_tabel->params().cend(); ++p)
            reading->setParam(p.key(), p.value());
        readForReport(*reading);
    }
    Query& rows = reading ? *reading : *cur_tabel;
    Excel excel(seam(), windowTitle() + QLatin1Char(' ') + title);
    if (excel.OpenExcel() < 0)
        return;
    excel.ShowExcel(false);
    Exports::monthlyTimesheet(excel, rows, title, Tag, [&](int n, int all) {
        ui->Button2->setText(Exports::progressCaption(n, all));
        op.step(n, all);
    });
    excel.ShowExcel(true);
}
