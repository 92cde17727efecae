// A whole Master download against the simulated unit (no added latency) through
// the real receive thread, hand-off and owner loop, beside a bare write/read loop
// of the same number of exchanges over the same simulated channel. The difference
// per exchange is what the host side adds (target: under 50 µs).

#include <benchmark/benchmark.h>

#include <chrono>

#include "config/config_set.h"
#include "device/download_layouts.h"
#include "device/link_events.h"
#include "device/owner_loop.h"
#include "device/protocol_engine.h"
#include "device/simulated_platform.h"
#include "device/simulated_unit.h"

namespace valdro {
namespace {

constexpr int kExchanges = layout::kMasterDownloadReports;

class QuietEvents : public LinkEvents {
  public:
    void LinkFailed(const LinkError&) override { ++errors; }
    void DownloadComplete() override { ++completed; }
    void MonitoringStarted() override {}
    void MonitoringStopped() override {}
    void StatusReceived(const StatusRecord&) override {}
    void UnitNamesReceived(NameRows, const std::array<std::string, 9>&) override {}
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
    QuietEvents events;
    ConfigSet config;
    config.SetDefaults();
    OwnerLoop loop;
    ProtocolEngine engine(platform, events, loop);
    loop.SetDelivery([&] { engine.DeliverPendingReport(); });
    loop.SetTick([&] { engine.Tick(); });
    if (!engine.FindMaster()) {
        state.SkipWithError("no simulated unit");
        return;
    }
    for (auto _ : state) {
        const int before = events.completed;
        engine.StartDownload(config, 0);
        if (!loop.RunUntil([&] { return events.completed != before || events.errors != 0; },
                           std::chrono::seconds(60)) ||
            events.errors != 0) {
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
