// The entry dialog's series: its look, the lists it finds workers and operations in, and
// the keys that go from field to field.
#include "TForm11.h"
#include "Query.h"
#include "TDataModule6.h"
#include "journal/rules/JournalRecords.h"
#include "ui_TForm11.h"

namespace {
// Matches shown beside the field; typing narrows them.
const int kChoicesShown = 200;
} // namespace


bool TForm11::series() const { return Tag == 1 && ui->CheckBox1->isChecked(); }

void TForm11::CheckBox1Click()
{
    applySeries();
    if (series())
        moveTo(ui->Edit1->text().trimmed().isEmpty() ? ui->Edit1 : ui->Edit2);
}

void TForm11::applySeries()
{
    const bool on = series();
    ui->CheckBox1->setEnabled(Tag == 1);
    // Text typed and not taken names nothing once it can no longer be typed.
    if (!on && workerTyped_)
        ui->Edit1->clear();
    if (!on && operTyped_)
        ui->Edit2->clear();
    if (!on)
        workerTyped_ = operTyped_ = false;
    for (QLineEdit* e : {ui->Edit1, ui->Edit2})
        e->setReadOnly(!on);
    // The fields are typed into: Shift+Tab from the operation goes back to the worker.
    for (QPushButton* b : {ui->Button3, ui->Button4})
        b->setFocusPolicy(on ? Qt::NoFocus : Qt::StrongFocus);
    ui->ListBox1->setVisible(on);
    if (on)
        loadChoices();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    fixSize();
}

void TForm11::loadChoices()
{
    // Read anew for every showing, as the pickers read their lists.
    Query* w = dm().Workers;
    w->setFiltered(false);
    w->reopen();
    workers_.clear();
    const int wid = w->fieldIndex(QStringLiteral("id")), fio = w->fieldIndex(QStringLiteral("fio"));
    for (int r = 0; r < w->recordCount(); ++r)
        workers_.push_back({Query::toInteger(w->valueAt(r, wid)), Query::toText(w->valueAt(r, fio)).trimmed()});
    w->close();
    // Oper stays open: a choice is priced from its row, as the operation picker's is.
    Query* o = dm().Oper;
    o->setFiltered(false);
    o->reopen();
    opers_.clear();
    const int id = o->fieldIndex(QStringLiteral("id")), mark = o->fieldIndex(QStringLiteral("marka")),
              kind = o->fieldIndex(QStringLiteral("vid")), naimen = o->fieldIndex(QStringLiteral("naimen"));
    for (int r = 0; r < o->recordCount(); ++r)
        opers_.push_back({Query::toInteger(o->valueAt(r, id)), Query::toText(o->valueAt(r, mark)).trimmed(),
                          Query::toText(o->valueAt(r, kind)).trimmed(), Query::toInteger(o->valueAt(r, naimen))});
    choicesFor_ = nullptr;
}

void TForm11::showChoices(QLineEdit* field)
{
    choicesFor_ = field;
    const bool worker = field == ui->Edit1;
    shown_ = worker ? TypedChoice::workers(workers_, field->text()) : TypedChoice::operations(opers_, field->text());
    ui->ListBox1->clear();
    for (int i = 0; i < shown_.size() && i < kChoicesShown; ++i) {
        if (worker) {
            const TypedChoice::Worker& w = workers_[shown_[i]];
            ui->ListBox1->addItem(QStringLiteral("%1   %2").arg(w.id).arg(w.name));
        } else {
            const TypedChoice::Operation& o = opers_[shown_[i]];
            ui->ListBox1->addItem(EntryRules::operationText(o.mark, o.kind, o.naimen));
        }
    }
    ui->ListBox1->setCurrentRow(shown_.isEmpty() ? -1 : 0);
}

void TForm11::moveChoice(int step)
{
    const int n = ui->ListBox1->count();
    if (n == 0 || !choicesFor_)
        return;
    ui->ListBox1->setCurrentRow(qBound(0, ui->ListBox1->currentRow() + step, n - 1));
    // A row chosen with the arrows is taken on Enter.
    (choicesFor_ == ui->Edit1 ? workerTyped_ : operTyped_) = true;
}

bool TForm11::takeTyped(QLineEdit* field)
{
    const bool worker = field == ui->Edit1;
    bool& typed = worker ? workerTyped_ : operTyped_;
    const QString text = field->text().trimmed();
    if (text.isEmpty()) {
        refuse(field, QString::fromUtf8(EntryRules::IncompleteMessage));
        return false;
    }
    // Nothing typed since the last choice: it stands (the worker of the line before).
    if (!typed)
        return true;
    if (choicesFor_ != field)
        showChoices(field);
    const int row = ui->ListBox1->currentRow();
    if (row < 0 || row >= shown_.size()) {
        refuse(field, worker ? QStringLiteral("Работник «%1» не найден.").arg(text)
                             : QStringLiteral("Операция «%1» не найдена.").arg(text));
        return false;
    }
    if (worker) {
        const TypedChoice::Worker& w = workers_[shown_[row]];
        ui->Edit1->setText(w.name);
        worker_id = int(w.id);
    } else if (!takeOperationId(opers_[shown_[row]].id)) {
        return false;
    }
    typed = false;
    return true;
}

bool TForm11::takeOperationId(qint64 id)
{
    Query* oper = dm().Oper;
    if (!oper->isOpen())
        oper->open();
    oper->setFiltered(false);
    if (!oper->locate(QStringLiteral("id"), id)) {
        refuse(ui->Edit2, QString::fromUtf8(JournalRecords::MissingMessage));
        return false;
    }
    takeOperation();
    setColourEnabled(EntryRules::isPainting(ui->Edit2->text()));
    showPrices();
    return true;
}

void TForm11::enterPressed(QObject* field)
{
    if (field == ui->Edit4) {
        Button1Click();
        return;
    }
    if ((field == ui->Edit1 || field == ui->Edit2) && !takeTyped(static_cast<QLineEdit*>(field)))
        return;
    QWidget* next = field == ui->Edit1                                 ? ui->Edit2
        : field == ui->Edit2                                           ? ui->Edit3
        : field == ui->Edit3                                           ? ui->Edit6
        : field == ui->Edit6 && ui->Edit5->isEnabled()                 ? static_cast<QWidget*>(ui->Edit5)
                                                                       : ui->Edit4;
    moveTo(next);
}

void TForm11::startNextLine()
{
    // Date, shift and worker stay for the worker's next product.
    for (QLineEdit* e : {ui->Edit2, ui->Edit3, ui->Edit7, ui->Edit8, ui->Edit9})
        e->clear();
    setColourEnabled(false);
    ui->Edit4->setText(QStringLiteral("0"));
    ui->Edit6->setText(QStringLiteral("0"));
    operTyped_ = false;
    moveTo(ui->Edit2);
}
