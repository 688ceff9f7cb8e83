#include "TForm10.h"
#include "App.h"
#include "TForm3.h"
#include "TForm8.h"
#include "app/rules/Messages.h"
#include "rules/RefBookWrites.h"
#include "TDataModule6.h"
#include "rules/OperSql.h"
#include "ui_TForm10.h"

TForm10::TForm10(App& a) : TForm(a), ui(std::make_unique<Ui::TForm10>())
{
    ui->setupUi(this);
    fixSize();
    on(ui->Button1, &QPushButton::clicked, &TForm10::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm10::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm10::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm10::Button4Click);
}

TForm10::~TForm10() = default;

void TForm10::FormActivate() { ui->Button3->setFocus(); }

void TForm10::prepareNew()
{
    ui->Edit1->clear();
    ui->Edit2->clear();
    ui->ComboBox1->setCurrentIndex(0);
    setWindowTitle(QStringLiteral("Заведение новой цены за операцию"));
    Tag = 1;
}

void TForm10::prepareChange(const Named& product, const Named& kind, int naimen, int id)
{
    setWindowTitle(QStringLiteral("Изменение данных о цене за операцию"));
    Tag = 2;
    ui->Edit1->setText(product.name);
    ui->Edit2->setText(kind.name);
    ui->ComboBox1->setCurrentIndex(naimen == 0 ? 0 : 1);
    item_id = product.id;
    kind_id = kind.id;
    operId_ = id;
}

void TForm10::Button1Click()
{
    if (ui->Edit1->text().trimmed().isEmpty() || ui->Edit2->text().trimmed().isEmpty()) {
        error(QString::fromUtf8(OperSql::MissingMessage));
        return;
    }
    const auto saved = RefBookWrites::saveOperation(dm().ADO_DB, kind_id, ui->ComboBox1->currentIndex(), item_id,
                                                    Tag == 1 ? std::nullopt : std::optional<int>(operId_));
    if (saved == RefBookWrites::Saved::Duplicate) {
        error(QString::fromUtf8(OperSql::DuplicateMessage));
        return;
    }
    if (saved == RefBookWrites::Saved::Missing) {
        error(QString::fromUtf8(RefBookWrites::OperationNamesMissing));
        return;
    }
    if (saved == RefBookWrites::Saved::Gone)
        error(QString::fromUtf8(Messages::Gone));
    dm().Oper->reopen();
    accept();
}

void TForm10::Button2Click() { reject(); }

void TForm10::Button3Click()
{
    if (const auto product = app.form<TForm3>()->pick(1)) {
        ui->Edit1->setText(product->name);
        item_id = int(product->id);
    }
}

void TForm10::Button4Click()
{
    if (const auto kind = app.form<TForm8>()->pick(1)) {
        ui->Edit2->setText(kind->name);
        kind_id = int(kind->id);
    }
}
