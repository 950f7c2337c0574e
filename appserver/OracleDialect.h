// Adapts Oracle-dialect statement text, as the jobs and the providers write it, to the
// SQL of the backend that runs it. Works on tokens, so the inside of a string literal
// or a quoted name is never changed. What it adapts:
//   TRUNCATE TABLE x             SQLite: DELETE FROM x
//   DELETE x WHERE ...           DELETE FROM x WHERE ...
//   bare SYSDATE                 SYSDATE() (a function installed on the backend)
//   ''                           NULL (Oracle reads an empty text as NULL)
//   a || b || c                  a concatenation that treats NULL as empty text
//   FROM (SELECT ...) w/o alias  an alias is added (PostgreSQL requires one)
//   MINUS                        EXCEPT
//   unaliased select-list expression of the outer query
//                                named by its own text, upper case, blanks removed,
//                                as Oracle names it (e.g. "DZ0000||''||DH0000")
//   ? and :name parameters       numbered in order of appearance
// NVL, TRUNC, TO_DATE, TO_CHAR and TO_NUMBER are functions installed on each backend.
#pragma once

#include <string>
#include <string_view>

namespace appserver {

enum class SqlTarget { Sqlite, Postgres };

struct AdaptedStatement {
    std::string sql;
    int parameterCount = 0;
};

AdaptedStatement adaptOracleSql(std::string_view oracleSql, SqlTarget target);

}  // namespace appserver
