// A whole Master download against the simulated unit (no added latency) through
// the real receive thread, hand-off and owner loop, beside a bare write/read loop
// of the same number of exchanges over the same simulated channel. The difference
// per exchange is what the host side adds (target: under 50 µs).

#include <benchmark/benchmark.h>

#include <chrono>

#include "config/config_set.h"
#include "device/download_layouts.h"
#include "device/link_ui.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"
#include "device/simulated_unit.h"

namespace valdro {
namespace {

constexpr int kExchanges = layout::kMasterDownloadReports;

class QuietUi : public LinkUi {
  public:
    void ShowError(const std::string&) override { ++errors; }
    void ShowInformation(const std::string&) override { ++completed; }
    int CurrentUnit() const override { return 0; }
    void StatusPageReset() override {}
    void StatusPageConnected() override {}
    void PaintStatus(const StatusRecord&) override {}
    void SetStatusRowTitles(int, const std::array<std::string, 9>&) override {}
    int completed = 0;
    int errors = 0;
};

void PerExchange(benchmark::State& state) {
    state.counters["per_exchange"] = benchmark::Counter(
        kExchanges, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_MasterDownloadThroughEngine(benchmark::State& state) {
    SimulatedUnit sim;
    SimulatedPlatform platform(sim);
    QuietUi ui;
    ConfigSet config;
    config.SetDefaults();
    OwnerLoop loop;
    ProtocolEngine engine(platform, ui, config, loop);
    loop.SetDelivery([&] { engine.DeliverPendingReport(); });
    loop.SetTick([&] { engine.Timer1Timer(); });
    if (!engine.FindMaster()) {
        state.SkipWithError("no simulated unit");
        return;
    }
    for (auto _ : state) {
        const int before = ui.completed;
        engine.StartDownload();
        if (!loop.RunUntil([&] { return ui.completed != before || ui.errors != 0; },
                           std::chrono::seconds(60)) ||
            ui.errors != 0) {
            state.SkipWithError("download did not complete");
            break;
        }
    }
    PerExchange(state);
    engine.Shutdown();
}
BENCHMARK(BM_MasterDownloadThroughEngine)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_BareWriteReadLoop(benchmark::State& state) {
    SimulatedUnit sim;
    SimulatedPlatform platform(sim);
    auto writer = platform.Open(kSimUnitPath, nullptr);
    auto reader = platform.Open(kSimUnitPath, nullptr);
    if (!writer || !reader) {
        state.SkipWithError("no simulated unit");
        return;
    }
    HidReport tx{};
    HidReport rx{};
    tx[1] = cmd::GetStatus;  // answered like any command, stores nothing
    for (auto _ : state) {
        for (int i = 0; i < kExchanges; ++i) {
            writer->Write(tx.data(), tx.size());
            if (reader->Read(rx.data(), rx.size(), 1000) <= 0) {
                state.SkipWithError("no reply");
                return;
            }
        }
        benchmark::DoNotOptimize(rx);
    }
    PerExchange(state);
}
BENCHMARK(BM_BareWriteReadLoop)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace
}  // namespace valdro

BENCHMARK_MAIN();
