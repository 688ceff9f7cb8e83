#include "DayCells.h"
#include "Connection.h"
#include "DbError.h"
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

qint64 lockKey(qint64 worker, int shift, int month, int year)
{
    // FNV-1a over the key's text: the same number in every client, whatever its build.
    const QByteArray text = QStringLiteral("h_tabel:%1:%2:%3:%4").arg(worker).arg(shift).arg(month).arg(year).toLatin1();
    quint64 h = 14695981039346656037ULL;
    for (char ch : text) {
        h ^= quint8(ch);
        h *= 1099511628211ULL;
    }
    return qint64(h);
}

QString lockStatement(qint64 worker, int shift, const QDate& day)
{
    return QStringLiteral("select pg_advisory_xact_lock(") + num(lockKey(worker, shift, day.month(), day.year()))
        + QLatin1Char(')');
}

static qint64 firstInteger(Connection& c, const QString& statement)
{
    const OdbcReader::Result r = c.select(statement);
    if (r.rows.isEmpty() || r.rows.first().isEmpty() || r.rows.first().first().isNull())
        return 0;
    bool ok = false;
    const qint64 v = r.rows.first().first().toLongLong(&ok);
    return ok ? v : qint64(r.rows.first().first().toDouble());
}

template <class Fn> static void inTransaction(Connection& c, Fn fn)
{
    if (c.inTransaction()) {
        fn();
        return;
    }
    Transaction t(c);
    fn();
}

void refresh(Connection& c, qint64 worker, int shift, const QDate& day)
{
    inTransaction(c, [&] {
        c.execute(lockStatement(worker, shift, day));
        const qint64 rows = firstInteger(c, countStatement(worker, shift, day));
        const qint64 hours = firstInteger(c, sumStatement(worker, shift, day));
        c.execute(rows != 0 ? updateStatement(worker, shift, day, hours) : insertStatement(worker, shift, day, hours));
    });
}

void refreshAfterDelete(Connection& c, qint64 worker, int shift, const QDate& day)
{
    inTransaction(c, [&] {
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
