#pragma once
#include "Connection.h"

// Small readers of a statement's first value.
namespace Rows {
// The first column of the first row as a whole number; 0 when there is none.
qint64 firstInteger(Connection& c, const QString& statement);
}
