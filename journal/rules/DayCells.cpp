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

QVector<Locks::Key> lockKeys(qint64 worker, int shift, const QDate& day)
{
    return {Locks::month(day.month(), day.year(), true), Locks::journalCell(worker, shift, day.month(), day.year())};
}

using Rows::firstInteger;

void refresh(Connection& c, qint64 worker, int shift, const QDate& day)
{
    withTransaction(c, [&] {
        Locks::take(c, lockKeys(worker, shift, day));
        const qint64 rows = firstInteger(c, countStatement(worker, shift, day));
        const qint64 hours = firstInteger(c, sumStatement(worker, shift, day));
        c.execute(rows != 0 ? updateStatement(worker, shift, day, hours) : insertStatement(worker, shift, day, hours));
    });
}

void refreshAfterDelete(Connection& c, qint64 worker, int shift, const QDate& day)
{
    withTransaction(c, [&] {
        Locks::take(c, lockKeys(worker, shift, day));
        const qint64 hours = firstInteger(c, sumStatement(worker, shift, day));
        c.execute(updateStatement(worker, shift, day, hours));
    });
}

QStringList refreshStatements(qint64 worker, int shift, const QDate& day, bool rowExists, qint64 hours)
{
    return {Locks::statementOf(lockKeys(worker, shift, day)), countStatement(worker, shift, day), sumStatement(worker, shift, day),
            rowExists ? updateStatement(worker, shift, day, hours) : insertStatement(worker, shift, day, hours)};
}

} // namespace DayCells
