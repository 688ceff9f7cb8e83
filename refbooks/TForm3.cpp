#include "TForm3.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm7.h"
#include "app/rules/Messages.h"
#include "rules/RefBookWrites.h"
#include "rules/ProductsSql.h"
#include "ui_TForm3.h"
#include <QComboBox>

namespace {
const QVector<GridColumn> kColumns = {
    {"marka", "Марка изделия", 320},
    {"nom", "Номенклатурная группа", 200},
    {"massa", "Коробки", 80, Qt::AlignRight | Qt::AlignVCenter},
};
}

TForm3::TForm3(App& a) : TListForm(a), ui(std::make_unique<Ui::TForm3>())
{
    ui->setupUi(this);
    model_ = bindGrid(seam(), ui->DBGrid1, dm().Izdel, kColumns);
    // Boxes per piece as the user writes numbers, without the column's six zero decimals.
    model_->setLook([](const QueryModel& m, int row, int column, int role) -> QVariant {
        if (row < 0 || column != 2 || role != Qt::DisplayRole || m.raw(row, column).isNull())
            return {};
        return ProductsSql::valueText(Query::toFloat(m.raw(row, column)));
    });
    Izdel_Smena = new Query(dm().ADO_DB, QStringLiteral("Izdel_Smena"), this);
    Izdel_Smena->setSql(QString::fromUtf8(ProductsSql::IzdelSmena));
    ii_oper = new Query(dm().ADO_DB, QStringLiteral("ii_oper"), this);
    ii_oper->setSql(QString::fromUtf8(ProductsSql::IiOper));
    setUpList(dm().Izdel, {ui->Edit1, ui->Button1, ui->Button2, ui->Button3}, ProductsSql::searchFilter);
    on(ui->Button1, &QPushButton::clicked, &TForm3::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm3::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm3::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm3::Button4Click);
    on(ui->DBGrid1, &QTableView::doubleClicked, &TForm3::DBGrid1DblClick);
}

TForm3::~TForm3() = default;

void TForm3::openDialog()
{
    Query* list = dm().Izdel;
    const int recNo = list->recNo();
    auto* f7 = app.form<TForm7>();
    f7->item->open();
    showModal(f7);
    f7->item->close();
    if (recNo >= 1 && recNo <= list->recordCount())
        list->setRecNo(recNo);
}

void TForm3::Button1Click()
{
    app.form<TForm7>()->prepareNew();
    openDialog();
}

void TForm3::Button2Click()
{
    Query* list = dm().Izdel;
    if (list->isEmpty())
        return;
    const QString mark = list->asString(QStringLiteral("marka")).trimmed();
    if (Tag != 0) {
        choose(list->asInteger(QStringLiteral("id")), mark);
        return;
    }
    app.form<TForm7>()->prepareChange(mark, ProductsSql::valueText(list->asFloat(QStringLiteral("massa"))),
                                      list->asInteger(QStringLiteral("id_class_item")), list->asInteger(QStringLiteral("id")));
    openDialog();
}

qint64 TForm3::countOf(Query* counter, qint64 id)
{
    counter->close();
    counter->setParam(QStringLiteral("id_ii"), id);
    counter->setParam(QStringLiteral("dt"), ProductsSql::journalCountFrom(seam().today()));
    counter->open();
    const qint64 n = counter->asInteger(QStringLiteral("cnt"));
    counter->close();
    return n;
}

void TForm3::Button3Click()
{
    Query* list = dm().Izdel;
    if (list->isEmpty())
        return;
    const qint64 id = list->asInteger(QStringLiteral("id"));
    const qint64 records = countOf(Izdel_Smena, id);
    const qint64 operations = countOf(ii_oper, id);
    // Both questions first: the product goes with its prices and records, or nothing changes.
    const bool prices = operations == 0 || askDelete(QStringLiteral("По изделию есть расценки они будут удалены!!!"));
    const bool product = askDelete(records > 0 ? QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, "
                                                        "они будут удалены. Удалить изделие? ")
                                       : QStringLiteral("Удалить изделие? "));
    if (prices && product && RefBookWrites::removeProduct(dm().ADO_DB, id).status == RefBookWrites::Deletion::Gone)
        error(QString::fromUtf8(Messages::Gone));
    list->reopen();
}

void TForm3::Button4Click() { reject(); }

void TForm3::DBGrid1DblClick() { Button2Click(); }
