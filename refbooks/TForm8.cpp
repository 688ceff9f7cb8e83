#include "TForm8.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "rules/KindsSql.h"
#include "ui_TForm8.h"

namespace {
const QVector<GridColumn> kColumns = {{"vid", "Операции", 309}};
}

TForm8::TForm8(App& a) : TListForm(a), ui(std::make_unique<Ui::TForm8>())
{
    ui->setupUi(this);
    model_ = bindGrid(ui->DBGrid1, dm().Vid_oper, kColumns);
    // Only the selection opener shows the search box.
    ui->Edit1->hide();
    layout()->setSizeConstraint(QLayout::SetFixedSize);
    setUpList(dm().Vid_oper, ui->Edit1, ui->Button1, KindsSql::searchFilter);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm8::Button4Click);
    connect(ui->DBGrid1, &QTableView::doubleClicked, this, &TForm8::DBGrid1DblClick);
}

TForm8::~TForm8() = default;

void TForm8::Button1Click()
{
    auto* f9 = qobject_cast<QDialog*>(app.window(QStringLiteral("TForm9")));
    f9->findChild<QLineEdit*>(QStringLiteral("Edit1"))->clear();
    f9->setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    f9->setProperty("Tag", 1);
    showModal(f9);
}

void TForm8::Button2Click()
{
    Query* list = dm().Vid_oper;
    const QString name = list->asString(QStringLiteral("vid")).trimmed();
    if (Tag != 0) {
        // An empty list hands over an empty name, which the operation dialog refuses.
        QWidget* f10 = app.window(QStringLiteral("TForm10"));
        if (auto* field = f10->findChild<QLineEdit*>(QStringLiteral("Edit2")))
            field->setText(name);
        f10->setProperty("kind_id", int(list->asInteger(QStringLiteral("id"))));
        accept();
        return;
    }
    if (list->isEmpty())
        return;
    auto* f9 = qobject_cast<QDialog*>(app.window(QStringLiteral("TForm9")));
    f9->setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    f9->setProperty("Tag", 2);
    f9->findChild<QLineEdit*>(QStringLiteral("Edit1"))->setText(name);
    showModal(f9);
}

void TForm8::Button3Click()
{
    Query* list = dm().Vid_oper;
    if (list->isEmpty() || !askDelete(QStringLiteral("Удалить вид операции?")))
        return;
    list->deleteCurrent();
    list->reopen();
}

void TForm8::Button4Click() { reject(); }

void TForm8::DBGrid1DblClick() { Button2Click(); }
