#include "Locks.h"
#include "Connection.h"
#include "DbError.h"
#include "SqlText.h"
#include <QStringList>
#include <algorithm>

namespace Locks {

namespace {
const char* const kRankNames[] = {"Tables", "BookNames", "Product", "Kind", "Operation",
                                  "Worker", "Record",    "Month",   "Cell"};

QString rankName(int rank) { return rank < 0 ? QStringLiteral("none") : QString::fromLatin1(kRankNames[rank]); }

void requireTransaction(const Connection& c, const QString& what)
{
    // Outside a transaction the lock would end with its own statement.
    if (!c.inTransaction())
        throw DbError(QStringLiteral("Блокировка %1 вне транзакции.").arg(what));
}

[[noreturn]] void outOfOrder(const Connection& c, int rank, const QString& what)
{
    throw DbError(QStringLiteral("Блокировка %1 (%2) взята после %3: порядок блокировок нарушен.")
                      .arg(what, rankName(rank), rankName(c.lockLedger().rank)));
}

struct Taken {
    Key key;
    qint64 value;
};

const char* const kLockNotAvailable = "55P03";

// Runs a locking statement; a lock not granted in time is told as what holds it.
template <class Fn> auto locking(const QString& busy, Fn fn)
{
    try {
        return fn();
    } catch (const DbError& e) {
        if (e.state() != QLatin1String(kLockNotAvailable))
            throw;
        throw DbError(busy + QStringLiteral(" Повторите позже: изменения не сохранены."), e.statement(), e.state());
    }
}

// What the user is told when the keys of one statement wait too long: the month first.
QString busyText(const QVector<Taken>& keys)
{
    for (const Taken& t : keys)
        if (t.key.rank == Rank::Month)
            return t.key.shared ? QStringLiteral("%1 перестраивается или пересчитывается другим пользователем.").arg(t.key.what)
                                : QStringLiteral("%1 сейчас изменяют другие пользователи.").arg(t.key.what);
    for (const Taken& t : keys)
        if (!t.key.what.isEmpty())
            return QStringLiteral("%1 сейчас изменяет другой пользователь.").arg(t.key.what);
    return QStringLiteral("Данные сейчас изменяет другой пользователь.");
}

QString callOf(const Taken& t)
{
    return QStringLiteral("pg_advisory_xact_lock%1(%2)").arg(t.key.shared ? QStringLiteral("_shared") : QString(),
                                                              SqlText::num(t.value));
}

// The keys in the order they are taken: by rank, then by number; one of each number,
// alone when any asks for it alone.
QVector<Taken> ordered(const QVector<Key>& keys)
{
    QVector<Taken> wanted;
    for (const Key& k : keys)
        wanted.push_back({k, keyOf(k.name)});
    std::sort(wanted.begin(), wanted.end(), [](const Taken& a, const Taken& b) {
        return a.key.rank != b.key.rank ? a.key.rank < b.key.rank : a.value < b.value;
    });
    QVector<Taken> out;
    for (const Taken& t : wanted) {
        if (!out.isEmpty() && out.last().value == t.value)
            out.last().key.shared = out.last().key.shared && t.key.shared;
        else
            out.push_back(t);
    }
    return out;
}
} // namespace

qint64 keyOf(const QString& name)
{
    // FNV-1a over the key's text.
    quint64 h = 14695981039346656037ULL;
    for (char ch : name.toUtf8()) {
        h ^= quint8(ch);
        h *= 1099511628211ULL;
    }
    return qint64(h);
}

Key bookNames(Book book)
{
    static const char* const names[] = {"vid_oper:names", "gds_and_srv:marks", "oper:kinds"};
    static const char* const books[] = {"Справочник видов операций", "Справочник изделий", "Справочник операций"};
    return {Rank::BookNames, QString::fromLatin1(names[int(book)]), false, QString::fromUtf8(books[int(book)])};
}

Key month(int month, int year, bool shared)
{
    return {Rank::Month, QStringLiteral("h_tabel:month:%1:%2").arg(month).arg(year), shared,
            QStringLiteral("Месяц %1.%2").arg(month, 2, 10, QLatin1Char('0')).arg(year)};
}

Key journalCell(qint64 worker, int shift, int month, int year)
{
    return {Rank::Cell, QStringLiteral("h_tabel:%1:%2:%3:%4").arg(worker).arg(shift).arg(month).arg(year), false,
            QStringLiteral("Строку табеля")};
}

Key householdCell(qint64 worker, int kind, bool night, int month, int year)
{
    return {Rank::Cell,
            QStringLiteral("h_tabel_hh:%1:%2:%3:%4:%5").arg(worker).arg(kind).arg(night ? 1 : 0).arg(month).arg(year),
            false, QStringLiteral("Строку табеля")};
}

QString statementOf(QVector<Key> keys)
{
    QStringList calls;
    for (const Taken& t : ordered(keys))
        calls << callOf(t);
    return QStringLiteral("select ") + calls.join(QStringLiteral(", "));
}

void take(Connection& c, QVector<Key> keys)
{
    Connection::LockLedger& ledger = c.lockLedger();
    QStringList calls;
    QVector<Taken> asked;
    for (const Taken& t : ordered(keys)) {
        const auto held = ledger.held.constFind(t.value);
        if (held != ledger.held.constEnd() && (t.key.shared || !*held))
            continue;
        requireTransaction(c, t.key.name);
        const int rank = int(t.key.rank);
        if (rank < ledger.rank || (rank == ledger.rank && t.value <= ledger.lastKey))
            outOfOrder(c, rank, t.key.name);
        ledger.rank = rank;
        ledger.lastKey = t.value;
        ledger.held.insert(t.value, t.key.shared);
        calls << callOf(t);
        asked << t;
    }
    // One statement: its calls run left to right, in the order above.
    if (!calls.isEmpty())
        locking(busyText(asked), [&] { c.execute(QStringLiteral("select ") + calls.join(QStringLiteral(", "))); });
}

QString tableName(Table table)
{
    static const char* const names[] = {"cmn_gds_and_srv.gds_and_srv", "accounts_dep.vid_oper", "accounts_dep.oper",
                                        "accounts_dep.person",         "accounts_dep.smena",    "accounts_dep.fatigue"};
    return QString::fromLatin1(names[int(table)]);
}

Rank rankOf(Table table)
{
    static const Rank ranks[] = {Rank::Product, Rank::Kind, Rank::Operation, Rank::Worker, Rank::Record, Rank::Record};
    return ranks[int(table)];
}

OdbcReader::Result rows(Connection& c, Table table, const QString& condition, RowMode mode, const QString& columns)
{
    const QString name = tableName(table);
    requireTransaction(c, name);
    const int rank = int(rankOf(table));
    // All the rows of one rank in one statement, in id order.
    if (rank <= c.lockLedger().rank)
        outOfOrder(c, rank, name);
    c.lockLedger().rank = rank;
    c.lockLedger().lastKey = 0;
    return locking(QStringLiteral("Запись или строку справочника сейчас изменяет другой пользователь."), [&] {
        return c.select(QStringLiteral("select %1 from %2 where %3 order by id for %4")
                            .arg(columns, name, condition,
                                 mode == RowMode::KeyShare ? QStringLiteral("key share") : QStringLiteral("update")));
    });
}

const QStringList& tableOrder()
{
    // The legacy layout's own tables, which no other writer touches; the reference books by
    // rank; the records; the timesheet; the norm rows, which a product deletion writes
    // after the timesheet.
    static const QStringList order = {
        QStringLiteral("accounts_dep.izdel"),    QStringLiteral("accounts_dep.nomenkl"),
        QStringLiteral("accounts_dep.workers"),  tableName(Table::Product),
        tableName(Table::Kind),                  tableName(Table::Operation),
        tableName(Table::Worker),                tableName(Table::JournalRecord),
        tableName(Table::HouseholdRecord),       QStringLiteral("accounts_dep.h_tabel"),
        QStringLiteral("accounts_dep.norm"),
    };
    return order;
}

void tables(Connection& c, const QStringList& names)
{
    requireTransaction(c, names.join(QStringLiteral(", ")));
    if (c.lockLedger().rank >= int(Rank::Tables))
        outOfOrder(c, int(Rank::Tables), names.join(QStringLiteral(", ")));
    QStringList ordered;
    for (const QString& t : tableOrder())
        if (names.contains(t))
            ordered << t;
    for (const QString& t : names)
        if (!tableOrder().contains(t))
            throw DbError(QStringLiteral("Блокировка таблицы %1: её нет в порядке блокировок.").arg(t));
    c.lockLedger().rank = int(Rank::Tables);
    // One statement: its tables are locked left to right.
    locking(QStringLiteral("Таблицы журнала сейчас изменяют другие пользователи."), [&] {
        c.execute(QStringLiteral("lock table %1 in exclusive mode").arg(ordered.join(QStringLiteral(", "))));
    });
}

int reached(const Connection& c) { return c.lockLedger().rank; }

} // namespace Locks
