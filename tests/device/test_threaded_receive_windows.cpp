// The receive thread on the Windows backend's own handle, a named pipe as the unit:
// it hands a report over, sits out silence, then stops promptly when asked (a read
// waits at most its time-out) or ends with the system's reason when the unit is
// pulled. Its priority is one step below normal, not idle.

#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <thread>

#include "device/receive_thread.h"
#include "device/thread_priority.h"
#include "engine_rig.h"
#include "pipe_unit_windows.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;

TEST(WindowsReceive, HandsOverSitsOutSilenceAndStopsOrEnds) {
    for (const bool pull : {false, true}) {
        test::PipeUnit unit;
        test::CountingPoster poster;
        ReportHandOff handOff(poster);
        const auto handle = CreateUsbPlatform()->Open(unit.Path(), nullptr);
        ASSERT_NE(handle, nullptr);
        std::atomic<bool> channelOpen{true};
        std::string reason;  // written by the thread, read once it is joined
        auto comms = std::make_unique<Port1Comms>(*handle, handOff, channelOpen,
                                                  [&](std::string_view why) { reason = why; });
        ASSERT_TRUE(unit.Send(5));
        HidReport report{};
        ASSERT_TRUE(poster.WaitBeyond(0) && handOff.TakePending(report));
        handOff.Complete();
        EXPECT_EQ(report[64], 69);
        std::this_thread::sleep_for(std::chrono::milliseconds(3 * kReceivePollMs));
        EXPECT_TRUE(comms->Running());
        EXPECT_EQ(poster.Posts(), 1);
        const auto start = std::chrono::steady_clock::now();
        if (pull) {
            unit.Close();
            while (comms->Running() && std::chrono::steady_clock::now() < start + 10s) {
                std::this_thread::sleep_for(1ms);
            }
        }
        EXPECT_EQ(comms->Running(), !pull);
        comms.reset();
        EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
        EXPECT_EQ(channelOpen.load(), !pull) << "stopping is not a lost channel";
        EXPECT_EQ(reason.empty(), !pull);
        EXPECT_EQ(reason.rfind("error ", 0), std::string::npos) << "the system's words: " << reason;
    }
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
