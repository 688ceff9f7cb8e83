#include "OdbcReader.h"
#include "DbError.h"
#include <QDate>
#include <QDateTime>
#include <sql.h>
#include <sqlext.h>
#include <algorithm>
#include <climits>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace OdbcReader {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here");

QString fromWide(const SQLWCHAR* s, qsizetype chars) { return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), chars); }

QString diagnostics(SQLSMALLINT type, SQLHANDLE h, QString* sqlState = nullptr)
{
    QStringList parts;
    SQLWCHAR state[6], text[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    for (SQLSMALLINT i = 1; SQLGetDiagRecW(type, h, i, state, &native, text, 1024, &len) == SQL_SUCCESS; ++i) {
        if (sqlState && sqlState->isEmpty())
            *sqlState = fromWide(state, 5);
        parts << fromWide(text, std::min<qsizetype>(len, 1023)).trimmed();
    }
    return parts.isEmpty() ? QStringLiteral("ошибка ODBC") : parts.join(QLatin1Char('\n'));
}

using Kind = Table::Kind;

struct Column {
    Kind kind;
    SQLSMALLINT cType;
    SQLLEN width; // bytes per row in the buffer
    std::unique_ptr<char[]> buffer; // left uninitialised: the driver writes what is read
    std::vector<SQLLEN> indicator;
};

Kind kindOf(SQLSMALLINT sqlType)
{
    switch (sqlType) {
    case SQL_INTEGER: case SQL_SMALLINT: case SQL_TINYINT: case SQL_BIGINT:
        return Kind::Integer;
    case SQL_DOUBLE: case SQL_FLOAT: case SQL_REAL:
        return Kind::Double;
    case SQL_TYPE_DATE: case SQL_DATE:
        return Kind::Date;
    case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP:
        return Kind::Timestamp;
    default:
        return Kind::Text; // text, numeric (kept exact as text), everything else
    }
}

// Moves one fetched block of a column into the table.
void append(Table& t, int column, const Column& c, SQLULEN fetched)
{
    const int rows = int(fetched);
    std::vector<unsigned char> null(fetched);
    for (int row = 0; row < rows; ++row)
        null[size_t(row)] = c.indicator[size_t(row)] == SQL_NULL_DATA;
    const char* p = c.buffer.get();
    switch (c.kind) {
    case Kind::Integer:
        static_assert(sizeof(SQLBIGINT) == sizeof(qint64), "whole numbers are bound as 64 bits");
        t.appendNumbers(column, reinterpret_cast<const qint64*>(p), null.data(), rows);
        return;
    case Kind::Double:
        t.appendReals(column, reinterpret_cast<const double*>(p), null.data(), rows);
        return;
    case Kind::Date:
    case Kind::Timestamp: {
        std::vector<qint64> v(fetched);
        for (int row = 0; row < rows; ++row) {
            if (null[size_t(row)])
                continue;
            if (c.kind == Kind::Date) {
                SQL_DATE_STRUCT d;
                std::memcpy(&d, p + row * c.width, sizeof d);
                v[size_t(row)] = Table::dateNumber(d.year, d.month, d.day);
            } else {
                SQL_TIMESTAMP_STRUCT s;
                std::memcpy(&s, p + row * c.width, sizeof s);
                v[size_t(row)] = Table::timestampNumber(s.year, s.month, s.day, s.hour, s.minute, s.second,
                                                        int(s.fraction / 1000000));
            }
        }
        t.appendNumbers(column, v.data(), null.data(), rows);
        return;
    }
    case Kind::Text: {
        // A text longer than the buffer arrives cut to it.
        const SQLLEN capacity = c.width - 1;
        std::vector<qsizetype> size(fetched);
        for (int row = 0; row < rows; ++row) {
            const SQLLEN ind = c.indicator[size_t(row)];
            size[size_t(row)] = ind == SQL_NULL_DATA ? -1 : ind == SQL_NO_TOTAL ? capacity : std::min(ind, capacity);
        }
        t.appendTexts(column, p, c.width, size.data(), rows);
        return;
    }
    }
}

struct Statement {
    SQLHSTMT h = SQL_NULL_HSTMT;
    ~Statement()
    {
        if (h != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};

void check(SQLRETURN r, const Statement& s, const QString& statement)
{
    if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO && r != SQL_NO_DATA) {
        QString state;
        const QString text = diagnostics(SQL_HANDLE_STMT, s.h, &state);
        throw DbError(text, statement, state);
    }
}

} // namespace

namespace {
// Runs the statement, describes its columns into result, and hands the rows of each fetch
// to onRows.
void run(void* dbc, const QString& statement, Result& result, const std::function<void()>& onBlock)
{
    Statement s;
    if (SQLAllocHandle(SQL_HANDLE_STMT, SQLHDBC(dbc), &s.h) != SQL_SUCCESS)
        throw DbError(diagnostics(SQL_HANDLE_DBC, SQLHDBC(dbc)), statement);
    std::u16string text = statement.toStdU16String();
    const SQLRETURN executed = SQLExecDirectW(s.h, reinterpret_cast<SQLWCHAR*>(text.data()), SQLINTEGER(text.size()));
    // A write that met no row ("delete … returning" of a row deleted meanwhile): no rows,
    // and no result to describe.
    if (executed == SQL_NO_DATA)
        return;
    check(executed, s, statement);

    SQLSMALLINT n = 0;
    check(SQLNumResultCols(s.h, &n), s, statement);
    if (n <= 0)
        return;
    std::vector<Column> cols(n);
    std::vector<Kind> kinds;
    SQLLEN rowBytes = 0;
    for (SQLSMALLINT i = 0; i < n; ++i) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        check(SQLDescribeColW(s.h, i + 1, name, 256, &nameLen, &type, &size, &digits, &nullable), s, statement);
        result.fields << fromWide(name, std::min<qsizetype>(nameLen, 255)).toLower();
        result.numeric << (type == SQL_NUMERIC || type == SQL_DECIMAL || kindOf(type) == Kind::Integer
                           || kindOf(type) == Kind::Double);
        Column& c = cols[i];
        c.kind = kindOf(type);
        switch (c.kind) {
        case Kind::Integer: c.cType = SQL_C_SBIGINT; c.width = sizeof(SQLBIGINT); break;
        case Kind::Double: c.cType = SQL_C_DOUBLE; c.width = sizeof(double); break;
        case Kind::Date: c.cType = SQL_C_TYPE_DATE; c.width = sizeof(SQL_DATE_STRUCT); break;
        case Kind::Timestamp: c.cType = SQL_C_TYPE_TIMESTAMP; c.width = sizeof(SQL_TIMESTAMP_STRUCT); break;
        case Kind::Text: {
            // Numbers come as text too: make room for their digits whatever size is reported.
            // The driver hands texts over in UTF-8, up to four bytes a character.
            const SQLULEN chars = std::clamp<SQLULEN>(size, 40, 8190);
            c.cType = SQL_C_CHAR;
            c.width = SQLLEN(chars * 4 + 1);
            break;
        }
        }
        kinds.push_back(c.kind);
        rowBytes += c.width;
    }
    result.table.startOver(kinds);
    // As many rows per fetch as fit in about a megabyte.
    const SQLULEN rowset = std::clamp<SQLULEN>(SQLULEN(1 << 20) / SQLULEN(std::max<SQLLEN>(rowBytes, 1)), 1, 512);
    SQLULEN fetched = 0;
    check(SQLSetStmtAttr(s.h, SQL_ATTR_ROW_BIND_TYPE, SQLPOINTER(SQL_BIND_BY_COLUMN), 0), s, statement);
    check(SQLSetStmtAttr(s.h, SQL_ATTR_ROW_ARRAY_SIZE, SQLPOINTER(rowset), 0), s, statement);
    check(SQLSetStmtAttr(s.h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0), s, statement);
    for (SQLSMALLINT i = 0; i < n; ++i) {
        Column& c = cols[i];
        c.buffer.reset(new char[size_t(c.width) * rowset]);
        c.indicator.resize(rowset);
        check(SQLBindCol(s.h, i + 1, c.cType, c.buffer.get(), c.width, c.indicator.data()), s, statement);
    }
    // The driver has the whole result when the statement returns and knows its size: the
    // table takes its room once, after the first block shows how long the texts are.
    SQLLEN total = 0;
    if (SQLRowCount(s.h, &total) != SQL_SUCCESS)
        total = 0;
    for (bool first = true;; first = false) {
        const SQLRETURN r = SQLFetch(s.h);
        if (r == SQL_NO_DATA)
            break;
        check(r, s, statement);
        for (SQLSMALLINT i = 0; i < n; ++i)
            append(result.table, i, cols[size_t(i)], fetched);
        result.table.endRows(int(fetched));
        if (first && total > SQLLEN(fetched) && !onBlock)
            result.table.reserve(int(std::min<SQLLEN>(total, INT_MAX) - SQLLEN(fetched)));
        if (onBlock)
            onBlock();
    }
}

// The table's rows as values; the table is emptied.
void toRows(Result& r)
{
    r.rows.clear();
    r.rows.reserve(r.table.rowCount());
    for (int row = 0; row < r.table.rowCount(); ++row) {
        QVector<QVariant> values(r.table.columnCount());
        for (int i = 0; i < values.size(); ++i)
            values[i] = r.table.value(row, i);
        r.rows.push_back(std::move(values));
    }
    Table empty;
    for (int i = 0; i < r.table.columnCount(); ++i)
        empty.addColumn(r.table.kind(i));
    r.table = std::move(empty);
}
} // namespace

Result readAll(void* dbc, const QString& statement)
{
    Result result;
    run(dbc, statement, result, {});
    toRows(result);
    return result;
}

Result readTable(void* dbc, const QString& statement, Table* room)
{
    Result result;
    if (room)
        result.table = std::move(*room);
    run(dbc, statement, result, {});
    return result;
}

void readBlocks(void* dbc, const QString& statement, const std::function<void(const Result& block)>& onBlock)
{
    Result block;
    run(dbc, statement, block, [&] {
        toRows(block);
        onBlock(block);
    });
}

} // namespace OdbcReader
