-- Large workshop for benchmarks: 300 workers, 400 products, 1,500 operations and a year of
-- journal records (about 190,000) up to the day of loading, with household works and the
-- timesheet rows that match them. Run after the schema,
-- db/demo/rebuild_tabel.sql and db/demo/generate.sql.
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

select accounts_dep.demo_add_norms(0);

-- A year of Monday to Friday, 80-100 workers a shift; older records are mostly checked,
-- the last fortnight mostly not; 8-14 household works every day.
select accounts_dep.demo_add_work(p_days => 364, p_saturdays => 0,
                                  p_shift_min => 80, p_shift_max => 100,
                                  p_old_no => 0.15, p_old_ok => 0.9,
                                  p_new_no => 0.75, p_new_ok => 0.97,
                                  p_home_min => 8, p_home_max => 14, p_home_days => 1);

commit;
analyze accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue, accounts_dep.oper,
        accounts_dep.norm, accounts_dep.vid_oper, accounts_dep.person, cmn_contractor.person,
        cmn_classifier.item, cmn_gds_and_srv.gds_and_srv;
