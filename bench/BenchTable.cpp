#include "BenchTable.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <vector>

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include "peers/gen.h"
#pragma GCC diagnostic pop

namespace bench {

void WriteEmptyTable(const std::string& path) {
    std::vector<unsigned char> header(32 + 32 * GEN_NFIELDS + 1, 0);
    const int headerLength = static_cast<int>(header.size());
    header[0] = 0x03;
    header[1] = 124;  // 2024
    header[2] = 6;
    header[3] = 7;
    header[8] = static_cast<unsigned char>(headerLength & 0xFF);
    header[9] = static_cast<unsigned char>(headerLength >> 8);
    header[10] = GEN_RECLEN & 0xFF;
    header[11] = GEN_RECLEN >> 8;
    for (int f = 0; f < GEN_NFIELDS; ++f) {
        unsigned char* d = &header[32 + 32 * f];
        std::snprintf(reinterpret_cast<char*>(d), 11, "%s", GEN_FIELDS[f].name);
        d[11] = static_cast<unsigned char>(GEN_FIELDS[f].type);
        d[16] = static_cast<unsigned char>(GEN_FIELDS[f].len);
        d[17] = static_cast<unsigned char>(GEN_FIELDS[f].dec);
    }
    header[headerLength - 1] = 0x0D;
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(header.data()), headerLength);
    out.put(0x1A);
}

static std::uint64_t FoldRecord(std::uint64_t ck, long i) {
    gen_rec_t r;
    gen_record(GEN_DEFAULT_SEED, static_cast<std::uint64_t>(i), &r);
    for (int f = 0; f < GEN_NFIELDS; ++f) ck = ck_field(ck, r.txt[f], std::strlen(r.txt[f]));
    return ck_endrec(ck);
}

std::uint64_t ExpectedScanChecksum(long n) {
    std::uint64_t ck = CK_INIT;
    for (long i = 0; i < n; ++i) ck = FoldRecord(ck, i);
    return ck;
}

std::uint64_t ExpectedChecksum(const long* records, long count) {
    std::uint64_t ck = CK_INIT;
    for (long j = 0; j < count; ++j) ck = FoldRecord(ck, records[j]);
    return ck;
}

void RandomRecords(long tableSize, long count, long* out) {
    std::uint64_t s = GEN_DEFAULT_SEED ^ 0x5241ULL;
    for (long j = 0; j < count; ++j)
        out[j] = static_cast<long>(gen_next(&s) % static_cast<std::uint64_t>(tableSize));
}

std::string BenchDir() {
    const char* dir = std::getenv("TAXBRIDGE_BENCH_DIR");
    return dir && *dir ? dir : "/tmp";
}

}  // namespace bench
