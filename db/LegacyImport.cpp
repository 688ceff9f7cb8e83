#include "LegacyImport.h"
#include "Connection.h"
#include "DbError.h"
#include "Locks.h"
#include "Query.h"
#include "Rows.h"
#include "SqlText.h"
#include "Transaction.h"
#include "Watch.h"

namespace LegacyImport {

Connections open(ServerWaiter* waiter)
{
    Connections c;
    c.source = std::make_unique<Connection>(QStringLiteral("MSA"), Connection::Session::Foreign);
    c.source->setConnectionString(QString::fromLatin1(MSA));
    c.source->setWaiter(waiter);
    c.source->open();
    c.target = std::make_unique<Connection>(QStringLiteral("PGSQL"));
    c.target->setConnectionString(QString::fromLatin1(PGSQL));
    c.target->setWaiter(waiter);
    c.target->open();
    return c;
}


const char* const MSA = "DSN=Tabel;PWD=quorvadle";
const char* const PGSQL = "DSN=Tabel_PgSQL;UID=sys";

namespace {
// Rows per insert statement, and so between two looks at the window.
constexpr int kBatch = 500;

QVector<Column> tabelColumns()
{
    QVector<Column> c = {{"id", As::Integer}, {"w_id", As::Integer}, {"month", As::Integer},
                         {"year", As::Integer}, {"smena", As::Integer}};
    static const QList<QByteArray> days = [] {
        QList<QByteArray> d;
        for (int i = 1; i <= 31; ++i)
            d << "d" + QByteArray::number(i);
        return d;
    }();
    for (const QByteArray& d : days)
        c.push_back({d.constData(), As::Integer});
    return c;
}

QString literalOf(const QVariant& v, As as)
{
    if (v.isNull())
        return QStringLiteral("NULL");
    switch (as) {
    case As::Integer:
        return SqlText::num(Query::toInteger(v));
    case As::Float:
        return SqlText::num(Query::toFloat(v));
    case As::Text:
        break;
    }
    // Dates travel as ISO text, which the target column reads whatever its date style.
    if (v.typeId() == QMetaType::QDate || v.typeId() == QMetaType::QDateTime)
        return SqlText::literal(v);
    return SqlText::quote(Query::toText(v));
}

QString tableName(const char* qualified) { return QString::fromLatin1(qualified).section(QLatin1Char('.'), 1); }

// Empty when the role may write every target and move its id sequence; else what it lacks.
QString rightsRefusal(Connection& target, const QStringList& tables)
{
    const OdbcReader::Result r = target.select(
        QStringLiteral("select t.name, case when has_table_privilege(t.name, 'INSERT') and has_table_privilege(t.name, 'DELETE') "
                       "then 1 else 0 end, coalesce(s.seq, ''), case when s.seq is null or has_sequence_privilege(s.seq, 'UPDATE') "
                       "then 1 else 0 end, current_user::text from unnest(array[%1]) with ordinality t(name, n) "
                       "cross join lateral (select pg_get_serial_sequence(t.name, 'id') seq) s order by t.n")
            .arg(tables.join(QLatin1Char(','))));
    QStringList lacking;
    QString role;
    for (const QVector<QVariant>& row : r.rows) {
        role = row[4].toString();
        if (row[1].toInt() != 1)
            lacking << QStringLiteral("запись в %1").arg(row[0].toString());
        if (row[3].toInt() != 1)
            lacking << QStringLiteral("изменение последовательности %1").arg(row[2].toString());
    }
    if (lacking.isEmpty())
        return {};
    return QStringLiteral("У пользователя %1 нет прав, нужных импорту: %2. Импорт не выполнен, в базе ничего не изменено.")
        .arg(role, lacking.join(QStringLiteral(", ")));
}

// Empty when every target is a table the role may fill; else why the import cannot go on.
QString refusal(Connection& target)
{
    QStringList names;
    for (const Step& s : steps())
        names << SqlText::quote(tableName(s.target));
    const OdbcReader::Result r = target.select(
        QStringLiteral("select t.name, coalesce(c.relkind::text, '') from unnest(array[%1]) with ordinality t(name, n) "
                       "left join pg_catalog.pg_class c on c.relname = t.name "
                       "and c.relnamespace = 'accounts_dep'::regnamespace order by t.n")
            .arg(names.join(QLatin1Char(','))));
    for (const QVector<QVariant>& row : r.rows) {
        const QString table = QStringLiteral("accounts_dep.") + row[0].toString();
        const QString kind = row[1].toString();
        const QString nothing = QStringLiteral(" Импорт не выполнен, в базе ничего не изменено.");
        if (kind.isEmpty())
            return QStringLiteral("В базе-приёмнике нет таблицы %1.").arg(table) + nothing;
        if (kind == QLatin1String("v") || kind == QLatin1String("m"))
            return QStringLiteral("В базе-приёмнике %1 — представление: структура базы уже обновлена, а импорт "
                                  "заполняет только таблицы прежней структуры.")
                       .arg(table)
                   + nothing;
        if (kind != QLatin1String("r") && kind != QLatin1String("p"))
            return QStringLiteral("В базе-приёмнике %1 — не таблица.").arg(table) + nothing;
    }
    QStringList qualified;
    for (const Step& s : steps())
        qualified << SqlText::quote(QString::fromLatin1(s.target));
    return rightsRefusal(target, qualified);
}

// Copies one table; returns the rows written.
qint64 copy(Connection& source, Connection& target, const Step& step, const Progress& progress)
{
    const QString src = QString::fromLatin1(step.source);
    const QString dst = QString::fromLatin1(step.target);
    const qint64 total = Rows::firstInteger(source, QStringLiteral("select count(*) from ") + src);
    target.execute(QStringLiteral("delete from %1 where id>0").arg(dst));

    QStringList names;
    for (const Column& c : step.columns)
        names << QString::fromLatin1(c.name);
    const QString head = QStringLiteral("insert into %1(%2) values ").arg(dst, names.join(QLatin1Char(',')));
    QVector<int> at; // source field of each column, found on the first block
    QString batch;
    int inBatch = 0;
    qint64 done = 0;
    const auto flush = [&] {
        if (inBatch == 0)
            return;
        target.execute(head + batch);
        done += inBatch;
        batch.clear();
        inBatch = 0;
        if (progress)
            progress(src, done, total);
    };
    source.selectBlocks(QStringLiteral("select * from ") + src + (step.sorted ? QStringLiteral(" order by id ASC") : QString()),
                        [&](const OdbcReader::Result& block) {
                            if (at.isEmpty()) {
                                for (const Column& c : step.columns) {
                                    const int i = block.fields.indexOf(QString::fromLatin1(c.name)); // fields come lower case
                                    if (i < 0)
                                        throw DbError(QStringLiteral("В таблице %1 базы-источника нет столбца %2")
                                                          .arg(src, QString::fromLatin1(c.name).toUpper()));
                                    at << i;
                                }
                            }
                            for (const QVector<QVariant>& row : block.rows) {
                                batch += inBatch == 0 ? QStringLiteral("(") : QStringLiteral(",(");
                                for (int k = 0; k < at.size(); ++k) {
                                    if (k > 0)
                                        batch += QLatin1Char(',');
                                    batch += literalOf(row[at[k]], step.columns[k].as);
                                }
                                batch += QLatin1Char(')');
                                if (++inBatch == kBatch)
                                    flush();
                            }
                        });
    flush();
    return done;
}

// The next id a client takes must not meet a copied one; a sequence already further stays.
void moveSequence(Connection& target, const QString& table)
{
    target.execute(QStringLiteral("select setval(s, m) from (select pg_get_serial_sequence(%1, 'id') s, "
                                  "(select max(id) from %2) m) x "
                                  "where s is not null and m > coalesce(pg_sequence_last_value(s::regclass), 0)")
                       .arg(SqlText::quote(table), table));
}
} // namespace

const QVector<Step>& steps()
{
    static const QVector<Step> all = {
        {"H_TABEL", "accounts_dep.h_tabel", true, tabelColumns()},
        {"IZDEL", "accounts_dep.izdel", true,
         {{"id", As::Integer}, {"marka", As::Text}, {"nom", As::Text}, {"massa", As::Float}}},
        {"NOMENKL", "accounts_dep.nomenkl", false, {{"marka", As::Text}, {"nom", As::Text}}},
        {"OPER", "accounts_dep.oper", true,
         {{"id", As::Integer}, {"vid", As::Integer}, {"naimen", As::Integer}, {"cena", As::Float}, {"i_id", As::Integer}}},
        {"VID_OPER", "accounts_dep.vid_oper", true, {{"id", As::Integer}, {"vid", As::Text}}},
        {"WORKERS", "accounts_dep.workers", true, {{"id", As::Integer}, {"fio", As::Text}, {"addr", As::Text}}},
        {"smena", "accounts_dep.smena", true,
         {{"id", As::Integer}, {"w_id", As::Integer}, {"i_id", As::Integer}, {"o_id", As::Integer},
          {"kol_vo", As::Integer}, {"brak", As::Integer}, {"smena", As::Integer}, {"cena", As::Float},
          {"color", As::Integer}, {"ok", As::Text}, {"data", As::Text}, {"time", As::Text}, {"vvod", As::Text}}},
    };
    return all;
}

QString progressText(const QString& source, qint64 done, qint64 total)
{
    return QStringLiteral("%1: %2 из %3 записей").arg(source).arg(done).arg(total);
}

QString summary(const Outcome& outcome)
{
    QStringList lines{QStringLiteral("Импорт закончен. Получено записей:")};
    for (const Copied& c : outcome.copied)
        lines << QStringLiteral("%1 → %2: %3").arg(c.source, c.target).arg(c.rows);
    return lines.join(QLatin1Char('\n'));
}

Outcome run(Connection& source, Connection& target, const Progress& progress)
{
    Outcome out;
    Transaction t(target);
    out.refusal = refusal(target);
    if (!out.refusal.isEmpty()) {
        out.status = Outcome::Refused;
        return out;
    }
    QStringList tables;
    for (const Step& s : steps())
        tables << QString::fromLatin1(s.target);
    // Clients writing meanwhile would take ids the copy is about to bring.
    Locks::tables(target, tables);
    Watch::beginBulk(target);
    QStringList counts;
    for (const Step& s : steps()) {
        out.copied.push_back({QString::fromLatin1(s.source), QString::fromLatin1(s.target), copy(source, target, s, progress)});
        counts << QStringLiteral("\"%1\": %2").arg(QString::fromLatin1(s.target)).arg(out.copied.last().rows);
    }
    Watch::note(target, QStringLiteral("import"), QString(), QString(), QLatin1Char('{') + counts.join(QStringLiteral(", ")) + QLatin1Char('}'));
    for (const QString& table : tables)
        moveSequence(target, table);
    return out;
}

} // namespace LegacyImport
