#include "HouseholdSql.h"
#include "SqlText.h"

namespace HouseholdSql {

using SqlText::num;

const char* const TypeWork =
    "select vo.id, vo.vid, n.price, (n.price*:cnt) as summ from accounts_dep.vid_oper vo,accounts_dep.norm n, accounts_dep.oper o \n"
    "where n.o_id =o.id and o.vid=vo.id and (vo.id = 7777 or vo.id = 7778)";

const char* const Item = "select * from cmn_classifier.item where id_level=2 order by s_caption";

const char* const Fatigue =
    "select distinct vo.vid, p.fio, i.s_caption, (f.cnt*f.price) as summ,  f.*, case when f.i_holiday=0 then '' else '+' end as s_holiday, case when f.i_night=0 then '' else '+' end as s_night\n"
    "from accounts_dep.fatigue f, cmn_classifier.item i, accounts_dep.person p,accounts_dep.vid_oper vo, accounts_dep.oper o \n"
    "where f.id_nom =i.id and p.id=f.id_p and vo.id = f.id_o and o.i_id >=7777 and o.vid >=7777 and f.d_date = :d_date\n"
    "order by p.fio, f.id";

double entryPrice(double norm, bool holiday, bool night)
{
    double price = norm;
    if (holiday)
        price *= 2;
    if (night)
        price *= 1.2;
    return price;
}

static QString flag(bool on) { return on ? QStringLiteral("1") : QStringLiteral("0"); }
static QString num(int v) { return SqlText::num(qint64(v)); }

QString insertStatement(const Record& r)
{
    return QStringLiteral("INSERT INTO accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, "
                          "price, i_holiday, i_night)VALUES(")
        + num(r.group) + QStringLiteral(", ") + num(r.kind) + QStringLiteral(" ,") + num(r.worker) + QStringLiteral(", '")
        + SqlText::dmy(r.date) + QStringLiteral("', ") + num(r.date.month()) + QStringLiteral(", ") + num(r.date.year())
        + QStringLiteral(", 1, ") + num(r.hours) + QStringLiteral(", ") + num(r.price) + QStringLiteral(", ")
        + flag(r.holiday) + QStringLiteral(", ") + flag(r.night) + QLatin1Char(')');
}

QString updateStatement(const Record& r, qint64 id)
{
    return QStringLiteral("UPDATE accounts_dep.fatigue SET id_nom=") + num(r.group) + QStringLiteral(", id_o=") + num(r.kind)
        + QStringLiteral(", id_p=") + num(r.worker) + QStringLiteral(", cnt=") + num(r.hours) + QStringLiteral(", price=")
        + num(r.price) + QStringLiteral(", i_holiday=") + flag(r.holiday) + QStringLiteral(", i_night=")
        + flag(r.night) + QStringLiteral(" where id=") + num(id);
}

QString deleteStatement(qint64 id) { return QStringLiteral("delete from accounts_dep.fatigue where id=") + num(id); }

QString countStatement(qint64 worker, int kind, bool night, const QDate& day)
{
    return QStringLiteral("select count(w_id) as cnt from accounts_dep.h_tabel where w_id=") + num(worker)
        + QStringLiteral(" and i_type=") + num(kind) + QStringLiteral(" and month=") + num(day.month())
        + QStringLiteral(" and year=") + num(day.year()) + QStringLiteral(" and i_night=") + flag(night);
}

QString hoursStatement(qint64 worker, int kind, bool night, const QDate& day)
{
    return QStringLiteral("select sum(f.cnt) as tim from accounts_dep.fatigue f where f.id_p =") + num(worker)
        + QStringLiteral("  and f.id_o=") + num(kind) + QStringLiteral(" and i_night=") + flag(night)
        + QStringLiteral(" and f.d_date =to_date('") + SqlText::dmy(day)
        + QStringLiteral("', 'DD.MM.YYYY') group by f.id_p, f.d_date");
}

QString cellUpdateStatement(qint64 worker, int kind, bool night, const QDate& day, qint64 hours)
{
    return QStringLiteral("update accounts_dep.h_tabel set d") + num(day.day()) + QLatin1Char('=') + num(hours)
        + QStringLiteral(" where w_id=") + num(worker) + QStringLiteral(" and i_type=") + num(kind)
        + QStringLiteral(" and month=") + num(day.month()) + QStringLiteral(" and year=") + num(day.year())
        + QStringLiteral(" and i_night=") + flag(night);
}

QString cellInsertStatement(qint64 worker, int kind, bool night, const QDate& day, qint64 hours)
{
    return QStringLiteral("insert into accounts_dep.h_tabel(i_type, w_id, month, year, d") + num(day.day())
        + QStringLiteral(", i_night) values(") + num(kind) + QStringLiteral(", ") + num(worker) + QStringLiteral(", ")
        + num(day.month()) + QStringLiteral(", ") + num(day.year()) + QStringLiteral(", ") + num(hours)
        + QStringLiteral(", ") + flag(night) + QLatin1Char(')');
}

QString cellUpdateAfterDeleteStatement(qint64 worker, int kind, bool night, const QDate& day, qint64 hours)
{
    return QStringLiteral("update accounts_dep.h_tabel set d") + num(day.day()) + QLatin1Char('=') + num(hours)
        + QStringLiteral(" where w_id=") + num(worker) + QStringLiteral(" and i_night=") + flag(night)
        + QStringLiteral(" and i_type=") + num(kind) + QStringLiteral(" and month=") + num(day.month())
        + QStringLiteral(" and year=") + num(day.year());
}

// Each average-rate record gets its worker's rate of the month on its group. The rates are
// summed once for all the month's records (per worker, group and day-off flag, which
// enters each term as it did) and joined to them, rather than summed once per record,
// which reads the whole journal for every record where no index serves it.
QString repriceStatement(int month, int year)
{
    const QDate next = QDate(year, month, 1).addMonths(1);
    const auto records = [&](const QString& t) {
        return t + QStringLiteral("i_mnth = ") + num(month) + QStringLiteral(" and ") + t + QStringLiteral("i_year = ")
            + num(year) + QStringLiteral(" and ") + t + QStringLiteral("id_o =7778");
    };
    return QStringLiteral("UPDATE accounts_dep.fatigue f SET price=coalesce(x.price,0) from accounts_dep.fatigue r left join "
                          "(select k.id_p, k.id_nom, k.i_holiday, case when coalesce(sum(s.time),0)::numeric(10,2)=0 "
                          "then 0 else  coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*k.i_holiday))/sum(time),0)::numeric(10,2) end as "
                          "price from (select distinct id_p, id_nom, i_holiday from accounts_dep.fatigue where ")
        + records(QString())
        + QStringLiteral(") k, cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, accounts_dep.person p where "
                         "i.id_level =2 and s.i_id = gas.id and gas.id_class_item =i.id  and s.data<'01.")
        + num(next.month()) + QLatin1Char('.') + num(next.year()) + QStringLiteral("' and s.data>='01.") + num(month)
        + QLatin1Char('.') + num(year)
        + QStringLiteral("' and p.id=s.w_id and p.id=k.id_p and i.id=k.id_nom group by k.id_p, k.id_nom, k.i_holiday) x "
                         "on x.id_p=r.id_p and x.id_nom=r.id_nom and x.i_holiday=r.i_holiday where f.id=r.id and ")
        + records(QStringLiteral("f."));
}

} // namespace HouseholdSql
