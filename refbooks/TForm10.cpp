#include "TForm10.h"
#include "App.h"
#include "ListModes.h"
#include "TDataModule6.h"
#include "Transaction.h"
#include "rules/OperSql.h"
#include "ui_TForm10.h"

TForm10::TForm10(App& a) : TForm(a), ui(std::make_unique<Ui::TForm10>())
{
    ui->setupUi(this);
    norm_ins = new Command(dm().ADO_DB, QStringLiteral("norm_ins"), this);
    norm_ins->setSql(OperSql::normIns());
    fixSize();
    connect(ui->Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm10::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm10::Button4Click);
}

TForm10::~TForm10() = default;

void TForm10::FormActivate() { ui->Button3->setFocus(); }

void TForm10::Button1Click()
{
    if (ui->Edit1->text().trimmed().isEmpty() || ui->Edit2->text().trimmed().isEmpty()) {
        error(QString::fromUtf8(OperSql::MissingMessage));
        return;
    }
    const int kind = kind_id, naimen = ui->ComboBox1->currentIndex(), item = item_id;
    const QString duplicate = QString::fromUtf8(OperSql::DuplicateMessage);
    Query* list = dm().Oper;
    if (Tag == 1) {
        if (dm().CheckExists(OperSql::duplicateOnAdd(kind, naimen, item), duplicate))
            return;
        // The list shows only operations with a norm row: a new one gets its first, at
        // price 0, so that it can be found and priced.
        Transaction t(dm().ADO_DB);
        dm().Oper_ins->setSql(OperSql::insert(kind, naimen, item));
        dm().Oper_ins->execute();
        Query* control = dm().Control;
        control->close();
        control->setSql(QString::fromUtf8(OperSql::NewOperId));
        control->open();
        const qint64 id = control->asInteger(QStringLiteral("id"));
        control->close();
        norm_ins->setParam(QStringLiteral("o_id"), id);
        norm_ins->setParam(QStringLiteral("price"), 0.0);
        norm_ins->execute();
    } else {
        const int id = int(list->asInteger(QStringLiteral("id")));
        if (dm().CheckExists(OperSql::duplicateOnChange(kind, naimen, item, id), duplicate))
            return;
        dm().Oper_ed->setSql(OperSql::update(kind, naimen, item, id));
        dm().Oper_ed->execute();
    }
    list->reopen();
    accept();
}

void TForm10::Button2Click() { reject(); }

void TForm10::pick(const QString& window, Query* list)
{
    auto* w = qobject_cast<QDialog*>(app.window(window));
    if (!w)
        return;
    ListModes::toSelection(w);
    list->open();
    showModal(w);
    ListModes::afterSelection(w);
    list->close();
}

void TForm10::Button3Click() { pick(QStringLiteral("TForm3"), dm().Izdel); }
void TForm10::Button4Click() { pick(QStringLiteral("TForm8"), dm().Vid_oper); }
