-- The shared person table as a site has it: 50,000 persons of other applications beside the
-- workers, every third with a code that is not a number, every third with an empty code;
-- the numeric ones lie far above any worker's number. Run after bench/gen_large.sql.
insert into cmn_contractor.person(s_caption, s_code)
select 'Контрагент ' || n,
       case n % 3 when 0 then 'К-' || n when 1 then '' else (1000000 + n)::text end
  from generate_series(1, 50000) n
 order by n;
analyze cmn_contractor.person;
