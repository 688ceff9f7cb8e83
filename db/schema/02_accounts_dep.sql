-- The workshop's own schema.
create schema accounts_dep;

create table accounts_dep.smena (
  id            serial primary key,
  w_id          integer,
  i_id          integer,
  o_id          integer,
  kol_vo        integer,
  brak          smallint,
  data          date,
  smena         smallint,
  cena          double precision,
  color         integer,
  time          integer,
  ok            char(2),
  vvod          timestamp,
  prize         double precision,
  id_doc        numeric(15,0),
  id_doc_item   numeric(15,0),
  id_gds_use    numeric(15,0),
  id_cons_use   numeric(15,0),
  f_gds_qty_use double precision
);

create table accounts_dep.h_tabel (
  id      serial primary key,
  w_id    integer,
  month   integer,
  year    integer,
  smena   integer,
  i_type  integer default 0,
  i_night integer default 0,
  d1 integer, d2 integer, d3 integer, d4 integer, d5 integer, d6 integer, d7 integer,
  d8 integer, d9 integer, d10 integer, d11 integer, d12 integer, d13 integer, d14 integer,
  d15 integer, d16 integer, d17 integer, d18 integer, d19 integer, d20 integer, d21 integer,
  d22 integer, d23 integer, d24 integer, d25 integer, d26 integer, d27 integer, d28 integer,
  d29 integer, d30 integer, d31 integer
);

create table accounts_dep.fatigue (
  id        serial primary key,
  id_nom    numeric(15,0),
  id_o      numeric(15,0),
  id_p      numeric(15,0),
  d_date    date,
  i_mnth    integer,
  i_year    integer,
  i_smena   integer,
  cnt       integer,
  price     numeric(15,4),
  i_holiday integer default 0,
  i_night   integer default 0
);

create table accounts_dep.vid_oper (
  id  serial primary key,
  vid char(128)
);

create table accounts_dep.oper (
  id       serial primary key,
  vid      integer,
  naimen   smallint,
  i_id     integer,
  cena_new numeric,
  cena     double precision
);

create table accounts_dep.norm (
  id     serial primary key,
  o_id   integer,
  norma  integer,
  prize  integer,
  price  double precision
);

create table accounts_dep.ver (
  d     integer,
  t     integer,
  delim varchar(255)
);

-- Legacy layout, filled only by the import from the old journal database.
create table accounts_dep.workers (
  id   serial primary key,
  fio  varchar(128),
  addr varchar(128)
);
create table accounts_dep.nomenkl (
  id    serial primary key,
  nom   varchar(512),
  marka char(128)
);

CREATE OR REPLACE VIEW accounts_dep.izdel AS SELECT gds.s_caption AS marka,	gds.id_class_item, gds.id, gds.massa, gds.id_class_item AS id_nom,i.s_caption AS nom FROM cmn_gds_and_srv.gds_and_srv gds, cmn_classifier.item i WHERE gds.id_class_item::numeric = i.id::numeric;

-- Workers as the workshop keeps them. Every worker is also a person of the shared
-- schema with the same id, the name as caption and the id as worker number (s_code),
-- which is how the journal, timesheet and report statements find him. A new worker takes
-- his id from the shared persons' sequence, so that it never meets a person of another
-- application.
create table accounts_dep.person (
  id            integer primary key,
  fio           varchar(254),
  s_staffpos_hl varchar(254)
);

-- Runs with its owner's rights: the client's role may change workers without any right
-- on the shared person table or its sequence.
create function accounts_dep.person_sync() returns trigger
  language plpgsql security definer set search_path = pg_catalog, pg_temp as $$
begin
  if tg_op = 'INSERT' then
    if new.id is null then
      new.id := nextval('cmn_contractor.person_id_seq');
    end if;
    insert into cmn_contractor.person(id, s_caption, s_code) values (new.id, new.fio, new.id::text);
  elsif tg_op = 'UPDATE' then
    update cmn_contractor.person set id = new.id, s_caption = new.fio, s_code = new.id::text
     where id = old.id;
  else
    delete from cmn_contractor.person where id = old.id;
    return old;
  end if;
  return new;
end $$;

create trigger person_sync before insert or update or delete on accounts_dep.person
  for each row execute function accounts_dep.person_sync();
