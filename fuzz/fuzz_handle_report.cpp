// Random reply streams and tick interleavings straight into the protocol engine:
// downloads, status connects, replies of any length and content, ticks (also
// inside reported failures), unplugging, replugging and refused opens. The
// engine's counters must stay in range and nothing may read or write out of bounds.
//
// The engine runs without a receive thread: every report is handed in with
// ReceiveReport and every pulled cable with ReceiveFailure, so each input is
// deterministic and costs microseconds. fuzz_receive_hand_off covers the thread.

#include <fuzzer/FuzzedDataProvider.h>

#include "engine_fuzz_rig.h"

namespace valdro::fuzz {
namespace {

// Takes every report written; never read, since the engine reads nothing itself.
class SinkHandle : public HidHandle {
  public:
    int Write(const std::uint8_t*, std::size_t length) override { return static_cast<int>(length); }
    int Read(std::uint8_t*, std::size_t, int) override { __builtin_trap(); }
    std::string LastReadError() const override { return {}; }
};

class Bus : public OneUnitBus {
  public:
    std::unique_ptr<HidHandle> MakeHandle() override { return std::make_unique<SinkHandle>(); }
};

}  // namespace
}  // namespace valdro::fuzz

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace valdro;
    using namespace valdro::fuzz;
    FuzzedDataProvider in(data, size);

    const ConfigSet config = SpreadConfig(in.ConsumeIntegral<std::uint64_t>());
    Bus bus;
    FuzzEvents events;
    ProtocolEngine engine(bus, events);
    events.engine = &engine;

    HidReport report{};
    for (int op = 0; op < 400 && in.remaining_bytes() > 0; ++op) {
        switch (in.ConsumeIntegralInRange<int>(0, 11)) {
            case 0:
                engine.StartDownload(config, in.ConsumeIntegralInRange<int>(0, 8));
                break;
            case 1:
                engine.Monitoring() ? engine.StopMonitoring() : engine.StartMonitoring();
                break;
            case 2: {
                const int n = in.ConsumeIntegralInRange<int>(1, 45);
                for (int i = 0; i < n; ++i) {
                    engine.Tick();
                }
                break;
            }
            case 3: {
                const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, kReportSize);
                const auto bytes = in.ConsumeBytes<std::uint8_t>(n);
                engine.ReceiveReport(bytes);
                break;
            }
            case 4:
                // A well-formed identity reply gets the exchanges past their first step.
                report.fill(0);
                report[3] = 1;
                report[4] = 8;
                engine.ReceiveReport(report);
                break;
            case 5:
                // An acknowledgement or a status reply with a chosen mode byte.
                report.fill(in.ConsumeIntegral<std::uint8_t>());
                report[2] = in.ConsumeIntegralInRange<std::uint8_t>(0, 2);
                engine.ReceiveReport(report);
                break;
            case 6:
                engine.StopMonitoring();
                break;
            case 7:
                events.ticksInBox = in.ConsumeIntegralInRange<int>(0, 60);
                break;
            case 8:
                // Pull the cable: the next read fails.
                bus.present = false;
                if (engine.ChannelOpen()) {
                    engine.ReceiveFailure("fuzz: unplugged");
                }
                break;
            case 9:
                bus.present = true;
                bus.programMode = in.ConsumeBool();
                break;
            case 10:
                bus.refused = in.ConsumeBool();
                break;
            case 11:
                engine.DeliverPendingReport();  // no receive thread: must do nothing
                break;
        }
        CheckInvariants(engine);
    }
    engine.Shutdown();
    return 0;
}
