#include "TForm4.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "TForm10.h"
#include "TForm22.h"
#include "rules/OperSql.h"
#include "ui_TForm4.h"
#include <QComboBox>

namespace {
const QVector<GridColumn> kColumns = {
    {"marka", "Марка", 320},
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
    model_ = bindGrid(ui->DBGrid1, dm().Oper, kColumns);
    XLS_Rep = new Query(dm().ADO_DB, QStringLiteral("XLS_Rep"), this);
    XLS_Rep->setSql(OperSql::xlsRep());
    setUpList(dm().Oper, ui->Edit1, ui->Button1, OperSql::searchFilter);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm4::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm4::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm4::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm4::Button4Click);
    connect(ui->Button5, &QPushButton::clicked, this, &TForm4::Button5Click);
    connect(ui->DBGrid1, &QTableView::doubleClicked, this, &TForm4::DBGrid1DblClick);
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
    auto* f10 = app.form<TForm10>();
    f10->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    f10->findChild<QLineEdit*>(QStringLiteral("Edit2"))->clear();
    f10->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(0);
    f10->setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    f10->Tag = 1;
    showModal(f10);
}

void TForm4::Button2Click()
{
    Query* list = dm().Oper;
    if (Tag != 0) {
        // The journal entry dialog prices the operation from the current row.
        if (!list->isEmpty()) {
            if (QWidget* f11 = app.window(QStringLiteral("TForm11")))
                QMetaObject::invokeMethod(f11, "takeOperation", Qt::DirectConnection);
            accept();
            return;
        }
        reject();
        return;
    }
    if (list->isEmpty())
        return;
    auto* f10 = app.form<TForm10>();
    f10->setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    f10->Tag = 2;
    f10->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(list->asString(QStringLiteral("marka")).trimmed());
    f10->findChild<QLineEdit*>(QStringLiteral("Edit2"))->setText(list->asString(QStringLiteral("vid")).trimmed());
    f10->findChild<QComboBox*>(QStringLiteral("ComboBox1"))->setCurrentIndex(int(list->asInteger(QStringLiteral("naimen"))) == 0 ? 0 : 1);
    f10->item_id = int(list->asInteger(QStringLiteral("i_id")));
    f10->kind_id = int(list->asInteger(QStringLiteral("oper_vid")));
    showModal(f10);
}

void TForm4::Button3Click()
{
    Query* list = dm().Oper;
    if (list->isEmpty())
        return;
    if (!askDelete(QStringLiteral("Удалить операцию?")))
        return;
    dm().Oper_del->setParam(QStringLiteral("id"), list->asInteger(QStringLiteral("id")));
    dm().Oper_del->execute();
    list->reopen();
}

void TForm4::Button4Click() { reject(); }

// The spreadsheet export comes with the export layer.
void TForm4::Button5Click() {}
