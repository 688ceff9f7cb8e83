#include "TForm10.h"
#include "ui_TForm10.h"

TForm10::TForm10(App& a) : TForm(a), ui(std::make_unique<Ui::TForm10>())
{
    ui->setupUi(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm10::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm10::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm10::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm10::Button4Click);
}

TForm10::~TForm10() = default;

void TForm10::FormActivate() { ui->Button3->setFocus(); }
void TForm10::Button1Click() {}
void TForm10::Button2Click() { reject(); }
void TForm10::Button3Click() {}
void TForm10::Button4Click() {}
