#include "LoadChecks.h"
#include "Connection.h"
#include "SqlText.h"
#include <QDate>

namespace Load {

namespace {
QStringList rowsOf(Connection& c, const QString& sql)
{
    QStringList out;
    for (const QVector<QVariant>& r : c.select(sql).rows) {
        QStringList fields;
        for (const QVariant& v : r)
            fields << v.toString();
        out << fields.join(QLatin1Char(' '));
    }
    return out;
}

QString dayCells()
{
    QStringList d;
    for (int i = 1; i <= 31; ++i)
        d << QStringLiteral("d%1").arg(i);
    return QStringLiteral("array[") + d.join(QLatin1Char(',')) + QLatin1Char(']');
}

// The cells of the month's rows of one kind against the sums of their source: a second row
// for a key, a key with hours but no row, a cell that differs from its sum. key: the columns
// naming a row besides the month, as both the rows and the source name them.
QStringList cellsAgainst(Connection& c, const QString& rows, const QString& source, const QString& key, int days)
{
    return rowsOf(c, QStringLiteral(
        "with r as (%1), s as (%2),\n"
        "cells as (select %3, g.day, (%4)[g.day] as cell from r cross join generate_series(1, %5) g(day))\n"
        "select 'second row for ' || row(%3)::text, count(*)::text from r group by %3 having count(*) > 1\n"
        "union all\n"
        "select 'no row for ' || row(%3)::text, '' from (select distinct %3 from s except select %3 from r) k\n"
        "union all\n"
        "select 'cell ' || row(%3)::text || ' day ' || day, coalesce(cell::text, 'null') || ' <> ' || coalesce(hours, 0)\n"
        "  from cells left join s using (%3, day) where coalesce(cell, 0) <> coalesce(hours, 0)")
                         .arg(rows, source, key, dayCells())
                         .arg(days));
}
} // namespace

QStringList cellsOutOfStep(Connection& c, int month, int year)
{
    const QDate first(year, month, 1);
    const auto inMonth = [&](const char* column) {
        return QStringLiteral("%1>='%2' and %1<'%3'")
            .arg(QString::fromLatin1(column), first.toString(Qt::ISODate), first.addMonths(1).toString(Qt::ISODate));
    };
    const QString monthRows = QStringLiteral("select * from accounts_dep.h_tabel where month=%1 and year=%2").arg(month).arg(year);
    QStringList out;
    for (const QString& v :
         cellsAgainst(c, monthRows + QStringLiteral(" and coalesce(i_type, 0) not in (7777, 7778)"),
                      QStringLiteral("select w_id, smena::int as smena, extract(day from data)::int as day, sum(time) as hours "
                                     "from accounts_dep.smena where %1 and w_id is not null and smena is not null "
                                     "group by 1, 2, 3")
                          .arg(inMonth("data")),
                      QStringLiteral("w_id, smena"), first.daysInMonth()))
        out << QStringLiteral("journal ") + v;
    for (const QString& v :
         cellsAgainst(c, monthRows + QStringLiteral(" and i_type in (7777, 7778)"),
                      QStringLiteral("select id_p::int as w_id, id_o::int as i_type, i_night, extract(day from d_date)::int as day, "
                                     "sum(cnt) as hours from accounts_dep.fatigue where %1 group by 1, 2, 3, 4")
                          .arg(inMonth("d_date")),
                      QStringLiteral("w_id, i_type, i_night"), first.daysInMonth()))
        out << QStringLiteral("household ") + v;
    return out;
}

QStringList duplicates(Connection& c, int month, int year)
{
    const QDate first(year, month, 1);
    return rowsOf(c, QStringLiteral("select w_id, o_id, i_id, data, smena, color, count(*) from accounts_dep.smena "
                                    "where data>='%1' and data<'%2' group by 1, 2, 3, 4, 5, 6 having count(*) > 1")
                         .arg(first.toString(Qt::ISODate), first.addMonths(1).toString(Qt::ISODate)));
}

QStringList orphans(Connection& c)
{
    // A journal's worker may be a person of another application, found by id or number.
    const QString persons = QStringLiteral("(select id from accounts_dep.person union select id from cmn_contractor.person "
                                           "union select %1 from cmn_contractor.person)")
                                .arg(SqlText::workerNumber(QStringLiteral("s_code")));
    const QString sql = QStringLiteral(
        "select 'journal record without its worker', count(*) from accounts_dep.smena where w_id not in %1\n"
        "union all select 'journal record without its operation', count(*) from accounts_dep.smena "
        "  where o_id not in (select id from accounts_dep.oper)\n"
        "union all select 'journal record without its product', count(*) from accounts_dep.smena "
        "  where i_id not in (select id from cmn_gds_and_srv.gds_and_srv)\n"
        "union all select 'household record without its worker', count(*) from accounts_dep.fatigue "
        "  where id_p not in (select id from accounts_dep.person)\n"
        "union all select 'household record without its kind', count(*) from accounts_dep.fatigue "
        "  where id_o not in (select id from accounts_dep.vid_oper)\n"
        "union all select 'operation without its product', count(*) from accounts_dep.oper "
        "  where vid < 7777 and i_id not in (select id from cmn_gds_and_srv.gds_and_srv)\n"
        "union all select 'operation without its kind', count(*) from accounts_dep.oper "
        "  where vid not in (select id from accounts_dep.vid_oper)\n"
        "union all select 'norm without its operation', count(*) from accounts_dep.norm "
        "  where o_id not in (select id from accounts_dep.oper)\n"
        "union all select 'timesheet row without its worker', count(*) from accounts_dep.h_tabel where w_id not in %1")
                            .arg(persons);
    QStringList out;
    for (const QVector<QVariant>& r : c.select(sql).rows)
        if (r.value(1).toLongLong() > 0)
            out << QStringLiteral("%1: %2").arg(r.value(0).toString()).arg(r.value(1).toLongLong());
    return out;
}

qint64 deadlocks(Connection& c)
{
    return c.select(QStringLiteral("select deadlocks from pg_stat_database where datname=current_database()"))
        .rows.value(0)
        .value(0)
        .toLongLong();
}

QStringList changesWhileClosed(Connection& c)
{
    QStringList out;
    const auto r = c.select(QStringLiteral(
        "with marks as (select id, action, lead(id) over (order by id) as next from accounts_dep.pw_history "
        "where action in ('close', 'reopen')) "
        "select format('%s %s %s at %s (closed by history row %s)', h.tbl, h.key, h.action, h.at, m.id) "
        "from marks m join accounts_dep.pw_history h on h.id > m.id and (m.next is null or h.id < m.next) "
        "and h.tbl in ('accounts_dep.smena', 'accounts_dep.fatigue') and h.action in ('insert', 'update', 'delete') "
        "where m.action = 'close' order by h.id"));
    for (const auto& row : r.rows)
        out << row.value(0).toString();
    return out;
}

} // namespace Load
