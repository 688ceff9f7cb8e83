-- Generation shared by the demo workshop (db/demo/demo.sql) and the large one of the
-- benchmarks (bench/gen_large.sql). Each of them loads its people, products and operations
-- itself, keeping every product's size factor in the temp table g_product(id, factor), and
-- then calls these functions for the norm rows, the working days, the journal, household
-- works and the timesheet. Dates are relative to the day of loading; the draws from
-- random() come in a fixed order, so a seeded load gives the same data on the same day.
-- Run after rebuild_tabel.sql.

-- Norm rows: the first carries the operation's price, further ones are dearer grades.
-- p_without operations, picked at random among products with three or more operations,
-- stay without norm rows (the operation list hides them).
create or replace function accounts_dep.demo_add_norms(p_without integer)
returns void language plpgsql as $$
declare
  skip integer[] := '{}';
begin
  if p_without > 0 then
    skip := array(
      select id from (
        select o.id, random() as r
          from accounts_dep.oper o
         where o.vid < 7777
           and o.i_id in (select i_id from accounts_dep.oper group by i_id having count(*) >= 3)
         order by o.id
      ) s order by r limit p_without);
  end if;

  insert into accounts_dep.norm(o_id, norma, prize, price)
  with o as materialized (
    select op.id, op.cena_new::float8 as cena_new, p.factor, 1 + floor(random() * 3)::int as k
      from accounts_dep.oper op join g_product p on p.id = op.i_id
     where op.vid < 7777 and op.id <> all(skip)
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
end $$;

-- The work of the days from p_days ago up to today over the workers, product groups and
-- operations already loaded: journal records, household works and the timesheet rows
-- that match them. Returns the number of journal records.
--   p_saturdays            share of Saturdays worked (Monday to Friday and today always are)
--   p_shift_min, _max      workers a shift
--   p_old_no, p_old_ok     OK marks of records older than a fortnight: a draw below p_old_no
--                          gives 'no', below p_old_ok 'ok', above it 'да'
--   p_new_no, p_new_ok     the same for the last fortnight
--   p_home_min, _max       household works a day, on a share p_home_days of the days
create or replace function accounts_dep.demo_add_work(
  p_days integer, p_saturdays float8, p_shift_min integer, p_shift_max integer,
  p_old_no float8, p_old_ok float8, p_new_no float8, p_new_ok float8,
  p_home_min integer, p_home_max integer, p_home_days float8)
returns integer language plpgsql as $$
declare
  n_work integer;
begin
  -- Working days. No draw is made for a choice that is settled (no Saturdays, household
  -- works every day), so the draws that follow do not depend on it.
  create temp table wk_day on commit drop as
  select data, extract(isodow from data) >= 6 as day_off
    from (select d::date as data, case when p_saturdays > 0 then random() else 1 end as r
            from generate_series(current_date - p_days, current_date, interval '1 day') d
           order by d) s
   where extract(isodow from data) <= 5
      or data = current_date
      or (extract(isodow from data) = 6 and r < p_saturdays);

  create temp table wk_worker on commit drop as
  select row_number() over (order by id) - 1 as idx, id from accounts_dep.person;

  create temp table wk_group on commit drop as
  select row_number() over (order by id) - 1 as idx, id from cmn_classifier.item where id_level = 2;

  -- Operations a foreman can pick (those with norm rows) with their lowest norm price.
  create temp table wk_oper on commit drop as
  select row_number() over (order by o.id) - 1 as idx, o.id, o.i_id,
         min(n.price) as price, bool_or(v.vid like '%Краска%') as painted
    from accounts_dep.oper o
    join accounts_dep.norm n on n.o_id = o.id
    join accounts_dep.vid_oper v on v.id = o.vid
   where o.vid < 7777
   group by o.id, o.i_id;

  analyze wk_day, wk_worker, wk_group, wk_oper;

  -- Who works when: shifts 1-3 take disjoint workers of a daily shuffle, overtime (4)
  -- draws from a second shuffle.
  create temp table wk_slot on commit drop as
  with sz as materialized (
    select data, day_off,
           p_shift_min + floor(random() * (p_shift_max - p_shift_min + 1))::int as n1,
           p_shift_min + floor(random() * (p_shift_max - p_shift_min + 1))::int as n2,
           p_shift_min + floor(random() * (p_shift_max - p_shift_min + 1))::int as n3,
           p_shift_min + floor(random() * (p_shift_max - p_shift_min + 1))::int as n4
      from wk_day order by data
  ), shuffled as materialized (
    select s.*, w.id as w_id, random() as r1, random() as r2
      from sz s cross join wk_worker w
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
    select count(*)::int as ops from wk_oper
  ), slot as materialized (
    select s.*, 1 + floor(random() * 3)::int as k,
           case when random() < 0.15 then 7 else 8 end as total,
           random() as u1, random() as u2,
           floor(random() * n.ops)::int as b, 1 + floor(random() * (n.ops / 2 - 1))::int as st
      from wk_slot s cross join n
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
         case when r.data < current_date - 14
              then case when q4 < p_old_no then 'no' when q4 < p_old_ok then 'ok' else 'да' end
              else case when q4 < p_new_no then 'no' when q4 < p_new_ok then 'ok' else 'да' end end,
         date_trunc('minute', r.data + interval '8 hours' + q5 * interval '10 hours'),
         0, 0, 0, 0, 0, 0
    from rec r join wk_oper o on o.idx = r.idx
   order by r.data, r.smena, r.w_id, r.j;
  get diagnostics n_work = row_count;

  -- Household works: hourly (7777) or at the average piece rate (7778), priced from the
  -- kind's hourly norm, doubled on a day off and +20 % at night.
  insert into accounts_dep.fatigue(id_nom, id_o, id_p, d_date, i_mnth, i_year, i_smena, cnt, price,
                                   i_holiday, i_night)
  with fd as materialized (
    select data, day_off, p_home_min + floor(random() * (p_home_max - p_home_min + 1))::int as k,
           case when p_home_days < 1 then random() else 0 end as r
      from wk_day order by data
  ), fr as materialized (
    select fd.data, fd.day_off, j,
           random() as q1, random() as q2, random() as q3, random() as q4, random() as q5
      from fd cross join lateral generate_series(1, fd.k) j
     where fd.r < p_home_days
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
    join wk_worker w on w.idx = floor(q3 * (select count(*) from wk_worker))
    join wk_group g on g.idx = floor(q4 * (select count(*) from wk_group))
   order by f.data, f.j;

  perform accounts_dep.demo_rebuild_tabel();
  return n_work;
end $$;
