// The protocol engine with its real receive thread: the unit's replies (any length
// and content) are read by the thread and handed to the owner side, which takes
// them with DeliverPendingReport between downloads, status connects, ticks (also
// inside reported failures), unplugging and replugging. The engine's counters must
// stay in range, nothing may read or write out of bounds, and no hand-off may hang.
//
// Each input starts and joins receive threads, so this target runs far slower than
// fuzz_handle_report, which drives the same engine without a thread.

#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <deque>
#include <mutex>
#include <thread>

#include "engine_fuzz_rig.h"

namespace valdro::fuzz {
namespace {

using namespace std::chrono_literals;

// What the unit has sent and not yet been read, or that its cable is pulled.
struct Wire {
    std::mutex m;
    std::condition_variable cv;
    std::deque<std::vector<std::uint8_t>> replies;
    bool unplugged = false;
};

class WireHandle : public HidHandle {
  public:
    explicit WireHandle(Wire& w) : w_(w) {}
    int Write(const std::uint8_t*, std::size_t length) override { return static_cast<int>(length); }
    int Read(std::uint8_t* buf, std::size_t length, int timeoutMs) override {
        std::unique_lock lock(w_.m);
        w_.cv.wait_for(lock, std::chrono::milliseconds(timeoutMs < 0 ? 100 : timeoutMs),
                       [&] { return w_.unplugged || !w_.replies.empty(); });
        if (w_.unplugged) {
            return -1;
        }
        if (w_.replies.empty()) {
            return 0;
        }
        const std::vector<std::uint8_t> r = std::move(w_.replies.front());
        w_.replies.pop_front();
        const std::size_t n = std::min(r.size(), length);
        std::copy_n(r.begin(), n, buf);
        return static_cast<int>(n);
    }
    std::string LastReadError() const override { return "fuzz: unplugged"; }

  private:
    Wire& w_;
};

class Bus : public OneUnitBus {
  public:
    std::unique_ptr<HidHandle> MakeHandle() override { return std::make_unique<WireHandle>(wire); }
    Wire wire;
};

class CountingPoster : public OwnerThreadPoster {
  public:
    void Post() override {
        {
            std::lock_guard lock(m_);
            ++posts_;
        }
        cv_.notify_all();
    }
    bool WaitBeyond(long seen, std::chrono::milliseconds wait) {
        std::unique_lock lock(m_);
        return cv_.wait_for(lock, wait, [&] { return posts_ > seen; });
    }

  private:
    std::mutex m_;
    std::condition_variable cv_;
    long posts_ = 0;
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
    CountingPoster poster;
    ProtocolEngine engine(bus, events, poster);
    events.engine = &engine;
    long delivered = 0;

    // The unit sends one report; the receive thread reads it and posts, and the
    // owner side hands it to the engine.
    auto send = [&](std::vector<std::uint8_t> bytes) {
        if (!engine.ChannelOpen() || bytes.empty()) {
            return;  // nothing reads it, or a zero-length report that is read again
        }
        {
            std::lock_guard lock(bus.wire.m);
            bus.wire.replies.push_back(std::move(bytes));
        }
        bus.wire.cv.notify_all();
        if (!poster.WaitBeyond(delivered, 5s)) {
            __builtin_trap();  // the hand-off hangs
        }
        ++delivered;
        engine.DeliverPendingReport();
    };

    for (int op = 0; op < 200 && in.remaining_bytes() > 0; ++op) {
        switch (in.ConsumeIntegralInRange<int>(0, 8)) {
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
                send(in.ConsumeBytes<std::uint8_t>(n));
                break;
            }
            case 4: {
                // A well-formed identity reply, or an acknowledgement or status reply
                // with a chosen mode byte.
                std::vector<std::uint8_t> r(kReportSize, 0);
                if (in.ConsumeBool()) {
                    r[3] = 1;
                    r[4] = 8;
                } else {
                    std::fill(r.begin(), r.end(), in.ConsumeIntegral<std::uint8_t>());
                    r[2] = in.ConsumeIntegralInRange<std::uint8_t>(0, 2);
                }
                send(std::move(r));
                break;
            }
            case 5:
                events.ticksInBox = in.ConsumeIntegralInRange<int>(0, 60);
                break;
            case 6: {
                // Pull the cable: the receive thread's read fails and it ends.
                bus.present = false;
                {
                    std::lock_guard lock(bus.wire.m);
                    bus.wire.unplugged = true;
                }
                bus.wire.cv.notify_all();
                const auto deadline = std::chrono::steady_clock::now() + 5s;
                while (engine.ChannelOpen()) {
                    if (std::chrono::steady_clock::now() > deadline) {
                        __builtin_trap();  // the thread missed the failed read
                    }
                    std::this_thread::yield();
                }
                break;
            }
            case 7: {
                bus.present = true;
                bus.programMode = in.ConsumeBool();
                std::lock_guard lock(bus.wire.m);
                bus.wire.unplugged = false;
                bus.wire.replies.clear();
                break;
            }
            case 8:
                bus.refused = in.ConsumeBool();
                break;
        }
        CheckInvariants(engine);
    }
    engine.Shutdown();
    return 0;
}
