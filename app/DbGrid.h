#pragma once
#include <QAbstractTableModel>
#include <QPointer>
#include <QVector>
#include <functional>

class DbError;
class Query;
class QTableView;
class Seam;

// One column of a grid: the query field, its title and look.
struct GridColumn {
    QString field;
    QString title;
    int width = 64;                              // 0: the view's default; Stretch: what the others leave
    Qt::Alignment align = Qt::AlignLeft | Qt::AlignVCenter;
    bool visible = true;
    QString format = {};                         // "#0.00#" style number mask; empty: as read
    QString sample = {};                         // the column is at least as wide as this text
    // Exactly as wide as given (a day of a month grid): its title and values are drawn
    // without the style's side margins, which a two-digit day would not fit between.
    bool narrow = false;
};

// The width of the one column of a grid that takes the room the others leave, so that
// the grid fits its window whatever the font.
constexpr int Stretch = -1;

// A grid model over a client-side query: rows are the query's shown rows, columns come
// from a table of GridColumn. Per-cell looks come from a callback asked for the data roles.
// Qt calls the model from its own frames (painting, an editor closing): an error there is
// shown through the seam, never thrown.
class QueryModel : public QAbstractTableModel {
    Q_OBJECT
public:
    using Look = std::function<QVariant(const QueryModel&, int row, int column, int role)>;

    explicit QueryModel(Seam& seam, QObject* parent = nullptr) : QAbstractTableModel(parent), seam_(seam) {}
    Seam& seam() const { return seam_; }
    void setQuery(Query* query);
    Query* query() const { return query_; }
    void setColumns(const QVector<GridColumn>& columns);
    const QVector<GridColumn>& columns() const { return columns_; }
    GridColumn& column(int i) { return columns_[i]; }
    void setLook(Look look) { look_ = std::move(look); }
    void setEditable(bool on) { editable_ = on; }
    // Title looks: bold and centred titles.
    void setTitleFont(bool bold, Qt::Alignment align) { titleBold_ = bold; titleAlign_ = align; }

    // Numbers as the user writes them (decimal comma), dates day first, text as stored.
    static QString display(const QVariant& v, bool numeric);
    // The raw value of a cell, as the query holds it.
    QVariant raw(int row, int column) const;
    QString text(int row, int column) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation o, int role) const override;
    Qt::ItemFlags flags(const QModelIndex& index) const override;
    bool setData(const QModelIndex& index, const QVariant& value, int role) override;

private:
    void refresh();
    int fieldOf(int column) const;
    QVariant cell(const QModelIndex& index, int role) const;
    QVariant title(int section, Qt::Orientation o, int role) const;
    // A value asked for while painting could not be made: the cell stays blank, and the
    // error is shown once the painting is over, once per reading of the rows.
    void cannotShow(const DbError& e) const;

    Seam& seam_;
    mutable bool said_ = false;
    QPointer<Query> query_;
    QVector<GridColumn> columns_;
    QVector<int> fieldIndex_;
    Look look_;
    bool editable_ = false;
    bool titleBold_ = false;
    Qt::Alignment titleAlign_ = Qt::AlignCenter;
};

// Binds a view to a query: model, column widths and visibility, and the view's current
// row following the query's cursor and the other way round. Leaving a row stores what was
// typed in it; when that fails, the error goes to the seam and the view back to the row.
QueryModel* bindGrid(Seam& seam, QTableView* view, Query* query, const QVector<GridColumn>& columns);
// Points an already bound view at another query (the main window's shift buttons).
void rebindGrid(QTableView* view, Query* query);
void applyColumns(QTableView* view);
