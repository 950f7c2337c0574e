// The Oracle functions the statements use, registered on a SQLite connection:
// SYSDATE(), NVL, TRUNC (date or number), TO_DATE, TO_CHAR, TO_NUMBER and ORA_CONCAT
// (the adapter's NULL-as-empty concatenation).
#pragma once

struct sqlite3;

namespace appserver {

void registerOracleFunctions(sqlite3* db);

}  // namespace appserver
