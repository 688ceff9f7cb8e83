#pragma once
#include <QString>
#include <QStringList>

// Statement texts of the operations, the operation dialog and the norms window.
namespace OperSql {
// Duplicate check of a new operation: same kind, category and product.
QString duplicateOnAdd(int kind, int naimen, int item);
// The same for a change, the operation itself excluded.
QString duplicateOnChange(int kind, int naimen, int item, int id);
// A new operation always starts with cena_new 0.
QString insert(int kind, int naimen, int item);
QString update(int kind, int naimen, int item, int id);
// Id of the operation just inserted on this connection.
extern const char* const NewOperId;
// The first norm row of a new operation: parameters o_id and price.
QStringList normIns();
// The norm rows, all of them; the window filters by operation.
extern const char* const Norm;
QString normFilter(int operId);
// The export list: every operation with its own cena_new.
QStringList xlsRep();
// List filter for a search text: marks containing it; empty when the text is blank.
QString searchFilter(const QString& text);
extern const char* const DuplicateMessage;
extern const char* const MissingMessage;
} // namespace OperSql
