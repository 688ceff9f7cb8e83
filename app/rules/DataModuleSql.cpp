#include "DataModuleSql.h"
#include "SqlText.h"

namespace DataModuleSql {

const char* const Workers = "select * from accounts_dep.person order by fio";
const char* const Izdel = "select *  from accounts_dep.IZDEL order by marka";
const char* const VidOper = "select * from accounts_dep.VID_OPER order by vid";
const char* const OperDel = "delete from accounts_dep.oper where id=:id";
const char* const UpdtOK = "update accounts_dep.smena set ok=:ok where id=:id";

QStringList oper()
{
    return {
        "select izdel.MARKA, vid_oper.VID, oper.NAIMEN, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn,",
        "count(o_id) norma, min(price)::numeric cena,",
        "oper.id, oper.i_id, oper.VID as oper_vid from accounts_dep.norm,accounts_dep.OPER,accounts_dep.IZDEL,accounts_dep.VID_OPER where OPER.i_id=IZDEL.id and norm.o_id=oper.id",
        "and oper.vid=vid_oper.id group by izdel.MARKA, vid_oper.VID, oper.NAIMEN, oper.id, oper.i_id, oper.VID order by izdel.marka, vid_oper.vid, oper.naimen",
    };
}

// A record's worker is the person with its number as id, or else any person whose code
// holds that number. Written as one condition with "or", the server can only test every
// person against every record; here the day's records are read once, and their persons
// found by id and then by number in two joins that it can hash or look up in an index.
// The second leaves out the persons the first found, so that each pair comes once, as
// with "or"; the rest of the statement is the list as it was.
QStringList smena(int shift)
{
    const QString day = QStringLiteral("smena.smena=%1 and smena.data=:data and ok%2:ok").arg(shift).arg(shift == 1 ? "!=" : "<>");
    QStringList out{
        "with smena as (select * from accounts_dep.smena where " + day + "),",
        "person as (select smena.id as smena_id, person.s_caption from smena, cmn_contractor.person person where w_id=person.id",
        "union all select smena.id, person.s_caption from smena, cmn_contractor.person person where "
            + SqlText::workerNumber(QStringLiteral("s_code")) + "=w_id and person.id<>w_id)",
    };
    if (shift == 1)
        return out + QStringList{
            "select smena.id, smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, ",
            "smena.cena,person.s_caption fio, izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen,  smena.brak, smena.kol_vo::numeric,",
            "round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, color,time, smena.ok, vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use",
            "from person, accounts_dep.izdel,accounts_dep.oper,smena,accounts_dep.vid_oper ",
            "where smena.i_id=izdel.id and smena.o_id=oper.id and person.smena_id=smena.id and ",
            "oper.vid=vid_oper.id order by ",
            "fio, izdel.marka, vid_oper.vid, oper.naimen, color",
        };
    return out + QStringList{
        "select smena.data, smena.smena, smena.i_id, smena.o_id, smena.w_id, ",
        "smena.cena, s_caption fio, izdel.marka, vid_oper.vid, (SELECT (CASE naimen WHEN 0 THEN 'Готовая продукция' ELSE 'Заготовки' END)) as nmn, oper.naimen, smena.kol_vo::numeric, smena.brak, ",
        "round((kol_vo-brak)*smena.cena::numeric, 2) as summa, smena.prize, smena.id, color,time,smena.ok,vvod, smena.id_doc, smena.id_doc_item, smena.f_gds_qty_use, smena.id_gds_use, smena.id_cons_use  ",
        "from person,accounts_dep.izdel,accounts_dep.oper,smena,accounts_dep.vid_oper ",
        "where smena.i_id=izdel.id and smena.o_id=oper.id and person.smena_id=smena.id and ",
        "oper.vid=vid_oper.id order by fio",
    };
}

// The worker's earnings of the month are summed once per worker, not once per journal
// record joined to each of his lines; the persons are those with the month's numbers.
// The rows are those of the grid as it was: the lines of workers with records in the month.
QStringList hTabel(int shift)
{
    const QString days10 = "coalesce(d1,0)+coalesce(d2,0)+coalesce(d3,0)+coalesce(d4,0)+coalesce(d5,0)+coalesce(d6,0)+coalesce(d7,0)+coalesce(d8,0)+coalesce(d9,0)+coalesce(d10,0)+";
    const QString days20 = "coalesce(d11,0)+coalesce(d12,0)+coalesce(d13,0)+coalesce(d14,0)+coalesce(d15,0)+coalesce(d16,0)+coalesce(d17,0)+coalesce(d18,0)+coalesce(d19,0)+coalesce(d20,0)+";
    const QString days30 = "coalesce(d21,0)+coalesce(d22,0)+coalesce(d23,0)+coalesce(d24,0)+coalesce(d25,0)+coalesce(d26,0)+coalesce(d27,0)+coalesce(d28,0)+coalesce(d29,0)+coalesce(d30,0)+";
    return {
        "select person.s_caption fio, ",
        "(" + days10, days20, days30, "coalesce(d31,0)) as summ, ",
        "case when (" + days10, days20, days30, "coalesce(d31,0))=0 then 0 else",
        "(s.cena_all/(" + days10, days20, days30,
        "coalesce(d31,0))) end ::numeric(10,2) as average_price, s.cena_all::numeric(10,2) as cena_all,",
        "h_tabel.* ",
        "from accounts_dep.h_tabel, "
            + SqlText::personsNumbered(QStringLiteral("select w_id from accounts_dep.h_tabel where month=:mnth and year=:yea"))
            + " person,",
        "(select w_id, sum(cena*(kol_vo-brak)) cena_all from accounts_dep.smena where data >=:date1 and data <:date2 group by w_id) s where ",
        QStringLiteral("h_tabel.w_id=%1 and h_tabel.smena=%2 and month=:mnth and s.w_id = h_tabel.w_id and")
            .arg(SqlText::workerNumber(QStringLiteral("person.s_code")))
            .arg(shift),
        "h_tabel.year=:yea",
        "order by fio",
    };
}

} // namespace DataModuleSql
