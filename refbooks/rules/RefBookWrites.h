#pragma once
#include <QString>
#include <optional>

class Connection;
class Query;

// The writes of the reference books, each one transaction: a duplicate check serialised
// with its write, a change that finds its row gone, a deletion that would leave rows
// pointing at nothing refused.
namespace RefBookWrites {

enum class Saved {
    Yes,
    Duplicate,
    Gone,    // the row to change was deleted meanwhile
    Missing, // a row it names (an operation's product or kind) was deleted meanwhile
};
extern const char* const OperationNamesMissing;
extern const char* const NormOperationMissing;

struct Deletion {
    enum Status { Deleted, Gone, InUse } status = Deleted;
    qint64 uses = 0; // the rows that still use it, when InUse
};

// Workers: a new one (no id) or a change of name and department.
Saved saveWorker(Connection& c, const QString& fio, const QString& department, std::optional<int> id);
// Refused while journal or household records name the worker; his timesheet rows go with him.
Deletion removeWorker(Connection& c, int id);

// Operation kinds; names compare without letter case (upperName: the name upper-cased).
Saved saveKind(Connection& c, const QString& name, const QString& upperName, std::optional<qint64> id);
// Refused while operations or household records use the kind.
Deletion removeKind(Connection& c, qint64 id);

// Products; value: the number text for the statement, with a point.
Saved saveProduct(Connection& c, const QString& mark, const QString& upperMark, const QString& value, qint64 group,
                  std::optional<qint64> id);
// The product with its operations, their norm rows, its journal records and their day cells.
Deletion removeProduct(Connection& c, qint64 id);

// Operations: a new one gets a first norm row at price 0, so that it is listed and can be priced.
// The product and the kind it names stay until it is written.
Saved saveOperation(Connection& c, int kind, int naimen, int item, std::optional<int> id);
// Refused while journal records use the operation; its norm rows go with it.
Deletion removeOperation(Connection& c, int id);

// The norm rows as the norms grid edits them (accounts_dep.norm): a row is written with its
// operation held against deletion, and refused (NormOperationMissing) when it is gone.
void setUpNormRows(Query& norm);

// Messages of a refused deletion, with the number of rows in the way.
QString workerInUse(qint64 uses);
QString kindInUse(qint64 uses);
QString operationInUse(qint64 uses);

} // namespace RefBookWrites
