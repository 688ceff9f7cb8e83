#include "DayCells.h"
#include "Connection.h"
#include "DbError.h"
#include "Locks.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include <QStringList>

namespace DayCells {

using SqlText::num;

static QString keyCondition(qint64 worker, int shift, const QDate& day)
{
    return QStringLiteral(" where w_id=") + num(worker) + QStringLiteral(" and smena=") + num(qint64(shift))
        + QStringLiteral(" and month=") + num(qint64(day.month())) + QStringLiteral(" and year=") + num(qint64(day.year()));
}

QString countStatement(qint64 worker, int shift, const QDate& day)
{
    return QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel") + keyCondition(worker, shift, day);
}

QString sumStatement(qint64 worker, int shift, const QDate& day)
{
    return QStringLiteral("select sum(time) as tim from accounts_dep.smena where w_id=") + num(worker)
        + QStringLiteral(" and smena=") + num(qint64(shift)) + QStringLiteral(" and data=to_date('") + SqlText::dmy(day)
        + QStringLiteral("', 'DD.MM.YYYY') group by w_id, smena, data");
}

QString updateStatement(qint64 worker, int shift, const QDate& day, qint64 hours)
{
    return QStringLiteral("update accounts_dep.h_tabel set d") + num(qint64(day.day())) + QLatin1Char('=') + num(hours)
        + keyCondition(worker, shift, day);
}

QString insertStatement(qint64 worker, int shift, const QDate& day, qint64 hours)
{
    return QStringLiteral("insert into accounts_dep.h_tabel(smena, w_id, month, year, d") + num(qint64(day.day()))
        + QStringLiteral(") values(") + num(qint64(shift)) + QStringLiteral(", ") + num(worker) + QStringLiteral(", ")
        + num(qint64(day.month())) + QStringLiteral(", ") + num(qint64(day.year())) + QStringLiteral(", ") + num(hours)
        + QLatin1Char(')');
}

QString deleteRecordStatement(const QString& id) { return QStringLiteral("delete from accounts_dep.smena where id=") + id; }

QString lockName(qint64 worker, int shift, const QDate& day)
{
    return QStringLiteral("h_tabel:%1:%2:%3:%4").arg(worker).arg(shift).arg(day.month()).arg(day.year());
}

qint64 lockKey(qint64 worker, int shift, int month, int year)
{
    return Locks::keyOf(lockName(worker, shift, QDate(year, month, 1)));
}

QString monthLockName(int month, int year) { return QStringLiteral("h_tabel:month:%1:%2").arg(month).arg(year); }

QString lockStatement(qint64 worker, int shift, const QDate& day)
{
    // The month shared: a month rebuild holds it alone, and a save waits for the rebuilt rows.
    return QStringLiteral("select pg_advisory_xact_lock_shared(") + num(Locks::keyOf(monthLockName(day.month(), day.year())))
        + QStringLiteral("), pg_advisory_xact_lock(") + num(Locks::keyOf(lockName(worker, shift, day))) + QLatin1Char(')');
}

using Rows::firstInteger;

void refresh(Connection& c, qint64 worker, int shift, const QDate& day)
{
    withTransaction(c, [&] {
        c.execute(lockStatement(worker, shift, day));
        const qint64 rows = firstInteger(c, countStatement(worker, shift, day));
        const qint64 hours = firstInteger(c, sumStatement(worker, shift, day));
        c.execute(rows != 0 ? updateStatement(worker, shift, day, hours) : insertStatement(worker, shift, day, hours));
    });
}

void refreshAfterDelete(Connection& c, qint64 worker, int shift, const QDate& day)
{
    withTransaction(c, [&] {
        c.execute(lockStatement(worker, shift, day));
        const qint64 hours = firstInteger(c, sumStatement(worker, shift, day));
        c.execute(updateStatement(worker, shift, day, hours));
    });
}

QStringList refreshStatements(qint64 worker, int shift, const QDate& day, bool rowExists, qint64 hours)
{
    return {lockStatement(worker, shift, day), countStatement(worker, shift, day), sumStatement(worker, shift, day),
            rowExists ? updateStatement(worker, shift, day, hours) : insertStatement(worker, shift, day, hours)};
}

} // namespace DayCells
