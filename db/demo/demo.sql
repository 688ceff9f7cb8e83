-- Demo data of a small workshop. Dates are relative to the day of loading, so the main
-- window always opens on a day with records. Run after the schema and rebuild_tabel.sql.
begin;

-- Same data on every load of the same day; random() is also kept out of parallel workers.
-- JIT only costs time here: the row estimates of the unanalysed scratch tables are huge.
select setseed(0.42);
set local max_parallel_workers_per_gather = 0;
set local jit = off;

-- Persons of other applications share the person table and its id sequence with the
-- workers; their numeric codes lie far above any worker id, so no statement that matches
-- workers by s_code picks them up.
insert into cmn_contractor.person(s_caption, s_code)
select fio, (900000 + n)::text
  from unnest(array['Белова А.С.', 'Комарова Л.И.', 'Громов В.П.', 'Карпова Н.Н.',
                    'Тихонов М.А.', 'Афанасьева Г.В.', 'Власов К.С.', 'Медведева Е.П.',
                    'Никитин О.Л.', 'Жукова И.А.', 'Фролов Д.Е.', 'Гусева Т.М.',
                    'Киселёв Р.Н.', 'Ильина С.В.', 'Титов А.Б.'])
       with ordinality as t(fio, n)
 order by n;

insert into accounts_dep.person(fio, s_staffpos_hl)
select fio, 'Цех №' || (1 + n % 3)
  from unnest(array['Иванов И.И.', 'Петров С.А.', 'Сидоров В.Н.', 'Кузнецов А.П.',
                    'Смирнов Д.В.', 'Попов Н.К.', 'Васильев О.Г.', 'Соколов Е.М.',
                    'Михайлов Ю.С.', 'Новиков Р.А.', 'Фёдоров П.П.', 'Морозов Г.И.',
                    'Волков К.Е.', 'Алексеев Л.Б.', 'Лебедев М.Ф.', 'Семёнова Т.В.',
                    'Егорова Н.А.', 'Павлов В.В.', 'Козлов С.С.', 'Степанов А.Н.',
                    'Николаева Е.Ю.', 'Орлов И.Д.', 'Андреев Б.Т.', 'Макаров Ф.Р.',
                    'Захарова О.П.'])
       with ordinality as t(fio, n)
 order by n;

insert into cmn_contractor.person(s_caption, s_code)
select fio, (900015 + n)::text
  from unnest(array['Кудрявцева Ю.О.', 'Баранов П.Г.', 'Куликова Н.С.', 'Щербаков В.А.',
                    'Полякова М.Д.', 'Сорокин Е.Е.', 'Виноградова А.А.', 'Ковалёв Г.Н.',
                    'Быкова Л.П.', 'Осипов С.Ю.', 'Богданова Е.К.', 'Данилов И.Ф.',
                    'Мельникова О.В.', 'Зайцев Н.Г.', 'Ершова В.Р.'])
       with ordinality as t(fio, n)
 order by n;

-- Classifier: two upper-level items and the product groups (level 2) under them.
insert into cmn_classifier.item(id_classifier, id_level, s_code, s_caption, s_description)
values (1, 1, '01', 'Изделия из бетона', ''),
       (1, 1, '02', 'Сырьё и материалы', '');

insert into cmn_classifier.item(id_classifier, id_level, s_code, s_caption, s_description, id_parent)
select 1, 2, '01.' || lpad(n::text, 2, '0'), caption, '',
       (select id from cmn_classifier.item where id_level = 1 and s_code = '01')
  from unnest(array['Плитка тротуарная', 'Бордюры', 'Блоки стеновые',
                    'Кольца колодезные', 'Водостоки', 'Заборные элементы'])
       with ordinality as t(caption, n)
 order by n;

-- Products; massa is the share of a box (pallet) taken by one piece.
insert into cmn_gds_and_srv.gds_and_srv(s_caption, s_description, id_msm_bs, massa, id_class_item)
select p.mark, '', 6, p.massa, g.id
  from (values
    (1, 'Плитка тротуарная', 'П-1 Кирпичик 200x100x60', 0.02),
    (2, 'Плитка тротуарная', 'П-2 Кирпичик 200x100x80', 0.025),
    (3, 'Плитка тротуарная', 'П-3 Волна 240x135x60', 0.02),
    (4, 'Плитка тротуарная', 'П-4 Катушка 200x165x60', 0.02),
    (5, 'Плитка тротуарная', 'П-5 Квадрат 300x300x50', 0.04),
    (6, 'Плитка тротуарная', 'П-6 Клевер 267x218x60', 0.03),
    (7, 'Бордюры', 'БР 100.30.15 Бордюр дорожный', 0.05),
    (8, 'Бордюры', 'БР 100.20.8 Бордюр садовый', 0.02),
    (9, 'Бордюры', 'БР 50.20.8 Бордюр садовый', 0.01),
    (10, 'Бордюры', 'БР 100.30.18 Бордюр магистральный', 0.0625),
    (11, 'Бордюры', 'БР 100.45.18 Бордюр въездной', 0.0833),
    (12, 'Блоки стеновые', 'СКЦ-1 Блок 390x190x188', 0.0125),
    (13, 'Блоки стеновые', 'СКЦ-2 Блок перегородочный 390x90x188', 0.0083),
    (14, 'Блоки стеновые', 'БС-3 Блок пустотелый 390x190x190', 0.0125),
    (15, 'Блоки стеновые', 'БС-4 Блок полнотелый 390x190x190', 0.0167),
    (16, 'Блоки стеновые', 'БФ-5 Блок фундаментный 200x200x400', 0.0167),
    (17, 'Кольца колодезные', 'КС 7.3 Кольцо стеновое', 0.25),
    (18, 'Кольца колодезные', 'КС 10.9 Кольцо стеновое', 0.5),
    (19, 'Кольца колодезные', 'КС 15.9 Кольцо стеновое', 1),
    (20, 'Кольца колодезные', 'ПП 10 Плита перекрытия', 0.5),
    (21, 'Кольца колодезные', 'ПН 10 Плита днища', 0.5),
    (22, 'Водостоки', 'ЛВ-1 Лоток водоотводный 500x160x60', 0.02),
    (23, 'Водостоки', 'ЛВ-2 Лоток водоотводный 1000x200x80', 0.05),
    (24, 'Водостоки', 'ВЖ-3 Водосток желобчатый 500x140x60', 0.02),
    (25, 'Водостоки', 'РШ-4 Решётка водоприёмная 500x140', 0.0125),
    (26, 'Заборные элементы', 'ЗБ-1 Блок заборный рваный 390x190x190', 0.0125),
    (27, 'Заборные элементы', 'ЗБ-2 Крышка столба 390x390', 0.025),
    (28, 'Заборные элементы', 'ЗБ-3 Парапет 500x250', 0.02),
    (29, 'Заборные элементы', 'ЗБ-4 Секция забора 2000x500', 0.1),
    (30, 'Заборные элементы', 'ЗБ-5 Колпак на столб 450x450', 0.03)
  ) as p(n, grp, mark, massa)
  join cmn_classifier.item g on g.id_level = 2 and g.s_caption = p.grp
 order by p.n;

-- Operation kinds; the painting kind is the one the journal gives a colour number.
insert into accounts_dep.vid_oper(vid)
select vid
  from unnest(array['Формовка', 'Распалубка', 'Краска', 'Упаковка', 'Грунтовка',
                    'Вибропрессование', 'Шлифовка', 'Погрузка']) with ordinality as t(vid, n)
 order by n;

-- Operations: every product is formed (pressed or cast) and packed, tiles and fence
-- elements are painted, and a few products get one of the remaining kinds as well.
create temp table d_kind on commit drop as
select v.id, trim(v.vid) as vid, k.naimen, k.base
  from accounts_dep.vid_oper v
  join (values ('Формовка', 1, 2.5), ('Распалубка', 1, 1.0), ('Краска', 0, 0.75),
               ('Упаковка', 0, 0.5), ('Грунтовка', 1, 0.5), ('Вибропрессование', 1, 1.5),
               ('Шлифовка', 1, 1.25), ('Погрузка', 0, 0.25)) as k(vid, naimen, base)
    on trim(v.vid) = k.vid;

create temp table d_product on commit drop as
select g.id, i.s_caption as grp,
       case i.s_caption when 'Плитка тротуарная' then 1 when 'Бордюры' then 2
            when 'Блоки стеновые' then 1.5 when 'Кольца колодезные' then 8
            when 'Водостоки' then 3 else 2.5 end as factor
  from cmn_gds_and_srv.gds_and_srv g
  join cmn_classifier.item i on i.id = g.id_class_item;

create temp table d_oper_plan on commit drop as
with cand as materialized (
  select p.id as i_id, p.grp, p.factor, k.id as vid, k.vid as kind, k.naimen, k.base,
         random() as r, random() as v
    from d_product p cross join d_kind k
   order by p.id, k.id
)
select i_id, vid, naimen,
       greatest(0.25, round(base * factor * (0.8 + v * 0.4) * 4) / 4) as price
  from cand
 where (kind = 'Вибропрессование' and grp in ('Плитка тротуарная', 'Бордюры', 'Блоки стеновые'))
    or (kind = 'Формовка' and grp not in ('Плитка тротуарная', 'Бордюры', 'Блоки стеновые'))
    or kind = 'Упаковка'
    or (kind = 'Краска' and grp in ('Плитка тротуарная', 'Заборные элементы'))
    or (kind in ('Распалубка', 'Грунтовка', 'Шлифовка', 'Погрузка') and r < 0.08);

insert into accounts_dep.oper(vid, naimen, i_id, cena_new)
select vid, naimen, i_id, price from d_oper_plan order by i_id, vid;

-- Two operations stay without norm rows: the operation list hides them.
create temp table d_no_norm on commit drop as
select id from (
  select o.id, random() as r
    from accounts_dep.oper o
   where o.vid < 7777
     and o.i_id in (select i_id from accounts_dep.oper group by i_id having count(*) >= 3)
   order by o.id
) s order by r limit 2;

-- Norm rows: the first carries the operation's price, further ones are dearer grades.
insert into accounts_dep.norm(o_id, norma, prize, price)
with o as materialized (
  select op.id, op.cena_new::float8 as cena_new, p.factor, 1 + floor(random() * 3)::int as k
    from accounts_dep.oper op join d_product p on p.id = op.i_id
   where op.vid < 7777 and op.id not in (select id from d_no_norm)
   order by op.id
), r as materialized (
  select o.*, j, random() as n1, random() as n2, random() as n3
    from o cross join lateral generate_series(1, o.k) j
   order by o.id, j
)
select id,
       (round((100 + n1 * 900) / (10 * factor)) * 10)::int,
       (array[0, 0, 5, 10])[1 + floor(n2 * 4)::int],
       cena_new + (j - 1) * 0.25 * (1 + floor(n3 * 4))
  from r
 order by id, j;

-- Working days: Monday to Friday, some Saturdays, and today whatever day it is.
create temp table d_day on commit drop as
select data, extract(isodow from data) >= 6 as day_off
  from (select d::date as data, random() as r
          from generate_series(current_date - 35, current_date, interval '1 day') d
         order by d) s
 where extract(isodow from data) <= 5
    or data = current_date
    or (extract(isodow from data) = 6 and r < 0.35);

create temp table d_worker on commit drop as
select row_number() over (order by id) - 1 as idx, id from accounts_dep.person;

create temp table d_group on commit drop as
select row_number() over (order by id) - 1 as idx, id from cmn_classifier.item where id_level = 2;

-- Operations a foreman can pick (those with norm rows) with their lowest norm price.
create temp table d_oper on commit drop as
select row_number() over (order by o.id) - 1 as idx, o.id, o.i_id,
       min(n.price) as price, bool_or(v.vid like '%Краска%') as painted
  from accounts_dep.oper o
  join accounts_dep.norm n on n.o_id = o.id
  join accounts_dep.vid_oper v on v.id = o.vid
 where o.vid < 7777
 group by o.id, o.i_id;

-- Who works when: shifts 1-3 take disjoint workers of a daily shuffle, overtime (4)
-- draws from a second shuffle.
create temp table d_slot on commit drop as
with sz as materialized (
  select data, day_off,
         4 + floor(random() * 5)::int as n1, 4 + floor(random() * 5)::int as n2,
         4 + floor(random() * 5)::int as n3, 4 + floor(random() * 5)::int as n4
    from d_day order by data
), shuffled as materialized (
  select s.*, w.id as w_id, random() as r1, random() as r2
    from sz s cross join d_worker w
   order by s.data, w.id
), ranked as (
  select *, row_number() over (partition by data order by r1) as rn,
            row_number() over (partition by data order by r2) as rn4
    from shuffled
)
select data, day_off, w_id, sh as smena
  from ranked
 cross join lateral (values
   (case when rn <= n1 then 1 when rn <= n1 + n2 then 2 when rn <= n1 + n2 + n3 then 3 end),
   (case when rn4 <= n4 then 4 end)) as v(sh)
 where sh is not null;

-- Each worker-shift makes 1-3 records of distinct operations (a stride through the
-- operation list) whose hours add up to a shift of 7-8 hours.
insert into accounts_dep.smena(w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time,
                               ok, vvod, prize, id_doc, id_doc_item, id_gds_use, id_cons_use,
                               f_gds_qty_use)
with n as (
  select count(*)::int as ops from d_oper
), slot as materialized (
  select s.*, 1 + floor(random() * 3)::int as k,
         case when random() < 0.15 then 7 else 8 end as total,
         random() as u1, random() as u2,
         floor(random() * n.ops)::int as b, 1 + floor(random() * (n.ops / 2 - 1))::int as st
    from d_slot s cross join n
   order by s.data, s.smena, s.w_id
), h1 as (
  select *, case k when 1 then total
                   when 2 then 2 + floor(u1 * (total - 3))::int
                   else 2 + floor(u1 * (total - 5))::int end as t1
    from slot
), h2 as (
  select *, case k when 2 then total - t1
                   when 3 then 2 + floor(u2 * (total - t1 - 3))::int end as t2
    from h1
), rec as materialized (
  select h2.data, h2.day_off, h2.w_id, h2.smena, j,
         case j when 1 then t1 when 2 then t2 else total - t1 - t2 end as time,
         (b + (j - 1) * st) % n.ops as idx,
         random() as q1, random() as q2, random() as q3, random() as q4, random() as q5
    from h2 cross join n cross join lateral generate_series(1, h2.k) j
   order by h2.data, h2.smena, h2.w_id, j
)
select r.w_id, o.i_id, o.id,
       50 + floor(q1 * 451)::int,
       case when q2 < 0.6 then 0 else 1 + floor((q2 - 0.6) / 0.4 * 5)::int end,
       r.data, r.smena,
       round((o.price * case when r.day_off then 2 else 1 end
                      * case r.smena when 3 then 1.2 when 4 then 1.5 else 1 end)::numeric, 4),
       case when o.painted then (array[1, 1, 7035, 9003, 3009, 6005, 8017, 1015])[1 + floor(q3 * 8)::int]
            else 0 end,
       r.time,
       case when q4 < 0.72 then 'no' when q4 < 0.95 then 'ok' else 'да' end,
       date_trunc('minute', r.data + interval '8 hours' + q5 * interval '10 hours'),
       0, 0, 0, 0, 0, 0
  from rec r join d_oper o on o.idx = r.idx
 order by r.data, r.smena, r.w_id, r.j;

-- Household works on some days: hourly (7777) or at the average piece rate (7778), priced
-- from the kind's hourly norm, doubled on a day off and +20 % at night.
insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price,
                                 i_holiday, i_night)
with fd as materialized (
  select data, day_off, 1 + floor(random() * 3)::int as k, random() as r
    from d_day order by data
), fr as materialized (
  select fd.data, fd.day_off, j,
         random() as q1, random() as q2, random() as q3, random() as q4, random() as q5
    from fd cross join lateral generate_series(1, fd.k) j
   where fd.r < 0.45
   order by fd.data, j
), f as (
  select fr.*, case when q1 < 0.7 then 7777 else 7778 end as kind,
         case when q2 < 0.15 then 1 else 0 end as night
    from fr
)
select g.id, f.kind, w.id, f.data, extract(month from f.data)::int, extract(year from f.data)::int,
       1, 1 + floor(q5 * 8)::int,
       round(case f.kind when 7777 then 180 else 200 end
             * case when f.day_off then 2 else 1 end
             * case f.night when 1 then 1.2 else 1 end, 4),
       case when f.day_off then 1 else 0 end, f.night
  from f
  join d_worker w on w.idx = floor(q3 * (select count(*) from d_worker))
  join d_group g on g.idx = floor(q4 * (select count(*) from d_group))
 order by f.data, f.j;

select accounts_dep.demo_rebuild_tabel();

commit;
analyze accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue, accounts_dep.oper,
        accounts_dep.norm, accounts_dep.vid_oper, accounts_dep.person, cmn_contractor.person,
        cmn_classifier.item, cmn_gds_and_srv.gds_and_srv;
