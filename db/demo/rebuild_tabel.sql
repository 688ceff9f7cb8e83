-- Rebuilds every timesheet row from the journal and the household works, so that a
-- generated data set starts with day cells equal to the sums of its records (what the
-- client's own day-cell upkeep would have written). Returns the number of rows made.
create or replace function accounts_dep.demo_rebuild_tabel() returns integer
language plpgsql as $$
declare
  n_work integer;
  n_home integer;
begin
  delete from accounts_dep.h_tabel;

  -- Piece work: one row per worker, shift, month and year; days without records stay NULL.
  insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, i_night,
    d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
    d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
  select w_id, extract(month from data)::int, extract(year from data)::int, smena, 0, 0,
         sum(time) filter (where extract(day from data) = 1),
         sum(time) filter (where extract(day from data) = 2),
         sum(time) filter (where extract(day from data) = 3),
         sum(time) filter (where extract(day from data) = 4),
         sum(time) filter (where extract(day from data) = 5),
         sum(time) filter (where extract(day from data) = 6),
         sum(time) filter (where extract(day from data) = 7),
         sum(time) filter (where extract(day from data) = 8),
         sum(time) filter (where extract(day from data) = 9),
         sum(time) filter (where extract(day from data) = 10),
         sum(time) filter (where extract(day from data) = 11),
         sum(time) filter (where extract(day from data) = 12),
         sum(time) filter (where extract(day from data) = 13),
         sum(time) filter (where extract(day from data) = 14),
         sum(time) filter (where extract(day from data) = 15),
         sum(time) filter (where extract(day from data) = 16),
         sum(time) filter (where extract(day from data) = 17),
         sum(time) filter (where extract(day from data) = 18),
         sum(time) filter (where extract(day from data) = 19),
         sum(time) filter (where extract(day from data) = 20),
         sum(time) filter (where extract(day from data) = 21),
         sum(time) filter (where extract(day from data) = 22),
         sum(time) filter (where extract(day from data) = 23),
         sum(time) filter (where extract(day from data) = 24),
         sum(time) filter (where extract(day from data) = 25),
         sum(time) filter (where extract(day from data) = 26),
         sum(time) filter (where extract(day from data) = 27),
         sum(time) filter (where extract(day from data) = 28),
         sum(time) filter (where extract(day from data) = 29),
         sum(time) filter (where extract(day from data) = 30),
         sum(time) filter (where extract(day from data) = 31)
    from accounts_dep.smena
   group by w_id, extract(year from data), extract(month from data), smena
   order by 3, 2, 4, 1;
  get diagnostics n_work = row_count;

  -- Household works: keyed by kind and night flag instead of the shift.
  insert into accounts_dep.h_tabel(w_id, month, year, smena, i_type, i_night,
    d1, d2, d3, d4, d5, d6, d7, d8, d9, d10, d11, d12, d13, d14, d15, d16,
    d17, d18, d19, d20, d21, d22, d23, d24, d25, d26, d27, d28, d29, d30, d31)
  select id_p, extract(month from d_date)::int, extract(year from d_date)::int, null, id_o, i_night,
         sum(cnt) filter (where extract(day from d_date) = 1),
         sum(cnt) filter (where extract(day from d_date) = 2),
         sum(cnt) filter (where extract(day from d_date) = 3),
         sum(cnt) filter (where extract(day from d_date) = 4),
         sum(cnt) filter (where extract(day from d_date) = 5),
         sum(cnt) filter (where extract(day from d_date) = 6),
         sum(cnt) filter (where extract(day from d_date) = 7),
         sum(cnt) filter (where extract(day from d_date) = 8),
         sum(cnt) filter (where extract(day from d_date) = 9),
         sum(cnt) filter (where extract(day from d_date) = 10),
         sum(cnt) filter (where extract(day from d_date) = 11),
         sum(cnt) filter (where extract(day from d_date) = 12),
         sum(cnt) filter (where extract(day from d_date) = 13),
         sum(cnt) filter (where extract(day from d_date) = 14),
         sum(cnt) filter (where extract(day from d_date) = 15),
         sum(cnt) filter (where extract(day from d_date) = 16),
         sum(cnt) filter (where extract(day from d_date) = 17),
         sum(cnt) filter (where extract(day from d_date) = 18),
         sum(cnt) filter (where extract(day from d_date) = 19),
         sum(cnt) filter (where extract(day from d_date) = 20),
         sum(cnt) filter (where extract(day from d_date) = 21),
         sum(cnt) filter (where extract(day from d_date) = 22),
         sum(cnt) filter (where extract(day from d_date) = 23),
         sum(cnt) filter (where extract(day from d_date) = 24),
         sum(cnt) filter (where extract(day from d_date) = 25),
         sum(cnt) filter (where extract(day from d_date) = 26),
         sum(cnt) filter (where extract(day from d_date) = 27),
         sum(cnt) filter (where extract(day from d_date) = 28),
         sum(cnt) filter (where extract(day from d_date) = 29),
         sum(cnt) filter (where extract(day from d_date) = 30),
         sum(cnt) filter (where extract(day from d_date) = 31)
    from accounts_dep.fatigue
   group by id_p, extract(year from d_date), extract(month from d_date), id_o, i_night
   order by 3, 2, 5, 6, 1;
  get diagnostics n_home = row_count;

  return n_work + n_home;
end $$;
