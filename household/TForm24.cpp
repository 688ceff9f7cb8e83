#include "TForm24.h"
#include "App.h"
#include "DisplayText.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm26.h"
#include "app/rules/Messages.h"
#include "household/rules/HouseholdRecords.h"
#include "refbooks/TForm5.h"
#include "ui_TForm24.h"

using namespace HouseholdSql;

TForm24::TForm24(App& a) : TForm(a), ui(std::make_unique<Ui::TForm24>())
{
    ui->setupUi(this);
    acceptDigitsOnly(ui->Edit3);
    type_work = new Query(dm().ADO_DB, QStringLiteral("type_work"), this);
    type_work->setSql(QString::fromUtf8(TypeWork));
    type_work->setParam(QStringLiteral("cnt"), 0.0);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm24::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm24::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm24::Button4Click);
    connect(ui->cb_type_work, &QComboBox::currentIndexChanged, this, &TForm24::cb_type_workChange);
    connect(ui->Edit3, &QLineEdit::textChanged, this, &TForm24::Edit3Change);
    fixSize();
}

TForm24::~TForm24() = default;

void TForm24::openKinds()
{
    type_work->reopen();
    QSignalBlocker block(ui->cb_type_work);
    ui->cb_type_work->clear();
    // One entry per norm, as the kinds query lists them.
    for (int row = 0; row < type_work->recordCount(); ++row)
        ui->cb_type_work->addItem(Query::toText(type_work->valueAt(row, type_work->fieldIndex("vid"))).trimmed(),
                                  type_work->valueAt(row, type_work->fieldIndex("id")).toInt());
}

void TForm24::selectKind(int kind) { ui->cb_type_work->setCurrentIndex(ui->cb_type_work->findData(kind)); }

void TForm24::prepareNew(const Journal& journal)
{
    Tag = 0;
    journal_ = journal;
    record_id_ = 0;
    openKinds();
    ui->Edit1->clear();
    ui->Edit2->clear();
    ui->Edit3->setText(QStringLiteral("0"));
    ui->CBox1->setChecked(false);
    group_id = 0;
    worker_id = 0;
    selectKind(Household);
    cb_type_workChange();
    ui->CBox1->setEnabled(true);
}

void TForm24::prepareChange(const Journal& journal, const Query& r)
{
    Tag = 1;
    journal_ = journal;
    record_id_ = r.asInteger(QStringLiteral("id"));
    openKinds();
    ui->Edit1->setText(r.asString(QStringLiteral("fio")).trimmed());
    ui->Edit2->setText(r.asString(QStringLiteral("s_caption")).trimmed());
    ui->Edit3->setText(r.asString(QStringLiteral("cnt")));
    group_id = int(r.asInteger(QStringLiteral("id_nom")));
    worker_id = int(r.asInteger(QStringLiteral("id_p")));
    selectKind(int(r.asInteger(QStringLiteral("id_o"))));
    cb_type_workChange();
    // The night flag of a record stays what it was entered with.
    ui->CBox1->setChecked(r.asInteger(QStringLiteral("i_night")) != 0);
    ui->CBox1->setEnabled(false);
}

void TForm24::cb_type_workChange()
{
    const QVariant kind = ui->cb_type_work->currentData();
    if (!kind.isValid() || !type_work->locate(QStringLiteral("id"), kind)) {
        ui->Edit4->clear();
        ui->Edit5->clear();
        return;
    }
    ui->Edit4->setText(DisplayText::number(price()));
    Edit3Change();
}

double TForm24::price() const { return type_work->isEmpty() ? 0 : type_work->asFloat(QStringLiteral("price")); }

// The sum shows price × hours; it is only shown, never saved.
void TForm24::Edit3Change()
{
    if (ui->Edit4->text().isEmpty()) {
        ui->Edit5->clear();
        return;
    }
    ui->Edit5->setText(DisplayText::number(price() * ui->Edit3->text().toLongLong()));
}

void TForm24::Button3Click()
{
    if (const auto worker = app.form<TForm5>()->pick(24)) {
        ui->Edit1->setText(worker->name);
        worker_id = int(worker->id);
    }
}

void TForm24::Button4Click()
{
    if (const auto group = app.form<TForm26>()->pick()) {
        ui->Edit2->setText(group->name);
        group_id = int(group->id);
    }
}

void TForm24::Button1Click()
{
    if (group_id == 0 || worker_id == 0 || ui->Edit4->text().isEmpty()) {
        error(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    const qint64 hours = ui->Edit3->text().toLongLong();
    if (hours < 1) {
        error(QStringLiteral("Нужно завести количество!"));
        return;
    }
    Record r;
    r.group = group_id;
    r.kind = ui->cb_type_work->currentData().toInt();
    r.worker = worker_id;
    r.date = journal_.day;
    r.hours = hours;
    r.holiday = journal_.holiday;
    r.night = ui->CBox1->isChecked();
    r.price = entryPrice(price(), r.holiday, r.night);
    const bool change = Tag == 1;
    if (HouseholdRecords::save(dm().ADO_DB, r, change ? std::optional<qint64>(record_id_) : std::nullopt)
        == HouseholdRecords::Outcome::Gone) {
        error(QString::fromUtf8(Messages::Gone));
        reject();
        return;
    }
    accept();
}
