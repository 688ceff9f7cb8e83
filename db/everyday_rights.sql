-- The rights the client's role (sys) needs for everyday work, as a site's administrator
-- grants them: read and write the workshop's tables and use their id sequences, write the
-- goods (the products window keeps them), read the other shared relations. It may create
-- and alter nothing. The maintenance commands "Структура БД" and "Импорт" need the rights
-- of the tables' owner and say so when they lack them.
grant usage on schema accounts_dep, cmn_contractor, cmn_classifier, cmn_gds_and_srv, cmn_department,
  hrms_staffpos, adm_role to sys;
grant select, insert, update, delete on all tables in schema accounts_dep to sys;
grant usage on all sequences in schema accounts_dep to sys;
grant select on all tables in schema cmn_contractor, cmn_classifier, cmn_gds_and_srv, cmn_department,
  hrms_staffpos, adm_role to sys;
grant insert, update, delete on cmn_gds_and_srv.gds_and_srv to sys;
grant usage on sequence cmn_gds_and_srv.gds_and_srv_id_seq to sys;
