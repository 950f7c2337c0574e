-- Oracle functions for PostgreSQL, in schema oracle_compat. Every session puts this
-- schema before pg_catalog in its search path, so these definitions win over the
-- built-in functions of the same name and argument types.
-- Oracle reads an empty text as NULL: TO_DATE('') and TO_NUMBER('') give NULL.

CREATE SCHEMA IF NOT EXISTS oracle_compat;

CREATE OR REPLACE FUNCTION oracle_compat.sysdate() RETURNS TIMESTAMP(0)
    LANGUAGE sql STABLE AS $$ SELECT LOCALTIMESTAMP(0) $$;

CREATE OR REPLACE FUNCTION oracle_compat.nvl(value anycompatible, fallback anycompatible)
    RETURNS anycompatible LANGUAGE sql IMMUTABLE AS $$ SELECT COALESCE(value, fallback) $$;

CREATE OR REPLACE FUNCTION oracle_compat.trunc(value TIMESTAMP) RETURNS TIMESTAMP(0)
    LANGUAGE sql IMMUTABLE AS $$ SELECT pg_catalog.date_trunc('day', value)::TIMESTAMP(0) $$;

CREATE OR REPLACE FUNCTION oracle_compat.trunc(value DATE) RETURNS TIMESTAMP(0)
    LANGUAGE sql IMMUTABLE AS $$ SELECT value::TIMESTAMP(0) $$;

CREATE OR REPLACE FUNCTION oracle_compat.to_date(value TEXT, format TEXT) RETURNS TIMESTAMP(0)
    LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    IF value IS NULL OR pg_catalog.btrim(value) = '' THEN
        RETURN NULL;
    END IF;
    RETURN pg_catalog.to_timestamp(pg_catalog.btrim(value), format)::TIMESTAMP(0);
END $$;

CREATE OR REPLACE FUNCTION oracle_compat.to_date(value TEXT) RETURNS TIMESTAMP(0)
    LANGUAGE sql IMMUTABLE AS $$ SELECT oracle_compat.to_date(value, 'YYYY-MM-DD HH24:MI:SS') $$;

CREATE OR REPLACE FUNCTION oracle_compat.to_char(value NUMERIC) RETURNS TEXT
    LANGUAGE sql IMMUTABLE AS $$ SELECT pg_catalog.trim_scale(value)::TEXT $$;

CREATE OR REPLACE FUNCTION oracle_compat.to_char(value TEXT) RETURNS TEXT
    LANGUAGE sql IMMUTABLE AS $$ SELECT value $$;

CREATE OR REPLACE FUNCTION oracle_compat.to_number(value TEXT) RETURNS NUMERIC
    LANGUAGE plpgsql IMMUTABLE AS $$
BEGIN
    IF value IS NULL OR pg_catalog.btrim(value) = '' THEN
        RETURN NULL;
    END IF;
    RETURN pg_catalog.btrim(value)::NUMERIC;
EXCEPTION WHEN invalid_text_representation THEN
    RAISE EXCEPTION 'Invalid number: ''%''', value;
END $$;

CREATE OR REPLACE FUNCTION oracle_compat.to_number(value NUMERIC) RETURNS NUMERIC
    LANGUAGE sql IMMUTABLE AS $$ SELECT value $$;

-- Marks the version of these definitions; a session installs them again when it is missing.
CREATE OR REPLACE FUNCTION oracle_compat.tb_compat_version() RETURNS INTEGER
    LANGUAGE sql IMMUTABLE AS $$ SELECT 2 $$;
