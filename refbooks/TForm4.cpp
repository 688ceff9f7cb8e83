#include "TForm4.h"
#include "App.h"
#include "LongOperation.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "app/rules/Messages.h"
#include "sheets/Excel.h"
#include "sheets/Exports.h"
#include "rules/RefBookWrites.h"
#include "TForm10.h"
#include "TForm22.h"
#include "rules/OperSql.h"
#include "ui_TForm4.h"
#include <QComboBox>

namespace {
const QVector<GridColumn> kColumns = {
    {"marka", "Марка", Stretch},
    {"vid", "Опреция", 243},
    {"cena", "Цена (min)", 74, Qt::AlignRight | Qt::AlignVCenter},
    {"nmn", "Вид", 139},
    {"norma", "Нормы (шт.)", 76, Qt::AlignRight | Qt::AlignVCenter},
    {"id", "id", 0, Qt::AlignLeft | Qt::AlignVCenter, false},
    {"i_id", "i_id", 0, Qt::AlignLeft | Qt::AlignVCenter, false},
    {"oper_vid", "oper_vid", 0, Qt::AlignLeft | Qt::AlignVCenter, false},
};
}

TForm4::TForm4(App& a) : TListForm(a), ui(std::make_unique<Ui::TForm4>())
{
    ui->setupUi(this);
    setFixedSize(865, 478);
    model_ = bindGrid(seam(), ui->DBGrid1, dm().Oper, kColumns);
    XLS_Rep = new Query(dm().ADO_DB, QStringLiteral("XLS_Rep"), this);
    XLS_Rep->setSql(OperSql::xlsRep());
    setUpList(dm().Oper, {ui->Edit1, ui->Button1, ui->Button2, ui->Button3}, OperSql::searchFilter);
    on(ui->Button1, &QPushButton::clicked, &TForm4::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm4::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm4::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm4::Button4Click);
    on(ui->Button5, &QPushButton::clicked, &TForm4::Button5Click);
    on(ui->DBGrid1, &QTableView::doubleClicked, &TForm4::DBGrid1DblClick);
}

TForm4::~TForm4() = default;

void TForm4::DBGrid1DblClick()
{
    if (ui->CheckBox1->isChecked() && Tag == 0)
        openNorms();
    else
        Button2Click();
}

void TForm4::openNorms()
{
    Query* list = dm().Oper;
    if (list->isEmpty())
        return;
    auto* f22 = app.form<TForm22>();
    f22->oper_id = int(list->asInteger(QStringLiteral("id")));
    f22->norm->close();
    f22->norm->setFilter(OperSql::normFilter(f22->oper_id));
    f22->norm->setFiltered(true);
    f22->norm->open();
    showModal(f22);
}

void TForm4::Button1Click()
{
    app.form<TForm10>()->prepareNew();
    showModal(app.form<TForm10>());
}

void TForm4::Button2Click()
{
    Query* list = dm().Oper;
    if (Tag != 0) {
        // The journal entry dialog prices the operation from the current row of Oper.
        if (list->isEmpty())
            reject();
        else
            choose(list->asInteger(QStringLiteral("id")), list->asString(QStringLiteral("marka")).trimmed());
        return;
    }
    if (list->isEmpty())
        return;
    app.form<TForm10>()->prepareChange(
        {list->asString(QStringLiteral("marka")).trimmed(), int(list->asInteger(QStringLiteral("i_id")))},
        {list->asString(QStringLiteral("vid")).trimmed(), int(list->asInteger(QStringLiteral("oper_vid")))},
        int(list->asInteger(QStringLiteral("naimen"))), int(list->asInteger(QStringLiteral("id"))));
    showModal(app.form<TForm10>());
}

void TForm4::Button3Click()
{
    Query* list = dm().Oper;
    if (list->isEmpty())
        return;
    if (!askDelete(QStringLiteral("Удалить операцию?")))
        return;
    const RefBookWrites::Deletion d = RefBookWrites::removeOperation(dm().ADO_DB, int(list->asInteger(QStringLiteral("id"))));
    if (d.status == RefBookWrites::Deletion::InUse)
        error(RefBookWrites::operationInUse(d.uses));
    else if (d.status == RefBookWrites::Deletion::Gone)
        error(QString::fromUtf8(Messages::Gone));
    list->reopen();
}

void TForm4::Button4Click() { reject(); }

void TForm4::Button5Click()
{
    LongOperation op(QStringLiteral("Выгрузка операций в Excel"));
    op.watch(dm().ADO_DB);
    XLS_Rep->reopen();
    ClosesAtEnd closer(*XLS_Rep);
    Excel excel(seam(), QStringLiteral("Операции и цены"));
    if (excel.OpenExcel() < 0)
        return;
    Exports::operations(excel, *XLS_Rep, [&](int n, int all) { op.step(n, all); });
    excel.ShowExcel(true);
}
