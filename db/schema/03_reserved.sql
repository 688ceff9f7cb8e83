-- Reserved rows every database of the workshop has: the version row, the two household
-- work kinds with one operation each (product id and kind both 7777 or above) and its
-- hourly norm price.
insert into accounts_dep.ver(d, t, delim) values (0, 0, '.');

insert into accounts_dep.vid_oper(id, vid) values (7777, 'Хоз. работы'), (7778, 'Ср. сдельная');
insert into accounts_dep.oper(vid, naimen, i_id, cena_new) values (7777, 0, 7777, 0), (7778, 0, 7778, 0);
insert into accounts_dep.norm(o_id, norma, prize, price)
  select id, 1, 0, case vid when 7777 then 180 else 200 end from accounts_dep.oper where vid in (7777, 7778);
