#include "RebuildByDay.h"
#include "Connection.h"
#include "Rows.h"
#include "ShiftTimesheet.h"
#include "SqlText.h"
#include <QDate>

namespace RebuildByDay {

int run(Connection& c, int month, int year)
{
    const QString m = QString::number(month);
    const QString y = QString::number(year);
    c.execute(ShiftTimesheet::deleteShiftRows(month, year));
    int statements = 1;
    const QString dt = QStringLiteral(" select smena, w_id, sum(time) as tim from accounts_dep.smena where data=:data group by smena,w_id;");
    const int days = QDate(year, month, 1).daysInMonth();
    for (int i = 1; i <= days; ++i) {
        const OdbcReader::Result r = c.select(dt, {{QStringLiteral("data"), QDate(year, month, i)}});
        ++statements;
        for (const QVector<QVariant>& row : r.rows) {
            const QString s = row[0].toString(), w = row[1].toString(), tim = row[2].toString();
            const QString key = QStringLiteral(" where w_id=") + w + QStringLiteral(" and smena=") + s
                + QStringLiteral(" and month=") + m + QStringLiteral(" and year=") + y;
            const qint64 cnt = Rows::firstInteger(
                c, QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel h_tabel") + key);
            if (cnt != 0)
                c.execute(QStringLiteral("update accounts_dep.h_tabel set d") + QString::number(i) + QStringLiteral("='")
                          + tim + QLatin1Char('\'') + key);
            else
                c.execute(QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d") + QString::number(i)
                          + QStringLiteral(") values(") + s + QStringLiteral(", ") + w + QStringLiteral(", ") + m
                          + QStringLiteral(", ") + y + QStringLiteral(", ") + tim + QLatin1Char(')'));
            statements += 2;
        }
    }
    return statements;
}

} // namespace RebuildByDay
