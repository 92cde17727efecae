// Checking a whole set: the defaults (no findings, every rule still runs) and a
// set whose every byte is random, with all nine units in use (findings by the
// hundred, the most message text to build).

#include <benchmark/benchmark.h>

#include <random>

#include "config/config_check.h"

namespace {

void BM_CheckDefaults(benchmark::State& state) {
    valdro::ConfigSet set;
    set.SetDefaults();
    for (auto _ : state)
        benchmark::DoNotOptimize(valdro::CheckConfigSet(set));
}
BENCHMARK(BM_CheckDefaults)->Unit(benchmark::kMicrosecond);

void BM_CheckRandomSet(benchmark::State& state) {
    std::mt19937 rng(7);
    valdro::ConfigSet set;
    for (auto& b : set.Units)
        b = static_cast<std::uint8_t>(rng());
    for (auto& b : set.InputMap)
        b = static_cast<std::uint8_t>(rng());
    for (int u = 1; u < valdro::kUnitCount; ++u)
        set.Unit(u).SetSlaveEnabled(true);
    std::size_t findings = 0;
    for (auto _ : state) {
        const auto result = valdro::CheckConfigSet(set);
        findings = result.size();
        benchmark::DoNotOptimize(result.data());
    }
    state.counters["findings"] = static_cast<double>(findings);
}
BENCHMARK(BM_CheckRandomSet)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
