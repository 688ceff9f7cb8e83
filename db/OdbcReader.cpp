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
#include <string>
#include <vector>

namespace OdbcReader {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here");

QString fromWide(const SQLWCHAR* s, qsizetype chars) { return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), chars); }

} // namespace

QString diagnostics(short type, void* h, QString* sqlState)
{
    // psqlODBC cuts a message into records of the room the first request offers, and
    // keeps at most 4,095 bytes of it: room for all of that in one record. Its length
    // counts bytes, not characters; the text ends at its nul.
    constexpr size_t kMost = 32767;
    std::vector<SQLWCHAR> text(8192);
    QStringList parts;
    for (SQLSMALLINT i = 1;; ++i) {
        SQLWCHAR state[6];
        SQLINTEGER native = 0;
        SQLSMALLINT len = 0;
        auto get = [&] { return SQLGetDiagRecW(type, h, i, state, &native, text.data(), SQLSMALLINT(text.size()), &len); };
        SQLRETURN r = get();
        // A driver that says how long the whole is gets room for it.
        if (r == SQL_SUCCESS_WITH_INFO && size_t(len) >= text.size() && text.size() < kMost) {
            text.resize(std::min(size_t(len) + 1, kMost));
            r = get();
        }
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO)
            break;
        if (sqlState && sqlState->isEmpty())
            *sqlState = fromWide(state, 5);
        text.back() = 0;
        const QString part = fromWide(text.data(), qsizetype(std::find(text.begin(), text.end(), 0) - text.begin())).trimmed();
        if (!part.isEmpty())
            parts << part;
    }
    return parts.isEmpty() ? QStringLiteral("ошибка ODBC") : parts.join(QLatin1Char('\n'));
}

namespace {

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

// A date ("2025-04-01") or timestamp ("2025-04-01 13:45:06.789", "…T…") as the table's
// number; false for anything else. Dates come as text because the driver's structures
// take what it cannot read (infinity, a year past 9999) as today's date without a word,
// where its text says "0000-00-00" or "… BC".
bool dateFromText(const char* p, qsizetype n, Kind kind, qint64& out)
{
    qsizetype at = 0;
    auto digits = [&](int count, int& v) {
        v = 0;
        for (int i = 0; i < count; ++i, ++at) {
            if (at >= n || p[at] < '0' || p[at] > '9')
                return false;
            v = v * 10 + (p[at] - '0');
        }
        return true;
    };
    auto sign = [&](char c) {
        if (at >= n || p[at] != c)
            return false;
        ++at;
        return true;
    };
    int y, mo, d, h = 0, mi = 0, s = 0, ms = 0;
    if (!digits(4, y) || !sign('-') || !digits(2, mo) || !sign('-') || !digits(2, d) || !QDate::isValid(y, mo, d))
        return false;
    if (at < n) {
        if (!sign(' ') && !sign('T'))
            return false;
        if (!digits(2, h) || !sign(':') || !digits(2, mi) || (sign(':') && !digits(2, s)))
            return false;
        if (sign('.'))
            for (int scale = 100; at < n && p[at] >= '0' && p[at] <= '9'; ++at, scale /= 10)
                ms += (p[at] - '0') * scale;
        if (at != n || !QTime::isValid(h, mi, s, ms))
            return false;
    }
    out = kind == Kind::Date ? Table::dateNumber(y, mo, d) : Table::timestampNumber(y, mo, d, h, mi, s, ms);
    return true;
}

struct Statement {
    SQLHSTMT h = SQL_NULL_HSTMT;
    const QString& text;
    QStringList fields;
    qint64 before = 0; // rows of the result before the fetch at hand
    explicit Statement(const QString& statement) : text(statement) {}
    ~Statement()
    {
        if (h != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, h);
    }

    void check(SQLRETURN r) const
    {
        if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO && r != SQL_NO_DATA) {
            QString state;
            const QString message = diagnostics(SQL_HANDLE_STMT, h, &state);
            throw DbError(message, text, state);
        }
    }
    // A value of a fetched row (0-based in the fetch) that could not be read.
    [[noreturn]] void failed(int column, SQLULEN row, const QString& why) const
    {
        const qint64 at = before + qint64(row) + 1;
        throw DbError(column >= 0 ? QStringLiteral("Поле '%1', строка %2: %3").arg(fields.value(column)).arg(at).arg(why)
                                  : QStringLiteral("Строка %1: %2").arg(at).arg(why),
                      text);
    }

    // The whole of a text longer than its buffer, read from the driver in parts; known:
    // its length in bytes, when the driver told it.
    std::string wholeText(int column, SQLULEN row, SQLLEN known) const
    {
        auto driverFailed = [&] { failed(column, row, diagnostics(SQL_HANDLE_STMT, h)); };
        if (!SQL_SUCCEEDED(SQLSetPos(h, SQLSETPOSIROW(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE)))
            driverFailed();
        std::string out;
        SQLLEN room = known > 0 ? known + 1 : SQLLEN(1) << 16;
        for (;;) {
            const size_t at = out.size();
            out.resize(at + size_t(room));
            SQLLEN left = 0;
            const SQLRETURN r = SQLGetData(h, SQLUSMALLINT(column + 1), SQL_C_CHAR, out.data() + at, room, &left);
            if (r == SQL_NO_DATA) {
                out.resize(at);
                return out;
            }
            if (!SQL_SUCCEEDED(r) || left == SQL_NULL_DATA)
                driverFailed();
            const SQLLEN got = left == SQL_NO_TOTAL || left >= room ? room - 1 : left;
            out.resize(at + size_t(got));
            if (r == SQL_SUCCESS)
                return out;
            room = left == SQL_NO_TOTAL ? room * 2 : left - got + 1;
        }
    }

    // A row the driver marked as failed: the column it names, or else the first one that
    // fails to be read again.
    [[noreturn]] void rowFailed(SQLULEN row, const std::vector<Column>& cols) const
    {
        const QString why = diagnostics(SQL_HANDLE_STMT, h);
        SQLINTEGER column = 0;
        for (SQLSMALLINT i = 1; column <= 0 && SQL_SUCCEEDED(SQLGetDiagField(SQL_HANDLE_STMT, h, i, SQL_DIAG_COLUMN_NUMBER,
                                                                             &column, 0, nullptr)); ++i)
            ;
        if (column <= 0 && SQL_SUCCEEDED(SQLSetPos(h, SQLSETPOSIROW(row + 1), SQL_POSITION, SQL_LOCK_NO_CHANGE))) {
            std::vector<char> scratch;
            for (size_t i = 0; i < cols.size() && column <= 0; ++i) {
                scratch.resize(size_t(cols[i].width));
                SQLLEN ind = 0;
                if (SQLGetData(h, SQLUSMALLINT(i + 1), cols[i].cType, scratch.data(), cols[i].width, &ind) == SQL_ERROR)
                    column = SQLINTEGER(i + 1);
            }
        }
        failed(int(column - 1), row, why);
    }
};

// Moves one fetched block of a column into the table.
void append(Table& t, int column, const Column& c, SQLULEN fetched, const Statement& s)
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
            const SQLLEN ind = std::min(c.indicator[size_t(row)], c.width - 1);
            const char* text = p + row * c.width;
            if (!null[size_t(row)] && (ind < 0 || !dateFromText(text, ind, c.kind, v[size_t(row)])))
                s.failed(column, SQLULEN(row),
                         QStringLiteral("драйвер ODBC не прочитал дату (он читает годы с 1 по 9999 нашей эры), его текст: «%1»")
                             .arg(QString::fromUtf8(text, std::max<SQLLEN>(ind, 0))));
        }
        t.appendNumbers(column, v.data(), null.data(), rows);
        return;
    }
    case Kind::Text: {
        // A text longer than the buffer is read whole on its own, between the runs of
        // the others.
        const SQLLEN capacity = c.width - 1;
        std::vector<qsizetype> size(fetched);
        int from = 0;
        for (int row = 0; row < rows; ++row) {
            const SQLLEN ind = c.indicator[size_t(row)];
            if (ind == SQL_NULL_DATA) {
                size[size_t(row)] = -1;
            } else if (ind != SQL_NO_TOTAL && ind <= capacity) {
                size[size_t(row)] = ind;
            } else {
                t.appendTexts(column, p + from * c.width, c.width, size.data() + from, row - from);
                const std::string whole = s.wholeText(column, SQLULEN(row), ind == SQL_NO_TOTAL ? 0 : ind);
                const qsizetype n = qsizetype(whole.size());
                t.appendTexts(column, whole.data(), 0, &n, 1);
                from = row + 1;
            }
        }
        t.appendTexts(column, p + from * c.width, c.width, size.data() + from, rows - from);
        return;
    }
    }
}

} // namespace

namespace {
// Runs the statement, describes its columns into result, and hands the rows of each fetch
// to onRows.
void run(void* dbc, const QString& statement, Result& result, const std::function<void()>& onBlock)
{
    Statement s(statement);
    if (SQLAllocHandle(SQL_HANDLE_STMT, SQLHDBC(dbc), &s.h) != SQL_SUCCESS)
        throw DbError(diagnostics(SQL_HANDLE_DBC, SQLHDBC(dbc)), statement);
    std::u16string text = statement.toStdU16String();
    const SQLRETURN executed = SQLExecDirectW(s.h, reinterpret_cast<SQLWCHAR*>(text.data()), SQLINTEGER(text.size()));
    // A write that met no row ("delete … returning" of a row deleted meanwhile): no rows,
    // and no result to describe.
    if (executed == SQL_NO_DATA)
        return;
    s.check(executed);

    SQLSMALLINT n = 0;
    s.check(SQLNumResultCols(s.h, &n));
    if (n <= 0)
        return;
    std::vector<Column> cols(n);
    std::vector<Kind> kinds;
    SQLLEN rowBytes = 0;
    for (SQLSMALLINT i = 0; i < n; ++i) {
        SQLWCHAR name[256];
        SQLSMALLINT nameLen = 0, type = 0, digits = 0, nullable = 0;
        SQLULEN size = 0;
        s.check(SQLDescribeColW(s.h, i + 1, name, 256, &nameLen, &type, &size, &digits, &nullable));
        result.fields << fromWide(name, std::min<qsizetype>(nameLen, 255)).toLower();
        result.numeric << (type == SQL_NUMERIC || type == SQL_DECIMAL || kindOf(type) == Kind::Integer
                           || kindOf(type) == Kind::Double);
        Column& c = cols[i];
        c.kind = kindOf(type);
        switch (c.kind) {
        case Kind::Integer: c.cType = SQL_C_SBIGINT; c.width = sizeof(SQLBIGINT); break;
        case Kind::Double: c.cType = SQL_C_DOUBLE; c.width = sizeof(double); break;
        case Kind::Date:
        case Kind::Timestamp: c.cType = SQL_C_CHAR; c.width = 40; break; // "2025-04-01 13:45:06.789000 BC"
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
    s.fields = result.fields;
    result.table.startOver(kinds);
    // As many rows per fetch as fit in about a megabyte.
    const SQLULEN rowset = std::clamp<SQLULEN>(SQLULEN(1 << 20) / SQLULEN(std::max<SQLLEN>(rowBytes, 1)), 1, 512);
    SQLULEN fetched = 0;
    std::vector<SQLUSMALLINT> status(rowset);
    s.check(SQLSetStmtAttr(s.h, SQL_ATTR_ROW_BIND_TYPE, SQLPOINTER(SQL_BIND_BY_COLUMN), 0));
    s.check(SQLSetStmtAttr(s.h, SQL_ATTR_ROW_ARRAY_SIZE, SQLPOINTER(rowset), 0));
    s.check(SQLSetStmtAttr(s.h, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0));
    s.check(SQLSetStmtAttr(s.h, SQL_ATTR_ROW_STATUS_PTR, status.data(), 0));
    for (SQLSMALLINT i = 0; i < n; ++i) {
        Column& c = cols[i];
        c.buffer.reset(new char[size_t(c.width) * rowset]);
        c.indicator.resize(rowset);
        s.check(SQLBindCol(s.h, i + 1, c.cType, c.buffer.get(), c.width, c.indicator.data()));
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
        // A row the driver could not convert is marked in the block, the others read.
        if (r != SQL_SUCCESS)
            for (SQLULEN row = 0; row < fetched; ++row)
                if (status[row] == SQL_ROW_ERROR)
                    s.rowFailed(row, cols);
        s.check(r);
        for (SQLSMALLINT i = 0; i < n; ++i)
            append(result.table, i, cols[size_t(i)], fetched, s);
        result.table.endRows(int(fetched));
        s.before += qint64(fetched);
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
