// The receive thread and its hand-off, with the owner side run on the test
// thread: order of reports, short reports, unplugging, and stopping the thread
// wherever it waits.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <string>
#include <thread>

#include "receive_thread.h"
#include "simulated_platform.h"
#include "simulated_unit.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;

// Generous limit for waits that only a hang would reach.
constexpr auto kHang = 10s;

class TestPoster : public OwnerThreadPoster {
  public:
    void Post() override {
        {
            std::lock_guard lk(m_);
            ++posts_;
        }
        cv_.notify_all();
    }
    bool WaitForPosts(int n) {
        std::unique_lock lk(m_);
        return cv_.wait_for(lk, kHang, [&] { return posts_ >= n; });
    }
    int Posts() {
        std::lock_guard lk(m_);
        return posts_;
    }

  private:
    std::mutex m_;
    std::condition_variable cv_;
    int posts_ = 0;
};

template <typename Pred>
bool Eventually(Pred pred) {
    const auto end = std::chrono::steady_clock::now() + kHang;
    while (!pred()) {
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// A channel to the simulated unit with the receive thread on its read handle.
struct Channel {
    Channel() : platform(unit), handOff(poster) {
        writer = platform.Open(kSimUnitPath, nullptr);
        reader = platform.Open(kSimUnitPath, nullptr);
        channelOpen.store(true);
        comms = std::make_unique<Port1Comms>(*reader, handOff, channelOpen);
    }
    void Send(std::uint8_t code, std::uint8_t byte2 = 0) {
        HidReport r{};
        r[1] = code;
        r[2] = byte2;
        ASSERT_EQ(writer->Write(r.data(), r.size()), 65);
    }
    // Owner side: waits for post number n, takes the report and completes it.
    void Handle(int n) {
        ASSERT_TRUE(poster.WaitForPosts(n));
        ASSERT_TRUE(handOff.TakePending(rx));
        handOff.Complete();
    }

    SimulatedUnit unit;
    SimulatedPlatform platform;
    TestPoster poster;
    ReportHandOff handOff;
    std::unique_ptr<HidHandle> writer;
    std::unique_ptr<HidHandle> reader;
    std::atomic<bool> channelOpen{false};
    std::unique_ptr<Port1Comms> comms;
    HidReport rx{};
};

std::string NameIn(const HidReport& r) {
    return reinterpret_cast<const char*>(r.data() + 2);
}

TEST(ThreadedReceive, ReportsArriveInOrderEachAfterThePreviousCompleted) {
    Channel ch;
    // All three replies are waiting before the owner handles the first.
    ch.Send(cmd::GetUnitName, 1);
    ch.Send(cmd::GetUnitName, 2);
    ch.Send(cmd::GetUnitName, 3);
    for (int i = 1; i <= 3; ++i) {
        ASSERT_TRUE(ch.poster.WaitForPosts(i));
        ASSERT_TRUE(ch.handOff.TakePending(ch.rx));
        EXPECT_EQ(NameIn(ch.rx), "Slave " + std::to_string(i));
        // A thread that did not wait for Complete() would publish the next one now.
        std::this_thread::sleep_for(20ms);
        EXPECT_EQ(ch.poster.Posts(), i);
        HidReport again{};
        EXPECT_FALSE(ch.handOff.TakePending(again));
        ch.handOff.Complete();
    }
    EXPECT_TRUE(ch.comms->Running());
    EXPECT_TRUE(ch.channelOpen.load());
}

TEST(ThreadedReceive, ShortReportKeepsTheTailOfThePreviousOne) {
    Channel ch;
    ch.Send(cmd::GetUnitName, 8);
    ch.Handle(1);
    const HidReport previous = ch.rx;
    ASSERT_EQ(NameIn(previous), "Slave 8");

    ch.unit.SetFaults({.shortReplyBytes = 3});
    ch.Send(cmd::Identify);
    ch.Handle(2);
    EXPECT_EQ(ch.rx[0], 0);
    EXPECT_EQ(ch.rx[1], cmd::Identify);
    EXPECT_EQ(ch.rx[2], 0);
    for (std::size_t i = 3; i < kReportSize; ++i) {
        EXPECT_EQ(ch.rx[i], previous[i]) << "byte " << i;
    }
}

TEST(ThreadedReceive, UnplugClearsChannelOpenAndEndsTheThread) {
    Channel ch;
    ch.Send(cmd::Identify);
    ch.Handle(1);
    ch.unit.Unplug();  // the thread is now blocked in its read
    ASSERT_TRUE(Eventually([&] { return !ch.comms->Running(); }));
    EXPECT_FALSE(ch.channelOpen.load());
    EXPECT_EQ(ch.poster.Posts(), 1);
}

TEST(ThreadedReceive, UnplugByTheUnitItselfEndsTheThread) {
    Channel ch;
    ch.unit.SetFaults({.unplugAtReport = 1});
    ch.Send(cmd::Identify);
    ASSERT_TRUE(Eventually([&] { return !ch.comms->Running(); }));
    EXPECT_FALSE(ch.channelOpen.load());
    EXPECT_EQ(ch.poster.Posts(), 0);
}

TEST(ThreadedReceive, StopWhileBlockedInAReadJoins) {
    Channel ch;  // a silent unit: the thread sits in its read
    ch.comms.reset();
    EXPECT_TRUE(ch.channelOpen.load()) << "stopping is not a lost channel";
    EXPECT_EQ(ch.poster.Posts(), 0);
}

TEST(ThreadedReceive, StopWhileWaitingInAHandOffJoins) {
    Channel ch;
    ch.Send(cmd::Identify);
    ASSERT_TRUE(ch.poster.WaitForPosts(1));  // published, never taken
    ch.comms->Stop();
    ASSERT_TRUE(Eventually([&] { return !ch.comms->Running(); }));
    ch.comms.reset();
    HidReport rx{};
    EXPECT_FALSE(ch.handOff.TakePending(rx)) << "a cancelled hand-off has nothing to take";
}

TEST(ThreadedReceive, StopAfterTheOwnerTookTheReportJoins) {
    Channel ch;
    ch.Send(cmd::Identify);
    ASSERT_TRUE(ch.poster.WaitForPosts(1));
    ASSERT_TRUE(ch.handOff.TakePending(ch.rx));  // the owner is busy with it (a modal box)
    ch.comms.reset();
    ch.handOff.Complete();  // completing late is harmless
    EXPECT_EQ(ch.rx[4], 8);
}

TEST(ThreadedReceive, ANewChannelAfterStopHandsOverAgain) {
    Channel ch;
    ch.comms.reset();
    ch.handOff.Reset();
    ch.comms = std::make_unique<Port1Comms>(*ch.reader, ch.handOff, ch.channelOpen);
    ch.Send(cmd::GetOwnName);
    ch.Handle(1);
    EXPECT_EQ(NameIn(ch.rx), "Master");
}

// A read handle that plays a script: 0 = nothing arrived, n > 0 = a report of n
// bytes, -1 = the interface is gone.
class ScriptedHandle : public HidHandle {
  public:
    explicit ScriptedHandle(std::vector<int> script) : script_(std::move(script)) {}
    int Write(const std::uint8_t*, std::size_t) override { return -1; }
    int Read(std::uint8_t* buf, std::size_t length, int) override {
        const std::size_t i = reads_.fetch_add(1);
        const int step = i < script_.size() ? script_[i] : -1;
        if (step > 0) {
            const auto n = std::min(static_cast<std::size_t>(step), length);
            for (std::size_t k = 0; k < n; ++k) {
                buf[k] = static_cast<std::uint8_t>(0xA0 + k);
            }
            buf[0] = 0;
            return static_cast<int>(n);
        }
        return step;
    }
    std::size_t Reads() const { return reads_.load(); }

  private:
    std::vector<int> script_;
    std::atomic<std::size_t> reads_{0};
};

TEST(ThreadedReceive, ZeroByteReadsAreReadAgain) {
    ScriptedHandle handle({0, 0, 0, 65, 0, -1});
    TestPoster poster;
    ReportHandOff handOff(poster);
    std::atomic<bool> channelOpen{true};
    Port1Comms comms(handle, handOff, channelOpen);

    ASSERT_TRUE(poster.WaitForPosts(1));
    HidReport rx{};
    ASSERT_TRUE(handOff.TakePending(rx));
    EXPECT_EQ(rx[1], 0xA1);
    EXPECT_EQ(rx[64], 0xA0 + 64);
    handOff.Complete();
    ASSERT_TRUE(Eventually([&] { return !comms.Running(); }));
    EXPECT_EQ(handle.Reads(), 6u);
    EXPECT_FALSE(channelOpen.load());
    EXPECT_EQ(poster.Posts(), 1);
}

TEST(ReportHandOff, CancelReleasesAndLaterHandOversFailAtOnce) {
    TestPoster poster;
    ReportHandOff handOff(poster);
    HidReport rx{};
    EXPECT_FALSE(handOff.TakePending(rx));
    handOff.Complete();  // nothing taken: no effect

    handOff.Cancel();
    const std::uint8_t report[kReportSize] = {0, 1, 2, 3};
    EXPECT_FALSE(handOff.HandOver(report, kReportSize));
    EXPECT_EQ(poster.Posts(), 0);

    // After Reset() a hand-off works again.
    handOff.Reset();
    std::thread owner([&] {
        ASSERT_TRUE(poster.WaitForPosts(1));
        ASSERT_TRUE(handOff.TakePending(rx));
        handOff.Complete();
    });
    EXPECT_TRUE(handOff.HandOver(report, 4));
    owner.join();
    EXPECT_EQ(rx[3], 3);
}

}  // namespace
}  // namespace valdro
