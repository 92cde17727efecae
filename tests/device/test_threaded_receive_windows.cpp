// The receive thread on the Windows backend's own handle, with a named pipe as
// the unit: it hands reports over, sits out a silent unit, stops and joins while
// it waits in a read, and ends with the system's reason when the unit is pulled.
// Its priority is lowered one step, not to idle.

#include <gtest/gtest.h>

#include <chrono>
#include <mutex>
#include <string>
#include <thread>

#include "device/receive_thread.h"
#include "device/thread_priority.h"
#include "engine_rig.h"
#include "pipe_unit_windows.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far beyond any wait here: only a read that never returns takes this long.
constexpr auto kHang = 10s;

struct PipeReceiver {
    PipeReceiver() : handOff(poster) {
        handle = CreateUsbPlatform()->Open(unit.Path(), nullptr);
        if (handle != nullptr) {
            channelOpen.store(true);
            comms = std::make_unique<Port1Comms>(*handle, handOff, channelOpen,
                                                 [this](std::string_view why) {
                                                     std::lock_guard lock(m);
                                                     reason = why;
                                                 });
        }
    }
    ~PipeReceiver() { comms.reset(); }

    test::PipeUnit unit;
    test::CountingPoster poster;
    ReportHandOff handOff;
    std::unique_ptr<HidHandle> handle;
    std::atomic<bool> channelOpen{false};
    std::mutex m;
    std::string reason;
    std::unique_ptr<Port1Comms> comms;
};

TEST(WindowsReceive, HandsOverEachReportOfTheUnit) {
    PipeReceiver rx;
    ASSERT_NE(rx.comms, nullptr);
    long handed = 0;
    for (std::uint8_t first : {5, 9}) {
        ASSERT_TRUE(rx.unit.Send(test::CountingReport(first)));
        ASSERT_TRUE(rx.poster.WaitBeyond(handed++));
        HidReport report{};
        ASSERT_TRUE(rx.handOff.TakePending(report));
        rx.handOff.Complete();
        EXPECT_EQ(report[0], first);
        EXPECT_EQ(report[64], first + 64);
    }
}

// A unit that never answers: nothing is handed over, the channel stays open, and
// stopping returns (the read waits at most its time-out).
TEST(WindowsReceive, SilentUnitThenStopJoinsPromptly) {
    PipeReceiver rx;
    ASSERT_NE(rx.comms, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(3 * kReceivePollMs));
    EXPECT_TRUE(rx.comms->Running());
    EXPECT_EQ(rx.poster.Posts(), 0);
    const auto start = Clock::now();
    rx.comms.reset();
    EXPECT_LT(Clock::now() - start, kHang) << "a read that outlasts its time-out holds up the join";
    EXPECT_TRUE(rx.channelOpen.load()) << "stopping is not a lost channel";
}

TEST(WindowsReceive, PulledUnitEndsTheThreadWithTheSystemsReason) {
    PipeReceiver rx;
    ASSERT_NE(rx.comms, nullptr);
    std::this_thread::sleep_for(std::chrono::milliseconds(kReceivePollMs / 2));
    rx.unit.Close();
    const auto end = Clock::now() + kHang;
    while (rx.comms->Running() && Clock::now() < end) {
        std::this_thread::sleep_for(1ms);
    }
    EXPECT_FALSE(rx.comms->Running());
    EXPECT_FALSE(rx.channelOpen.load());
    EXPECT_EQ(rx.poster.Posts(), 0);
    std::lock_guard lock(rx.m);
    EXPECT_FALSE(rx.reason.empty());
    EXPECT_EQ(rx.reason.rfind("error ", 0), std::string::npos) << rx.reason;
}

TEST(WindowsReceive, PriorityIsOneStepBelowNormal) {
    int priority = THREAD_PRIORITY_ERROR_RETURN;
    std::thread([&] {
        LowerOwnPriority();
        priority = ::GetThreadPriority(::GetCurrentThread());
    }).join();
    EXPECT_EQ(priority, THREAD_PRIORITY_BELOW_NORMAL);
}

}  // namespace
}  // namespace valdro
