#include "TForm9.h"
#include "App.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "rules/KindsSql.h"
#include "ui_TForm9.h"
#include <QLocale>

TForm9::TForm9(App& a) : TForm(a), ui(std::make_unique<Ui::TForm9>())
{
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm9::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm9::Button2Click);
    fixSize();
}

TForm9::~TForm9() = default;

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
    const QString upper = QLocale().toUpper(name);
    const QString duplicate = QStringLiteral("Такая операция уже заведена!");
    Query* list = dm().Vid_oper;
    QString statement;
    if (Tag == 1) {
        if (dm().CheckExists(KindsSql::duplicate(upper), duplicate))
            return;
        statement = KindsSql::insert(name);
    } else {
        const qint64 id = list->asInteger(QStringLiteral("id"));
        if (dm().CheckExists(KindsSql::duplicate(upper, id), duplicate))
            return;
        statement = KindsSql::rename(name, id);
    }
    dm().SQL_exec->setSql(statement);
    dm().SQL_exec->execute();
    list->reopen();
    accept();
}

void TForm9::Button2Click() { reject(); }
