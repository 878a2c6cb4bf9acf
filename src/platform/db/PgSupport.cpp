#include "PgSupport.h"

#include "PgDialect.h"

namespace tarovent::db {

// What translated SQL calls on PostgreSQL, under the names it has on SQLite. Everything sits
// in one schema so that a family's schemas hold nothing but its tables and saved queries.
// Every statement replaces what an older program made, so that the whole text also brings an
// older server up to date; the schema's comment holds the version it was made at.
QString pgSupportSql() {
  return QStringLiteral(R"sql(
CREATE SCHEMA IF NOT EXISTS %1;
-- Case ignored, accents not: e = E, e <> é, é right after e.
CREATE COLLATION IF NOT EXISTS %1.jet (provider = icu, locale = 'und-u-ks-level2', deterministic = false);

CREATE OR REPLACE FUNCTION %1.jet_like(t text, pattern text) RETURNS boolean
LANGUAGE plpgsql IMMUTABLE AS $$
DECLARE
  -- Regular expressions and substring searches refuse the JET collation.
  pat text COLLATE "default" := pattern;
  re text COLLATE "default" := '';
  c text COLLATE "default";
  i integer := 1;
  n integer := length(pattern);
  close_at integer;
BEGIN
  IF t IS NULL OR pattern IS NULL THEN RETURN NULL; END IF;
  WHILE i <= n LOOP
    c := substr(pat, i, 1);
    IF c = '*' THEN re := re || '.*';
    ELSIF c = '?' THEN re := re || '.';
    ELSIF c = '#' THEN re := re || '[0-9]';
    ELSIF c = '[' THEN
      close_at := strpos(substr(pat, i + 1), ']');
      IF close_at = 0 THEN
        re := re || '\[';
      ELSE
        c := substr(pat, i + 1, close_at - 1);
        IF left(c, 1) = '!' THEN c := '^' || substr(c, 2); END IF;
        re := re || '[' || replace(c, '\', '\\') || ']';
        i := i + close_at;
      END IF;
    ELSIF c ~ '[\\.^$+(){}|\]]' THEN re := re || '\' || c;
    ELSE re := re || c;
    END IF;
    i := i + 1;
  END LOOP;
  RETURN lower(t COLLATE "default") ~ ('^' || lower(re) || '$');
END $$;

CREATE OR REPLACE FUNCTION %1.jet_left(t text, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT left(t, greatest(round(n)::integer, 0)) $$;
CREATE OR REPLACE FUNCTION %1.jet_right(t text, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT right(t, greatest(round(n)::integer, 0)) $$;
CREATE OR REPLACE FUNCTION %1.jet_mid(t text, s double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT substr(t, round(s)::integer) $$;
CREATE OR REPLACE FUNCTION %1.jet_mid(t text, s double precision, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT substr(t, round(s)::integer, greatest(round(n)::integer, 0)) $$;
CREATE OR REPLACE FUNCTION %1.jet_len(t text) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT length(t) $$;
CREATE OR REPLACE FUNCTION %1.jet_ucase(t text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT upper(t COLLATE "default") $$;
CREATE OR REPLACE FUNCTION %1.jet_lcase(t text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT lower(t COLLATE "default") $$;
CREATE OR REPLACE FUNCTION %1.jet_trim(t text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT btrim(t, ' ') $$;
CREATE OR REPLACE FUNCTION %1.jet_ltrim(t text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT ltrim(t, ' ') $$;
CREATE OR REPLACE FUNCTION %1.jet_rtrim(t text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT rtrim(t, ' ') $$;
CREATE OR REPLACE FUNCTION %1.jet_instr(t text, s text) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$
  SELECT strpos(lower(t COLLATE "default"), lower(s COLLATE "default")) $$;
CREATE OR REPLACE FUNCTION %1.jet_instr(st double precision, t text, s text) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$
  SELECT CASE WHEN s = '' COLLATE "default" THEN round(st)::integer
              WHEN strpos(lower(substr(t, round(st)::integer) COLLATE "default"),
                          lower(s COLLATE "default")) = 0 THEN 0
              ELSE strpos(lower(substr(t, round(st)::integer) COLLATE "default"),
                          lower(s COLLATE "default")) + round(st)::integer - 1 END $$;
-- A number given to a text function is read as its text, as the engine reads it.
CREATE OR REPLACE FUNCTION %1.jet_left(t double precision, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT %1.jet_left(t::text, n) $$;
CREATE OR REPLACE FUNCTION %1.jet_right(t double precision, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT %1.jet_right(t::text, n) $$;
CREATE OR REPLACE FUNCTION %1.jet_mid(t double precision, s double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT %1.jet_mid(t::text, s) $$;
CREATE OR REPLACE FUNCTION %1.jet_mid(t double precision, s double precision, n double precision) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT %1.jet_mid(t::text, s, n) $$;
CREATE OR REPLACE FUNCTION %1.jet_len(t double precision) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT length(t::text) $$;
CREATE OR REPLACE FUNCTION %1.jet_instr(t double precision, s text) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT %1.jet_instr(t::text, s) $$;
CREATE OR REPLACE FUNCTION %1.jet_instr(st double precision, t double precision, s text) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT %1.jet_instr(st, t::text, s) $$;
CREATE OR REPLACE FUNCTION %1.jet_cstr(v anyelement) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT v::text $$;
CREATE OR REPLACE FUNCTION %1.jet_cdbl(v double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT v $$;
CREATE OR REPLACE FUNCTION %1.jet_cdbl(v text) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT replace(btrim(v) COLLATE "default", ',', '.')::double precision $$;
CREATE OR REPLACE FUNCTION %1.jet_clng(v double precision) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT round(v)::integer $$;
CREATE OR REPLACE FUNCTION %1.jet_clng(v text) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT round(replace(btrim(v) COLLATE "default", ',', '.')::double precision)::integer $$;
CREATE OR REPLACE FUNCTION %1.jet_date() RETURNS timestamp(0)
LANGUAGE sql STABLE AS $$ SELECT CURRENT_DATE::timestamp(0) $$;
CREATE OR REPLACE FUNCTION %1.jet_now() RETURNS timestamp(0)
LANGUAGE sql STABLE AS $$ SELECT LOCALTIMESTAMP(0) $$;
CREATE OR REPLACE FUNCTION %1.jet_year(d timestamp) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT extract(year FROM d)::integer $$;
CREATE OR REPLACE FUNCTION %1.jet_month(d timestamp) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT extract(month FROM d)::integer $$;
CREATE OR REPLACE FUNCTION %1.jet_day(d timestamp) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT extract(day FROM d)::integer $$;

-- + and - also add days to dates and join texts.
CREATE OR REPLACE FUNCTION %1.jet_add(a double precision, b double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT a + b $$;
CREATE OR REPLACE FUNCTION %1.jet_add(a timestamp, b double precision) RETURNS timestamp
LANGUAGE sql IMMUTABLE AS $$ SELECT a + b * interval '1 day' $$;
CREATE OR REPLACE FUNCTION %1.jet_add(a double precision, b timestamp) RETURNS timestamp
LANGUAGE sql IMMUTABLE AS $$ SELECT b + a * interval '1 day' $$;
CREATE OR REPLACE FUNCTION %1.jet_add(a text, b text) RETURNS text
LANGUAGE sql IMMUTABLE AS $$ SELECT a || b $$;
CREATE OR REPLACE FUNCTION %1.jet_sub(a double precision, b double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT a - b $$;
CREATE OR REPLACE FUNCTION %1.jet_sub(a timestamp, b double precision) RETURNS timestamp
LANGUAGE sql IMMUTABLE AS $$ SELECT a - b * interval '1 day' $$;
CREATE OR REPLACE FUNCTION %1.jet_sub(a timestamp, b timestamp) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT extract(epoch FROM a - b) / 86400 $$;
CREATE OR REPLACE FUNCTION %1.jet_div(a double precision, b double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT a / b $$;
CREATE OR REPLACE FUNCTION %1.jet_intdiv(a double precision, b double precision) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT trunc(round(a) / round(b))::integer $$;
CREATE OR REPLACE FUNCTION %1.jet_mod(a double precision, b double precision) RETURNS integer
LANGUAGE sql IMMUTABLE AS $$ SELECT mod(round(a)::integer, round(b)::integer) $$;
CREATE OR REPLACE FUNCTION %1.jet_pow(a double precision, b double precision) RETURNS double precision
LANGUAGE sql IMMUTABLE AS $$ SELECT power(a, b) $$;

-- A counter goes on after the highest number written into its field by hand, as the engine's.
CREATE OR REPLACE FUNCTION %1.jet_counter_follow() RETURNS trigger
LANGUAGE plpgsql AS $$
DECLARE
  seq text := pg_get_serial_sequence(quote_ident(TG_TABLE_SCHEMA) || '.' ||
                                     quote_ident(TG_TABLE_NAME), TG_ARGV[0]);
  written bigint := (to_jsonb(NEW) ->> TG_ARGV[0])::bigint;
  given bigint;
BEGIN
  EXECUTE 'SELECT CASE WHEN is_called THEN last_value ELSE 0 END FROM ' || seq INTO given;
  IF written > given THEN PERFORM setval(seq, written); END IF;
  RETURN NULL;
END $$;

-- First and Last: the value of the first and the last row of the group, in scan order.
CREATE OR REPLACE FUNCTION %1.jet_first_step(s anyelement, v anyelement) RETURNS anyelement
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT s $$;
CREATE OR REPLACE FUNCTION %1.jet_last_step(s anyelement, v anyelement) RETURNS anyelement
LANGUAGE sql IMMUTABLE STRICT AS $$ SELECT v $$;
CREATE OR REPLACE AGGREGATE %1.jet_first(anyelement) (sfunc = %1.jet_first_step, stype = anyelement);
CREATE OR REPLACE AGGREGATE %1.jet_last(anyelement) (sfunc = %1.jet_last_step, stype = anyelement);

COMMENT ON SCHEMA %1 IS '%2';
)sql")
      .arg(QLatin1String(kPgSupportSchema))
      .arg(kPgSupportVersion);
}

}  // namespace tarovent::db
