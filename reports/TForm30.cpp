#include "TForm30.h"
#include "DbGrid.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "ui_TForm30.h"

namespace {
const QVector<GridColumn> kColumns = {
    {"at_text", "Когда", 130},      {"role", "Роль", 100},    {"os_user", "Пользователь", 100},
    {"host", "Компьютер", 100},     {"caption", "Таблица", 100}, {"key", "Запись", 60},
    {"action", "Действие", 110},    {"old_values", "Было", 220}, {"new_values", "Стало", Stretch},
};
} // namespace

TForm30::TForm30(App& a) : TForm(a), ui(std::make_unique<Ui::TForm30>())
{
    ui->setupUi(this);
    ui->ComboBox1->addItem(QStringLiteral("Все"), QString());
    for (const History::Table& t : History::tables())
        ui->ComboBox1->addItem(QString::fromUtf8(t.caption), QString::fromUtf8(t.name));
    acceptDigitsOnly(ui->Edit1);
    history = new Query(dm().ADO_DB, QStringLiteral("history"), this);
    model_ = bindGrid(seam(), ui->DBGrid1, history, kColumns);
    on(ui->Button1, &QPushButton::clicked, &TForm30::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &QDialog::reject);
}

TForm30::~TForm30() = default;

History::Filter TForm30::filter() const
{
    History::Filter f;
    f.from = ui->DTPicker1->date();
    f.to = ui->DTPicker2->date();
    f.table = ui->ComboBox1->currentData().toString();
    f.worker = ui->Edit1->text().toLongLong();
    f.computer = ui->Edit2->text().trimmed();
    f.key = key_;
    return f;
}

void TForm30::showFor(const History::Filter& f)
{
    ui->DTPicker1->setDate(f.from);
    ui->DTPicker2->setDate(f.to);
    ui->ComboBox1->setCurrentIndex(std::max(0, ui->ComboBox1->findData(f.table)));
    ui->Edit1->setText(f.worker ? QString::number(f.worker) : QString());
    ui->Edit2->setText(f.computer);
    key_ = f.key;
    ui->Label6->setText(key_.isEmpty() ? QString() : QStringLiteral("История записи %1").arg(key_));
    history->close();
    history->setSql(History::statement(filter()));
    history->open();
    showModal(this);
    history->close();
}

void TForm30::Button1Click()
{
    // The filter as it stands now lists every record again.
    key_.clear();
    ui->Label6->clear();
    history->close();
    history->setSql(History::statement(filter()));
    history->open();
}
