#pragma once
#include <QStringList>
#include <QVariant>
#include <QVector>

// Reads a whole result straight through ODBC with bound columns and block fetches:
// the query windows keep every row on the client, and fetching value by value through
// QSqlQuery costs more than the statement itself.
namespace OdbcReader {
struct Result {
    QStringList fields; // lower case
    QVector<bool> numeric; // per field: a number of any kind (exact decimals arrive as text)
    QVector<QVector<QVariant>> rows;
};
// dbc: the ODBC connection handle under the Qt connection. Throws DbError.
Result readAll(void* dbc, const QString& statement);
} // namespace OdbcReader
