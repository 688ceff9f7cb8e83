#include "RefBookWrites.h"
#include "Connection.h"
#include "KindsSql.h"
#include "Locks.h"
#include "OperSql.h"
#include "ProductsSql.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include "WorkersSql.h"
#include "app/rules/DataModuleSql.h"
#include "journal/rules/DayCells.h"

namespace RefBookWrites {

using SqlText::num;

namespace {
// A change whose row is gone changes nothing: the caller says so.
Saved write(Connection& c, const QString& statement, bool change)
{
    const int rows = c.executeCount(statement);
    return change && rows == 0 ? Saved::Gone : Saved::Yes;
}

// Locks the row about to go; false when another client deleted it already.
bool lockRow(Connection& c, const QString& table, qint64 id)
{
    return !c.select(QStringLiteral("select id from %1 where id=%2 for update").arg(table, num(id))).rows.isEmpty();
}

qint64 count(Connection& c, const QString& statement) { return Rows::firstInteger(c, statement); }

// A row to delete, the counts of the rows that use it, and the statements that delete it
// with what belongs to it.
struct Removal {
    QString table;
    qint64 id;
    QStringList uses;
    QStringList deletes;
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
    for (const QString& d : r.deletes)
        c.execute(d);
    return {};
}
} // namespace

Saved saveWorker(Connection& c, const QString& fio, const QString& department, std::optional<int> id)
{
    return write(c, id ? WorkersSql::update(fio, department, *id) : WorkersSql::insert(fio, department), bool(id));
}

Deletion removeWorker(Connection& c, int id)
{
    const QString w = num(qint64(id));
    return removeUnlessUsed(c, {QStringLiteral("accounts_dep.person"), id,
                                {"select count(*) from accounts_dep.smena where w_id=" + w,
                                 "select count(*) from accounts_dep.fatigue where id_p=" + w},
                                // Without records his timesheet rows hold nothing the journal still backs.
                                {"delete from accounts_dep.h_tabel where w_id=" + w, WorkersSql::remove(id)}});
}

Saved saveKind(Connection& c, const QString& name, const QString& upperName, std::optional<qint64> id)
{
    Transaction t(c);
    Locks::lock(c, QStringLiteral("vid_oper:names"));
    if (count(c, id ? KindsSql::duplicate(upperName, *id) : KindsSql::duplicate(upperName)) > 0)
        return Saved::Duplicate;
    return write(c, id ? KindsSql::rename(name, *id) : KindsSql::insert(name), bool(id));
}

Deletion removeKind(Connection& c, qint64 id)
{
    const QString k = num(id);
    return removeUnlessUsed(c, {QStringLiteral("accounts_dep.vid_oper"), id,
                                {"select count(*) from accounts_dep.oper where vid=" + k,
                                 "select count(*) from accounts_dep.fatigue where id_o=" + k},
                                {"delete from accounts_dep.vid_oper where id=" + k}});
}

Saved saveProduct(Connection& c, const QString& mark, const QString& upperMark, const QString& value, qint64 group,
                  std::optional<qint64> id)
{
    Transaction t(c);
    Locks::lock(c, QStringLiteral("gds_and_srv:marks"));
    if (count(c, id ? ProductsSql::duplicate(upperMark, *id) : ProductsSql::duplicate(upperMark)) > 0)
        return Saved::Duplicate;
    return write(c, id ? ProductsSql::update(mark, value, group, *id) : ProductsSql::insert(mark, value, group), bool(id));
}

Deletion removeProduct(Connection& c, qint64 id)
{
    Transaction t(c);
    if (!lockRow(c, QStringLiteral("cmn_gds_and_srv.gds_and_srv"), id))
        return {Deletion::Gone};
    // Its operations before any day cell: a save naming one waits here, or is waited for,
    // never both at once.
    c.select(QStringLiteral("select id from accounts_dep.oper where i_id=") + num(id) + QStringLiteral(" for update"));
    // The hours of the deleted records leave the timesheet with them.
    const OdbcReader::Result days = c.select(ProductsSql::journalDays(id));
    c.execute(ProductsSql::deleteSmena(id));
    for (const QVector<QVariant>& d : days.rows)
        DayCells::refreshAfterDelete(c, d[0].toLongLong(), d[1].toInt(), d[2].toDate());
    c.execute(QStringLiteral("delete from accounts_dep.norm where o_id in (select id from accounts_dep.oper where i_id=")
              + num(id) + QLatin1Char(')'));
    c.execute(ProductsSql::deleteOper(id));
    c.execute(ProductsSql::deleteProduct(id));
    return {};
}

Saved saveOperation(Connection& c, int kind, int naimen, int item, std::optional<int> id)
{
    Transaction t(c);
    Locks::lock(c, QStringLiteral("oper:kinds"));
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
    return removeUnlessUsed(c, {QStringLiteral("accounts_dep.oper"), id,
                                {"select count(*) from accounts_dep.smena where o_id=" + o},
                                {"delete from accounts_dep.norm where o_id=" + o,
                                 SqlText::bind(QString::fromUtf8(DataModuleSql::OperDel), {{QStringLiteral("id"), id}})}});
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
