-- What the statements of the earlier version ran with, as the benchmarks' reference: its
-- worker-number function with the index on it, and its secondary indexes. Run on a copy
-- of the large workshop with the foreign persons (their codes hold no Unicode spaces,
-- which the function's \s would take and its cast refuse).
create function accounts_dep.person_code(code text) returns numeric
  language sql immutable parallel safe
  as $$ select case when code ~ '^\s*[-+]?[0-9]{1,15}\s*$' then code::numeric end $$;
create index person_code on cmn_contractor.person((accounts_dep.person_code(s_code)));
create index smena_data_smena on accounts_dep.smena(data, smena);
create index smena_w_id_num_data on accounts_dep.smena(((w_id)::numeric), data);
create index smena_w_id_data on accounts_dep.smena(w_id, data);
create index smena_i_id on accounts_dep.smena(i_id);
create index h_tabel_key on accounts_dep.h_tabel(w_id, smena, month, year);
create index h_tabel_month on accounts_dep.h_tabel(year, month);
create index fatigue_p_date on accounts_dep.fatigue(id_p, d_date);
create index fatigue_date on accounts_dep.fatigue(d_date);
create index norm_o_id on accounts_dep.norm(o_id);
create index oper_i_id on accounts_dep.oper(i_id);
create index person_s_code on cmn_contractor.person(s_code);
create index item_level on cmn_classifier.item(id_level);
analyze accounts_dep.smena, accounts_dep.h_tabel, accounts_dep.fatigue, accounts_dep.norm, accounts_dep.oper, cmn_contractor.person;
