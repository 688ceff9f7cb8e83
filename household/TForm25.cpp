#include "TForm25.h"
#include "App.h"
#include "LongOperation.h"
#include "DbGrid.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm24.h"
#include "app/rules/Messages.h"
#include "household/rules/HouseholdRecords.h"
#include "ui_TForm25.h"

namespace {
const Qt::Alignment kRight = Qt::AlignRight | Qt::AlignVCenter;
const QVector<GridColumn> kColumns = {
    {"fio", "ФИО", 200},
    {"s_caption", "Номенклатура", 200},
    {"vid", "Работа", 140},
    {"price", "Цена", 70, kRight},
    {"cnt", "Кол-во", 60, kRight},
    {"summ", "Итого", 80, kRight},
    {"s_holiday", "Вых.", 40, Qt::AlignCenter},
    {"s_night", "Ноч.", 40, Qt::AlignCenter},
};
const QString kHolidayOn = QStringLiteral("QCheckBox { background-color: rgb(255, 0, 0); font-weight: bold; }");
} // namespace

TForm25::TForm25(App& a) : TForm(a), ui(std::make_unique<Ui::TForm25>())
{
    ui->setupUi(this);
    fatigue = new Query(dm().ADO_DB, QStringLiteral("fatigue"), this);
    fatigue->setSql(QString::fromUtf8(HouseholdSql::Fatigue));
    model_ = bindGrid(seam(), ui->DBGrid1, fatigue, kColumns);
    model_->setTitleFont(false, Qt::AlignCenter);
    on(ui->Button1, &QPushButton::clicked, &TForm25::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm25::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm25::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm25::Button4Click);
    on(ui->Button5, &QPushButton::clicked, &QDialog::reject);
    on(ui->DBGrid1, &QTableView::doubleClicked, &TForm25::Button2Click);
    on(ui->DTPicker1, &QDateEdit::dateChanged, &TForm25::DTPicker1Change);
    on(ui->CBox1, &QCheckBox::toggled, &TForm25::CBox1Click);
    setFixedSize(920, 420);
}

TForm25::~TForm25() = default;

void TForm25::setJournalDate(const QDate& day)
{
    // Not a change by the user: the holiday box keeps its state.
    const QSignalBlocker block(ui->DTPicker1);
    ui->DTPicker1->setDate(day);
}

QDate TForm25::journalDate() const { return ui->DTPicker1->date(); }
bool TForm25::holiday() const { return ui->CBox1->isChecked(); }

void TForm25::FormActivate()
{
    fatigue->close();
    fatigue->setParam(QStringLiteral("d_date"), journalDate());
    fatigue->open();
    cur_smena = 1;
    showMonthState(dm().ADO_DB, journalDate().month(), journalDate().year(), ui->LabelClosed,
                   {ui->Button1, ui->Button2, ui->Button3, ui->Button4});
}

void TForm25::DTPicker1Change()
{
    ui->CBox1->setChecked(app.calendar().isDayOff(journalDate()));
    fatigue->close();
    fatigue->setParam(QStringLiteral("d_date"), journalDate());
    fatigue->open();
    showMonthState(dm().ADO_DB, journalDate().month(), journalDate().year(), ui->LabelClosed,
                   {ui->Button1, ui->Button2, ui->Button3, ui->Button4});
}

void TForm25::CBox1Click() { ui->CBox1->setStyleSheet(ui->CBox1->isChecked() ? kHolidayOn : QString()); }

void TForm25::Button1Click()
{
    auto* f24 = app.form<TForm24>();
    f24->prepareNew({journalDate(), holiday()});
    showModal(f24);
    f24->type_work->close();
}

void TForm25::Button2Click()
{
    if (fatigue->isEmpty())
        return;
    auto* f24 = app.form<TForm24>();
    f24->prepareChange({journalDate(), holiday()}, *fatigue);
    showModal(f24);
    f24->type_work->close();
}

void TForm25::reopenAt(int recNo)
{
    fatigue->reopen();
    if (recNo >= 1 && recNo <= fatigue->recordCount())
        fatigue->setRecNo(recNo);
}

void TForm25::Button3Click()
{
    if (fatigue->isEmpty())
        return;
    if (!askDelete(QStringLiteral("Удалить позицию из списка?")))
        return;
    const int recNo = fatigue->recNo();
    const bool found = HouseholdRecords::remove(dm().ADO_DB, fatigue->asInteger(QStringLiteral("id"))).has_value();
    if (!found)
        error(QString::fromUtf8(Messages::Gone));
    reopenAt(recNo);
}

void TForm25::Button4Click()
{
    const QDate day = journalDate();
    LongOperation op(QStringLiteral("Пересчёт по среднесдельной: %1.%2").arg(day.month(), 2, 10, QLatin1Char('0')).arg(day.year()));
    const int recNo = fatigue->recNo();
    HouseholdRecords::reprice(op.connection(dm().ADO_DB), day.month(), day.year());
    reopenAt(recNo);
}
