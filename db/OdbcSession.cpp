#include "OdbcSession.h"
#include "DbError.h"
#include "OdbcReader.h"
#include <QStringList>
#include <sql.h>
#include <sqlext.h>
#include <string>
#include <utility>
#include <vector>

namespace {
[[noreturn]] void fail(SQLSMALLINT type, SQLHANDLE h, const QString& statement)
{
    QString state;
    const QString text = OdbcReader::diagnostics(type, h, &state);
    throw DbError(text, statement, state);
}

struct Stmt {
    SQLHSTMT h = SQL_NULL_HSTMT;
    ~Stmt()
    {
        if (h != SQL_NULL_HSTMT)
            SQLFreeHandle(SQL_HANDLE_STMT, h);
    }
};
} // namespace

OdbcSession::OdbcSession()
{
    SQLHENV env = SQL_NULL_HENV;
    SQLHDBC dbc = SQL_NULL_HDBC;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env)))
        throw DbError(QStringLiteral("диспетчер драйверов ODBC недоступен"));
    env_ = env;
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, SQLPOINTER(SQL_OV_ODBC3), 0);
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc)))
        fail(SQL_HANDLE_ENV, env, {});
    dbc_ = dbc;
}

OdbcSession::~OdbcSession()
{
    if (connected_)
        SQLDisconnect(SQLHDBC(dbc_));
    if (dbc_)
        SQLFreeHandle(SQL_HANDLE_DBC, SQLHDBC(dbc_));
    if (env_)
        SQLFreeHandle(SQL_HANDLE_ENV, SQLHENV(env_));
}

void OdbcSession::connect(const QString& connectionString)
{
    std::u16string text = connectionString.toStdU16String();
    const SQLRETURN r = SQLDriverConnectW(SQLHDBC(dbc_), nullptr, reinterpret_cast<SQLWCHAR*>(text.data()),
                                          SQLSMALLINT(text.size()), nullptr, 0, nullptr, SQL_DRIVER_NOPROMPT);
    if (!SQL_SUCCEEDED(r))
        fail(SQL_HANDLE_DBC, dbc_, {});
    connected_ = true;
}

int OdbcSession::execute(const QString& statement)
{
    Stmt s;
    if (!SQL_SUCCEEDED(SQLAllocHandle(SQL_HANDLE_STMT, SQLHDBC(dbc_), &s.h)))
        fail(SQL_HANDLE_DBC, dbc_, statement);
    std::u16string text = statement.toStdU16String();
    const SQLRETURN r = SQLExecDirectW(s.h, reinterpret_cast<SQLWCHAR*>(text.data()), SQLINTEGER(text.size()));
    if (r == SQL_NO_DATA)
        return 0; // an update or deletion that met no row
    if (!SQL_SUCCEEDED(r))
        fail(SQL_HANDLE_STMT, s.h, statement);
    SQLLEN rows = -1;
    if (!SQL_SUCCEEDED(SQLRowCount(s.h, &rows)))
        rows = -1;
    return int(rows);
}

void OdbcSession::setAutocommit(bool on)
{
    const SQLRETURN r = SQLSetConnectAttr(SQLHDBC(dbc_), SQL_ATTR_AUTOCOMMIT,
                                          SQLPOINTER(on ? SQL_AUTOCOMMIT_ON : SQL_AUTOCOMMIT_OFF), 0);
    if (!SQL_SUCCEEDED(r))
        fail(SQL_HANDLE_DBC, dbc_, {});
}

void OdbcSession::endTransaction(bool commit)
{
    const SQLRETURN r = SQLEndTran(SQL_HANDLE_DBC, SQLHDBC(dbc_), commit ? SQL_COMMIT : SQL_ROLLBACK);
    if (!SQL_SUCCEEDED(r))
        fail(SQL_HANDLE_DBC, dbc_, commit ? QStringLiteral("COMMIT") : QStringLiteral("ROLLBACK"));
    if (r == SQL_SUCCESS_WITH_INFO) {
        warning_ = OdbcReader::diagnostics(SQL_HANDLE_DBC, dbc_);
    }
}

QString OdbcSession::takeWarning() { return std::exchange(warning_, QString()); }

bool OdbcSession::lost() const
{
    if (!connected_)
        return true;
    SQLUINTEGER dead = SQL_CD_FALSE;
    const SQLRETURN r = SQLGetConnectAttr(SQLHDBC(dbc_), SQL_ATTR_CONNECTION_DEAD, &dead, sizeof dead, nullptr);
    return SQL_SUCCEEDED(r) && dead == SQL_CD_TRUE;
}
