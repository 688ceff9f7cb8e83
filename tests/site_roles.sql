-- The test cluster as a site has it: the schema belongs to the site (pw_owner), the
-- databases to its administrator (pw_site), and the client's role sys may do everyday
-- work only (db/everyday_rights.sql). pw_site may hand a test database's objects to sys,
-- for the maintenance commands, which need the owner's rights.
create role pw_owner nologin;
create role pw_site login password 'sitepass' createdb;
grant pw_owner, sys to pw_site;
-- A database dropped with its sessions may have an autovacuum worker among them.
grant pg_signal_backend to pw_site;
alter role sys nocreatedb;
-- Function calls are counted, for the test of what the client touches.
alter role sys set track_functions = 'all';
