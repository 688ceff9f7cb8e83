#include "OdbcReader.h"
#include "DbError.h"
#include <QDate>
#include <QDateTime>
#include <sql.h>
#include <sqlext.h>
#include <algorithm>
#include <cstring>
#include <functional>
#include <memory>
#include <vector>

namespace OdbcReader {
namespace {

static_assert(sizeof(SQLWCHAR) == sizeof(char16_t), "ODBC wide characters are UTF-16 here");

QString fromWide(const SQLWCHAR* s, qsizetype chars) { return QString::fromUtf16(reinterpret_cast<const char16_t*>(s), chars); }

QString diagnostics(SQLSMALLINT type, SQLHANDLE h)
{
    QStringList parts;
    SQLWCHAR state[6], text[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    for (SQLSMALLINT i = 1; SQLGetDiagRecW(type, h, i, state, &native, text, 1024, &len) == SQL_SUCCESS; ++i)
        parts << fromWide(text, std::min<qsizetype>(len, 1023)).trimmed();
    return parts.isEmpty() ? QStringLiteral("ошибка ODBC") : parts.join(QLatin1Char('\n'));
}

enum class Kind { Integer, Double, Date, Timestamp, Text };

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

QVariant valueOf(const Column& c, SQLULEN row)
{
    const SQLLEN ind = c.indicator[row];
    if (ind == SQL_NULL_DATA)
        return QVariant(c.kind == Kind::Integer ? QMetaType::fromType<qlonglong>()
                        : c.kind == Kind::Double ? QMetaType::fromType<double>()
                        : c.kind == Kind::Date   ? QMetaType::fromType<QDate>()
                        : c.kind == Kind::Timestamp ? QMetaType::fromType<QDateTime>()
                                                    : QMetaType::fromType<QString>());
    const char* p = c.buffer.get() + row * c.width;
    switch (c.kind) {
    case Kind::Integer: {
        SQLBIGINT v;
        std::memcpy(&v, p, sizeof v);
        return QVariant(qlonglong(v));
    }
    case Kind::Double: {
        double v;
        std::memcpy(&v, p, sizeof v);
        return QVariant(v);
    }
    case Kind::Date: {
        SQL_DATE_STRUCT d;
        std::memcpy(&d, p, sizeof d);
        return QVariant(QDate(d.year, d.month, d.day));
    }
    case Kind::Timestamp: {
        SQL_TIMESTAMP_STRUCT t;
        std::memcpy(&t, p, sizeof t);
        return QVariant(QDateTime(QDate(t.year, t.month, t.day), QTime(t.hour, t.minute, t.second, t.fraction / 1000000)));
    }
    case Kind::Text: {
        const qsizetype capacity = c.width / qsizetype(sizeof(SQLWCHAR)) - 1;
        const qsizetype chars = ind == SQL_NO_TOTAL ? capacity : std::min<qsizetype>(ind / qsizetype(sizeof(SQLWCHAR)), capacity);
        return QVariant(fromWide(reinterpret_cast<const SQLWCHAR*>(p), chars));
    }
    }
    return {};
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
    if (r != SQL_SUCCESS && r != SQL_SUCCESS_WITH_INFO && r != SQL_NO_DATA)
        throw DbError(diagnostics(SQL_HANDLE_STMT, s.h), statement);
}

} // namespace

namespace {
// Runs the statement, describes its columns into result, and hands the rows of each fetch
// to onRows.
void run(void* dbc, const QString& statement, Result& result, const std::function<void(QVector<QVector<QVariant>>& rows)>& onRows)
{
    Statement s;
    if (SQLAllocHandle(SQL_HANDLE_STMT, SQLHDBC(dbc), &s.h) != SQL_SUCCESS)
        throw DbError(diagnostics(SQL_HANDLE_DBC, SQLHDBC(dbc)), statement);
    std::u16string text = statement.toStdU16String();
    check(SQLExecDirectW(s.h, reinterpret_cast<SQLWCHAR*>(text.data()), SQLINTEGER(text.size())), s, statement);

    SQLSMALLINT n = 0;
    check(SQLNumResultCols(s.h, &n), s, statement);
    if (n <= 0)
        return;
    std::vector<Column> cols(n);
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
            const SQLULEN chars = std::clamp<SQLULEN>(size, 40, 8190);
            c.cType = SQL_C_WCHAR;
            c.width = SQLLEN((chars + 1) * sizeof(SQLWCHAR));
            break;
        }
        }
        rowBytes += c.width;
    }
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
    QVector<QVector<QVariant>> rows;
    for (;;) {
        const SQLRETURN r = SQLFetch(s.h);
        if (r == SQL_NO_DATA)
            break;
        check(r, s, statement);
        rows.clear();
        rows.reserve(qsizetype(fetched));
        for (SQLULEN row = 0; row < fetched; ++row) {
            QVector<QVariant> values(n);
            for (SQLSMALLINT i = 0; i < n; ++i)
                values[i] = valueOf(cols[i], row);
            rows.push_back(std::move(values));
        }
        onRows(rows);
    }
}
} // namespace

Result readAll(void* dbc, const QString& statement)
{
    Result result;
    run(dbc, statement, result, [&](QVector<QVector<QVariant>>& rows) {
        if (result.rows.isEmpty())
            result.rows = std::move(rows);
        else
            result.rows.append(std::move(rows));
    });
    return result;
}

void readBlocks(void* dbc, const QString& statement, const std::function<void(const Result& block)>& onBlock)
{
    Result block;
    run(dbc, statement, block, [&](QVector<QVector<QVariant>>& rows) {
        block.rows = std::move(rows);
        onBlock(block);
        rows = std::move(block.rows);
    });
}

} // namespace OdbcReader
