#include "device/receive_thread.h"

#include <algorithm>
#include <cstring>

#include "device/thread_priority.h"

namespace valdro {

// ---------------------------------------------------------------- ReportHandOff

bool ReportHandOff::HandOver(const std::uint8_t* data, std::size_t n) {
    n = std::min(n, kReportSize);
    {
        std::lock_guard lk(m_);
        if (cancelled_) {
            return false;
        }
        std::memcpy(buf_.data(), data, n);
        n_ = n;
        pending_ = true;
        taken_ = false;
    }
    // Outside the lock: the owner may take the report before Post() returns.
    poster_.Post();

    std::unique_lock lk(m_);
    cv_.wait(lk, [&] { return cancelled_ || (!pending_ && !taken_); });
    return !cancelled_;
}

bool ReportHandOff::TakePending(HidReport& rx) {
    std::lock_guard lk(m_);
    if (!pending_ || cancelled_) {
        return false;
    }
    std::memcpy(rx.data(), buf_.data(), n_);  // bytes n.. keep the previous report's
    pending_ = false;
    taken_ = true;
    return true;
}

void ReportHandOff::Complete() {
    {
        std::lock_guard lk(m_);
        if (!taken_) {
            return;
        }
        taken_ = false;
    }
    cv_.notify_all();
}

void ReportHandOff::Cancel() {
    {
        std::lock_guard lk(m_);
        cancelled_ = true;
        pending_ = false;
        taken_ = false;
    }
    cv_.notify_all();
}

void ReportHandOff::Reset() {
    std::lock_guard lk(m_);
    cancelled_ = false;
    pending_ = false;
    taken_ = false;
    n_ = 0;
}

// ---------------------------------------------------------------- Port1Comms

Port1Comms::Port1Comms(HidHandle& readHandle, ReportHandOff& handOff,
                       std::atomic<bool>& channelOpen, ReadFailed onReadFailed)
    : handle_(readHandle),
      handOff_(handOff),
      channelOpen_(channelOpen),
      onReadFailed_(std::move(onReadFailed)) {
    thread_ = std::thread([this] { Body(); });
}

Port1Comms::~Port1Comms() {
    Stop();
    if (thread_.joinable()) {
        thread_.join();
    }
}

void Port1Comms::Stop() {
    stop_.store(true);
    handOff_.Cancel();
}

void Port1Comms::Body() {
    LowerOwnPriority();
    // ChannelOpen is set before the thread starts and cleared only here, as it ends.
    while (!stop_.load()) {
        const int n = handle_.Read(buf_, kReportSize, kReceivePollMs);
        if (n < 0) {
            if (onReadFailed_) {
                onReadFailed_(handle_.LastReadError());
            }
            channelOpen_.store(false);  // the unit is gone; the next exchange searches again
            break;
        }
        if (n == 0) {
            continue;  // nothing yet, or a zero-length report: read again
        }
        const std::size_t count = std::min(static_cast<std::size_t>(n), kReportSize);
        const bool handled = handOff_.HandOver(buf_, count);
        std::memset(buf_, 0, count);
        if (!handled) {
            break;
        }
    }
    running_.store(false);
}

}  // namespace valdro
