#include "TForm18.h"
#include "ui_TForm18.h"

TForm18::TForm18(App& a) : TForm(a), ui(std::make_unique<Ui::TForm18>())
{
    ui->setupUi(this);
    connect(ui->Button5, &QPushButton::clicked, this, &TForm18::Button5Click);
    fixSize();
}

TForm18::~TForm18() = default;

int TForm18::productKind() const
{
    if (ui->RadioGroup1Item1->isChecked())
        return 1;
    return ui->RadioGroup1Item2->isChecked() ? 2 : 0;
}

void TForm18::setPeriod(const QDate& from, const QDate& to)
{
    ui->DTPicker1->setDate(from);
    ui->DTPicker2->setDate(to);
}

void TForm18::setProductKind(int index)
{
    QRadioButton* items[] = {ui->RadioGroup1Item0, ui->RadioGroup1Item1, ui->RadioGroup1Item2};
    items[qBound(0, index, 2)]->setChecked(true);
}

void TForm18::Button5Click() { reject(); }
