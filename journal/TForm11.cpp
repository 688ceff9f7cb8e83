#include "TForm11.h"
#include "App.h"
#include "Seam.h"
#include "ListModes.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "TForm1.h"
#include "Transaction.h"
#include "journal/rules/DayCells.h"
#include "journal/rules/EntryRules.h"
#include "ui_TForm11.h"
#include <QCheckBox>
#include <QFocusEvent>
#include <QMouseEvent>


TForm11::TForm11(App& a) : TForm(a), ui(std::make_unique<Ui::TForm11>())
{
    ui->setupUi(this);
    SmenaIU = new Command(dm().ADO_DB, QStringLiteral("SmenaIU"), this);
    for (QLineEdit* e : {ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6})
        acceptDigitsOnly(e);
    for (QWidget* w : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit6})
        w->installEventFilter(this);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm11::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm11::Button3Click);
    connect(ui->Button4, &QPushButton::clicked, this, &TForm11::Button4Click);
    fixSize();
}

TForm11::~TForm11() = default;

bool TForm11::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonRelease && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        if (watched == ui->Edit1)
            seam().guarded([this] { Button3Click(); });
        else if (watched == ui->Edit2)
            seam().guarded([this] { Button4Click(); });
    } else if (event->type() == QEvent::FocusOut && (watched == ui->Edit3 || watched == ui->Edit6)) {
        // Leaving the field for another one; not the window losing focus to a box.
        const Qt::FocusReason reason = static_cast<QFocusEvent*>(event)->reason();
        if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason)
            seam().guarded([this] { Edit6Exit(); });
    }
    return TForm::eventFilter(watched, event);
}

void TForm11::FormActivate() { ui->Button3->setFocus(); }

void TForm11::setColourEnabled(bool on)
{
    ui->Edit5->setEnabled(on);
    ui->Label5->setEnabled(on);
    if (!on)
        ui->Edit5->clear();
}

void TForm11::prepareNew(const QDate& day)
{
    ui->DTimeP->setDate(day);
    for (QLineEdit* e : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit5})
        e->clear();
    ui->Edit4->setText(QStringLiteral("0"));
    ui->Edit6->setText(QStringLiteral("0"));
    setWindowTitle(QStringLiteral("Заведение новой позиции (11)"));
    Tag = 1;
}

void TForm11::prepareChange(const Query& r)
{
    setWindowTitle(QStringLiteral("Изменение данных о позиции (11)"));
    Tag = 2;
    final_price = r.asFloat(QStringLiteral("cena"));
    ui->Edit7->setText(EntryRules::priceText(final_price));
    ui->Edit9->setText(EntryRules::priceText(r.asFloat(QStringLiteral("kol_vo")) * final_price));
    ui->DTimeP->setDate(r.asDateTime(QStringLiteral("data")).date());
    ui->Edit1->setText(r.asString(QStringLiteral("fio")).trimmed());
    const QString kind = r.asString(QStringLiteral("vid"));
    ui->Edit2->setText(EntryRules::operationText(r.asString(QStringLiteral("marka")), kind, r.asInteger(QStringLiteral("naimen"))));
    ui->Edit3->setText(r.asString(QStringLiteral("kol_vo")).trimmed());
    ui->Edit4->setText(r.asString(QStringLiteral("brak")).trimmed());
    worker_id = int(r.asInteger(QStringLiteral("w_id")));
    item_id = int(r.asInteger(QStringLiteral("i_id")));
    oper_id = int(r.asInteger(QStringLiteral("o_id")));
    ui->Edit6->setText(SqlText::num(r.asInteger(QStringLiteral("time"))));
    // Only the kind name tells here; the pickers and the save look at the whole text.
    const bool painting = EntryRules::isPainting(kind.trimmed());
    setColourEnabled(painting);
    if (painting)
        ui->Edit5->setText(SqlText::num(r.asInteger(QStringLiteral("color"))));
    dm().Oper->close();
    dm().Oper->setFiltered(false);
}

void TForm11::Button3Click()
{
    auto* f5 = qobject_cast<QDialog*>(app.window(QStringLiteral("TForm5")));
    if (!f5)
        return;
    ListModes::toSelection(f5);
    dm().Workers->open();
    showModal(f5);
    dm().Workers->close();
}

void TForm11::Button4Click()
{
    auto* f4 = qobject_cast<QDialog*>(app.window(QStringLiteral("TForm4")));
    if (!f4)
        return;
    Query* oper = dm().Oper;
    // The search box is emptied before positioning: emptying it shows the whole list again.
    ListModes::toSelection(f4);
    oper->open();
    if (Tag == 2 && app.Form1()->cur_query)
        oper->locate(QStringLiteral("id"), app.Form1()->cur_query->asInteger(QStringLiteral("o_id")));
    else
        oper->first();
    showModal(f4);
    ListModes::afterSelection(f4);
    oper->setFiltered(false);
    setColourEnabled(EntryRules::isPainting(ui->Edit2->text()));
    Edit6Exit();
}

void TForm11::takeOperation()
{
    Query* oper = dm().Oper;
    item_id = int(oper->asInteger(QStringLiteral("i_id")));
    oper_id = int(oper->asInteger(QStringLiteral("id")));
    const bool dayOff = app.Form1()->findChild<QCheckBox*>(QStringLiteral("CBox1"))->isChecked();
    final_price = EntryRules::finalPrice(oper->asFloat(QStringLiteral("cena")), dayOff, app.Form1()->cur_smena);
    Query* control = dm().Control;
    control->close();
    control->setSql(QStringLiteral("select marka from accounts_dep.izdel where id=") + SqlText::num(qint64(item_id)));
    control->open();
    const QString mark = control->asString(QStringLiteral("marka"));
    control->close();
    ui->Edit2->setText(EntryRules::operationText(mark, oper->asString(QStringLiteral("vid")),
                                                 oper->asInteger(QStringLiteral("naimen"))));
}

void TForm11::Edit6Exit()
{
    if (ui->Edit6->text().isEmpty())
        ui->Edit6->setText(QStringLiteral("0"));
    if (ui->Edit3->text().isEmpty())
        ui->Edit3->setText(QStringLiteral("0"));
    showPrices();
}

void TForm11::showPrices()
{
    ui->Edit7->setText(EntryRules::priceText(final_price));
    // Closed after opening for a change until an operation is picked: no base price then.
    const double base = dm().Oper->isOpen() ? dm().Oper->asFloat(QStringLiteral("cena")) : 0;
    ui->Edit8->setText(EntryRules::priceText(base));
    ui->Edit9->setText(EntryRules::priceText(ui->Edit3->text().toDouble() * final_price));
}

void TForm11::Button1Click()
{
    const EntryRules::Input in{ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text(),
                               ui->Edit4->text(), ui->Edit5->text(), ui->Edit6->text()};
    if (EntryRules::incomplete(in)) {
        error(QString::fromUtf8(EntryRules::IncompleteMessage));
        return;
    }
    const QString problem = EntryRules::numberProblem({
        {QStringLiteral("Кол-во"), in.count, EntryRules::MaxInteger},
        {QStringLiteral("Брак"), in.defects, EntryRules::MaxSmallint},
        {QStringLiteral("Цвет"), in.colour, EntryRules::MaxInteger},
        {QStringLiteral("Время"), in.hours, EntryRules::MaxInteger},
    });
    if (!problem.isEmpty()) {
        error(problem);
        return;
    }

    TForm1* f1 = app.Form1();
    Query* list = f1->cur_query ? f1->cur_query : f1->currentQuery();
    EntryRules::Record r;
    r.worker = worker_id;
    r.item = item_id;
    r.oper = oper_id;
    r.price = final_price;
    r.count = EntryRules::number(in.count);
    r.defects = EntryRules::number(in.defects);
    r.colour = EntryRules::number(in.colour);
    r.hours = EntryRules::number(in.hours);
    r.date = ui->DTimeP->date();
    r.shift = f1->cur_smena;
    r.entered = seam().today();
    const bool change = Tag == 2;
    const qint64 id = change ? list->asInteger(QStringLiteral("id")) : 0;

    if (dm().CheckExists(EntryRules::duplicateCheck(r, change ? std::optional<qint64>(id) : std::nullopt),
                         QString::fromUtf8(EntryRules::DuplicateMessage)))
        return;

    {
        // The record and its day cell change together or not at all.
        Transaction t(dm().ADO_DB);
        SmenaIU->setSql(change ? EntryRules::updateStatement(r, id) : EntryRules::insertStatement(r));
        SmenaIU->execute();
        DayCells::refresh(dm().ADO_DB, r.worker, r.shift, r.date);
    }

    const int recNo = list->recNo();
    list->reopen();
    if (list->recordCount() >= 1 && recNo >= 1)
        list->setRecNo(recNo);
    for (Query* q : {dm().H_Tabel_1, dm().H_Tabel_2, dm().H_Tabel_3})
        q->close();

    for (QLineEdit* e : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6, ui->Edit7, ui->Edit8, ui->Edit9})
        e->clear();
    accept();
}
