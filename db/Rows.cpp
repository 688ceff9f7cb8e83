#include "Rows.h"

namespace Rows {

qint64 firstInteger(Connection& c, const QString& statement)
{
    const OdbcReader::Result r = c.select(statement);
    if (r.rows.isEmpty() || r.rows.first().isEmpty() || r.rows.first().first().isNull())
        return 0;
    bool ok = false;
    const qint64 v = r.rows.first().first().toLongLong(&ok);
    return ok ? v : qint64(r.rows.first().first().toDouble());
}

} // namespace Rows
