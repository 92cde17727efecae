// Loading and saving a data file: parsing a file image, building one, and the
// whole save to disk with its flush and rename.

#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <random>

#include "config/config_json.h"
#include "config/data_file.h"

namespace {

valdro::ConfigSet RandomSet() {
    std::mt19937 rng(42);
    valdro::ConfigSet set;
    for (auto& b : set.Units)
        b = static_cast<std::uint8_t>(rng());
    for (auto& b : set.InputMap)
        b = static_cast<std::uint8_t>(rng() & 1);
    return set;
}

void BM_ParseDataFile(benchmark::State& state) {
    const auto bytes = valdro::SerializeDataFile(RandomSet());
    valdro::ConfigSet set;
    for (auto _ : state) {
        benchmark::DoNotOptimize(valdro::ParseDataFile(bytes, set));
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes.size()));
}
BENCHMARK(BM_ParseDataFile);

void BM_SerializeDataFile(benchmark::State& state) {
    const valdro::ConfigSet set = RandomSet();
    for (auto _ : state) {
        auto bytes = valdro::SerializeDataFile(set);
        benchmark::DoNotOptimize(bytes.data());
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * valdro::kDataFileSize));
}
BENCHMARK(BM_SerializeDataFile);

class TempDir {
  public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "valdro-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr)
            path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        if (!path_.empty())
            std::filesystem::remove_all(path_, ec);
    }
    std::filesystem::path path_;
};

void BM_LoadDataFileFromDisk(benchmark::State& state) {
    TempDir dir;
    const auto file = dir.path_ / "bench.dat";
    if (valdro::SaveDataFile(file, RandomSet()) != valdro::SaveOutcome::Ok) {
        state.SkipWithError("cannot write the file");
        return;
    }
    valdro::ConfigSet set;
    for (auto _ : state)
        benchmark::DoNotOptimize(valdro::LoadDataFile(file, set));
}
BENCHMARK(BM_LoadDataFileFromDisk);

// Dominated by fsync: the figure says what a user waits for after "Save".
void BM_SaveDataFileToDisk(benchmark::State& state) {
    TempDir dir;
    const auto file = dir.path_ / "bench.dat";
    const valdro::ConfigSet set = RandomSet();
    for (auto _ : state) {
        if (valdro::SaveDataFile(file, set) != valdro::SaveOutcome::Ok) {
            state.SkipWithError("save failed");
            break;
        }
    }
}
BENCHMARK(BM_SaveDataFileToDisk)->Unit(benchmark::kMillisecond);

void BM_ExportJson(benchmark::State& state) {
    const valdro::ConfigSet set = RandomSet();
    for (auto _ : state)
        benchmark::DoNotOptimize(valdro::ExportConfigJson(set));
}
BENCHMARK(BM_ExportJson)->Unit(benchmark::kMillisecond);

void BM_ImportJson(benchmark::State& state) {
    const std::string text = valdro::ExportConfigJson(RandomSet());
    valdro::ConfigSet set;
    for (auto _ : state)
        benchmark::DoNotOptimize(valdro::ImportConfigJson(text, set).ok);
}
BENCHMARK(BM_ImportJson)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
