#pragma once
// The receive thread and its hand-off to the owner thread.
//
// Port1Comms owns nothing but its loop: it reads one report at a time from the
// read handle and hands it over through ReportHandOff, waiting until the owner
// thread has handled it before it reads the next (one report in flight). A failed
// read says why (to the failure callback), clears ChannelOpen and ends the loop.
// Stop() ends it from outside, even
// while it waits in a read or in a hand-off, so the owner can join it before the
// handle goes away.

#include <atomic>
#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

#include "device/hid_platform.h"
#include "device/hid_report.h"
#include "device/owner_thread_poster.h"

namespace valdro {

// Rendezvous of one report between the receive thread and the owner thread.
class ReportHandOff {
  public:
    explicit ReportHandOff(OwnerThreadPoster& poster) : poster_(poster) {}

    // Receive thread: publish n bytes, post to the owner, wait until Complete() or
    // Cancel(). Returns false once cancelled (the caller then stops).
    bool HandOver(const std::uint8_t* data, std::size_t n);

    // Owner thread: copies a published report's n bytes over rx (bytes n.. keep
    // their values) and returns true; false when nothing is pending.
    bool TakePending(HidReport& rx);
    // Owner thread: the report taken has been handled; releases the receive thread.
    void Complete();

    // Any thread: releases a waiting receive thread; later HandOver() calls fail.
    void Cancel();
    // Owner thread: allows hand-offs again (a new channel).
    void Reset();

  private:
    OwnerThreadPoster& poster_;
    std::mutex m_;
    std::condition_variable cv_;
    HidReport buf_{};
    std::size_t n_ = 0;
    bool pending_ = false;  // published, not yet taken
    bool taken_ = false;    // taken, not yet completed
    bool cancelled_ = false;
};

class Port1Comms {
  public:
    // Called on the receive thread with the platform's reason when a read fails,
    // before ChannelOpen is cleared.
    using ReadFailed = std::function<void(std::string_view reason)>;

    // Starts reading at once. readHandle and handOff must outlive this object.
    Port1Comms(HidHandle& readHandle, ReportHandOff& handOff, std::atomic<bool>& channelOpen,
               ReadFailed onReadFailed = {});
    ~Port1Comms();  // Stop() and join
    Port1Comms(const Port1Comms&) = delete;
    Port1Comms& operator=(const Port1Comms&) = delete;

    void Stop();  // ask the loop to end and release a pending hand-off
    bool Running() const { return running_.load(); }

  private:
    void Body();

    HidHandle& handle_;
    ReportHandOff& handOff_;
    std::atomic<bool>& channelOpen_;
    ReadFailed onReadFailed_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{true};
    std::uint8_t buf_[kReportSize] = {};
    std::thread thread_;
};

// Read time-out of the loop, so Stop() is noticed while the unit is silent.
inline constexpr int kReceivePollMs = 100;

}  // namespace valdro
