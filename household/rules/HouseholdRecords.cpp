#include "HouseholdRecords.h"
#include "Connection.h"
#include "Locks.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include "Watch.h"
#include <QStringList>

namespace HouseholdRecords {

using namespace HouseholdSql;

const char* const MissingMessage = "Работник или вид работы уже удалены другим пользователем: выберите их заново.";

QVector<Locks::Key> lockKeys(const Place& p)
{
    const int m = p.day.month(), y = p.day.year();
    return {Locks::month(m, y, true), Locks::householdCell(p.worker, p.kind, p.night, m, y)};
}

void refresh(Connection& c, const Place& p)
{
    withTransaction(c, [&] {
        Locks::take(c, lockKeys(p));
        const qint64 rows = Rows::firstInteger(c, countStatement(p.worker, p.kind, p.night, p.day));
        const qint64 hours = Rows::firstInteger(c, hoursStatement(p.worker, p.kind, p.night, p.day));
        c.execute(rows > 0 ? cellUpdateStatement(p.worker, p.kind, p.night, p.day, hours)
                           : cellInsertStatement(p.worker, p.kind, p.night, p.day, hours));
    });
}

void refreshAfterDelete(Connection& c, const Place& p)
{
    withTransaction(c, [&] {
        Locks::take(c, lockKeys(p));
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
    const OdbcReader::Result r = Locks::rows(c, Locks::Table::HouseholdRecord, QStringLiteral("id=") + SqlText::num(id),
                                             Locks::RowMode::Update, QStringLiteral("id_p, id_o, i_night, d_date"));
    if (r.rows.isEmpty())
        return std::nullopt;
    return placeOf(r.rows.first());
}

// The work kind and the worker the record names are there, and stay until the transaction
// ends: a deletion of either waits for the save, or the save sees it gone.
bool namesExist(Connection& c, const Record& r)
{
    using namespace Locks;
    return !rows(c, Locks::Table::Kind, QStringLiteral("id=") + SqlText::num(qint64(r.kind)), RowMode::KeyShare).rows.isEmpty()
        && !rows(c, Locks::Table::Worker, QStringLiteral("id=") + SqlText::num(r.worker), RowMode::KeyShare).rows.isEmpty();
}
} // namespace

Outcome save(Connection& c, const Record& r, std::optional<qint64> id)
{
    Transaction t(c);
    if (!namesExist(c, r))
        return Outcome::Missing;
    std::optional<Place> from;
    QDate day = r.date;
    if (id) {
        from = storedPlace(c, *id);
        if (!from)
            return Outcome::Gone;
        day = from->day;
    }
    const Place to{r.worker, r.kind, r.night, day};
    QVector<Locks::Key> locks;
    if (to.day.isValid())
        locks << lockKeys(to);
    if (from && from->day.isValid())
        locks << lockKeys(*from);
    Locks::take(c, locks);
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
    // The records it rewrites first, the month after: a change of one of them holds its
    // record before it asks for the month, and the two would otherwise wait for each other.
    Locks::rows(c, Locks::Table::HouseholdRecord, averageRateRecords(month, year), Locks::RowMode::Update);
    Locks::take(c, {Locks::month(month, year, false)});
    Watch::beginBulk(c);
    const int n = c.executeCount(repriceStatement(month, year));
    Watch::note(c, QStringLiteral("reprice"), QStringLiteral("accounts_dep.fatigue"), Watch::monthKey(month, year),
                QStringLiteral("{\"fatigue\": %1}").arg(n));
    return n;
}

} // namespace HouseholdRecords
