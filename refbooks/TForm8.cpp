#include "TForm8.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm9.h"
#include "app/rules/Messages.h"
#include "rules/RefBookWrites.h"
#include "rules/KindsSql.h"
#include "ui_TForm8.h"

namespace {
const QVector<GridColumn> kColumns = {{"vid", "Операции", 309}};
}

TForm8::TForm8(App& a) : TListForm(a), ui(std::make_unique<Ui::TForm8>())
{
    ui->setupUi(this);
    model_ = bindGrid(seam(), ui->DBGrid1, dm().Vid_oper, kColumns);
    // Only the selection opener shows the search box.
    ui->Edit1->hide();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setUpList(dm().Vid_oper, {ui->Edit1, ui->Button1, ui->Button2, ui->Button3}, KindsSql::searchFilter);
    on(ui->Button1, &QPushButton::clicked, &TForm8::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm8::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm8::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm8::Button4Click);
    on(ui->DBGrid1, &QTableView::doubleClicked, &TForm8::DBGrid1DblClick);
}

TForm8::~TForm8() = default;

void TForm8::Button1Click()
{
    app.form<TForm9>()->prepareNew();
    showModal(app.form<TForm9>());
}

void TForm8::Button2Click()
{
    Query* list = dm().Vid_oper;
    const QString name = list->asString(QStringLiteral("vid")).trimmed();
    if (Tag != 0) {
        // An empty list hands over an empty name, which the operation dialog refuses.
        choose(list->asInteger(QStringLiteral("id")), name);
        return;
    }
    if (list->isEmpty())
        return;
    app.form<TForm9>()->prepareChange(name, list->asInteger(QStringLiteral("id")));
    showModal(app.form<TForm9>());
}

void TForm8::Button3Click()
{
    Query* list = dm().Vid_oper;
    if (list->isEmpty() || !askDelete(QStringLiteral("Удалить вид операции?")))
        return;
    const RefBookWrites::Deletion d = RefBookWrites::removeKind(dm().ADO_DB, list->asInteger(QStringLiteral("id")));
    if (d.status == RefBookWrites::Deletion::InUse)
        error(RefBookWrites::kindInUse(d.uses));
    else if (d.status == RefBookWrites::Deletion::Gone)
        error(QString::fromUtf8(Messages::Gone));
    list->reopen();
}

void TForm8::Button4Click() { reject(); }

void TForm8::DBGrid1DblClick() { Button2Click(); }
