#include "FirstTexts.h"
#include "SqlText.h"
#include <QDate>
#include <QStringList>

namespace FirstTexts {

QString journal(int shift)
{
    if (shift == 1)
        return QStringList{
            "select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, ",
            "smena.cena,person.s_caption fio, izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen,  smena.brak, smena.kol_vo::numeric,",
            "round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, color,time, smena.ok, vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use",
            "from cmn_contractor.person person, accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper ",
            "where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or s_code::t_id=w_id) and ",
            "oper.vid=vid_oper.id and smena.smena=1 and smena.data=:data and ok!=:ok order by ",
            "fio, izdel.marka, vid_oper.vid, oper.naimen, color"}
            .join('\n');
    return QStringList{
        "select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, ",
        "smena.cena, s_caption fio, izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen, smena.kol_vo::numeric, smena.brak, ",
        "round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, smena.id, color,time,smena.ok,vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use  ",
        "from cmn_contractor.person person,accounts_dep.izdel,accounts_dep.oper,accounts_dep.smena,accounts_dep.vid_oper ",
        "where smena.i_id=izdel.id and smena.o_id=oper.id and (w_id=person.id or s_code::t_id=w_id) and ",
        QString("oper.vid=vid_oper.id and smena.smena=%1 and smena.data=:data and ok<>:ok order by fio").arg(shift)}
        .join('\n');
}

static QString daySums()
{
    QStringList out;
    for (int d = 1; d <= 31; ++d)
        out << QString("sum(coalesce(h.d%1,0)) d%1").arg(d);
    return out.join(',');
}

QString monthly(MonthSheets::Variant v)
{
    using V = MonthSheets::Variant;
    if (v == V::PieceWork)
        return "select p.s_caption fio, p.id,h.i_type,\n"
               "(select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.w_id=p.id) i_time,\n"
               "(select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id) f_price,\n"
               "(select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else coalesce(sum((s.kol_vo-s.brak)*s.cena)/sum(time),0)::numeric(10,2) end from accounts_dep.smena s where s.data<:d_date5 and s.data>=:d_date6 and s.w_id=p.id) average_price,\n"
               + daySums()
               + "\nfrom  cmn_contractor.person p, accounts_dep.h_tabel h\n"
                 "where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=0\n"
                 "group by p.id, p.s_caption, h.i_type\norder by fio";
    if (v == V::General)
        return "select p.s_caption fio, p.id,\n"
               "coalesce((select sum(s.time) from accounts_dep.smena s where s.data<:d_date1 and s.data>=:d_date2 and s.w_id=p.id),0)+\n"
               "coalesce((select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date7 and f.d_date>=:d_date8 and f.id_p=p.id),0) i_time,\n"
               "coalesce((select sum((s.kol_vo-s.brak)*s.cena)::numeric(10,2)from accounts_dep.smena s where s.data<:d_date3 and s.data>=:d_date4 and s.w_id=p.id),0)+ \n"
               "coalesce((select sum(f.cnt*f.price)::numeric(10,2)from accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id),0) f_price,\n"
               + daySums()
               + "\nfrom  cmn_contractor.person p, accounts_dep.h_tabel h\n"
                 "where h.year=:i_year and h.month=:i_month and h.w_id=p.id\n"
                 "group by p.id, p.s_caption\norder by fio";
    const QString o = v == V::Household ? "f.id_o=7777" : "f.id_o=7778";
    return "select p.s_caption fio, p.id,h.i_type, case when h.i_night=0 then 'дн.' else 'ноч.' end as s_night, h.i_night,\n"
           "(select sum(f.cnt) from accounts_dep.fatigue f where f.d_date<:d_date1 and f.d_date>=:d_date2 and f.id_p=p.id and " + o + " and f.i_night=h.i_night) i_time,\n"
           "(select sum(f.cnt*f.price)::numeric(10,2) from accounts_dep.fatigue f where f.d_date<:d_date3 and f.d_date>=:d_date4 and f.id_p=p.id and " + o + " and f.i_night=h.i_night) f_price,\n"
           "(select case when coalesce(sum(f.cnt),0)::numeric(10,2)=0 then 0 else coalesce(sum((f.cnt*f.price))/sum(f.cnt),0)::numeric(10,2) end \n"
           "from accounts_dep.fatigue f where f.d_date<:d_date5 and f.d_date>=:d_date6 and f.id_p=p.id and " + o + " and f.i_night=h.i_night) average_price,\n"
           + daySums()
           + "\nfrom  cmn_contractor.person p, accounts_dep.h_tabel h\n"
             "where h.year=:i_year and h.month=:i_month and h.w_id=p.id and i_type=" + (v == V::Household ? "7777" : "7778")
           + " \ngroup by p.id, p.s_caption, h.i_type, h.i_night\norder by fio";
}

QString shiftGrid(int shift)
{
    const QString days = "coalesce(d1,0)+coalesce(d2,0)+coalesce(d3,0)+coalesce(d4,0)+coalesce(d5,0)+coalesce(d6,0)+coalesce(d7,0)+coalesce(d8,0)+coalesce(d9,0)+coalesce(d10,0)+\n"
                         "coalesce(d11,0)+coalesce(d12,0)+coalesce(d13,0)+coalesce(d14,0)+coalesce(d15,0)+coalesce(d16,0)+coalesce(d17,0)+coalesce(d18,0)+coalesce(d19,0)+coalesce(d20,0)+\n"
                         "coalesce(d21,0)+coalesce(d22,0)+coalesce(d23,0)+coalesce(d24,0)+coalesce(d25,0)+coalesce(d26,0)+coalesce(d27,0)+coalesce(d28,0)+coalesce(d29,0)+coalesce(d30,0)+\n"
                         "coalesce(d31,0)";
    return "select person.s_caption fio, \n(" + days + ") as summ, \ncase when (" + days + ")=0 then 0 else\n(sum(s.cena*(kol_vo-brak))/("
           + days
           + ")) end ::numeric(10,2) as average_price, sum(s.cena*(kol_vo-brak))::numeric(10,2) as cena_all,\n"
             "h_tabel.* \nfrom accounts_dep.h_tabel, cmn_contractor.person, accounts_dep.smena s where \n"
           + QString("h_tabel.w_id=person.s_code::integer and h_tabel.smena=%1 and month=:mnth and s.w_id = h_tabel.w_id and\n").arg(shift)
           + "h_tabel.year=:yea and s.data >=:date1 and s.data <:date2\n"
             "group by person.s_caption,h_tabel.w_id,h_tabel.month,h_tabel.year,h_tabel.smena,h_tabel.id \norder by fio";
}

QString printedTimesheet()
{
    QStringList sums;
    for (int d = 1; d <= 31; ++d)
        sums << QString("sum(d%1) as sd%1").arg(d);
    return "select person.s_caption fio," + sums.join(',')
           + " from accounts_dep.h_tabel, cmn_contractor.person person where\n"
             "h_tabel.w_id=person.s_code::t_integer and month=:mnth and\nyear=:yea group by fio order by fio";
}

QString reprice(int month, int year)
{
    const QDate next = QDate(year, month, 1).addMonths(1);
    return QString("UPDATE accounts_dep.fatigue f SET price=coalesce((select case when coalesce(sum(s.time),0)::numeric(10,2)=0 then 0 else  "
                   "coalesce(sum((s.kol_vo-s.brak)*(s.cena+s.cena*f.i_holiday))/sum(time),0)::numeric(10,2) end as price  from "
                   "cmn_classifier.item i, accounts_dep.smena s, accounts_dep.izdel gas, accounts_dep.person p where i.id_level =2 "
                   "and s.i_id = gas.id and gas.id_class_item =i.id  and s.data<'01.%1.%2' and s.data>='01.%3.%4' and p.id=s.w_id "
                   "and p.id=f.id_p and i.id=f.id_nom group by i.s_caption, i.id, p.id order by fio),0) where i_mnth = %3 and "
                   "i_year = %4 and id_o =7778")
        .arg(next.month())
        .arg(next.year())
        .arg(month)
        .arg(year);
}

QString withCast(const QString& ours, const QString& column, const QString& cast)
{
    return withMatch(ours, column, column + "::" + cast);
}

QString withMatch(QString ours, const QString& column, const QString& match)
{
    const QString number = SqlText::workerNumber(column);
    if (!ours.contains(number))
        qFatal("no worker-number match in %s", qPrintable(ours.left(80)));
    return ours.replace(number, match);
}

} // namespace FirstTexts
