#include "TForm22.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "rules/RefBookWrites.h"
#include "ui_TForm22.h"
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTimer>
#include <functional>

namespace {
// +1 for the next cell, -1 for the previous one, 0 for keys that do not move.
int stepOf(const QKeyEvent* key, bool enterMoves)
{
    if (key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))
        return 0;
    switch (key->key()) {
    case Qt::Key_Backtab:
        return -1;
    case Qt::Key_Tab:
        return key->modifiers() & Qt::ShiftModifier ? -1 : 1;
    case Qt::Key_Enter:
    case Qt::Key_Return:
        return enterMoves ? 1 : 0;
    default:
        return 0;
    }
}

const QVector<GridColumn> kColumns = {
    {"norma", "Норматив", 133, Qt::AlignRight | Qt::AlignVCenter},
    {"price", "Цена", 105, Qt::AlignRight | Qt::AlignVCenter, true, "#0.00#"},
    {"prize", "Премия, %", 82, Qt::AlignRight | Qt::AlignVCenter},
};

// Cells take numbers only, in the user's or the point notation, so that what reaches
// the table is always a number the database reads.
class NumberDelegate : public QStyledItemDelegate {
public:
    NumberDelegate(QObject* parent, std::function<void(int)> step) : QStyledItemDelegate(parent), step_(std::move(step)) {}

    QWidget* createEditor(QWidget* parent, const QStyleOptionViewItem&, const QModelIndex& index) const override
    {
        auto* edit = new QLineEdit(parent);
        static const QRegularExpression whole(QStringLiteral("[0-9]{0,9}"));
        static const QRegularExpression decimal(QStringLiteral("[0-9]{0,12}([.,][0-9]{0,4})?"));
        edit->setValidator(new QRegularExpressionValidator(isPrice(index) ? decimal : whole, edit));
        return edit;
    }

    void setModelData(QWidget* editor, QAbstractItemModel* model, const QModelIndex& index) const override
    {
        QString text = static_cast<QLineEdit*>(editor)->text().trimmed();
        text.replace(QLatin1Char(','), QLatin1Char('.'));
        if (text.endsWith(QLatin1Char('.')))
            text.chop(1);
        if (text == model->data(index, Qt::EditRole).toString().replace(QLatin1Char(','), QLatin1Char('.')))
            return; // not changed
        model->setData(index, text, Qt::EditRole);
    }

protected:
    // Tab and Enter move on at once: the base class closes on Enter only after a round of
    // the event loop, so keys typed meanwhile would land in the old cell.
    bool eventFilter(QObject* editor, QEvent* event) override
    {
        const int step = event->type() == QEvent::KeyPress ? stepOf(static_cast<QKeyEvent*>(event), true) : 0;
        if (step == 0)
            return QStyledItemDelegate::eventFilter(editor, event);
        step_(step);
        return true;
    }

private:
    static bool isPrice(const QModelIndex& index) { return kColumns.value(index.column()).field == QLatin1String("price"); }
    std::function<void(int)> step_;
};
} // namespace

TForm22::TForm22(App& a) : TForm(a), ui(std::make_unique<Ui::TForm22>())
{
    ui->setupUi(this);
    setFixedSize(365, 278);
    norm = new Query(dm().ADO_DB, QStringLiteral("norm"), this);
    RefBookWrites::setUpNormRows(*norm);
    model_ = bindGrid(seam(), ui->DBGrid1, norm, kColumns);
    model_->setEditable(true);
    ui->DBGrid1->verticalHeader()->show();
    auto step = [this](int s) { seam().guarded([this, s] { DBGrid1Step(s); }); };
    ui->DBGrid1->setItemDelegate(new NumberDelegate(ui->DBGrid1, step));
    ui->DBGrid1->installEventFilter(this);
    on(ui->DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, &TForm22::cellChanged);
    on(norm, &Query::rowChanged, &TForm22::claimNewRow);
    // A reading put off while a cell was open is done once it closes.
    on(ui->DBGrid1->itemDelegate(), &QAbstractItemDelegate::closeEditor, [this] {
        if (rereadPending_)
            scheduleReread();
    });
    on(ui->Button1, &QPushButton::clicked, &TForm22::Button1Click);
    on(ui->Button2, &QPushButton::clicked, &TForm22::Button2Click);
}

TForm22::~TForm22() = default;

bool TForm22::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->DBGrid1 && event->type() == QEvent::KeyPress) {
        auto* press = static_cast<QKeyEvent*>(event);
        // Enter on a cell with nothing typed is the window's: save and close.
        if (const int step = stepOf(press, norm->isModified())) {
            seam().guarded([this, step] { DBGrid1Step(step); });
            return true;
        }
        const int key = press->key();
        const bool lastRow = norm->recNo() >= norm->recordCount();
        if (key == Qt::Key_Insert || (key == Qt::Key_Down && lastRow)) {
            seam().guarded([this] { DBGrid1Append(); });
            return true;
        }
    }
    return TForm::eventFilter(watched, event);
}

void TForm22::FormActivate() { ui->DBGrid1->setFocus(); }

// A row the user has started belongs to the operation shown, however it gets stored.
void TForm22::claimNewRow()
{
    if (norm->isAppending() && norm->isModified() && norm->isNull(QStringLiteral("o_id")))
        norm->setValue(QStringLiteral("o_id"), oper_id);
}

void TForm22::cellChanged(const QModelIndex& current, const QModelIndex& previous)
{
    // The editor's text has reached the query by now; the cursor still stands on the
    // row that was left.
    if (previous.isValid() && current != previous)
        seam().guarded([&] { leaveCell(current.row() != previous.row()); });
}

bool TForm22::rowComplete() const
{
    for (const GridColumn& c : kColumns)
        if (norm->isNull(c.field))
            return false;
    return true;
}

// A new row waits for its last value or for the user to leave it, so that a half-typed
// row is neither stored nor moved into norma order under the user's hands.
bool TForm22::storeDue(bool leavingRow) const
{
    return norm->isEditing() && norm->isModified() && (leavingRow || !norm->isAppending() || rowComplete());
}

void TForm22::leaveCell(bool leavingRow)
{
    if (!storeDue(leavingRow))
        return;
    // A row left is stored as the grid's cursor follows the view, right after this; a cell
    // left within the row is stored here.
    if (!leavingRow) {
        claimNewRow();
        norm->post();
    }
    rereadPending_ = true;
    scheduleReread();
}

// Read again once the view has finished moving, so that the row lands in its order.
void TForm22::scheduleReread()
{
    QTimer::singleShot(0, this, [this] {
        if (rereadPending_)
            seam().guarded([this] { Reread(); });
    });
}

void TForm22::DBGrid1Append()
{
    if (!norm->isOpen())
        return;
    commitEditor();
    if (norm->isAppending() && !norm->isModified())
        return;
    const int column = std::max(0, ui->DBGrid1->currentIndex().column());
    norm->append(); // stores the row being typed first
    ui->DBGrid1->setCurrentIndex(model_->index(norm->recNo() - 1, column));
}

void TForm22::Reread()
{
    // An open editor would go with the old rows, and the keyboard focus with it.
    if (!norm->isOpen() || norm->isEditing() || openEditor())
        return;
    rereadPending_ = false;
    const QVariant id = norm->isEmpty() ? QVariant() : norm->value(QStringLiteral("id"));
    const int column = std::max(0, ui->DBGrid1->currentIndex().column());
    norm->reopen();
    if (!id.isNull())
        norm->locate(QStringLiteral("id"), id);
    if (!norm->isEmpty())
        ui->DBGrid1->setCurrentIndex(model_->index(norm->recNo() - 1, column));
}

void TForm22::DBGrid1Step(int step)
{
    commitEditor();
    ui->DBGrid1->setFocus();
    QModelIndex at = ui->DBGrid1->currentIndex();
    if (!at.isValid())
        return;
    const int column = at.column() + step;
    const bool leavingRow = column < 0 || column >= model_->columnCount();
    const bool wasNew = norm->isAppending();
    if (storeDue(leavingRow)) {
        claimNewRow();
        norm->post();
        Reread();
        at = ui->DBGrid1->currentIndex();
    }
    if (!leavingRow)
        ui->DBGrid1->setCurrentIndex(model_->index(at.row(), column));
    else if (step < 0 && at.row() > 0)
        ui->DBGrid1->setCurrentIndex(model_->index(at.row() - 1, model_->columnCount() - 1));
    else if (step > 0)
        nextRow(at.row(), wasNew);
}

// After a new row the next one is new as well; an untouched new row stays the last.
void TForm22::nextRow(int row, bool afterNew)
{
    if (norm->isAppending())
        return;
    if (!afterNew && row + 1 < model_->rowCount()) {
        ui->DBGrid1->setCurrentIndex(model_->index(row + 1, 0));
        return;
    }
    norm->append();
    ui->DBGrid1->setCurrentIndex(model_->index(norm->recNo() - 1, 0));
}

QLineEdit* TForm22::openEditor() const
{
    // Closed editors linger hidden until deleted.
    for (auto* editor : ui->DBGrid1->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
            return editor;
    return nullptr;
}

void TForm22::commitEditor()
{
    if (QLineEdit* editor = openEditor()) {
        emit ui->DBGrid1->itemDelegate()->commitData(editor);
        emit ui->DBGrid1->itemDelegate()->closeEditor(editor);
    }
}

void TForm22::Button2Click()
{
    // A typed value of the row about to go is of no use.
    if (QLineEdit* editor = openEditor())
        emit ui->DBGrid1->itemDelegate()->closeEditor(editor);
    if (norm->isAppending())
        norm->cancel();
    else if (norm->recordCount() > 1)
        norm->deleteCurrent();
    rereadPending_ = false;
    norm->reopen();
}

void TForm22::Button1Click()
{
    commitEditor();
    if (norm->isEditing()) {
        claimNewRow();
        norm->post();
    }
    rereadPending_ = false;
    Query* list = dm().Oper;
    const int recNo = list->recNo();
    list->reopen();
    if (recNo >= 1 && recNo <= list->recordCount())
        list->setRecNo(recNo);
    accept();
}

// Escape and the title bar's close button save as well: the save button is also the cancel
// button. Qt calls this from its own frames; a row that cannot be stored keeps the window
// open with the row as typed.
void TForm22::reject()
{
    if (isVisible())
        seam().guarded([this] { Button1Click(); });
    else
        TForm::reject();
}
