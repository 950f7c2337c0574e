// The benchmark workload's table: an empty dBase III table with the workload's fields,
// record images from the shared generator, and the checksum the peer programs compute.
#pragma once

#include <cstdint>
#include <string>

namespace bench {

// Writes a header-only dBase III table with the workload's ten fields.
void WriteEmptyTable(const std::string& path);
// The checksum every scan over records [0, n) must reach.
std::uint64_t ExpectedScanChecksum(long n);
// The checksum of the records listed, in that order.
std::uint64_t ExpectedChecksum(const long* records, long count);
// The fixed list of random record numbers (0-based) the peers use.
void RandomRecords(long tableSize, long count, long* out);
// A scratch directory for the benchmark files ($TAXBRIDGE_BENCH_DIR or /tmp).
std::string BenchDir();

// The engine's table of the whole workload (written on first use) and its record count:
// defined by table_bench for the benchmark files linked into it.
const std::string& EngineTablePath();
long EngineRecordCount();

}  // namespace bench
