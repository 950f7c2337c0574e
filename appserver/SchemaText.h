// The SQL scripts of appserver/schema/, compiled into the library as text.
#pragma once

namespace appserver {

// Column types are written {text}, {number} and {date}, replaced per backend.
extern const char* const kSchema_sales;
extern const char* const kSchema_oracle_compat_postgres;
extern const char* const kSchema_providers;

}  // namespace appserver
