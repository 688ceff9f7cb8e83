-- The journal of a day and shift.
create index smena_data_smena on accounts_dep.smena(data, smena);
-- Timesheets compare w_id with the numeric person id: only an index on the cast serves them.
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
-- The journal, the shift timesheet and the reports find a worker by his number in
-- s_code; without this the whole person table is read for every journal row.
create index person_code on cmn_contractor.person((accounts_dep.person_code(s_code)));
