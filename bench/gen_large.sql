-- Large workshop for benchmarks: 300 workers, 400 products, 1,500 operations and a year of
-- journal records (about 190,000) up to the day of loading, with household works and the
-- timesheet rows that match them. Run after the schema and db/demo/rebuild_tabel.sql.
begin;

-- Same data on every load of the same day; random() is also kept out of parallel workers.
-- JIT only costs time on these one-off statements.
select setseed(0.42);
set local max_parallel_workers_per_gather = 0;
set local jit = off;
set local work_mem = '64MB';

create temp table g_name on commit drop as
select array['Иванов', 'Петров', 'Сидоров', 'Кузнецов', 'Смирнов', 'Попов', 'Васильев',
             'Соколов', 'Михайлов', 'Новиков', 'Фёдоров', 'Морозов', 'Волков', 'Алексеев',
             'Лебедев', 'Семёнов', 'Егоров', 'Павлов', 'Козлов', 'Степанов', 'Николаев',
             'Орлов', 'Андреев', 'Макаров', 'Захаров', 'Зайцев', 'Соловьёв', 'Борисов',
             'Яковлев', 'Григорьев', 'Романов', 'Воробьёв', 'Сергеев', 'Кузьмин', 'Фролов',
             'Александров', 'Дмитриев', 'Королёв', 'Гусев', 'Киселёв', 'Ильин', 'Максимов',
             'Поляков', 'Сорокин', 'Виноградов', 'Ковалёв', 'Белов', 'Медведев', 'Антонов',
             'Тарасов', 'Жуков', 'Баранов', 'Филиппов', 'Комаров', 'Давыдов', 'Беляев',
             'Герасимов', 'Богданов', 'Осипов', 'Сидоренко'] as surname,
       array['А', 'Б', 'В', 'Г', 'Д', 'Е', 'Ж', 'З', 'И', 'К', 'Л', 'М', 'Н', 'О', 'П',
             'Р', 'С', 'Т', 'Ф', 'Ю'] as initial;

-- Name number n: a surname (feminine form for every third) and two initials.
create function pg_temp.g_fio(n integer) returns text language sql stable as $$
  select s.surname[1 + n % 60]
         || case when n % 3 = 2 and s.surname[1 + n % 60] ~ '(ов|ев|ёв|ин)$' then 'а' else '' end
         || ' ' || s.initial[1 + (n * 7) % 20] || '.' || s.initial[1 + (n * 13 + n / 20) % 20] || '.'
    from g_name s
$$;

-- Persons of other applications around the workers in the shared person table; their
-- numeric codes lie far above any worker id, so matching by s_code never finds them.
insert into cmn_contractor.person(s_caption, s_code)
select pg_temp.g_fio(n + 1000), (900000 + n)::text from generate_series(1, 2500) n order by n;

insert into accounts_dep.person(fio, s_staffpos_hl)
select pg_temp.g_fio(n), 'Цех №' || (1 + n % 4) from generate_series(1, 300) n order by n;

insert into cmn_contractor.person(s_caption, s_code)
select pg_temp.g_fio(n + 1000), (900000 + n)::text from generate_series(2501, 5000) n order by n;

-- Classifier: upper-level items and 40 product groups (10 kinds of goods in 4 series).
create temp table g_base on commit drop as
select n, caption, code, shape, factor
  from (values (1, 'Плитка тротуарная', 'П', 'Плитка', 1.0),
               (2, 'Бордюры', 'БР', 'Бордюр', 2.0),
               (3, 'Блоки стеновые', 'БС', 'Блок', 1.5),
               (4, 'Кольца колодезные', 'КС', 'Кольцо', 8.0),
               (5, 'Водостоки', 'ЛВ', 'Водосток', 3.0),
               (6, 'Заборные элементы', 'ЗБ', 'Блок заборный', 2.5),
               (7, 'Плиты перекрытия', 'ПК', 'Плита', 10.0),
               (8, 'Лотки', 'Л', 'Лоток', 4.0),
               (9, 'Ступени', 'ЛС', 'Ступень', 5.0),
               (10, 'Вазоны', 'ВЗ', 'Вазон', 3.5)) as b(n, caption, code, shape, factor);

insert into cmn_classifier.item(id_classifier, id_level, s_code, s_caption, s_description)
values (1, 1, '01', 'Изделия из бетона', ''),
       (1, 1, '02', 'Сырьё и материалы', ''),
       (1, 1, '03', 'Оснастка', '');

insert into cmn_classifier.item(id_classifier, id_level, s_code, s_caption, s_description, id_parent)
select 1, 2, '01.' || lpad(g.n::text, 2, '0'), b.caption || ' (серия ' || (1 + (g.n - 1) / 10) || ')', '',
       (select id from cmn_classifier.item where id_level = 1 and s_code = '01')
  from generate_series(1, 40) g(n) join g_base b on b.n = 1 + (g.n - 1) % 10
 order by g.n;

create temp table g_group on commit drop as
select row_number() over (order by id) - 1 as idx, id from cmn_classifier.item where id_level = 2;

-- 400 products, ten per group.
insert into cmn_gds_and_srv.gds_and_srv(s_caption, s_description, id_msm_bs, massa, id_class_item)
select format('%s-%s %s %sx%sx%s', b.code, p.n, b.shape, p.l, p.w, p.h), '', 6, p.massa, g.id
  from (select n, 100 + 50 * floor(random() * 19)::int as l, 100 + 50 * floor(random() * 8)::int as w,
               40 + 20 * floor(random() * 10)::int as h,
               (array[0.01, 0.0125, 0.02, 0.025, 0.05, 0.1, 0.25, 0.5])[1 + floor(random() * 8)::int] as massa
          from generate_series(1, 400) n order by n) p
  join g_group g on g.idx = (p.n - 1) % 40
  join g_base b on b.n = 1 + (p.n - 1) % 10
 order by p.n;

create temp table g_product on commit drop as
select row_number() over (order by g.id) as n, g.id, b.factor
  from cmn_gds_and_srv.gds_and_srv g
  join cmn_classifier.item i on i.id = g.id_class_item
  join g_base b on i.s_caption like b.caption || ' (%';

-- 30 operation kinds; only the painting kind carries a colour number in the journal.
insert into accounts_dep.vid_oper(vid)
select vid
  from unnest(array['Формовка', 'Распалубка', 'Краска', 'Упаковка', 'Грунтовка',
                    'Вибропрессование', 'Шлифовка', 'Погрузка', 'Армирование', 'Сушка',
                    'Пропарка', 'Резка', 'Сортировка', 'Маркировка', 'Зачистка', 'Затирка',
                    'Уплотнение', 'Смазка форм', 'Дозирование', 'Замес бетона',
                    'Штабелирование', 'Перекладка', 'Полировка', 'Гидрофобизация', 'Пропитка',
                    'Галтовка', 'Колка', 'Обвязка', 'Приёмка ОТК', 'Разгрузка'])
       with ordinality as t(vid, n)
 order by n;

create temp table g_kind on commit drop as
select row_number() over (order by id) - 1 as idx, id,
       case when random() < 0.6 then 1 else 0 end as naimen,
       0.25 * (1 + floor(random() * 10)) as base
  from (select id from accounts_dep.vid_oper where id < 7777 order by id) v;

-- 1,500 operations: three or four distinct kinds per product (a stride through the kinds).
insert into accounts_dep.oper(vid, naimen, i_id, cena_new)
with p as materialized (
  select n, id, factor, case when n % 4 = 0 then 3 else 4 end as k,
         floor(random() * 30)::int as b, 1 + floor(random() * 9)::int as st
    from g_product order by n
), r as materialized (
  select p.*, j, random() as v
    from p cross join lateral generate_series(0, p.k - 1) j
   order by p.n, j
)
select k.id, k.naimen, r.id, greatest(0.25, round(k.base * r.factor * (0.8 + r.v * 0.4) * 4) / 4)
  from r join g_kind k on k.idx = (r.b + r.j * r.st) % 30
 order by r.n, r.j;

-- Norm rows: the first carries the operation's price, further ones are dearer grades.
insert into accounts_dep.norm(o_id, norma, prize, price)
with o as materialized (
  select op.id, op.cena_new::float8 as cena_new, p.factor, 1 + floor(random() * 3)::int as k
    from accounts_dep.oper op join g_product p on p.id = op.i_id
   where op.vid < 7777
   order by op.id
), r as materialized (
  select o.*, j, random() as n1, random() as n2, random() as n3
    from o cross join lateral generate_series(1, o.k) j
   order by o.id, j
)
select id,
       greatest(10, (round((100 + n1 * 900) / (10 * factor)) * 10))::int,
       (array[0, 0, 5, 10])[1 + floor(n2 * 4)::int],
       cena_new + (j - 1) * 0.25 * (1 + floor(n3 * 4))
  from r
 order by id, j;

-- Working days: Monday to Friday of the last 365 days, and today whatever day it is.
create temp table g_day on commit drop as
select d::date as data, extract(isodow from d) >= 6 as day_off
  from generate_series(current_date - 364, current_date, interval '1 day') d
 where extract(isodow from d) <= 5 or d::date = current_date;

create temp table g_worker on commit drop as
select row_number() over (order by id) - 1 as idx, id from accounts_dep.person;

create temp table g_oper on commit drop as
select row_number() over (order by o.id) - 1 as idx, o.id, o.i_id,
       min(n.price) as price, bool_or(v.vid like '%Краска%') as painted
  from accounts_dep.oper o
  join accounts_dep.norm n on n.o_id = o.id
  join accounts_dep.vid_oper v on v.id = o.vid
 where o.vid < 7777
 group by o.id, o.i_id;

analyze g_day, g_worker, g_oper, g_group;

-- Who works when: 80-100 workers per shift, shifts 1-3 disjoint from a daily shuffle,
-- overtime (4) drawn from a second shuffle.
create temp table g_slot on commit drop as
with sz as materialized (
  select data, day_off,
         80 + floor(random() * 21)::int as n1, 80 + floor(random() * 21)::int as n2,
         80 + floor(random() * 21)::int as n3, 80 + floor(random() * 21)::int as n4
    from g_day order by data
), shuffled as materialized (
  select s.*, w.id as w_id, random() as r1, random() as r2
    from sz s cross join g_worker w
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
  select count(*)::int as ops from g_oper
), slot as materialized (
  select s.*, 1 + floor(random() * 3)::int as k,
         case when random() < 0.15 then 7 else 8 end as total,
         random() as u1, random() as u2,
         floor(random() * n.ops)::int as b, 1 + floor(random() * (n.ops / 2 - 1))::int as st
    from g_slot s cross join n
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
       -- older records are mostly checked, the last fortnight mostly not
       case when r.data < current_date - 14
            then case when q4 < 0.15 then 'no' when q4 < 0.9 then 'ok' else 'да' end
            else case when q4 < 0.75 then 'no' when q4 < 0.97 then 'ok' else 'да' end end,
       date_trunc('minute', r.data + interval '8 hours' + q5 * interval '10 hours'),
       0, 0, 0, 0, 0, 0
  from rec r join g_oper o on o.idx = r.idx
 order by r.data, r.smena, r.w_id, r.j;

-- Household works, 8-14 a working day: hourly (7777) or at the average piece rate (7778),
-- priced from the kind's hourly norm, doubled on a day off and +20 % at night.
insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price,
                                 i_holiday, i_night)
with fd as materialized (
  select data, day_off, 8 + floor(random() * 7)::int as k
    from g_day order by data
), fr as materialized (
  select fd.data, fd.day_off, j,
         random() as q1, random() as q2, random() as q3, random() as q4, random() as q5
    from fd cross join lateral generate_series(1, fd.k) j
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
  join g_worker w on w.idx = floor(q3 * (select count(*) from g_worker))
  join g_group g on g.idx = floor(q4 * (select count(*) from g_group))
 order by f.data, f.j;

select accounts_dep.demo_rebuild_tabel();

commit;
analyze accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue, accounts_dep.oper,
        accounts_dep.norm, accounts_dep.vid_oper, accounts_dep.person, cmn_contractor.person,
        cmn_classifier.item, cmn_gds_and_srv.gds_and_srv;
