#include "TForm26.h"
#include "DbGrid.h"
#include "Filter.h"
#include "Query.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "household/rules/HouseholdSql.h"
#include "refbooks/rules/SearchKeys.h"
#include "ui_TForm26.h"
#include <QKeyEvent>

TForm26::TForm26(App& a) : TForm(a), ui(std::make_unique<Ui::TForm26>())
{
    ui->setupUi(this);
    item = new Query(dm().ADO_DB, QStringLiteral("item"), this);
    item->setSql(QString::fromUtf8(HouseholdSql::Item));
    model_ = bindGrid(seam(), ui->DBGrid1, item, {{"s_caption", "Наименование", 360}});
    ui->Edit1->installEventFilter(this);
    on(ui->Edit1, &QLineEdit::textChanged, &TForm26::Edit1Change);
    on(ui->Button1, &QPushButton::clicked, &TForm26::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &QDialog::reject);
    on(ui->DBGrid1, &QTableView::doubleClicked, &TForm26::Button1Click);
    setFixedSize(420, 460);
}

TForm26::~TForm26() = default;

std::optional<TForm26::Choice> TForm26::pick()
{
    chosen_.reset();
    item->open();
    Edit1Change();
    showModal(this);
    item->close();
    return chosen_;
}

void TForm26::FormActivate() { ui->Edit1->setFocus(); }

void TForm26::Button1Click()
{
    if (item->isEmpty())
        return;
    chosen_ = Choice{item->asInteger(QStringLiteral("id")), item->asString(QStringLiteral("s_caption")).trimmed()};
    accept();
}

void TForm26::Edit1Change()
{
    const QString text = ui->Edit1->text();
    if (text.isEmpty()) {
        item->setFiltered(false);
        return;
    }
    item->setFilter(QStringLiteral("s_caption like '") + Filter::escape(text) + QStringLiteral("%'"));
    item->setFiltered(true);
}

bool TForm26::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->Edit1 && event->type() == QEvent::KeyPress) {
        bool taken = false;
        const int key = static_cast<QKeyEvent*>(event)->key();
        seam().guarded([&] { taken = SearchKeys::take(*item, key); });
        if (taken)
            return true;
    }
    return TForm::eventFilter(watched, event);
}
