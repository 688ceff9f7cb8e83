-- The generators are the loading's own: the workshop's schema keeps no function of ours.
do $$
declare f regprocedure;
begin
  for f in select p.oid::regprocedure from pg_proc p
            where p.pronamespace = 'accounts_dep'::regnamespace and p.proname like 'demo\_%'
  loop
    execute 'drop function ' || f;
  end loop;
end $$;
