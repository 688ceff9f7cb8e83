#include "TForm5.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm2.h"
#include "app/rules/Messages.h"
#include "rules/RefBookWrites.h"
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
    model_ = bindGrid(seam(), ui->DBGrid1, dm().Workers, kColumns);
    model_->setTitleFont(false, Qt::AlignCenter);
    setFixedSize(641, height());
    setUpList(dm().Workers, {ui->Edit1, ui->Button1, ui->Button2, ui->Button3}, WorkersSql::searchFilter);
    on(ui->Button1, &QPushButton::clicked, &TForm5::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm5::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm5::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm5::Button4Click);
    on(ui->DBGrid1, &QTableView::doubleClicked, &TForm5::DBGrid1DblClick);
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
    app.form<TForm2>()->prepareNew();
    showModal(app.form<TForm2>());
    dm().Workers->reopen();
}

void TForm5::Button2Click()
{
    Query* list = dm().Workers;
    if (Tag != 0) {
        // An empty (or filtered-out) list closes without a worker handed over.
        if (list->isEmpty())
            reject();
        else
            choose(list->asInteger(QStringLiteral("id")), list->asString(QStringLiteral("fio")).trimmed());
        return;
    }
    if (list->isEmpty())
        return;
    const int recNo = list->recNo();
    auto* f2 = app.form<TForm2>();
    f2->prepareChange(list->asString(QStringLiteral("fio")).trimmed(), list->asString(QStringLiteral("s_staffpos_hl")),
                      int(list->asInteger(QStringLiteral("id"))));
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
    const RefBookWrites::Deletion d = RefBookWrites::removeWorker(dm().ADO_DB, int(list->asInteger(QStringLiteral("id"))));
    if (d.status == RefBookWrites::Deletion::InUse)
        error(RefBookWrites::workerInUse(d.uses));
    else if (d.status == RefBookWrites::Deletion::Gone)
        error(QString::fromUtf8(Messages::Gone));
    reopenAt(recNo);
}

void TForm5::Button4Click() { reject(); }
