#pragma once
#include "Expression.h"
#include "Layout.h"
#include "Pages.h"
#include <QHash>
#include <QSet>
#include <QVariant>
#include <memory>
#include <vector>

// Where a report's rows come from: the layout reads fields by column.
namespace Rep {

class TextMeter;

class Source {
public:
    virtual ~Source() = default;
    virtual QStringList fieldNames() const = 0;
    // The rows there are so far.
    virtual int rowCount() const = 0;
    virtual QVariant value(int row, int column) const = 0;
    virtual bool isNumeric(int column) const = 0;
    // Typed reads, for sources that hold their rows so.
    virtual bool isNull(int row, int column) const { return value(row, column).isNull(); }
    virtual double number(int row, int column) const { return value(row, column).toDouble(); }
    virtual QString text(int row, int column) const { return value(row, column).toString(); }
    // A source still being read: whether every row is there, waiting for more (wait) or
    // taking what has come.
    virtual bool complete() const { return true; }
    virtual void more(bool wait) const { Q_UNUSED(wait); }
    // The reading ended with an error: the rows after those there never came.
    virtual bool failed() const { return false; }
};

// Rows held in memory.
class TableSource : public Source {
public:
    TableSource(QStringList fields, QVector<QVariantList> rows, QVector<bool> numeric = {});
    QStringList fieldNames() const override { return fields_; }
    int rowCount() const override { return rows_.size(); }
    QVariant value(int row, int column) const override { return rows_[row].value(column); }
    bool isNumeric(int column) const override;

private:
    QStringList fields_;
    QVector<QVariantList> rows_;
    QVector<bool> numeric_;
};

// The layout pass: lays out a layout over a source into pages, a page at a time, so that
// the first page can be shown before the last is made. The layout and source must outlive it.
class Paginator {
public:
    Paginator(const Layout& layout, const Source& source);
    ~Paginator();

    const Layout& layout() const { return layout_; }
    const QVector<Style>& styles() const { return styles_; }
    // Lays out until page index (0-based) exists or the report ends; false when it does not
    // exist. Waits for rows still being read.
    bool ensure(int index);
    // Lays out one more row if its source has it without waiting; false when it has not
    // (or the report is done).
    bool stepIfReady();
    void finish() { ensure(INT_MAX); }
    bool done() const { return done_; }
    // The source's reading failed: the report stops where its rows stopped, with no
    // footers or totals, and is not to be printed.
    bool incomplete() const { return incomplete_; }
    int pageCount() const { return pages_.size(); }
    const Page& page(int index) const { return pages_[index]; }
    const QVector<Page>& pages() const { return pages_; }

private:
    struct CElement;
    struct CBand;
    class Context;
    // Measures the texts of a style, made when first asked for.
    const TextMeter& meter(int style);
    // The style in a font small enough for the text to fit the cell.
    int smaller(int style, const QString& text, double cellWidth);

    CBand compile(const Band& band);
    int styleOf(const Style& s);
    void step(); // one row of the source, or the end of the report
    // Ends the layout where the rows stopped, when the source failed; true if it did.
    bool stopIfFailed();
    void print(CBand& band, int row, double keep = 0);
    void place(CBand& band, int row);
    void newPage();
    void closePage();
    void accumulate(int row);
    QString groupKey(int group, int row) const;

    const Layout& layout_;
    const Source& source_;
    std::unique_ptr<Context> ctx_;
    std::vector<CBand> headers_, footers_;
    std::vector<std::unique_ptr<Expression>> groupExpr_;
    std::unique_ptr<CBand> detail_, pageFooter_;
    QVector<Style> styles_;
    QVector<Page> pages_;
    Page current_;
    bool pageOpen_ = false;
    bool pageFresh_ = false; // nothing but repeated headers on the page yet
    double y_ = 0;
    int row_ = -1; // the last row stepped over
    bool started_ = false;
    bool done_ = false;
    bool incomplete_ = false;
    QStringList keys_;
    QSet<QString> texts_; // one copy of each printed text: a year's pages repeat most of them
    std::vector<std::unique_ptr<TextMeter>> meters_; // by style
};

} // namespace Rep
