#include "TForm5.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm2.h"
#include "rules/WorkersSql.h"
#include "ui_TForm5.h"

namespace {
const QVector<GridColumn> kColumns = {
    {"fio", "ФИО", 300},
    {"s_staffpos_hl", "Должность", 300},
};
}

TForm5::TForm5(App& a) : TListForm(a), ui(std::make_unique<Ui::TForm5>())
{
    ui->setupUi(this);
    model_ = bindGrid(ui->DBGrid1, dm().Workers, kColumns);
    model_->setTitleFont(false, Qt::AlignCenter);
    setFixedSize(641, height());
    setUpList(dm().Workers, ui->Edit1, ui->Button1, WorkersSql::searchFilter);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm5::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm5::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm5::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm5::Button4Click);
    connect(ui->DBGrid1, &QTableView::doubleClicked, this, &TForm5::DBGrid1DblClick);
}

TForm5::~TForm5() = default;

void TForm5::DBGrid1DblClick() { Button2Click(); }

void TForm5::reopenAt(int recNo)
{
    Query* list = dm().Workers;
    list->reopen();
    if (recNo >= 1 && recNo <= list->recordCount())
        list->setRecNo(recNo);
}

void TForm5::Button1Click()
{
    auto* f2 = app.form<TForm2>();
    f2->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    f2->setWindowTitle(QStringLiteral("Заведение данных нового работника"));
    f2->Tag = 1;
    f2->reopenLists();
    showModal(f2);
    dm().Workers->reopen();
}

void TForm5::Button2Click()
{
    Query* list = dm().Workers;
    if (Tag != 0) {
        const QString window = Tag == 24 ? QStringLiteral("TForm24") : QStringLiteral("TForm11");
        QWidget* target = Tag == 1 || Tag == 24 ? app.window(window) : nullptr;
        if (!list->isEmpty() && target) {
            if (auto* field = target->findChild<QLineEdit*>(QStringLiteral("Edit1")))
                field->setText(list->asString(QStringLiteral("fio")).trimmed());
            target->setProperty("worker_id", int(list->asInteger(QStringLiteral("id"))));
            accept();
            return;
        }
        reject();
        return;
    }
    if (list->isEmpty())
        return;
    const int recNo = list->recNo();
    auto* f2 = app.form<TForm2>();
    f2->setWindowTitle(QStringLiteral("Изменение данных работника"));
    f2->Tag = 2;
    f2->reopenLists();
    f2->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(list->asString(QStringLiteral("fio")).trimmed());
    f2->person_id = int(list->asInteger(QStringLiteral("id")));
    showModal(f2);
    reopenAt(recNo);
    reject();
}

void TForm5::Button3Click()
{
    Query* list = dm().Workers;
    if (list->isEmpty())
        return;
    if (!askDelete(QStringLiteral("Удалить работника?")))
        return;
    const int recNo = list->recNo();
    Command* cmd = app.form<TForm2>()->cmd_person;
    cmd->setSql(WorkersSql::remove(int(list->asInteger(QStringLiteral("id")))));
    cmd->execute();
    reopenAt(recNo);
}

void TForm5::Button4Click() { reject(); }
