-- Stand-ins for the enterprise's shared schemas: only the columns this client touches,
-- with the types the shared schemas use.
create domain public.t_id as numeric(15,0);
create domain public.t_integer as integer;

create schema cmn_contractor;
create schema cmn_classifier;
create schema cmn_gds_and_srv;
create schema cmn_department;
create schema hrms_staffpos;
create schema adm_role;

-- One id sequence for all persons: workers added by the workshop and persons of other
-- applications share cmn_contractor.person, so their ids must never meet.
create sequence cmn_contractor.person_id_seq;
create table cmn_contractor.person (
  id        t_id primary key default nextval('cmn_contractor.person_id_seq'),
  s_caption varchar(254),
  s_code    varchar(30)
);

create sequence cmn_classifier.item_id_seq;
create table cmn_classifier.item (
  id              t_id primary key default nextval('cmn_classifier.item_id_seq'),
  id_classifier   t_id,
  id_level        integer,
  s_code          varchar(30),
  s_caption       varchar(254),
  s_description   varchar(4000),
  b_excluded      boolean default false,
  d_excluded_date date,
  id_parent       t_id
);

create sequence cmn_gds_and_srv.gds_and_srv_id_seq;
create table cmn_gds_and_srv.gds_and_srv (
  id            t_id primary key default nextval('cmn_gds_and_srv.gds_and_srv_id_seq'),
  s_caption     varchar(254),
  s_description varchar(4000),
  id_msm_bs     t_id,
  massa         numeric(28,6),
  id_class_item t_id
);

create table cmn_department.department (
  id            t_id primary key,
  id_branch     t_id,
  s_code        varchar(30),
  s_caption     varchar(254),
  s_description varchar(4000),
  id_parent     t_id
);

create table hrms_staffpos.staffpos (
  id            t_id primary key,
  id_department t_id,
  s_code        varchar(30),
  s_caption     varchar(254),
  d_begin       date,
  d_end         date,
  s_description varchar(4000)
);

create table adm_role.roles (
  id        t_id primary key,
  s_name    varchar(30),
  s_caption varchar(254),
  d_begin   date,
  d_end     date,
  b_active  boolean
);
