#include "MonthSheets.h"
#include "Query.h"
#include <QStringList>

namespace MonthSheets {

Look look(Variant v)
{
    switch (v) {
    case Variant::PieceWork:
        return {"Табель сделка (27)", 9, 238, false, true};
    case Variant::Household:
        return {"Табель хоз. работы (27)", 14, 208, true, true};
    case Variant::AverageRate:
        return {"Табель ср. сдельная (27)", 15, 208, true, true};
    case Variant::General:
        break;
    }
    return {"Общий табель (27)", 17, 304, false, false};
}

namespace {
const QStringList kDaySums = {
    "sum(coalesce(h.d1,0)) d1,sum(coalesce(h.d2,0)) d2,sum(coalesce(h.d3,0)) d3,sum(coalesce(h.d4,0)) d4,sum(coalesce(h.d5,0)) d5,",
    "sum(coalesce(h.d6,0)) d6,sum(coalesce(h.d7,0)) d7,sum(coalesce(h.d8,0)) d8,sum(coalesce(h.d9,0)) d9,sum(coalesce(h.d10,0)) d10,",
    "sum(coalesce(h.d11,0)) d11,sum(coalesce(h.d12,0)) d12,sum(coalesce(h.d13,0)) d13,sum(coalesce(h.d14,0)) d14,sum(coalesce(h.d15,0)) d15,",
    "sum(coalesce(h.d16,0)) d16,sum(coalesce(h.d17,0)) d17,sum(coalesce(h.d18,0)) d18,sum(coalesce(h.d19,0)) d19,sum(coalesce(h.d20,0)) d20,",
    "sum(coalesce(h.d21,0)) d21,sum(coalesce(h.d22,0)) d22,sum(coalesce(h.d23,0)) d23,sum(coalesce(h.d24,0)) d24,sum(coalesce(h.d25,0)) d25,",
    "sum(coalesce(h.d26,0)) d26,sum(coalesce(h.d27,0)) d27,sum(coalesce(h.d28,0)) d28,sum(coalesce(h.d29,0)) d29,sum(coalesce(h.d30,0)) d30,sum(coalesce(h.d31,0)) d31",
};

// Each worker's journal and household sums of the month are taken once for the whole
// workshop and joined to his timesheet lines, instead of being summed again for every line
// (which reads the whole journal once per worker where no index serves it). A worker
// without records of the month gets the same empty sums and zero rate as before.
const char* const kJournalSums =
    "left join (select s.w_id, sum(s.time) i_time, sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2) f_price,\n"
    "case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end average_price\n"
    "from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 group by s.w_id) s on s.w_id=h.w_id";

QString pieceWork()
{
    return (QStringList{"select p.s_caption fio, p.id,h.i_type,", "s.i_time, s.f_price, coalesce(s.average_price,0) average_price,"}
            + kDaySums
            + QStringList{"from  cmn_contractor.person p, accounts_dep.h_tabel h", kJournalSums,
                          "where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=0",
                          "group by p.id, p.s_caption, h.i_type, s.i_time, s.f_price, s.average_price", "order by fio"})
        .join(QLatin1Char('\n'));
}

QString household(const QString& kind)
{
    return (QStringList{
                "select p.s_caption fio, p.id,h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' end as s_night, h.i_night,",
                "f.i_time, f.f_price, coalesce(f.average_price,0) average_price,"}
            + kDaySums
            + QStringList{"from  cmn_contractor.person p, accounts_dep.h_tabel h",
                          "left join (select f.id_p, f.i_night, sum(f.cnt) i_time, sum(f.cnt*f.price)::numeric(10,2) f_price,",
                          "case when coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end average_price",
                          "from accounts_dep.fatigue f where f.d_date<:d_date1 and f.d_date>=:d_date2 and f.id_o=" + kind
                              + " group by f.id_p, f.i_night) f on f.id_p=h.w_id and f.i_night=h.i_night",
                          "where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=" + kind + " ",
                          "group by p.id, p.s_caption, h.i_type, h.i_night, f.i_time, f.f_price, f.average_price",
                          "order by fio"})
        .join(QLatin1Char('\n'));
}

QString general()
{
    return (QStringList{"select p.s_caption fio, p.id,", "coalesce(s.i_time,0)+coalesce(f.i_time,0) i_time,",
                        "coalesce(s.f_price,0)+coalesce(f.f_price,0) f_price,"}
            + kDaySums
            + QStringList{"from  cmn_contractor.person p, accounts_dep.h_tabel h", kJournalSums,
                          "left join (select f.id_p, sum(f.cnt) i_time, sum(f.cnt*f.price)::numeric(10,2) f_price",
                          "from accounts_dep.fatigue f where f.d_date<:d_date7 and f.d_date>=:d_date8 group by f.id_p) f on f.id_p=h.w_id",
                          "where h.year=:i_year and h.month=:i_month and h.w_id=p.id",
                          "group by p.id, p.s_caption, s.i_time, f.i_time, s.f_price, f.f_price", "order by fio"})
        .join(QLatin1Char('\n'));
}
} // namespace

QString sheetStatement(Variant v)
{
    switch (v) {
    case Variant::PieceWork:
        return pieceWork();
    case Variant::Household:
        return household(QStringLiteral("7777"));
    case Variant::AverageRate:
        return household(QStringLiteral("7778"));
    case Variant::General:
        break;
    }
    return general();
}

const char* const AllPrice =
    "select(\n"
    "(coalesce((select sum((s.kol_vo-s.brak)*s.cena) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.cena>0 and s.kol_vo>0),0)+\n"
    "coalesce((select sum(f.cnt*f.price) from accounts_dep.fatigue f where f.d_date<:d_date3 and f.d_date>=:d_date4 and f.cnt>0 and f.price>0),0))::numeric(20,2)) price";
const char* const Price =
    "select sum((s.kol_vo-s.brak)*s.cena)::numeric(100,2) as price from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.cena>0 and s.kol_vo>0";
const char* const Price7 =
    "select sum(f.cnt*f.price)::numeric(100,2) as price from accounts_dep.fatigue f where f.d_date<:d_date1 and f.d_date>=:d_date2 and f.cnt>0 and f.price>0 and f.id_o=7777";
const char* const Price8 =
    "select sum(f.cnt*f.price)::numeric(100,2) as price from accounts_dep.fatigue f where f.d_date<:d_date1 and f.d_date>=:d_date2 and f.cnt>0 and f.price>0 and f.id_o=7778";

static void setPairs(Statement& s, const QDate& first, const QDate& next, std::initializer_list<int> uppers)
{
    for (int n : uppers) {
        s.setParam(QStringLiteral("d_date%1").arg(n), next);
        s.setParam(QStringLiteral("d_date%1").arg(n + 1), first);
    }
}

void setSheetParams(Statement& s, int month, int year, bool general)
{
    const QDate first(year, month, 1);
    s.setParam(QStringLiteral("i_month"), month);
    s.setParam(QStringLiteral("i_year"), year);
    setPairs(s, first, first.addMonths(1), {1});
    if (general)
        setPairs(s, first, first.addMonths(1), {7});
}

void setTotalParams(Statement& s, int month, int year, bool twoPairs)
{
    const QDate first(year, month, 1);
    if (twoPairs)
        setPairs(s, first, first.addMonths(1), {1, 3});
    else
        setPairs(s, first, first.addMonths(1), {1});
}

int nameWidth(Variant v, int year, int month)
{
    return look(v).nameWidth + 20 * (31 - QDate(year, month, 1).daysInMonth());
}

QVector<int> years(const QDate& today)
{
    QVector<int> out;
    for (int y = 2007; y <= today.year() + 1; ++y)
        out << y;
    return out;
}

} // namespace MonthSheets
