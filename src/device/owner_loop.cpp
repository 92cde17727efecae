#include "device/owner_loop.h"

namespace valdro {

using Clock = std::chrono::steady_clock;

OwnerLoop::OwnerLoop(std::chrono::milliseconds tickInterval)
    : interval_(tickInterval), nextTick_(Clock::now() + tickInterval) {}

void OwnerLoop::SetDelivery(Task delivery) {
    delivery_ = std::move(delivery);
}
void OwnerLoop::SetTick(Task tick) {
    tick_ = std::move(tick);
}

void OwnerLoop::Post() {
    {
        std::lock_guard lock(m_);
        deliveryPosted_ = true;
    }
    cv_.notify_one();
}

void OwnerLoop::Quit() {
    {
        std::lock_guard lock(m_);
        quit_ = true;
    }
    cv_.notify_one();
}

void OwnerLoop::RunOnce(Clock::time_point deadline) {
    bool deliver = false;
    {
        std::unique_lock lock(m_);
        const auto until = tick_ ? std::min(deadline, nextTick_) : deadline;
        cv_.wait_until(lock, until, [&] { return quit_ || deliveryPosted_; });
        if (deliveryPosted_) {
            deliveryPosted_ = false;
            deliver = true;
        }
    }
    // The callbacks may run a nested loop (a modal message): nothing is held here.
    if (deliver && delivery_) {
        delivery_();
    }
    if (tick_) {
        const auto now = Clock::now();
        if (now >= nextTick_) {
            // A late tick is not made up for; like a window timer, the next one
            // comes one interval later.
            nextTick_ += interval_;
            if (nextTick_ <= now) {
                nextTick_ = now + interval_;
            }
            ++ticks_;
            tick_();
        }
    }
}

bool OwnerLoop::TakeQuit() {
    std::lock_guard lock(m_);
    const bool q = quit_;
    quit_ = false;
    return q;
}

void OwnerLoop::Run() {
    while (!TakeQuit()) {
        RunOnce(Clock::now() + std::chrono::hours(1));
    }
}

void OwnerLoop::RunFor(std::chrono::milliseconds duration) {
    const auto deadline = Clock::now() + duration;
    while (Clock::now() < deadline && !TakeQuit()) {
        RunOnce(deadline);
    }
}

bool OwnerLoop::RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout) {
    const auto deadline = Clock::now() + timeout;
    while (!done()) {
        if (Clock::now() >= deadline || TakeQuit()) {
            return done();
        }
        RunOnce(deadline);
    }
    return true;
}

}  // namespace valdro
