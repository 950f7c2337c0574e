// The handler's filter set for PRICE > 100 over the engine's workload table, in the same
// run as BM_Engine_Scan (the yardstick: building the set should take at most 1.5 times a
// scan of every record).
//
//   table_bench --benchmark_filter='Engine_Scan$|FilterSet'
#include <benchmark/benchmark.h>

#include "BenchTable.h"
#include "xbase/cursor/DbfHandler.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wformat-truncation"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include "peers/gen.h"
#pragma GCC diagnostic pop

namespace {

// Records of the workload whose price is above 100, as the generator makes them.
long ExpectedPassing() {
    static const long passing = [] {
        long n = 0;
        gen_rec_t r;
        for (long i = 0, count = bench::EngineRecordCount(); i < count; ++i) {
            gen_record(GEN_DEFAULT_SEED, static_cast<std::uint64_t>(i), &r);
            if (r.price_cents > 10000) ++n;
        }
        return n;
    }();
    return passing;
}

void BM_FilterSet_Build(benchmark::State& state) {
    const std::string& path = bench::EngineTablePath();
    const long expected = ExpectedPassing();
    for (auto _ : state) {
        xbase::DbfHandler table(path, true, false);
        table.SetFilter("PRICE > 100");
        table.SetFilterActive(true);
        if (table.FilterSet().Count() != expected)
            state.SkipWithError("filter set differs from the generator's");
    }
    state.counters["records/s"] =
        benchmark::Counter(static_cast<double>(bench::EngineRecordCount()) * state.iterations(),
                           benchmark::Counter::kIsRate);
}

}  // namespace

// As the table's own benchmarks run: one iteration per repetition, medians of three.
BENCHMARK(BM_FilterSet_Build)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(1)
    ->Repetitions(3)
    ->ReportAggregatesOnly(true)
    ->UseRealTime();
