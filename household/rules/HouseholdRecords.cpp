#include "HouseholdRecords.h"
#include "Connection.h"
#include "Locks.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include <QStringList>

namespace HouseholdRecords {

using namespace HouseholdSql;

QString lockName(const Place& p)
{
    return QStringLiteral("h_tabel_hh:%1:%2:%3:%4:%5")
        .arg(p.worker)
        .arg(p.kind)
        .arg(p.night ? 1 : 0)
        .arg(p.day.month())
        .arg(p.day.year());
}

void refresh(Connection& c, const Place& p)
{
    withTransaction(c, [&] {
        Locks::lock(c, lockName(p));
        const qint64 rows = Rows::firstInteger(c, countStatement(p.worker, p.kind, p.night, p.day));
        const qint64 hours = Rows::firstInteger(c, hoursStatement(p.worker, p.kind, p.night, p.day));
        c.execute(rows > 0 ? cellUpdateStatement(p.worker, p.kind, p.night, p.day, hours)
                           : cellInsertStatement(p.worker, p.kind, p.night, p.day, hours));
    });
}

void refreshAfterDelete(Connection& c, const Place& p)
{
    withTransaction(c, [&] {
        Locks::lock(c, lockName(p));
        const qint64 hours = Rows::firstInteger(c, hoursStatement(p.worker, p.kind, p.night, p.day));
        c.execute(cellUpdateAfterDeleteStatement(p.worker, p.kind, p.night, p.day, hours));
    });
}

namespace {
Place placeOf(const QVector<QVariant>& row)
{
    return {row.value(0).toLongLong(), row.value(1).toInt(), row.value(2).toInt() != 0, row.value(3).toDate()};
}

// The record's place as stored, locked against other changes until the transaction ends.
std::optional<Place> storedPlace(Connection& c, qint64 id)
{
    const OdbcReader::Result r = c.select(QStringLiteral("select id_p, id_o, i_night, d_date from accounts_dep.fatigue where id=")
                                          + SqlText::num(id) + QStringLiteral(" for update"));
    if (r.rows.isEmpty())
        return std::nullopt;
    return placeOf(r.rows.first());
}
} // namespace

Outcome save(Connection& c, const Record& r, std::optional<qint64> id)
{
    Transaction t(c);
    std::optional<Place> from;
    QDate day = r.date;
    if (id) {
        from = storedPlace(c, *id);
        if (!from)
            return Outcome::Gone;
        day = from->day;
    }
    const Place to{r.worker, r.kind, r.night, day};
    QStringList locks{lockName(to)};
    if (from && from->day.isValid())
        locks << lockName(*from);
    Locks::lockAll(c, locks);
    c.execute(id ? updateStatement(r, *id) : insertStatement(r));
    if (to.day.isValid())
        refresh(c, to);
    if (from && from->day.isValid() && !(*from == to))
        refreshAfterDelete(c, *from);
    return Outcome::Saved;
}

std::optional<Place> remove(Connection& c, qint64 id)
{
    Transaction t(c);
    const OdbcReader::Result r = c.select(deleteStatement(id) + QStringLiteral(" returning id_p, id_o, i_night, d_date"));
    if (r.rows.isEmpty())
        return std::nullopt;
    const Place p = placeOf(r.rows.first());
    if (p.day.isValid())
        refreshAfterDelete(c, p);
    return p;
}

int reprice(Connection& c, int month, int year)
{
    Transaction t(c);
    return c.executeCount(repriceStatement(month, year));
}

} // namespace HouseholdRecords
