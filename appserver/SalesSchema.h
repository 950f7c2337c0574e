// Creates the sales schema with its provider table on a server that does not have it
// yet (`taxbridge server init`), and the Oracle compatibility functions on PostgreSQL.
#pragma once

namespace appserver {

class Backend;

// Safe to call on every connect: does nothing when the schema is there. Concurrent
// first uses are serialised by the database's own locks.
void ensureSalesSchema(Backend& db);

// Whether the database holds the sales schema (its provider table, made last).
bool hasSalesSchema(Backend& db);

}  // namespace appserver
