/* The floor of reading a result through ODBC: the statement run through the same driver,
 * every column bound to a plain buffer of the C type our reader asks for, fetched in
 * blocks of rows, nothing kept. Prints the milliseconds of each round, on the clock and
 * of this process's processor time (which a busy machine disturbs less).
 *   odbc_floor CONNECTION-STRING ROUNDS < statement.sql
 * The first round is a warm-up and is not printed. */
#include <sql.h>
#include <sqlext.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>

enum { MAX_COLUMNS = 128, MAX_ROWSET = 512 };

static void fail(SQLSMALLINT type, SQLHANDLE h, const char* what)
{
    SQLCHAR state[6], text[1024];
    SQLINTEGER native = 0;
    SQLSMALLINT len = 0;
    fprintf(stderr, "%s failed", what);
    if (SQLGetDiagRec(type, h, 1, state, &native, text, sizeof text, &len) == SQL_SUCCESS)
        fprintf(stderr, ": %s", (const char*)text);
    fputc('\n', stderr);
    exit(1);
}

static int ok(SQLRETURN r) { return r == SQL_SUCCESS || r == SQL_SUCCESS_WITH_INFO; }

/* The C type and width per row of a column, as our reader binds it. */
static void binding(SQLSMALLINT sqlType, SQLULEN size, SQLSMALLINT* cType, SQLLEN* width)
{
    switch (sqlType) {
    case SQL_INTEGER: case SQL_SMALLINT: case SQL_TINYINT: case SQL_BIGINT:
        *cType = SQL_C_SBIGINT; *width = sizeof(SQLBIGINT); return;
    case SQL_DOUBLE: case SQL_FLOAT: case SQL_REAL:
        *cType = SQL_C_DOUBLE; *width = sizeof(double); return;
    case SQL_TYPE_DATE: case SQL_DATE: case SQL_TYPE_TIMESTAMP: case SQL_TIMESTAMP:
        *cType = SQL_C_CHAR; *width = 40; return; /* as text */
    default: {
        SQLULEN chars = size < 40 ? 40 : size > 8190 ? 8190 : size;
        *cType = SQL_C_CHAR;
        *width = (SQLLEN)(chars * 4 + 1); /* UTF-8: up to four bytes a character */
        return;
    }
    }
}

static double now_ms(clockid_t clock)
{
    struct timespec t;
    clock_gettime(clock, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

/* One run of the statement; returns the rows read. */
static long run(SQLHDBC dbc, SQLCHAR* sql)
{
    SQLHSTMT st;
    SQLSMALLINT n = 0, i;
    SQLLEN rowBytes = 0;
    SQLULEN rowset, fetched = 0;
    char* buffers[MAX_COLUMNS];
    SQLLEN* indicators[MAX_COLUMNS];
    long rows = 0;
    SQLRETURN r;

    if (!ok(SQLAllocHandle(SQL_HANDLE_STMT, dbc, &st)))
        fail(SQL_HANDLE_DBC, dbc, "SQLAllocHandle");
    if (!ok(SQLExecDirect(st, sql, SQL_NTS)))
        fail(SQL_HANDLE_STMT, st, "SQLExecDirect");
    SQLNumResultCols(st, &n);
    if (n > MAX_COLUMNS)
        n = MAX_COLUMNS;
    SQLSMALLINT types[MAX_COLUMNS];
    SQLLEN widths[MAX_COLUMNS];
    for (i = 0; i < n; ++i) {
        SQLCHAR name[256];
        SQLSMALLINT nameLen, type, digits, nullable;
        SQLULEN size;
        SQLDescribeCol(st, i + 1, name, sizeof name, &nameLen, &type, &size, &digits, &nullable);
        binding(type, size, &types[i], &widths[i]);
        rowBytes += widths[i];
    }
    rowset = (1u << 20) / (SQLULEN)(rowBytes > 0 ? rowBytes : 1);
    if (rowset < 1) rowset = 1;
    if (rowset > MAX_ROWSET) rowset = MAX_ROWSET;
    SQLSetStmtAttr(st, SQL_ATTR_ROW_BIND_TYPE, (SQLPOINTER)SQL_BIND_BY_COLUMN, 0);
    SQLSetStmtAttr(st, SQL_ATTR_ROW_ARRAY_SIZE, (SQLPOINTER)rowset, 0);
    SQLSetStmtAttr(st, SQL_ATTR_ROWS_FETCHED_PTR, &fetched, 0);
    for (i = 0; i < n; ++i) {
        buffers[i] = malloc((size_t)widths[i] * rowset);
        indicators[i] = malloc(sizeof(SQLLEN) * rowset);
        SQLBindCol(st, i + 1, types[i], buffers[i], widths[i], indicators[i]);
    }
    while ((r = SQLFetch(st)) != SQL_NO_DATA) {
        if (!ok(r))
            fail(SQL_HANDLE_STMT, st, "SQLFetch");
        rows += (long)fetched;
    }
    for (i = 0; i < n; ++i) {
        free(buffers[i]);
        free(indicators[i]);
    }
    SQLFreeHandle(SQL_HANDLE_STMT, st);
    return rows;
}

int main(int argc, char** argv)
{
    SQLHENV env;
    SQLHDBC dbc;
    static char sql[1 << 16];
    size_t len;
    int rounds, k;
    long rows = 0;

    if (argc < 3) {
        fprintf(stderr, "usage: %s CONNECTION-STRING ROUNDS < statement\n", argv[0]);
        return 2;
    }
    rounds = atoi(argv[2]);
    len = fread(sql, 1, sizeof sql - 1, stdin);
    sql[len] = 0;
    SQLAllocHandle(SQL_HANDLE_ENV, SQL_NULL_HANDLE, &env);
    SQLSetEnvAttr(env, SQL_ATTR_ODBC_VERSION, (SQLPOINTER)SQL_OV_ODBC3, 0);
    SQLAllocHandle(SQL_HANDLE_DBC, env, &dbc);
    if (!ok(SQLDriverConnect(dbc, NULL, (SQLCHAR*)argv[1], SQL_NTS, NULL, 0, NULL, SQL_DRIVER_NOPROMPT)))
        fail(SQL_HANDLE_DBC, dbc, "SQLDriverConnect");
    run(dbc, (SQLCHAR*)"SET DateStyle TO 'ISO, DMY'");
    run(dbc, (SQLCHAR*)"SET jit TO off");
    run(dbc, (SQLCHAR*)sql); /* warm-up */
    for (k = 0; k < rounds; ++k) {
        double t = now_ms(CLOCK_MONOTONIC), cpu = now_ms(CLOCK_PROCESS_CPUTIME_ID);
        rows = run(dbc, (SQLCHAR*)sql);
        printf("%.3f %.3f\n", now_ms(CLOCK_MONOTONIC) - t, now_ms(CLOCK_PROCESS_CPUTIME_ID) - cpu);
    }
    printf("rows %ld\n", rows);
    SQLDisconnect(dbc);
    SQLFreeHandle(SQL_HANDLE_DBC, dbc);
    SQLFreeHandle(SQL_HANDLE_ENV, env);
    return 0;
}
