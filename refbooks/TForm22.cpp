#include "TForm22.h"
#include "App.h"
#include "DbGrid.h"
#include "Seam.h"
#include "TDataModule6.h"
#include "rules/OperSql.h"
#include "ui_TForm22.h"
#include <QHeaderView>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QStyledItemDelegate>
#include <QTimer>

namespace {
const QVector<GridColumn> kColumns = {
    {"norma", "Норматив", 133, Qt::AlignRight | Qt::AlignVCenter},
    {"price", "Цена", 105, Qt::AlignRight | Qt::AlignVCenter, true, "#0.00#"},
    {"prize", "Премия, %", 82, Qt::AlignRight | Qt::AlignVCenter},
};

// Cells take numbers only, in the user's or the point notation, so that what reaches
// the table is always a number the database reads.
class NumberDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

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

private:
    static bool isPrice(const QModelIndex& index) { return kColumns.value(index.column()).field == QLatin1String("price"); }
};
} // namespace

TForm22::TForm22(App& a) : TForm(a), ui(std::make_unique<Ui::TForm22>())
{
    ui->setupUi(this);
    setFixedSize(365, 278);
    norm = new Query(dm().ADO_DB, QStringLiteral("norm"), this);
    norm->setSql(QString::fromUtf8(OperSql::Norm));
    norm->setTable(QStringLiteral("accounts_dep.norm"));
    model_ = bindGrid(ui->DBGrid1, norm, kColumns);
    model_->setEditable(true);
    ui->DBGrid1->verticalHeader()->show();
    ui->DBGrid1->setItemDelegate(new NumberDelegate(ui->DBGrid1));
    ui->DBGrid1->installEventFilter(this);
    connect(ui->DBGrid1->selectionModel(), &QItemSelectionModel::currentChanged, this, &TForm22::cellChanged);
    connect(norm, &Query::rowChanged, this, &TForm22::claimNewRow);
    connect(ui->Button1, &QPushButton::clicked, this, &TForm22::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm22::Button2Click);
}

TForm22::~TForm22() = default;

bool TForm22::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->DBGrid1 && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
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
        seam().guarded([this] { DBGrid1ColExit(); });
}

void TForm22::DBGrid1ColExit()
{
    if (!norm->isEditing() || !norm->isModified())
        return;
    claimNewRow();
    norm->post();
    // Read again once the view has finished moving, so that the row lands in its order.
    if (!rereadPending_) {
        rereadPending_ = true;
        QTimer::singleShot(0, this, [this] {
            if (rereadPending_)
                seam().guarded([this] { Reread(); });
        });
    }
}

void TForm22::DBGrid1Append()
{
    if (!norm->isOpen())
        return;
    if (norm->isAppending()) {
        if (norm->isModified())
            DBGrid1ColExit();
        return;
    }
    const int column = std::max(0, ui->DBGrid1->currentIndex().column());
    norm->append();
    ui->DBGrid1->setCurrentIndex(model_->index(norm->recNo() - 1, column));
}

void TForm22::Reread()
{
    rereadPending_ = false;
    if (!norm->isOpen() || norm->isEditing())
        return;
    const QVariant id = norm->isEmpty() ? QVariant() : norm->value(QStringLiteral("id"));
    const int column = std::max(0, ui->DBGrid1->currentIndex().column());
    norm->reopen();
    if (!id.isNull())
        norm->locate(QStringLiteral("id"), id);
    if (!norm->isEmpty())
        ui->DBGrid1->setCurrentIndex(model_->index(norm->recNo() - 1, column));
}

void TForm22::commitEditor()
{
    for (auto* editor : ui->DBGrid1->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible()) {
            emit ui->DBGrid1->itemDelegate()->commitData(editor);
            emit ui->DBGrid1->itemDelegate()->closeEditor(editor);
        }
}

void TForm22::Button2Click()
{
    // A typed value of the row about to go is of no use.
    for (auto* editor : ui->DBGrid1->viewport()->findChildren<QLineEdit*>())
        if (editor->isVisible())
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

// Escape saves as well: the save button is also the cancel button.
void TForm22::reject()
{
    if (isVisible())
        Button1Click();
    else
        TForm::reject();
}
