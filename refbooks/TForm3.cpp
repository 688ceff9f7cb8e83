#include "TForm3.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "Transaction.h"
#include "journal/rules/DayCells.h"
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
    model_ = bindGrid(ui->DBGrid1, dm().Izdel, kColumns);
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
    setUpList(dm().Izdel, ui->Edit1, ui->Button1, ProductsSql::searchFilter);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm3::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm3::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm3::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm3::Button4Click);
    connect(ui->DBGrid1, &QTableView::doubleClicked, this, &TForm3::DBGrid1DblClick);
}

TForm3::~TForm3() = default;

void TForm3::FormActivate()
{
    // A search left behind by a picker would hide products with no box to clear it.
    if (ui->Edit1->isHidden())
        dm().Izdel->setFiltered(false);
    TListForm::FormActivate();
}

void TForm3::openDialog(const QString& caption, int tag, qint64 groupId)
{
    Query* list = dm().Izdel;
    const int recNo = list->recNo();
    auto* f7 = qobject_cast<QDialog*>(app.window(QStringLiteral("TForm7")));
    auto* item = f7->findChild<Query*>(QStringLiteral("item"));
    f7->setWindowTitle(caption);
    f7->setProperty("Tag", tag);
    item->open();
    if (tag == 2) {
        auto* groups = f7->findChild<QComboBox*>(QStringLiteral("cb_item"));
        groups->setCurrentIndex(groups->findData(groupId));
    }
    showModal(f7);
    item->close();
    if (recNo >= 1 && recNo <= list->recordCount())
        list->setRecNo(recNo);
}

void TForm3::Button1Click()
{
    QWidget* f7 = app.window(QStringLiteral("TForm7"));
    f7->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    f7->findChild<QLineEdit*>(QStringLiteral("Edit2"))->clear();
    openDialog(QStringLiteral("Заведение нового изделия (7)"), 1, 0);
}

void TForm3::Button2Click()
{
    Query* list = dm().Izdel;
    if (list->isEmpty())
        return;
    const QString mark = list->asString(QStringLiteral("marka")).trimmed();
    if (Tag != 0) {
        QWidget* f10 = app.window(QStringLiteral("TForm10"));
        if (auto* field = f10->findChild<QLineEdit*>(QStringLiteral("Edit1")))
            field->setText(mark);
        f10->setProperty("item_id", int(list->asInteger(QStringLiteral("id"))));
        accept();
        return;
    }
    QWidget* f7 = app.window(QStringLiteral("TForm7"));
    f7->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(mark);
    f7->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(ProductsSql::valueText(list->asFloat(QStringLiteral("massa"))));
    openDialog(QStringLiteral("Изменение данных изделия (7)"), 2, list->asInteger(QStringLiteral("id_class_item")));
}

void TForm3::Button3Click()
{
    Query* list = dm().Izdel;
    if (list->isEmpty())
        return;
    const qint64 id = list->asInteger(QStringLiteral("id"));
    Izdel_Smena->close();
    Izdel_Smena->setParam(QStringLiteral("id_ii"), id);
    Izdel_Smena->setParam(QStringLiteral("dt"), ProductsSql::journalCountFrom(seam().today()));
    Izdel_Smena->open();
    const qint64 records = Izdel_Smena->asInteger(QStringLiteral("cnt"));
    Izdel_Smena->close();
    ii_oper->close();
    ii_oper->setParam(QStringLiteral("id_ii"), id);
    ii_oper->open();
    const qint64 operations = ii_oper->asInteger(QStringLiteral("cnt"));
    ii_oper->close();

    if (operations > 0 && askDelete(QStringLiteral("По изделию есть расценки они будут удалены!!!"))) {
        dm().DelSmena->setSql(ProductsSql::deleteOper(id));
        dm().DelSmena->execute();
    }
    if (records > 0) {
        if (askDelete(QStringLiteral("По изделию есть операции в текущем, предыдущем месяцах и ранее, они будут удалены. Удалить изделие? ")))
            deleteProduct(id, true);
    } else if (askDelete(QStringLiteral("Удалить изделие? "))) {
        deleteProduct(id, false);
    }
    list->reopen();
}

void TForm3::deleteProduct(qint64 id, bool withJournal)
{
    Transaction t(dm().ADO_DB);
    if (withJournal) {
        // The hours of the deleted records leave the timesheet with them.
        const OdbcReader::Result days = dm().ADO_DB.select(ProductsSql::journalDays(id));
        dm().DelSmena->setSql(ProductsSql::deleteSmena(id));
        dm().DelSmena->execute();
        for (const QVector<QVariant>& d : days.rows)
            DayCells::refreshAfterDelete(dm().ADO_DB, d[0].toLongLong(), d[1].toInt(), d[2].toDate());
    }
    dm().DelSmena->setSql(ProductsSql::deleteProduct(id));
    dm().DelSmena->execute();
}

void TForm3::Button4Click() { reject(); }

void TForm3::DBGrid1DblClick() { Button2Click(); }
