#include "TForm11.h"
#include "App.h"
#include "Seam.h"
#include "refbooks/TForm4.h"
#include "refbooks/TForm5.h"
#include "app/rules/Messages.h"
#include "journal/rules/JournalRecords.h"
#include "SqlText.h"
#include "TDataModule6.h"
#include "JournalDesk.h"
#include "journal/rules/EntryRules.h"
#include "ui_TForm11.h"
#include <QFocusEvent>
#include <QKeyEvent>
#include <QMouseEvent>


TForm11::TForm11(App& a) : TForm(a), ui(std::make_unique<Ui::TForm11>())
{
    ui->setupUi(this);
    for (QLineEdit* e : {ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6})
        acceptDigitsOnly(e);
    for (QWidget* w : std::initializer_list<QWidget*>{ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6, ui->DTimeP})
        w->installEventFilter(this);
    on(ui->Button1, &QPushButton::clicked, &TForm11::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &QDialog::reject);
    on(ui->Button3, &QPushButton::clicked, &TForm11::Button3Click);
    on(ui->Button4, &QPushButton::clicked, &TForm11::Button4Click);
    on(ui->CheckBox1, &QCheckBox::toggled, &TForm11::CheckBox1Click);
    on(ui->Edit1, &QLineEdit::textEdited, [this] {
        workerTyped_ = true;
        showChoices(ui->Edit1);
    });
    on(ui->Edit2, &QLineEdit::textEdited, [this] {
        operTyped_ = true;
        showChoices(ui->Edit2);
    });
    fixSize();
}

TForm11::~TForm11() = default;

bool TForm11::eventFilter(QObject* watched, QEvent* event)
{
    const bool typedField = watched == ui->Edit1 || watched == ui->Edit2;
    if (series() && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (typedField && (key == Qt::Key_Up || key == Qt::Key_Down)) {
            moveChoice(key == Qt::Key_Down ? 1 : -1);
            return true;
        }
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            seam().guarded([&] { enterPressed(watched); });
            return true;
        }
    } else if (series() && event->type() == QEvent::FocusIn && typedField) {
        showChoices(static_cast<QLineEdit*>(watched));
    } else if (event->type() == QEvent::MouseButtonRelease && !series()
               && static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
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

void TForm11::FormActivate()
{
    if (series())
        moveTo(ui->Edit1->text().trimmed().isEmpty() ? ui->Edit1 : ui->Edit2);
    else
        ui->Button3->setFocus();
}

void TForm11::moveTo(QWidget* field)
{
    field->setFocus(Qt::TabFocusReason);
    if (auto* e = qobject_cast<QLineEdit*>(field))
        e->selectAll();
}

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
    workerTyped_ = operTyped_ = false;
    applySeries();
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
    applySeries();
}

void TForm11::Button3Click()
{
    // Closing the list without a choice keeps the worker the dialog had.
    TListForm::PickOptions o;
    o.hideSearchAfter = false;
    if (const auto worker = app.form<TForm5>()->pick(1, o)) {
        ui->Edit1->setText(worker->name);
        worker_id = int(worker->id);
        workerTyped_ = false;
    }
}

void TForm11::Button4Click()
{
    TListForm::PickOptions o;
    // Oper stays open on the choice: the base price is read from it.
    o.closeAfter = false;
    Query* shown = app.desk()->shownQuery();
    const qint64 current = Tag == 2 && shown ? shown->asInteger(QStringLiteral("o_id")) : 0;
    o.position = [current](Query& oper) {
        if (current == 0 || !oper.locate(QStringLiteral("id"), current))
            oper.first();
    };
    if (app.form<TForm4>()->pick(1, o)) {
        takeOperation();
        operTyped_ = false;
    }
    setColourEnabled(EntryRules::isPainting(ui->Edit2->text()));
    Edit6Exit();
}

void TForm11::takeOperation()
{
    Query* oper = dm().Oper;
    item_id = int(oper->asInteger(QStringLiteral("i_id")));
    oper_id = int(oper->asInteger(QStringLiteral("id")));
    final_price = EntryRules::finalPrice(oper->asFloat(QStringLiteral("cena")), app.desk()->dayOff(), app.desk()->shift());
    const QString mark = dm().ADO_DB.select(QStringLiteral("select marka from accounts_dep.izdel where id=")
                                            + SqlText::num(qint64(item_id)))
                             .rows.value(0).value(0).toString();
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

void TForm11::refuse(QWidget* field, const QString& message)
{
    error(message);
    // In the series the text stands selected, kept and retyped at once; outside it the
    // worker and the operation are put right through their "...".
    if (series())
        moveTo(field);
    else if (field == ui->Edit1)
        ui->Button3->setFocus(Qt::OtherFocusReason);
    else if (field == ui->Edit2)
        ui->Button4->setFocus(Qt::OtherFocusReason);
    else
        field->setFocus(Qt::OtherFocusReason);
}

std::optional<EntryRules::Record> TForm11::gather()
{
    const EntryRules::Input in{ui->Edit1->text(), ui->Edit2->text(), ui->Edit3->text(),
                               ui->Edit4->text(), ui->Edit5->text(), ui->Edit6->text()};
    if (const auto missing = EntryRules::missingField(in)) {
        // In the order of EntryRules::Field.
        QWidget* const fields[] = {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6};
        refuse(fields[int(*missing)], QString::fromUtf8(EntryRules::IncompleteMessage));
        return std::nullopt;
    }
    const struct {
        QLineEdit* edit;
        const char* label;
        qint64 max;
    } numbers[] = {{ui->Edit3, "Кол-во", EntryRules::MaxInteger},
                   {ui->Edit4, "Брак", EntryRules::MaxSmallint},
                   {ui->Edit5, "Цвет", EntryRules::MaxInteger},
                   {ui->Edit6, "Время", EntryRules::MaxInteger}};
    for (const auto& n : numbers) {
        const QString problem = EntryRules::numberProblem({{QString::fromUtf8(n.label), n.edit->text(), n.max}});
        if (!problem.isEmpty()) {
            refuse(n.edit, problem);
            return std::nullopt;
        }
    }
    if (EntryRules::tooManyDefects(in.count, in.defects)) {
        refuse(ui->Edit4, QString::fromUtf8(EntryRules::DefectsMessage));
        return std::nullopt;
    }
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
    r.shift = app.desk()->shift();
    r.entered = seam().today();
    return r;
}

void TForm11::Button1Click()
{
    // A worker or an operation typed but not yet taken is taken as the list shows it.
    if (series() && (!takeTyped(ui->Edit1) || !takeTyped(ui->Edit2)))
        return;
    const std::optional<EntryRules::Record> r = gather();
    if (!r)
        return;
    JournalDesk* desk = app.desk();
    Query* list = desk->shownQuery() ? desk->shownQuery() : desk->currentQuery();
    const bool change = Tag == 2;
    const qint64 id = change ? list->asInteger(QStringLiteral("id")) : 0;

    switch (JournalRecords::save(dm().ADO_DB, *r, change ? std::optional<qint64>(id) : std::nullopt)) {
    case JournalRecords::Outcome::Duplicate:
        refuse(ui->Edit2, QString::fromUtf8(EntryRules::DuplicateMessage));
        return;
    case JournalRecords::Outcome::Gone:
        error(QString::fromUtf8(Messages::Gone));
        list->reopen();
        reject();
        return;
    case JournalRecords::Outcome::Missing:
        refuse(ui->Edit1, QString::fromUtf8(JournalRecords::MissingMessage));
        return;
    case JournalRecords::Outcome::Saved:
        break;
    }

    const int recNo = list->recNo();
    list->reopen();
    if (list->recordCount() >= 1 && recNo >= 1)
        list->setRecNo(recNo);
    for (Query* q : {dm().H_Tabel_1, dm().H_Tabel_2, dm().H_Tabel_3})
        q->close();

    if (series()) {
        startNextLine();
        return;
    }
    for (QLineEdit* e : {ui->Edit1, ui->Edit2, ui->Edit3, ui->Edit4, ui->Edit5, ui->Edit6, ui->Edit7, ui->Edit8, ui->Edit9})
        e->clear();
    accept();
}
