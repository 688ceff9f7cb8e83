#include "JournalRecords.h"
#include "Connection.h"
#include "DayCells.h"
#include "Locks.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"

namespace JournalRecords {

const char* const MissingMessage = "Работник или операция уже удалены другим пользователем: выберите их заново.";

namespace {
struct Place {
    qint64 worker;
    int shift;
    QDate day;
    bool operator==(const Place& o) const { return worker == o.worker && shift == o.shift && day == o.day; }
};

Place placeOf(const QVector<QVariant>& row)
{
    return {row.value(0).toLongLong(), row.value(1).toInt(), row.value(2).toDate()};
}

// The worker and the operation the record names are there, and stay there until the
// transaction ends: a deletion of either waits for the save, or the save sees it gone.
bool namesExist(Connection& c, const EntryRules::Record& r)
{
    const QString w = SqlText::num(r.worker);
    if (c.select(QStringLiteral("select id from accounts_dep.oper where id=") + SqlText::num(r.oper) + QStringLiteral(" for key share"))
            .rows.isEmpty())
        return false;
    if (!c.select(QStringLiteral("select id from accounts_dep.person where id=") + w + QStringLiteral(" for key share"))
             .rows.isEmpty())
        return true;
    // A person of another application, found by id or worker number as the journal finds
    // him: by id first, so that the codes are looked through only when that finds no one.
    return !c.select(QStringLiteral("(select id from cmn_contractor.person where id=") + w
                     + QStringLiteral(") union all (select id from cmn_contractor.person where ")
                     + SqlText::workerNumber(QStringLiteral("s_code")) + QLatin1Char('=') + w + QStringLiteral(") limit 1"))
                .rows.isEmpty();
}

// The record's place as stored, locked against other changes until the transaction ends.
std::optional<Place> storedPlace(Connection& c, qint64 id)
{
    const OdbcReader::Result r =
        c.select(QStringLiteral("select w_id, smena, data from accounts_dep.smena where id=") + SqlText::num(id)
                 + QStringLiteral(" for update"));
    if (r.rows.isEmpty())
        return std::nullopt;
    return placeOf(r.rows.first());
}
} // namespace

Outcome save(Connection& c, const EntryRules::Record& r, std::optional<qint64> id)
{
    Transaction t(c);
    const Place to{r.worker, r.shift, r.date};
    std::optional<Place> from;
    if (id) {
        from = storedPlace(c, *id);
        if (!from)
            return Outcome::Gone;
    }
    if (!namesExist(c, r))
        return Outcome::Missing;
    // The cell lock also covers the duplicate check: a duplicate has the same day cell.
    QStringList locks{DayCells::lockName(to.worker, to.shift, to.day)};
    if (from && from->day.isValid())
        locks << DayCells::lockName(from->worker, from->shift, from->day);
    Locks::lockAll(c, locks);
    if (Rows::firstInteger(c, EntryRules::duplicateCheck(r, id)) > 0)
        return Outcome::Duplicate;
    c.execute(id ? EntryRules::updateStatement(r, *id) : EntryRules::insertStatement(r));
    DayCells::refresh(c, to.worker, to.shift, to.day);
    if (from && from->day.isValid() && !(*from == to))
        DayCells::refreshAfterDelete(c, from->worker, from->shift, from->day);
    return Outcome::Saved;
}

Removed remove(Connection& c, qint64 id)
{
    Transaction t(c);
    const OdbcReader::Result r = c.select(DayCells::deleteRecordStatement(SqlText::num(id))
                                          + QStringLiteral(" returning w_id, smena, data"));
    Removed out;
    if (r.rows.isEmpty())
        return out;
    const Place p = placeOf(r.rows.first());
    out = {true, p.worker, p.shift, p.day};
    if (p.day.isValid())
        DayCells::refreshAfterDelete(c, p.worker, p.shift, p.day);
    return out;
}

} // namespace JournalRecords
