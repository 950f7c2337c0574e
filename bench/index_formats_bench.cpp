// Index builds and seeks of the Clipper (.NTX), dBase IV multiple (.MDX) and dBase single
// (.NDX) formats on the engine's workload table, in the same run as BM_Engine_Scan and
// BM_Engine_RandomGoTo (the yardsticks: a build should take no longer than a scan, 100,000
// seeks no longer than 1.5 times as many random reads).
//
//   table_bench --benchmark_filter='Engine_Scan$|RandomGoTo|Index_'
//
// The seeks run three ways: the table opened shared and the index opened per iteration
// (every lookup of a shared MDX or NDX file reads its pages under the lock: no change
// counter tells another user's change), opened exclusively (pages kept from the first
// lookup on), and with the index opened once before the iterations (shared: NTX pages
// kept while the version counter stays; exclusive: pages of every format kept).
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "BenchTable.h"
#include "xbase/cursor/DbfHandler.h"
#include "xbase/index/IndexTag.h"

namespace {

constexpr long kSeeks = 100000;

// The index file of `format` beside the bench table, named after `tag`: in upper case, as
// the engine names the files it makes (so that a file made once is found again).
std::string IndexPath(const char* tag, const char* format) {
    return bench::BenchDir() + "/TAXBRIDGE-BENCH-" + tag + format;
}

// Builds tag `tag` on `key` into a fresh file of `format` per iteration.
void Build(benchmark::State& state, const char* format, const char* tag, const char* key) {
    const std::string& table = bench::EngineTablePath();
    const std::string file = IndexPath(tag, format);
    for (auto _ : state) {
        state.PauseTiming();
        std::filesystem::remove(file);
        state.ResumeTiming();
        xbase::DbfHandler handler(table, false, true);
        handler.CreateIndex(file, tag, key, "", false, false);
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(bench::EngineRecordCount()) * state.iterations(),
                           benchmark::Counter::kIsRate);
}

// How a seek benchmark opens the table: shared (as the yardstick RandomGoTo does) or
// exclusively (as the other runtime opens its tables by default); the index file opened
// anew in each iteration (nothing of it in memory) or once before them.
enum class Open { Shared, SharedKept, Exclusive, ExclusiveKept };

// 100,000 seeks of the CODE of random records in a CODE tag of `format`; every key must be
// found on a record holding it.
void Seek(benchmark::State& state, const char* format, Open open = Open::Shared) {
    const std::string& table = bench::EngineTablePath();
    const std::string file = IndexPath("CODE", format);
    std::vector<std::string> keys;
    {
        xbase::DbfHandler handler(table, false, true);
        if (!std::filesystem::exists(file))
            handler.CreateIndex(file, "CODE", "CODE", "", false, false);
        std::vector<long> records(kSeeks);
        bench::RandomRecords(bench::EngineRecordCount(), kSeeks, records.data());
        for (long r : records) {
            handler.GoTo(static_cast<std::int32_t>(r + 1));
            keys.push_back(handler.GetFieldText("CODE"));
        }
    }
    std::unique_ptr<xbase::DbfHandler> handler;
    auto openIndex = [&] {
        handler.reset();  // an exclusive open waits for no earlier handle
        const bool shared = open == Open::Shared || open == Open::SharedKept;
        handler = std::make_unique<xbase::DbfHandler>(table, shared, false);
        if (handler->OpenIndexFile(file) != 0) state.SkipWithError("index file not opened");
        // The tag's name: CODE, or the file's base name in a single index of dBase.
        handler->SelectTag(handler->TagByOrdinal(1)->Name());
    };
    const bool kept = open == Open::SharedKept || open == Open::ExclusiveKept;
    if (kept) openIndex();
    for (auto _ : state) {
        if (!kept) openIndex();
        long found = 0;
        for (const std::string& key : keys) found += handler->SeekKey(key) ? 1 : 0;
        if (found != kSeeks) state.SkipWithError("a seek did not find its key");
    }
}

void BM_Index_NtxBuildCode(benchmark::State& s) { Build(s, ".NTX", "CODE", "CODE"); }
void BM_Index_NtxBuildPrice(benchmark::State& s) { Build(s, ".NTX", "PRICE", "PRICE"); }
void BM_Index_NtxSeek(benchmark::State& s) { Seek(s, ".NTX"); }
void BM_Index_NtxSeekKept(benchmark::State& s) { Seek(s, ".NTX", Open::SharedKept); }
void BM_Index_NtxSeekExclusive(benchmark::State& s) { Seek(s, ".NTX", Open::Exclusive); }
void BM_Index_NtxSeekExclusiveKept(benchmark::State& s) { Seek(s, ".NTX", Open::ExclusiveKept); }
void BM_Index_MdxBuildCode(benchmark::State& s) { Build(s, ".MDX", "CODE", "CODE"); }
void BM_Index_MdxBuildPrice(benchmark::State& s) { Build(s, ".MDX", "PRICE", "PRICE"); }
void BM_Index_MdxSeek(benchmark::State& s) { Seek(s, ".MDX"); }
void BM_Index_MdxSeekKept(benchmark::State& s) { Seek(s, ".MDX", Open::SharedKept); }
void BM_Index_MdxSeekExclusive(benchmark::State& s) { Seek(s, ".MDX", Open::Exclusive); }
void BM_Index_MdxSeekExclusiveKept(benchmark::State& s) { Seek(s, ".MDX", Open::ExclusiveKept); }
void BM_Index_NdxBuildCode(benchmark::State& s) { Build(s, ".NDX", "CODE", "CODE"); }
void BM_Index_NdxBuildPrice(benchmark::State& s) { Build(s, ".NDX", "PRICE", "PRICE"); }
void BM_Index_NdxSeek(benchmark::State& s) { Seek(s, ".NDX"); }
void BM_Index_NdxSeekKept(benchmark::State& s) { Seek(s, ".NDX", Open::SharedKept); }
void BM_Index_NdxSeekExclusive(benchmark::State& s) { Seek(s, ".NDX", Open::Exclusive); }
void BM_Index_NdxSeekExclusiveKept(benchmark::State& s) { Seek(s, ".NDX", Open::ExclusiveKept); }

void Configure(benchmark::internal::Benchmark* b) {
    b->Unit(benchmark::kMillisecond)
        ->Iterations(1)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true)
        ->UseRealTime();
}

}  // namespace

BENCHMARK(BM_Index_NtxBuildCode)->Apply(Configure);
BENCHMARK(BM_Index_NtxBuildPrice)->Apply(Configure);
BENCHMARK(BM_Index_NtxSeek)->Apply(Configure);
BENCHMARK(BM_Index_NtxSeekKept)->Apply(Configure);
BENCHMARK(BM_Index_NtxSeekExclusive)->Apply(Configure);
BENCHMARK(BM_Index_NtxSeekExclusiveKept)->Apply(Configure);
BENCHMARK(BM_Index_MdxBuildCode)->Apply(Configure);
BENCHMARK(BM_Index_MdxBuildPrice)->Apply(Configure);
BENCHMARK(BM_Index_MdxSeek)->Apply(Configure);
BENCHMARK(BM_Index_MdxSeekKept)->Apply(Configure);
BENCHMARK(BM_Index_MdxSeekExclusive)->Apply(Configure);
BENCHMARK(BM_Index_MdxSeekExclusiveKept)->Apply(Configure);
BENCHMARK(BM_Index_NdxBuildCode)->Apply(Configure);
BENCHMARK(BM_Index_NdxBuildPrice)->Apply(Configure);
BENCHMARK(BM_Index_NdxSeek)->Apply(Configure);
BENCHMARK(BM_Index_NdxSeekKept)->Apply(Configure);
BENCHMARK(BM_Index_NdxSeekExclusive)->Apply(Configure);
BENCHMARK(BM_Index_NdxSeekExclusiveKept)->Apply(Configure);
