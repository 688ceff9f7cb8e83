#include "DbGrid.h"
#include "DbError.h"
#include "DisplayText.h"
#include "Query.h"
#include "Seam.h"
#include <QFont>
#include <QHeaderView>
#include <QLocale>
#include <QProxyStyle>
#include <QTableView>

void QueryModel::setQuery(Query* query)
{
    if (query_)
        disconnect(query_, nullptr, this, nullptr);
    beginResetModel();
    query_ = query;
    endResetModel();
    if (query_) {
        connect(query_, &Query::reset, this, &QueryModel::refresh);
        connect(query_, &Query::rowChanged, this, [this](int row) {
            emit dataChanged(index(row, 0), index(row, columnCount() - 1));
        });
    }
    refresh();
}

void QueryModel::setColumns(const QVector<GridColumn>& columns)
{
    beginResetModel();
    columns_ = columns;
    endResetModel();
    refresh();
}

void QueryModel::refresh()
{
    if (!query_ || !query_->isOpen())
        said_ = false;
    beginResetModel();
    fieldIndex_.clear();
    for (const GridColumn& c : columns_)
        fieldIndex_ << (query_ ? query_->fieldIndex(c.field) : -1);
    endResetModel();
}

int QueryModel::fieldOf(int column) const { return column >= 0 && column < fieldIndex_.size() ? fieldIndex_[column] : -1; }

int QueryModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() || !query_ ? 0 : query_->recordCount();
}

int QueryModel::columnCount(const QModelIndex& parent) const { return parent.isValid() ? 0 : columns_.size(); }

QVariant QueryModel::raw(int row, int column) const
{
    return query_ ? query_->valueAt(row, fieldOf(column)) : QVariant();
}

QString QueryModel::display(const QVariant& v, bool numeric)
{
    if (v.isNull())
        return {};
    if (v.typeId() == QMetaType::Double || v.typeId() == QMetaType::Float)
        return DisplayText::number(v.toDouble());
    QString s = Query::toText(v);
    // Exact decimals keep their digits; only the separator becomes the user's.
    if (numeric && v.typeId() == QMetaType::QString)
        s.replace(QLatin1Char('.'), QLocale().decimalPoint());
    return s;
}

QString QueryModel::text(int row, int column) const
{
    const QVariant v = raw(row, column);
    if (v.isNull())
        return {};
    const QString& mask = columns_[column].format;
    if (!mask.isEmpty())
        return DisplayText::number(Query::toFloat(v), mask);
    return display(v, query_ && query_->isNumeric(fieldOf(column)));
}

QVariant QueryModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid())
        return {};
    try {
        return cell(index, role);
    } catch (const DbError& e) {
        cannotShow(e);
        return {};
    }
}

void QueryModel::cannotShow(const DbError& e) const
{
    if (said_)
        return;
    said_ = true;
    // After the painting: a box opened inside it would have the grid painted again.
    QMetaObject::invokeMethod(
        const_cast<QueryModel*>(this), [this, message = e.message()] { seam_.dbError(message); }, Qt::QueuedConnection);
}

QVariant QueryModel::cell(const QModelIndex& index, int role) const
{
    if (look_) {
        const QVariant v = look_(*this, index.row(), index.column(), role);
        if (v.isValid())
            return v;
    }
    switch (role) {
    case Qt::DisplayRole:
    case Qt::EditRole:
        return text(index.row(), index.column());
    case Qt::TextAlignmentRole:
        return int(columns_[index.column()].align);
    default:
        return {};
    }
}

QVariant QueryModel::headerData(int section, Qt::Orientation o, int role) const
{
    try {
        return title(section, o, role);
    } catch (const DbError& e) {
        cannotShow(e);
        return {};
    }
}

QVariant QueryModel::title(int section, Qt::Orientation o, int role) const
{
    if (o != Qt::Horizontal || section < 0 || section >= columns_.size())
        return QAbstractTableModel::headerData(section, o, role);
    if (look_) {
        const QVariant v = look_(*this, -1, section, role);
        if (v.isValid())
            return v;
    }
    switch (role) {
    case Qt::DisplayRole:
        return columns_[section].title;
    case Qt::TextAlignmentRole:
        return int(titleAlign_);
    case Qt::FontRole:
        if (titleBold_) {
            QFont f;
            f.setBold(true);
            return f;
        }
        return {};
    default:
        return {};
    }
}

Qt::ItemFlags QueryModel::flags(const QModelIndex& index) const
{
    Qt::ItemFlags f = QAbstractTableModel::flags(index);
    if (editable_ && index.isValid())
        f |= Qt::ItemIsEditable;
    return f;
}

bool QueryModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!editable_ || role != Qt::EditRole || !query_ || fieldOf(index.column()) < 0)
        return false;
    // Called as an editor closes, from Qt's frames.
    return seam_.guarded([&] {
        if (query_->recNo() != index.row() + 1)
            query_->setRecNo(index.row() + 1);
        const QString text = value.toString().trimmed();
        query_->setValue(columns_[index.column()].field, text.isEmpty() ? QVariant() : QVariant(text));
    });
}

// The width a text needs in a cell or a title of the view, with the cell's margins.
static int fitting(const QWidget* w, const QString& text)
{
    return text.isEmpty() ? 0 : w->fontMetrics().horizontalAdvance(text) + 14;
}

namespace {
// Titles and cells drawn with no side margins, so that "31" in bold fits a 20-pixel day.
class NarrowMargins : public QProxyStyle {
public:
    using QProxyStyle::QProxyStyle;
    int pixelMetric(PixelMetric metric, const QStyleOption* option, const QWidget* widget) const override
    {
        if (metric == PM_HeaderMargin || metric == PM_FocusFrameHMargin)
            return 0;
        return QProxyStyle::pixelMetric(metric, option, widget);
    }
};

void narrowMargins(QTableView* view)
{
    if (view->property("pwNarrow").toBool())
        return;
    view->setProperty("pwNarrow", true);
    for (QWidget* w : {static_cast<QWidget*>(view), static_cast<QWidget*>(view->horizontalHeader())}) {
        auto* style = new NarrowMargins;
        style->setParent(w);
        w->setStyle(style);
    }
}
} // namespace

void applyColumns(QTableView* view)
{
    auto* model = qobject_cast<QueryModel*>(view->model());
    if (!model)
        return;
    for (int i = 0; i < model->columns().size(); ++i) {
        const GridColumn& c = model->columns()[i];
        view->setColumnHidden(i, !c.visible);
        if (c.narrow) {
            narrowMargins(view);
            view->setColumnWidth(i, c.width);
        } else if (c.width == Stretch)
            view->horizontalHeader()->setSectionResizeMode(i, QHeaderView::Stretch);
        else if (c.width > 0 || !c.sample.isEmpty())
            view->setColumnWidth(i, std::max({c.width, fitting(view, c.sample), fitting(view->horizontalHeader(), c.title)}));
    }
}

static void selectCurrent(QTableView* view, Query* query)
{
    if (!query || query->isEmpty())
        return;
    const QModelIndex idx = view->model()->index(query->recNo() - 1, std::max(0, view->currentIndex().column()));
    if (view->currentIndex().row() != idx.row())
        view->setCurrentIndex(idx);
}

static void followCursor(Seam& seam, QTableView* view, QueryModel* model)
{
    // View → query: a row the user selects becomes the current record, and the row left
    // stores what was typed in it. When that fails the view goes back to the row, which
    // keeps what was typed for another try.
    QObject::connect(view->selectionModel(), &QItemSelectionModel::currentRowChanged, view,
                     [&seam, view, model](const QModelIndex& current) {
                         Query* q = model->query();
                         if (!q || !current.isValid() || q->recNo() == current.row() + 1)
                             return;
                         if (!seam.guarded([&] { q->setRecNo(current.row() + 1); }))
                             // Once the view has finished its own move.
                             QMetaObject::invokeMethod(
                                 view, [view, model] { selectCurrent(view, model->query()); }, Qt::QueuedConnection);
                     });
}

static void watchQuery(QTableView* view, Query* query)
{
    QObject::connect(query, &Query::currentChanged, view, [view, query] {
        auto* model = qobject_cast<QueryModel*>(view->model());
        if (model && model->query() == query)
            selectCurrent(view, query);
    });
    QObject::connect(query, &Query::reset, view, [view, query] {
        auto* model = qobject_cast<QueryModel*>(view->model());
        if (model && model->query() == query) {
            applyColumns(view);
            selectCurrent(view, query);
        }
    });
}

QueryModel* bindGrid(Seam& seam, QTableView* view, Query* query, const QVector<GridColumn>& columns)
{
    auto* model = new QueryModel(seam, view);
    model->setColumns(columns);
    model->setQuery(query);
    view->setModel(model);
    view->setSelectionBehavior(QAbstractItemView::SelectRows);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
    view->verticalHeader()->hide();
    // Titles keep their own look; they are not bolded with the selected row.
    view->horizontalHeader()->setHighlightSections(false);
    followCursor(seam, view, model);
    if (query) {
        watchQuery(view, query);
        query->setProperty("pwWatched", true);
    }
    applyColumns(view);
    return model;
}

void rebindGrid(QTableView* view, Query* query)
{
    auto* model = qobject_cast<QueryModel*>(view->model());
    if (!model)
        return;
    const bool watched = query && query->property("pwWatched").toBool();
    model->setQuery(query);
    if (query && !watched) {
        watchQuery(view, query);
        query->setProperty("pwWatched", true);
    }
    applyColumns(view);
    selectCurrent(view, query);
}
