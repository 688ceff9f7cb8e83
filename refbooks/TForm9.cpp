#include "TForm9.h"
#include "App.h"
#include "TDataModule6.h"
#include "app/rules/Messages.h"
#include "rules/RefBookWrites.h"
#include "rules/KindsSql.h"
#include "ui_TForm9.h"
#include <QLocale>

TForm9::TForm9(App& a) : TForm(a), ui(std::make_unique<Ui::TForm9>())
{
    ui->setupUi(this);
    on(ui->Button1, &QPushButton::clicked, &TForm9::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm9::Button2Click);
    fixSize();
}

TForm9::~TForm9() = default;

void TForm9::prepareNew()
{
    ui->Edit1->clear();
    setWindowTitle(QStringLiteral("Заведение нового вида операций"));
    Tag = 1;
}

void TForm9::prepareChange(const QString& name, qint64 id)
{
    setWindowTitle(QStringLiteral("Изменение данных вида операции"));
    Tag = 2;
    ui->Edit1->setText(name);
    kindId_ = id;
}

void TForm9::FormActivate() { ui->Edit1->setFocus(); }

void TForm9::Button1Click()
{
    const QString name = ui->Edit1->text().trimmed();
    if (name.isEmpty()) {
        error(QStringLiteral("Все поля должны быть заполнены!"));
        return;
    }
    if (name.size() > KindsSql::NameMax) {
        error(QString::fromUtf8(KindsSql::TooLong));
        return;
    }
    const auto saved = RefBookWrites::saveKind(dm().ADO_DB, name, QLocale().toUpper(name),
                                               Tag == 1 ? std::nullopt : std::optional<qint64>(kindId_));
    if (saved == RefBookWrites::Saved::Duplicate) {
        error(QStringLiteral("Такая операция уже заведена!"));
        return;
    }
    if (saved == RefBookWrites::Saved::Gone)
        error(QString::fromUtf8(Messages::Gone));
    dm().Vid_oper->reopen();
    accept();
}

void TForm9::Button2Click() { reject(); }
