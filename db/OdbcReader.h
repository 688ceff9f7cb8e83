#pragma once
#include "Table.h"
#include <QStringList>
#include <QVariant>
#include <QVector>
#include <functional>

// Reads a whole result straight through ODBC with bound columns and block fetches:
// the query windows keep every row on the client, and fetching value by value through
// a generic query layer costs more than the statement itself.
namespace OdbcReader {
struct Result {
    QStringList fields; // lower case
    QVector<bool> numeric; // per field: a number of any kind (exact decimals arrive as text)
    Table table;        // the rows, by column (readTable)
    QVector<QVector<QVariant>> rows; // the rows as values (readAll, readBlocks)
};
// Every diagnostic record of an ODBC handle (type SQL_HANDLE_…), whole, one a line, and the
// first record's SQLSTATE.
QString diagnostics(short type, void* handle, QString* sqlState = nullptr);
// dbc: the ODBC connection handle. Throws DbError.
// The rows as values, for small results read by the rules.
Result readAll(void* dbc, const QString& statement);
// The rows by column, for the client-side queries; room: a table of an earlier reading
// whose memory the rows may take over (or nullptr).
Result readTable(void* dbc, const QString& statement, Table* room = nullptr);
// The same a fetch at a time (at most a few hundred rows), for results too large to hold:
// each block carries the fields and that fetch's rows. The block is lent for the call only.
void readBlocks(void* dbc, const QString& statement, const std::function<void(const Result& block)>& onBlock);
} // namespace OdbcReader
