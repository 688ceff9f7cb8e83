-- Demo data of a small workshop. Dates are relative to the day of loading, so the main
-- window always opens on a day with records. Run after the schema, rebuild_tabel.sql and generate.sql.
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

create temp table g_product on commit drop as
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
    from g_product p cross join d_kind k
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
select accounts_dep.demo_add_norms(2);

-- Five weeks with some Saturdays, 4-8 workers a shift, most records not yet checked,
-- household works on almost half of the days.
select accounts_dep.demo_add_work(p_days => 35, p_saturdays => 0.35,
                                  p_shift_min => 4, p_shift_max => 8,
                                  p_old_no => 0.72, p_old_ok => 0.95,
                                  p_new_no => 0.72, p_new_ok => 0.95,
                                  p_home_min => 1, p_home_max => 3, p_home_days => 0.45);

commit;
analyze accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue, accounts_dep.oper,
        accounts_dep.norm, accounts_dep.vid_oper, accounts_dep.person, cmn_contractor.person,
        cmn_classifier.item, cmn_gds_and_srv.gds_and_srv;
