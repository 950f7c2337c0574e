// Table engine benchmarks, side by side with shapelib and the I/O floor on one workload,
// and the compound index over the same table (tag builds, seeks, a walk in tag order):
// a 1,000,000-record dBase III table (152-byte records) from peers/gen.h.
//
//   table_bench                       everything, medians of 3 runs
//   table_bench --benchmark_filter=Scan
// Environment: TAXBRIDGE_BENCH_RECORDS (default 1000000), TAXBRIDGE_BENCH_DIR (default /tmp).
// Each benchmark checks its result against the generator's checksum and fails otherwise.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "platform/FormatSettings.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/expr/ExprHandler.h"
#include "xbase/expr/TableExprLink.h"
#include "xbase/index/cdx/CdxFile.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include "peers/gen.h"
#pragma GCC diagnostic pop

#ifdef TAXBRIDGE_HAVE_SHAPELIB
#include <shapefil.h>
#endif

namespace {

constexpr long kRandomReads = 100000;
constexpr long kSharedAppends = 200000;

long TableRecords() {
    const char* n = std::getenv("TAXBRIDGE_BENCH_RECORDS");
    return n && *n ? std::atol(n) : 1000000;
}

std::string Path(const char* name) { return bench::BenchDir() + "/taxbridge-bench-" + name; }

// Fills the handler's record buffer with record i of the workload, the way a caller
// writes typed values: text for characters, numbers for numerics, the stored date.
void PutWorkloadRecord(xbase::DbfHandler& table, long i) {
    gen_rec_t r;
    gen_record(GEN_DEFAULT_SEED, static_cast<std::uint64_t>(i), &r);
    table.PutFieldRaw(1, r.name);
    table.PutFieldRaw(2, r.code);
    table.PutFieldRaw(3, r.city);
    table.PutFieldNumber(4, static_cast<double>(r.qty));
    table.PutFieldNumber(5, static_cast<double>(r.price_cents) / 100.0);
    table.PutFieldNumber(6, static_cast<double>(r.amount_cents) / 100.0);
    table.PutFieldRaw(7, r.date8);
    table.PutFieldLogical(8, r.flag == 'T');
    table.PutFieldRaw(9, r.note);
    table.PutFieldNumber(10, static_cast<double>(r.rate_milli) / 1000.0);
}

// Folds the current record into the checksum. Each field's text is read either as a view
// (GetFieldTextView, no copy: the like of shapelib's returned buffer) or copied into a
// reused string (GetFieldText).
enum class TextRead { View, Copy };

template <TextRead read>
std::uint64_t FoldCurrent(xbase::DbfHandler& table, std::uint64_t ck, std::string& text) {
    if (table.RecordDeleted()) {
        ck ^= '*';
        ck *= 0x100000001b3ULL;
    }
    for (int f = 1; f <= GEN_NFIELDS; ++f) {
        std::string_view t;
        if constexpr (read == TextRead::View) {
            t = table.GetFieldTextView(f);
        } else {
            table.GetFieldText(f, text);
            t = text;
        }
        ck = ck_field(ck, t.data(), t.size());
    }
    return ck_endrec(ck);
}

// Dates read back as YYYYMMDD, the stored form the peers fold.
void UseStoredDateForm() { platform::ProcessFormatSettings().shortDateFormat = "yyyymmdd"; }

// The engine's table of the whole workload, written once by the engine itself.
const std::string& EngineTable() {
    static const std::string path = [] {
        std::string p = Path("engine.dbf");
        bench::WriteEmptyTable(p);
        xbase::DbfHandler table(p, false, true);
        for (long i = 0, n = TableRecords(); i < n; ++i) {
            PutWorkloadRecord(table, i);
            table.AppendRecord();
        }
        return p;
    }();
    return path;
}

// Appends n workload records to a fresh table, opened shared (append lock, header
// refresh and rewrite per record) or exclusive (no other program can see the file).
void AppendWorkload(benchmark::State& state, bool shared, long n, const char* file) {
    const std::string path = Path(file);
    for (auto _ : state) {
        state.PauseTiming();
        bench::WriteEmptyTable(path);
        state.ResumeTiming();
        {
            xbase::DbfHandler table(path, shared, true);
            for (long i = 0; i < n; ++i) {
                PutWorkloadRecord(table, i);
                table.AppendRecord();
            }
        }
    }
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(n) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
    std::filesystem::remove(path);
}

void BM_Engine_AppendExclusive(benchmark::State& state) {
    AppendWorkload(state, false, TableRecords(), "append-x.dbf");
}

void BM_Engine_AppendShared(benchmark::State& state) {
    AppendWorkload(state, true, kSharedAppends, "append-s.dbf");
}

template <TextRead read>
void EngineScan(benchmark::State& state) {
    UseStoredDateForm();
    const std::string& path = EngineTable();
    const std::uint64_t expected = bench::ExpectedScanChecksum(TableRecords());
    std::string text;
    for (auto _ : state) {
        xbase::DbfHandler table(path, true, false);
        table.SetReadAhead(true);
        std::uint64_t ck = CK_INIT;
        for (table.GoTo(xbase::move::First); !table.Eof(); table.GoTo(xbase::move::Next))
            ck = FoldCurrent<read>(table, ck, text);
        if (ck != expected) state.SkipWithError("scan checksum differs from the generator's");
    }
}

void BM_Engine_Scan(benchmark::State& state) { EngineScan<TextRead::View>(state); }
void BM_Engine_ScanCopy(benchmark::State& state) { EngineScan<TextRead::Copy>(state); }

// Expressions evaluated for every record of the same scan, compiled once: a filter
// (no city of the workload begins with BEI, so it is false throughout, at full cost) and
// an index key. Each run checks the filter's count and the keys' checksum against the
// generator.
struct ExprExpected {
    long passing = 0;
    std::uint64_t keys = CK_INIT;
};

const ExprExpected& ExpectedExprResults() {
    static const ExprExpected expected = [] {
        ExprExpected e;
        gen_rec_t r;
        for (long i = 0, n = TableRecords(); i < n; ++i) {
            gen_record(GEN_DEFAULT_SEED, static_cast<std::uint64_t>(i), &r);
            if (std::strncmp(r.city, "BEI", 3) == 0 && r.price_cents > 10000) ++e.passing;
            char key[19];
            std::snprintf(key, sizeof key, "%s%-10s", r.date8, r.code);
            e.keys = ck_bytes(e.keys, key, 18);
        }
        return e;
    }();
    return expected;
}

void ExprScan(benchmark::State& state, const char* expression, bool filter) {
    UseStoredDateForm();
    const std::string& path = EngineTable();
    const ExprExpected& expected = ExpectedExprResults();
    for (auto _ : state) {
        xbase::DbfHandler table(path, true, false);
        table.SetReadAhead(true);
        xbase::TableExprLink link(table);
        xbase::ExprHandler expr(&link, false, expression);
        long passing = 0;
        std::uint64_t keys = CK_INIT;
        for (table.GoTo(xbase::move::First); !table.Eof(); table.GoTo(xbase::move::Next)) {
            const xbase::ExprValue& v = expr.Evaluate();
            if (filter)
                passing += v.logical ? 1 : 0;
            else
                keys = ck_bytes(keys, v.text.data(), v.text.size());
        }
        if (filter ? passing != expected.passing : keys != expected.keys)
            state.SkipWithError("expression results differ from the generator's");
    }
}

void BM_Expr_Filter(benchmark::State& state) {
    ExprScan(state, "(UPPER(CITY) = \"BEI*\") .AND. (PRICE > 100)", true);
}
void BM_Expr_Key(benchmark::State& state) { ExprScan(state, "DTOS(DDATE) + CODE", false); }

void BM_Engine_RandomGoTo(benchmark::State& state) {
    UseStoredDateForm();
    const std::string& path = EngineTable();
    std::vector<long> records(kRandomReads);
    bench::RandomRecords(TableRecords(), kRandomReads, records.data());
    const std::uint64_t expected = bench::ExpectedChecksum(records.data(), kRandomReads);
    std::string text;
    for (auto _ : state) {
        xbase::DbfHandler table(path, true, false);
        std::uint64_t ck = CK_INIT;
        for (long r : records) {
            table.GoTo(static_cast<std::int32_t>(r + 1));
            ck = FoldCurrent<TextRead::View>(table, ck, text);
        }
        if (ck != expected) state.SkipWithError("random checksum differs from the generator's");
    }
}

void BM_Floor_PreadScan(benchmark::State& state) {
    const std::string& path = EngineTable();
    std::vector<unsigned char> buffer(32768);
    for (auto _ : state) {
        int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        std::uint64_t sum = 0;
        off_t offset = 0;
        ssize_t got;
        while ((got = ::pread(fd, buffer.data(), buffer.size(), offset)) > 0) {
            for (ssize_t k = 0; k < got; ++k) sum += buffer[static_cast<std::size_t>(k)];
            offset += got;
        }
        ::close(fd);
        benchmark::DoNotOptimize(sum);
    }
}

#ifdef TAXBRIDGE_HAVE_SHAPELIB
std::uint64_t FoldShapelib(DBFHandle h, int i, std::uint64_t ck) {
    if (DBFIsRecordDeleted(h, i)) {
        ck ^= '*';
        ck *= 0x100000001b3ULL;
    }
    for (int f = 0; f < GEN_NFIELDS; ++f) {
        const char* s = DBFReadStringAttribute(h, i, f);
        ck = ck_field(ck, s, std::strlen(s));
    }
    return ck_endrec(ck);
}

void BM_Shapelib_Append(benchmark::State& state) {
    const long n = TableRecords();
    const std::string path = Path("shapelib.dbf");
    for (auto _ : state) {
        DBFHandle h = DBFCreateEx(path.c_str(), "");
        for (int f = 0; f < GEN_NFIELDS; ++f)
            DBFAddNativeFieldType(h, GEN_FIELDS[f].name, GEN_FIELDS[f].type, GEN_FIELDS[f].len,
                                  GEN_FIELDS[f].dec);
        gen_rec_t r;
        for (long i = 0; i < n; ++i) {
            int k = static_cast<int>(i);
            gen_record(GEN_DEFAULT_SEED, static_cast<std::uint64_t>(i), &r);
            DBFWriteStringAttribute(h, k, 0, r.name);
            DBFWriteStringAttribute(h, k, 1, r.code);
            DBFWriteStringAttribute(h, k, 2, r.city);
            DBFWriteIntegerAttribute(h, k, 3, static_cast<int>(r.qty));
            DBFWriteDoubleAttribute(h, k, 4, static_cast<double>(r.price_cents) / 100.0);
            DBFWriteDoubleAttribute(h, k, 5, static_cast<double>(r.amount_cents) / 100.0);
            DBFWriteAttributeDirectly(h, k, 6, r.date8);
            DBFWriteLogicalAttribute(h, k, 7, r.flag);
            DBFWriteStringAttribute(h, k, 8, r.note);
            DBFWriteDoubleAttribute(h, k, 9, static_cast<double>(r.rate_milli) / 1000.0);
        }
        DBFClose(h);
    }
    state.counters["records/s"] = benchmark::Counter(static_cast<double>(n) * state.iterations(),
                                                     benchmark::Counter::kIsRate);
}

void BM_Shapelib_Scan(benchmark::State& state) {
    const std::string& path = EngineTable();
    const std::uint64_t expected = bench::ExpectedScanChecksum(TableRecords());
    for (auto _ : state) {
        DBFHandle h = DBFOpen(path.c_str(), "rb");
        const int n = DBFGetRecordCount(h);
        std::uint64_t ck = CK_INIT;
        for (int i = 0; i < n; ++i) ck = FoldShapelib(h, i, ck);
        DBFClose(h);
        if (ck != expected) state.SkipWithError("scan checksum differs from the generator's");
    }
}

void BM_Shapelib_Random(benchmark::State& state) {
    const std::string& path = EngineTable();
    std::vector<long> records(kRandomReads);
    bench::RandomRecords(TableRecords(), kRandomReads, records.data());
    const std::uint64_t expected = bench::ExpectedChecksum(records.data(), kRandomReads);
    for (auto _ : state) {
        DBFHandle h = DBFOpen(path.c_str(), "rb");
        std::uint64_t ck = CK_INIT;
        for (long r : records) ck = FoldShapelib(h, static_cast<int>(r), ck);
        DBFClose(h);
        if (ck != expected) state.SkipWithError("random checksum differs from the generator's");
    }
}
#endif

// Compound index over the engine's table: a tag built on CODE and one on PRICE; seeks of
// codes taken from the fixed random records; a walk of the whole table in CODE order
// reading every field of every record.
void CdxBuild(benchmark::State& state, const char* field) {
    const std::string& path = EngineTable();
    const std::string index = Path("build.cdx");
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(index);
        state.ResumeTiming();
        xbase::DbfHandler table(path, false, true);
        xbase::cdx::CdxFile cdx(table, index);
        cdx.Create();
        const xbase::IndexTag& tag = cdx.AddTag({field, field, "", false, false});
        benchmark::DoNotOptimize(tag.RootOffset());
    }
    std::filesystem::remove(index);
}

void BM_Cdx_BuildCode(benchmark::State& state) { CdxBuild(state, "CODE"); }
void BM_Cdx_BuildPrice(benchmark::State& state) { CdxBuild(state, "PRICE"); }

// The engine's table with a CODE tag, built once.
const std::string& CodeIndex() {
    static const std::string index = [] {
        const std::string p = Path("code.cdx");
        std::filesystem::remove(p);
        xbase::DbfHandler table(EngineTable(), false, true);
        xbase::cdx::CdxFile cdx(table, p);
        cdx.Create();
        cdx.AddTag({"CODE", "CODE", "", false, false});
        return p;
    }();
    return index;
}

// The seeks on the table opened shared (the index's change counter is read before each
// seek, so that another program's change is seen) or exclusively (as the other runtime
// opens tables by default: nothing else can change the index, so nothing is read again).
void CdxSeekRandomCodes(benchmark::State& state, bool shared) {
    const std::string& path = EngineTable();
    const std::string& index = CodeIndex();
    std::vector<long> records(kRandomReads);
    bench::RandomRecords(TableRecords(), kRandomReads, records.data());
    std::vector<std::string> codes;
    for (long r : records) {
        gen_rec_t rec;
        gen_record(GEN_DEFAULT_SEED, static_cast<std::uint64_t>(r), &rec);
        codes.emplace_back(rec.code, 10);
    }
    for (auto _ : state) {
        xbase::DbfHandler table(path, shared, false);
        xbase::cdx::CdxFile cdx(table, index);
        cdx.Open();
        xbase::IndexTag& tag = *cdx.FindTag("CODE");
        long found = 0;
        for (const std::string& code : codes) {
            xbase::KeyValue value;
            value.text = code;
            const bool hit = tag.Search(tag.ConvertKey(value)) == 0;
            table.GoTo(static_cast<std::int32_t>(tag.CurrentRecNo()));
            found += hit && table.GetFieldTextView(2) == code;
        }
        if (found != kRandomReads) state.SkipWithError("a seek missed the record holding its code");
    }
}

void BM_Cdx_SeekRandomCodes(benchmark::State& state) { CdxSeekRandomCodes(state, true); }
void BM_Cdx_SeekRandomCodesExclusive(benchmark::State& state) { CdxSeekRandomCodes(state, false); }

void BM_Cdx_WalkCodeOrder(benchmark::State& state) {
    UseStoredDateForm();
    const std::string& path = EngineTable();
    const std::string& index = CodeIndex();
    std::vector<long> order;
    order.reserve(static_cast<std::size_t>(TableRecords()));
    std::string text;
    for (auto _ : state) {
        order.clear();
        xbase::DbfHandler table(path, true, false);
        xbase::cdx::CdxFile cdx(table, index);
        cdx.Open();
        xbase::IndexTag& tag = *cdx.FindTag("CODE");
        std::uint64_t ck = CK_INIT;
        for (std::uint32_t r = tag.Top(); r != 0; r = tag.Next()) {
            table.GoTo(static_cast<std::int32_t>(r));
            ck = FoldCurrent<TextRead::View>(table, ck, text);
            order.push_back(static_cast<long>(r) - 1);
        }
        state.PauseTiming();
        if (static_cast<long>(order.size()) != TableRecords() ||
            ck != bench::ExpectedChecksum(order.data(), static_cast<long>(order.size())))
            state.SkipWithError("the walk in CODE order missed records or read them wrongly");
        state.ResumeTiming();
    }
}

void Configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
}

}  // namespace

BENCHMARK(BM_Floor_PreadScan)->Apply(Configure);
BENCHMARK(BM_Engine_Scan)->Apply(Configure);
BENCHMARK(BM_Engine_ScanCopy)->Apply(Configure);
BENCHMARK(BM_Expr_Filter)->Apply(Configure);
BENCHMARK(BM_Expr_Key)->Apply(Configure);
BENCHMARK(BM_Engine_RandomGoTo)->Apply(Configure);
BENCHMARK(BM_Engine_AppendExclusive)->Apply(Configure);
BENCHMARK(BM_Engine_AppendShared)->Apply(Configure);
BENCHMARK(BM_Cdx_BuildCode)->Apply(Configure);
BENCHMARK(BM_Cdx_BuildPrice)->Apply(Configure);
BENCHMARK(BM_Cdx_SeekRandomCodes)->Apply(Configure);
BENCHMARK(BM_Cdx_SeekRandomCodesExclusive)->Apply(Configure);
BENCHMARK(BM_Cdx_WalkCodeOrder)->Apply(Configure);
#ifdef TAXBRIDGE_HAVE_SHAPELIB
BENCHMARK(BM_Shapelib_Scan)->Apply(Configure);
BENCHMARK(BM_Shapelib_Random)->Apply(Configure);
BENCHMARK(BM_Shapelib_Append)->Apply(Configure);
#endif

namespace bench {
const std::string& EngineTablePath() { return EngineTable(); }
long EngineRecordCount() { return TableRecords(); }
}  // namespace bench

BENCHMARK_MAIN();
