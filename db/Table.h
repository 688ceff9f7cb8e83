#pragma once
#include <QByteArrayView>
#include <QHash>
#include <QString>
#include <QVariant>
#include <vector>

// The rows of a result held column by column: whole numbers, floating numbers, dates and
// the UTF-8 bytes of texts in plain arrays, a value made only when it is asked for. A
// year of report rows is a few hundred thousand values; one QVariant and one QString
// each cost more time and memory than reading them. Rows read in parts stay in the parts
// they came in, so that none is copied again as the table grows.
class Table {
public:
    // Exact decimals are kept as their text, as the server writes them.
    enum class Kind : unsigned char { Integer, Double, Date, Timestamp, Text };

    void addColumn(Kind kind);
    // Empty again for columns of these kinds, keeping the room it had when they are the
    // ones it held: a query read again fills the memory it filled before.
    void startOver(const std::vector<Kind>& kinds);
    int columnCount() const { return int(kinds_.size()); }
    int rowCount() const { return rows_; }
    Kind kind(int column) const { return kinds_[size_t(column)]; }

    bool isNull(int row, int column) const;
    // The value as a variant of the column's type (qlonglong, double, QDate, QDateTime,
    // QString); a null of that type where the database has none.
    QVariant value(int row, int column) const;
    // Typed reads of a non-null value of that kind as it was read (edits aside).
    qint64 integer(int row, int column) const
    {
        int at;
        return part(row, at).columns[size_t(column)].numbers[size_t(at)];
    }
    double real(int row, int column) const
    {
        int at;
        return part(row, at).columns[size_t(column)].reals[size_t(at)];
    }
    QByteArrayView utf8(int row, int column) const;
    QString text(int row, int column) const { return QString::fromUtf8(utf8(row, column)); }

    // Filling, a column at a time for each block of rows the reader fetches: count values,
    // null[i] set where the database has none.
    void appendNumbers(int column, const qint64* values, const unsigned char* null, int count);
    void appendReals(int column, const double* values, const unsigned char* null, int count);
    // Texts of a block laid stride bytes apart, size[i] bytes each (-1: none).
    void appendTexts(int column, const char* block, qsizetype stride, const qsizetype* size, int count);
    // Dates and timestamps as numbers (appendNumbers).
    static qint64 dateNumber(int year, int month, int day);
    static qint64 timestampNumber(int year, int month, int day, int h, int m, int s, int ms);
    // Ends count rows once every column has their values.
    void endRows(int count)
    {
        parts_.back().rows += count;
        rows_ += count;
    }
    // Room for rows more rows; texts as long as those read so far (or textBytes a row).
    void reserve(int rows, qsizetype textBytes = 0);

    // The rows of another table of the same columns after these, taken over.
    void append(Table&& more);

    // Rows added and changed by the query's editing: the value as set, whatever its type.
    void appendEmptyRow();
    void removeLastRow();
    void set(int row, int column, const QVariant& v);

    // Approximate memory of the values, for the benchmarks.
    qsizetype bytes() const;

private:
    struct Column {
        Kind kind;
        std::vector<unsigned char> null;
        std::vector<qint64> numbers; // integers; days since the epoch; ms since the epoch
        std::vector<double> reals;
        std::vector<char> chars;     // the texts one after the other
        std::vector<qsizetype> ends; // where each row's text ends in chars
    };
    struct Part {
        std::vector<Column> columns;
        int rows = 0;
    };
    // The part holding a row, and the row's place in it.
    const Part& part(int row, int& at) const
    {
        if (parts_.size() == 1) {
            at = row;
            return parts_.front();
        }
        return find(row, at);
    }
    const Part& find(int row, int& at) const;
    Column& filling(int column) { return parts_.back().columns[size_t(column)]; }
    QVariant stored(int row, int column) const;
    static quint64 cell(int row, int column) { return (quint64(unsigned(row)) << 16) | unsigned(column); }

    std::vector<Kind> kinds_;
    std::vector<Part> parts_ = std::vector<Part>(1);
    std::vector<int> starts_ = std::vector<int>(1, 0); // the first row of each part
    int rows_ = 0;
    QHash<quint64, QVariant> edits_;
};
