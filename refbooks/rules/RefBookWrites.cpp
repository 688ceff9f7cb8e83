#include "RefBookWrites.h"
#include "Connection.h"
#include "KindsSql.h"
#include "Locks.h"
#include "OperSql.h"
#include "ProductsSql.h"
#include "Query.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include "WorkersSql.h"
#include <functional>
#include "app/rules/DataModuleSql.h"
#include "journal/rules/DayCells.h"

namespace RefBookWrites {

using SqlText::num;

const char* const OperationNamesMissing = "Изделие или вид операции уже удалены другим пользователем: выберите их заново.";
const char* const NormOperationMissing = "Операция уже удалена другим пользователем: строка норматива не сохранена.";

namespace {
// A change whose row is gone changes nothing: the caller says so.
Saved write(Connection& c, const QString& statement, bool change)
{
    const int rows = c.executeCount(statement);
    return change && rows == 0 ? Saved::Gone : Saved::Yes;
}

// Locks the row about to go; false when another client deleted it already.
bool lockRow(Connection& c, Locks::Table table, qint64 id)
{
    return !Locks::rows(c, table, QStringLiteral("id=") + num(id), Locks::RowMode::Update).rows.isEmpty();
}

// Holds a row the write names against its deletion until the transaction ends.
bool holdRow(Connection& c, Locks::Table table, qint64 id)
{
    return !Locks::rows(c, table, QStringLiteral("id=") + num(id), Locks::RowMode::KeyShare).rows.isEmpty();
}

qint64 count(Connection& c, const QString& statement) { return Rows::firstInteger(c, statement); }

// A row to delete, the counts of the rows that use it, and the statements that delete it
// with what belongs to it, after the locks of what they write.
struct Removal {
    Locks::Table table;
    qint64 id;
    QStringList uses;
    QStringList deletes;
    std::function<QVector<Locks::Key>(Connection&)> keys = {};
};

Deletion removeUnlessUsed(Connection& c, const Removal& r)
{
    Transaction t(c);
    if (!lockRow(c, r.table, r.id))
        return {Deletion::Gone};
    qint64 uses = 0;
    for (const QString& u : r.uses)
        uses += count(c, u);
    if (uses > 0)
        return {Deletion::InUse, uses};
    if (r.keys)
        Locks::take(c, r.keys(c));
    for (const QString& d : r.deletes)
        c.execute(d);
    return {};
}
} // namespace

Saved saveWorker(Connection& c, const QString& fio, const QString& department, std::optional<int> id)
{
    // One statement, in a transaction all the same: a lost answer is looked up, not guessed.
    Transaction t(c);
    return write(c, id ? WorkersSql::update(fio, department, *id) : WorkersSql::insert(fio, department), bool(id));
}

namespace {
// A worker's timesheet rows in every month, under the keys their other writers take: the
// month's (shared) and the row's own. A rebuild of one of the months is waited for before
// any row is touched.
QVector<Locks::Key> timesheetKeys(Connection& c, qint64 worker)
{
    const OdbcReader::Result rows =
        c.select(QStringLiteral("select distinct month, year, smena, coalesce(i_type, 0), coalesce(i_night, 0) "
                                "from accounts_dep.h_tabel where w_id=%1 and month is not null and year is not null")
                     .arg(num(worker)));
    QVector<Locks::Key> keys;
    for (const QVector<QVariant>& r : rows.rows) {
        const int month = r[0].toInt(), year = r[1].toInt(), kind = r[3].toInt();
        keys << Locks::month(month, year, true);
        if (kind != 0)
            keys << Locks::householdCell(worker, kind, r[4].toInt() != 0, month, year);
        else if (!r[2].isNull())
            keys << Locks::journalCell(worker, r[2].toInt(), month, year);
    }
    return keys;
}
} // namespace

Deletion removeWorker(Connection& c, int id)
{
    const QString w = num(qint64(id));
    return removeUnlessUsed(c, {Locks::Table::Worker, id,
                                {"select count(*) from accounts_dep.smena where w_id=" + w,
                                 "select count(*) from accounts_dep.fatigue where id_p=" + w},
                                // Without records his timesheet rows hold nothing the journal still backs.
                                {"delete from accounts_dep.h_tabel where w_id=" + w, WorkersSql::remove(id)},
                                [id](Connection& c) { return timesheetKeys(c, id); }});
}

Saved saveKind(Connection& c, const QString& name, const QString& upperName, std::optional<qint64> id)
{
    Transaction t(c);
    Locks::take(c, {Locks::bookNames(Locks::Book::Kinds)});
    if (count(c, id ? KindsSql::duplicate(upperName, *id) : KindsSql::duplicate(upperName)) > 0)
        return Saved::Duplicate;
    return write(c, id ? KindsSql::rename(name, *id) : KindsSql::insert(name), bool(id));
}

Deletion removeKind(Connection& c, qint64 id)
{
    const QString k = num(id);
    return removeUnlessUsed(c, {Locks::Table::Kind, id,
                                {"select count(*) from accounts_dep.oper where vid=" + k,
                                 "select count(*) from accounts_dep.fatigue where id_o=" + k},
                                {"delete from accounts_dep.vid_oper where id=" + k}});
}

Saved saveProduct(Connection& c, const QString& mark, const QString& upperMark, const QString& value, qint64 group,
                  std::optional<qint64> id)
{
    Transaction t(c);
    Locks::take(c, {Locks::bookNames(Locks::Book::ProductMarks)});
    if (count(c, id ? ProductsSql::duplicate(upperMark, *id) : ProductsSql::duplicate(upperMark)) > 0)
        return Saved::Duplicate;
    return write(c, id ? ProductsSql::update(mark, value, group, *id) : ProductsSql::insert(mark, value, group), bool(id));
}

Deletion removeProduct(Connection& c, qint64 id)
{
    Transaction t(c);
    const QString p = num(id);
    if (!lockRow(c, Locks::Table::Product, id))
        return {Deletion::Gone};
    // Its operations before its records: a save naming one waits here, or is waited for.
    Locks::rows(c, Locks::Table::Operation, QStringLiteral("i_id=") + p, Locks::RowMode::Update);
    // Its records as they stand, held until they go: their day cells are the ones to
    // recompute, and none moves in or out meanwhile.
    const OdbcReader::Result records =
        Locks::rows(c, Locks::Table::JournalRecord, QStringLiteral("i_id=") + p, Locks::RowMode::Update,
                    QStringLiteral("w_id, smena, data"));
    QVector<DayCells::Place> days;
    QVector<Locks::Key> cells;
    for (const QVector<QVariant>& r : records.rows) {
        if (r[0].isNull() || r[1].isNull() || r[2].isNull())
            continue;
        const DayCells::Place d{r[0].toLongLong(), r[1].toInt(), r[2].toDate()};
        if (days.contains(d))
            continue;
        days << d;
        cells << DayCells::lockKeys(d.worker, d.shift, d.day);
    }
    Locks::take(c, cells);
    // The hours of the deleted records leave the timesheet with them.
    c.execute(ProductsSql::deleteSmena(id));
    for (const DayCells::Place& d : days)
        DayCells::refreshAfterDelete(c, d.worker, d.shift, d.day);
    c.execute(QStringLiteral("delete from accounts_dep.norm where o_id in (select id from accounts_dep.oper where i_id=")
              + p + QLatin1Char(')'));
    c.execute(ProductsSql::deleteOper(id));
    c.execute(ProductsSql::deleteProduct(id));
    return {};
}

Saved saveOperation(Connection& c, int kind, int naimen, int item, std::optional<int> id)
{
    Transaction t(c);
    Locks::take(c, {Locks::bookNames(Locks::Book::Operations)});
    if (!holdRow(c, Locks::Table::Product, item) || !holdRow(c, Locks::Table::Kind, kind))
        return Saved::Missing;
    if (count(c, id ? OperSql::duplicateOnChange(kind, naimen, item, *id) : OperSql::duplicateOnAdd(kind, naimen, item)) > 0)
        return Saved::Duplicate;
    if (id)
        return write(c, OperSql::update(kind, naimen, item, *id), true);
    c.execute(OperSql::insert(kind, naimen, item));
    const qint64 newId = count(c, QString::fromUtf8(OperSql::NewOperId));
    c.execute(SqlText::bind(OperSql::normIns().join(QLatin1Char('\n')),
                            {{QStringLiteral("o_id"), newId}, {QStringLiteral("price"), 0.0}}));
    return Saved::Yes;
}

Deletion removeOperation(Connection& c, int id)
{
    const QString o = num(qint64(id));
    return removeUnlessUsed(c, {Locks::Table::Operation, id,
                                {"select count(*) from accounts_dep.smena where o_id=" + o},
                                {"delete from accounts_dep.norm where o_id=" + o,
                                 SqlText::bind(QString::fromUtf8(DataModuleSql::OperDel), {{QStringLiteral("id"), id}})}});
}

void setUpNormRows(Query& norm)
{
    norm.setSql(QString::fromUtf8(OperSql::Norm));
    norm.setTable(QStringLiteral("accounts_dep.norm"));
    norm.setReference(QStringLiteral("o_id"), Locks::Table::Operation, QString::fromUtf8(NormOperationMissing));
}

QString workerInUse(qint64 uses)
{
    return QStringLiteral("Работника нельзя удалить: по нему есть записи журнала и хоз. работ (%1).").arg(uses);
}

QString kindInUse(qint64 uses)
{
    return QStringLiteral("Вид операции нельзя удалить: его используют операции и хоз. работы (%1).").arg(uses);
}

QString operationInUse(qint64 uses)
{
    return QStringLiteral("Операцию нельзя удалить: по ней есть записи журнала (%1).").arg(uses);
}

} // namespace RefBookWrites
