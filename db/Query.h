#pragma once
#include <QDateTime>
#include <QHash>
#include <QObject>
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <memory>
#include <optional>
#include "OdbcReader.h"
#include "Table.h"

class Connection;
class Filter;
class ReadAhead;
namespace Locks {
enum class Table;
}

// Statement text with named parameters (":data"), shared by queries and commands.
// Parameter values become literals in the text, never statement syntax.
class Statement : public QObject {
    Q_OBJECT
public:
    Statement(Connection& c, const QString& name, QObject* parent = nullptr);
    void setSql(const QString& text) { sql_ = text; }
    void setSql(const QStringList& lines) { sql_ = lines.join(QLatin1Char('\n')); }
    const QString& sql() const { return sql_; }
    void setParam(const QString& name, const QVariant& value) { params_[name.toLower()] = value; }
    QVariant param(const QString& name) const { return params_.value(name.toLower()); }
    QString boundSql() const;
    const QHash<QString, QVariant>& params() const { return params_; }
    Connection& connection() const { return c_; }

private:
    Connection& c_;
    QString sql_;
    QHash<QString, QVariant> params_;
};

// A statement executed for its effect; any result set is dropped.
class Command : public Statement {
    Q_OBJECT
public:
    using Statement::Statement;
    void execute();
};

// A query whose whole result is read at opening and kept on the client: a cursor with
// 1-based record numbers, a client-side filter and sort, fields by name, and editing of
// rows of the table it reads when a table is set.
class Query : public Statement {
    Q_OBJECT
public:
    Query(Connection& c, const QString& name, QObject* parent = nullptr);
    ~Query() override;

    void open();
    void close();
    void reopen() { close(); open(); }
    bool isOpen() const { return open_; }
    // Planned anew at every opening with its values in the text, rather than prepared once:
    // for a report over a period, whose best plan the period decides (a plan made for any
    // period sorts a month of rows the slow way).
    void setPlannedEachTime(bool on) { plannedEachTime_ = on; }

    // Opened on rows still being read (a report's year, a group range at a time): the
    // reader hands them over a result at a time, each following the last in order. Waits
    // for the first; until the last the query shows what has come, filtered, unsorted.
    void openReading(std::unique_ptr<ReadAhead> reader);
    // Takes over what the reader has ready, waiting for it when wait is set; false when
    // nothing came.
    bool fetchMore(bool wait);
    // The reading has ended: every row has been read, or it failed (readingFailed()).
    bool complete() const { return !reader_; }
    // The reading ended with an error: rows after those shown never came. A query so read
    // is not whole until it is opened again.
    bool readingFailed() const { return readingFailed_; }
    // The rows as read, and the place among them of a shown row, for fast readers.
    const Table& rows() const { return data_; }
    int rowAt(int shown) const { return visible_[shown]; }

    int recordCount() const { return visible_.size(); }
    bool isEmpty() const { return visible_.isEmpty(); }
    int recNo() const { return isEmpty() ? 0 : cur_ + 1; }
    void setRecNo(int recNo);
    void first() { moveTo(0); }
    void last() { moveTo(visible_.size() - 1); }
    void next();
    void prior();
    // Past either end the cursor stays on the last (first) record, as a data set's does.
    bool eof() const { return isEmpty() || eof_; }
    bool bof() const { return isEmpty() || bof_; }
    // Moves to the first shown row whose field equals value; false when there is none.
    bool locate(const QString& field, const QVariant& value);

    QStringList fieldNames() const { return fields_; }
    bool isNumeric(int column) const { return column >= 0 && column < numeric_.size() && numeric_[column]; }
    int fieldIndex(const QString& name) const { return index_.value(name.toLower(), -1); }
    QVariant value(const QString& field) const;
    bool isNull(const QString& field) const { return value(field).isNull(); }
    qint64 asInteger(const QString& field) const { return toInteger(value(field)); }
    double asFloat(const QString& field) const { return toFloat(value(field)); }
    QString asString(const QString& field) const { return toText(value(field)); }
    QDateTime asDateTime(const QString& field) const;

    // For grids: the value of a shown row (0-based) and column.
    QVariant valueAt(int row, int column) const;

    void setFilter(const QString& expression);
    const QString& filter() const { return filterText_; }
    void setFiltered(bool on);
    bool filtered() const { return filtered_; }
    void setSort(const QString& field);

    // While switched off, cursor moves are not announced to bound views.
    void disableControls() { ++controlsOff_; }
    void enableControls();

    // Row editing on the table this query reads. Each write is a transaction of its own; a
    // new row is stored once, even when the answer to its COMMIT was lost.
    void setTable(const QString& table, const QString& key = QStringLiteral("id"));
    // The rows refer by field to a row of another table (a norm to its operation): a write
    // holds that row against deletion, and is refused with the message when it is gone.
    void setReference(const QString& field, Locks::Table table, const QString& goneMessage);
    void append();
    void edit();
    void setValue(const QString& field, const QVariant& value);
    void post();
    void cancel();
    void deleteCurrent();
    bool isEditing() const { return editing_ != Editing::None; }
    bool isAppending() const { return editing_ == Editing::Appending; }
    bool isModified() const { return !changed_.isEmpty(); }

    static qint64 toInteger(const QVariant& v);
    static double toFloat(const QVariant& v);
    static QString toText(const QVariant& v);

signals:
    void reset();
    void currentChanged(int recNo);
    void rowChanged(int row);

private:
    void moveTo(int pos);
    // Rebuilds the shown rows; the cursor goes to keepRow (an index into all rows) when it
    // is still shown, else to the first row.
    void applyView(int keepRow = -1);
    void sortVisible(int column);
    void announceCurrent();
    int currentRow() const;
    void insertRow(int row, int keyCol, const QStringList& columns, const QStringList& values);
    void updateRow(int row, int keyCol, const QStringList& sets);
    void holdReference();
    bool lastTryStored(int row, int keyCol);

    // Takes a reader's result: the columns with the first, the rows after those before.
    void take(OdbcReader::Result&& r);

    bool open_ = false;
    bool plannedEachTime_ = false;
    std::unique_ptr<ReadAhead> reader_;
    bool readingFailed_ = false;
    QStringList fields_;
    QVector<bool> numeric_;
    QHash<QString, int> index_;
    Table data_;  // every row read, by column
    Table spare_; // the rows of the last opening, emptied, whose room the next one takes
    QVector<int> visible_;
    int cur_ = 0;
    bool eof_ = false;
    bool bof_ = false;
    QString filterText_;
    bool filtered_ = false;
    std::unique_ptr<Filter> filterFn_;
    QString sortField_;
    int controlsOff_ = 0;

    enum class Editing { None, Editing, Appending };
    QString table_;
    QString key_;
    Editing editing_ = Editing::None;
    QHash<int, QVariant> changed_;
    struct Reference {
        QString field;
        Locks::Table table;
        QString gone;
    };
    std::optional<Reference> reference_;
    // The new row's last try, whose COMMIT went unanswered with its fate unknown: its
    // transaction and the key it was given, until the server says what became of it.
    struct Unsettled {
        QString transaction;
        QVariant key;
    };
    std::optional<Unsettled> unsettled_;
};

// Closes a query when the scope ends, however it ends.
class ClosesAtEnd {
public:
    explicit ClosesAtEnd(Query& q) : q_(q) {}
    ~ClosesAtEnd() { q_.close(); }
    ClosesAtEnd(const ClosesAtEnd&) = delete;
    ClosesAtEnd& operator=(const ClosesAtEnd&) = delete;

private:
    Query& q_;
};
