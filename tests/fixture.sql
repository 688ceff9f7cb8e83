-- A small workshop every test case starts from (each case works on its own copy).
-- 1 April 2025 is a Tuesday; the tests' clock says it is that day.
insert into cmn_classifier.item(id, id_level, s_code, s_caption) values
  (10, 2, '10', 'Плитка'), (11, 2, '11', 'Бордюры'), (12, 1, '12', 'Сырьё');

insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, s_description, id_msm_bs, massa, id_class_item) values
  (100, 'П-1', '', 6, 0.02, 10), (101, 'П-2', '', 6, 0.05, 10), (102, 'Б-1', '', 6, 0.1, 11);

insert into accounts_dep.vid_oper(id, vid) values (1, 'Формовка'), (2, 'Краска'), (3, 'Упаковка');

insert into accounts_dep.oper(id, vid, naimen, i_id, cena_new) values
  (200, 1, 0, 100, 11), (201, 2, 0, 100, 5), (202, 3, 1, 102, 3), (203, 1, 0, 101, 0);
-- Operation 203 has no norm row and so is missing from the operation list.
insert into accounts_dep.norm(o_id, norma, prize, price) values
  (200, 100, 0, 12.5), (200, 50, 0, 10), (201, 10, 0, 5), (202, 10, 0, 3);

insert into accounts_dep.person(id, fio, s_staffpos_hl) values
  (1, 'Антонов А.А.', 'Цех №1'), (2, 'Борисов Б.Б.', 'Цех №1'), (3, 'Васильев В.В.', 'Цех №2');
-- A person of another application whose worker number (77) is not his id.
insert into cmn_contractor.person(id, s_caption, s_code) values (500, 'Кодов К.К.', '77');
-- Rows of other applications in the shared tables, as a site has them: persons who are not
-- workers, with codes that are no worker number (text, empty, none, a Unicode space before
-- the digits, a fraction, more digits than any id) or the number of nobody here, and goods
-- without a group or with a group that is not there.
insert into cmn_contractor.person(id, s_caption, s_code) values
  (510, 'Чужой Ч.Ч.', 'К-17'), (511, 'Пустой П.П.', ''), (512, 'Безкодов Б.Б.', null),
  (513, 'Пробелов П.П.', chr(8195) || '2'), (514, 'Дробный Д.Д.', '1.5'),
  (515, 'Длинный Д.Д.', '123456789012345678901234567890'), (516, 'Сторонний С.С.', '900001');
insert into cmn_gds_and_srv.gds_and_srv(id, s_caption, s_description, id_msm_bs, massa, id_class_item) values
  (190, 'Чужой товар', '', 1, null, null), (191, 'Товар чужой группы', '', 1, 1, 999);

insert into accounts_dep.smena(id, w_id, i_id, o_id, kol_vo, brak, data, smena, cena, color, time, ok, vvod, prize,
                               id_doc, id_doc_item, id_gds_use, id_cons_use, f_gds_qty_use) values
  (1, 1, 100, 200, 100, 2, '2025-04-01', 1, 10, 0, 4, 'no', '2025-04-01', 0, 0, 0, 0, 0, 0),
  (2, 2, 102, 202, 40, 0, '2025-04-01', 1, 3, 0, 8, 'да', '2025-04-01', 0, 0, 0, 0, 0, 0),
  (3, 77, 100, 200, 30, 0, '2025-04-01', 1, 10, 0, 8, 'ok', '2025-04-01', 0, 0, 0, 0, 0, 0),
  (4, 3, 100, 201, 20, 1, '2025-04-01', 2, 5, 7035, 6, 'no', '2025-04-01', 0, 0, 0, 0, 0, 0),
  (5, 1, 100, 200, 10, 0, '2025-04-01', 4, 15, 0, 2, 'no', '2025-04-01', 0, 0, 0, 0, 0, 0),
  (6, 2, 100, 200, 5, 0, '2025-04-01', 1, 10, 0, 1, null, '2025-04-01', 0, 0, 0, 0, 0, 0),
  (7, 1, 100, 200, 70, 0, '2025-03-31', 1, 10, 0, 8, 'no', '2025-03-31', 0, 0, 0, 0, 0, 0);

insert into accounts_dep.h_tabel(w_id, month, year, smena, d1, d31) values (1, 4, 2025, 1, 4, null), (1, 3, 2025, 1, null, 8);

select setval('cmn_contractor.person_id_seq', 1000);
select setval('cmn_classifier.item_id_seq', 1000);
select setval('cmn_gds_and_srv.gds_and_srv_id_seq', 1000);
select setval('accounts_dep.vid_oper_id_seq', 100);
select setval('accounts_dep.oper_id_seq', 1000);
select setval('accounts_dep.smena_id_seq', 1000);
