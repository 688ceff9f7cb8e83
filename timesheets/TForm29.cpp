#include "TForm29.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "rules/MonthClose.h"
#include "rules/ShiftTimesheet.h"
#include "ui_TForm29.h"
#include <QSignalBlocker>

TForm29::TForm29(App& a) : TForm(a), ui(std::make_unique<Ui::TForm29>())
{
    ui->setupUi(this);
    on(ui->ComboBox1, &QComboBox::currentIndexChanged, &TForm29::ComboBox1Change);
    on(ui->ComboBox2, &QComboBox::currentIndexChanged, &TForm29::ComboBox1Change);
    on(ui->Button1, &QPushButton::clicked, &TForm29::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm29::Button2Click);
    on(ui->Button3, &QPushButton::clicked, &TForm29::Button3Click);
}

TForm29::~TForm29() = default;

int TForm29::month() const { return ui->ComboBox1->currentIndex() + 1; }
int TForm29::year() const { return ui->ComboBox2->currentText().toInt(); }

void TForm29::showFor(const QDate& workingDay)
{
    // Wages are paid for the month before: that is the one closed as a rule.
    const QDate previous = workingDay.addMonths(-1);
    {
        const QSignalBlocker b1(ui->ComboBox1), b2(ui->ComboBox2);
        ui->ComboBox1->setCurrentIndex(previous.month() - 1);
        ui->ComboBox2->clear();
        ui->ComboBox2->addItems(ShiftTimesheet::years(seam().today(), previous.year()));
        ui->ComboBox2->setCurrentText(QString::number(previous.year()));
    }
    ComboBox1Change();
    showModal(this);
}

void TForm29::ComboBox1Change()
{
    const bool closed = MonthClose::isClosed(dm().ADO_DB, month(), year());
    ui->Label3->setText(closed ? QStringLiteral("Месяц закрыт") : QStringLiteral("Месяц открыт"));
    ui->Button1->setEnabled(!closed);
    ui->Button2->setEnabled(closed);
}

void TForm29::setClosed(bool closing)
{
    if (!seam().question(closing ? QStringLiteral("Закрытие месяца") : QStringLiteral("Открытие месяца"),
                         MonthClose::question(month(), year(), closing)))
        return;
    const MonthClose::Outcome o = MonthClose::setClosed(dm().ADO_DB, month(), year(), closing);
    seam().message(o == MonthClose::Outcome::Unavailable ? QMessageBox::Warning : QMessageBox::Information,
                   QStringLiteral("Закрытие месяца"), MonthClose::outcomeText(o, month(), year(), closing));
    ComboBox1Change();
}

void TForm29::Button1Click() { setClosed(true); }
void TForm29::Button2Click() { setClosed(false); }
void TForm29::Button3Click() { close(); }
