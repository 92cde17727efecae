// Random reply streams and tick interleavings straight into the protocol engine:
// downloads, status connects, replies of any length and content, ticks (also
// inside open message boxes), unplugging and replugging. The engine's counters
// must stay in range and nothing may read or write out of bounds.
//
// No reply comes from a device here: the platform's reads never deliver, and
// every report is handed in with ReceiveReport, so each run is deterministic.

#include <fuzzer/FuzzedDataProvider.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <thread>

#include "config/config_set.h"
#include "device/link_ui.h"
#include "device/protocol_engine.h"

namespace valdro {
namespace {

// One listed unit; its read handle waits quietly until it is told to fail or to
// let the receive thread go.
class QuietPlatform : public HidPlatform {
  public:
    struct Shared {
        std::mutex m;
        std::condition_variable cv;
        bool fail = false;
        bool releasing = false;
    };

    class Handle : public HidHandle {
      public:
        explicit Handle(Shared& s) : s_(s) {}
        int Write(const std::uint8_t*, std::size_t length) override {
            return static_cast<int>(length);
        }
        int Read(std::uint8_t*, std::size_t, int timeoutMs) override {
            std::unique_lock lock(s_.m);
            s_.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 100 : timeoutMs),
                           [&] { return s_.fail || s_.releasing; });
            return s_.fail ? -1 : 0;
        }

      private:
        Shared& s_;
    };

    std::vector<HidInterfaceInfo> Enumerate() override {
        if (!present) {
            return {};
        }
        HidInterfaceInfo i;
        i.path = "fuzz:0";
        i.hardwareId =
            programMode ? "HID\\VID_04D8&PID_FD37&REV_0001" : "HID\\VID_04D8&PID_FD37&REV_0009";
        return {i};
    }
    std::unique_ptr<HidHandle> Open(const std::string&, OpenError*) override {
        if (!present) {
            return nullptr;
        }
        std::lock_guard lock(shared.m);
        shared.fail = false;
        return std::make_unique<Handle>(shared);
    }

    bool present = true;
    bool programMode = false;
    Shared shared;
};

class NullPoster : public OwnerThreadPoster {
  public:
    void Post() override {}
};

class FuzzUi : public LinkUi {
  public:
    void ShowError(const std::string&) override { Box(); }
    void ShowInformation(const std::string&) override { Box(); }
    int CurrentUnit() const override { return currentUnit; }
    void StatusPageReset() override {}
    void StatusPageConnected() override {}
    void PaintStatus(const StatusRecord& r) override { sink = sink + r.units[8].outputs; }
    void SetStatusRowTitles(int which, const std::array<std::string, 9>& names) override {
        for (const auto& n : names) {
            if (n.size() > kStatusNameMax) {
                __builtin_trap();
            }
        }
        sink = sink + static_cast<unsigned>(which);
    }

    // The window's timer runs while a box is open.
    void Box() {
        if (engine != nullptr && depth < 2 && ticksInBox > 0) {
            ++depth;
            for (int i = 0; i < ticksInBox; ++i) {
                engine->Timer1Timer();
            }
            --depth;
        }
    }

    int currentUnit = 0;
    int ticksInBox = 0;
    int depth = 0;
    ProtocolEngine* engine = nullptr;
    volatile unsigned sink = 0;
};

void CheckInvariants(const ProtocolEngine& e) {
    const bool ok = e.LinkState() >= 0 && e.LinkState() <= 22 && e.ReplyCountdown() >= 0 &&
                    e.ReplyCountdown() <= kReplyTicks && e.StatusPollCountdown() >= 0 &&
                    e.StatusPollCountdown() <= kPollTicks && e.BlockNumber() <= 53 &&
                    e.UnitCounter() >= 0 && e.UnitCounter() <= 9 && e.SourceCounter() >= 0 &&
                    e.SourceCounter() < 9;
    if (!ok) {
        __builtin_trap();
    }
}

}  // namespace
}  // namespace valdro

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace valdro;
    FuzzedDataProvider in(data, size);

    ConfigSet config;
    config.SetDefaults();
    // Spread a little of the input over the configuration.
    std::uint32_t seed = in.ConsumeIntegral<std::uint32_t>();
    for (auto& b : config.Units) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>(seed >> 24);
    }
    for (auto& b : config.InputMap) {
        seed = seed * 1664525u + 1013904223u;
        b = static_cast<std::uint8_t>((seed >> 28) & 1);
    }

    QuietPlatform platform;
    FuzzUi ui;
    NullPoster poster;
    ProtocolEngine engine(platform, ui, config, poster);
    ui.engine = &engine;

    HidReport report{};
    for (int op = 0; op < 400 && in.remaining_bytes() > 0; ++op) {
        switch (in.ConsumeIntegralInRange<int>(0, 11)) {
            case 0:
                ui.currentUnit = in.ConsumeIntegralInRange<int>(0, 8);
                engine.StartDownload();
                break;
            case 1:
                engine.StatusConnectButtonClick();
                break;
            case 2: {
                const int n = in.ConsumeIntegralInRange<int>(1, 45);
                for (int i = 0; i < n; ++i) {
                    engine.Timer1Timer();
                }
                break;
            }
            case 3: {
                const std::size_t n = in.ConsumeIntegralInRange<std::size_t>(0, kReportSize);
                const auto bytes = in.ConsumeBytes<std::uint8_t>(n);
                engine.ReceiveReport(bytes);
                break;
            }
            case 4: {
                // A well-formed identity reply gets the exchanges past their first step.
                report.fill(0);
                report[2] = 0;
                report[3] = 1;
                report[4] = 8;
                engine.ReceiveReport(report);
                break;
            }
            case 5: {
                // An acknowledgement or a status reply with a chosen mode byte.
                report.fill(in.ConsumeIntegral<std::uint8_t>());
                report[2] = in.ConsumeIntegralInRange<std::uint8_t>(0, 2);
                engine.ReceiveReport(report);
                break;
            }
            case 6:
                engine.ResetStatusPage();
                break;
            case 7:
                ui.ticksInBox = in.ConsumeIntegralInRange<int>(0, 60);
                break;
            case 8: {
                // Pull the cable: the receive thread ends and clears ChannelOpen.
                platform.present = false;
                {
                    std::lock_guard lock(platform.shared.m);
                    platform.shared.fail = true;
                }
                platform.shared.cv.notify_all();
                while (engine.ChannelOpen()) {
                    std::this_thread::yield();
                }
                break;
            }
            case 9:
                platform.present = true;
                platform.programMode = in.ConsumeBool();
                break;
            case 10:
                ui.currentUnit = in.ConsumeIntegralInRange<int>(0, 8);
                break;
            case 11:
                engine.DeliverPendingReport();  // nothing pending: must do nothing
                break;
        }
        CheckInvariants(engine);
    }

    {
        std::lock_guard lock(platform.shared.m);
        platform.shared.releasing = true;
    }
    platform.shared.cv.notify_all();
    engine.Shutdown();
    return 0;
}
