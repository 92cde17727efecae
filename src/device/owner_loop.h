#pragma once
// A small event loop for an owner thread without a window: the command-line tool
// and the tests. It delivers received reports to the engine and calls a tick every
// 50 ms, as the window's timer does. Post() and Quit() may be called from any
// thread; everything else from the loop's thread.

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>

#include "device/owner_thread_poster.h"

namespace valdro {

class OwnerLoop : public OwnerThreadPoster {
  public:
    using Task = std::function<void()>;
    static constexpr std::chrono::milliseconds kTickInterval{50};

    explicit OwnerLoop(std::chrono::milliseconds tickInterval = kTickInterval);

    // What a received report runs (ProtocolEngine::DeliverPendingReport) and what
    // each tick runs (ProtocolEngine::Tick). Either may be empty.
    void SetDelivery(Task delivery);
    void SetTick(Task tick);

    // Receive thread: a report is waiting. Does not block and does not allocate.
    void Post() override;
    // Any thread: ends the running Run(), RunFor() or RunUntil(); when none runs,
    // the next one returns at once. Each Quit() ends one run.
    void Quit();

    // Runs until Quit().
    void Run();
    // Runs for the given time (or until Quit()).
    void RunFor(std::chrono::milliseconds duration);
    // Runs until done() is true (checked after each piece of work), the time is up
    // or Quit(); returns done().
    bool RunUntil(const std::function<bool()>& done, std::chrono::milliseconds timeout);

    // Ticks run so far.
    long Ticks() const { return ticks_; }

  private:
    // Waits for work or the next tick until deadline, then does what is due.
    void RunOnce(std::chrono::steady_clock::time_point deadline);
    bool TakeQuit();

    const std::chrono::milliseconds interval_;
    Task delivery_;
    Task tick_;
    std::chrono::steady_clock::time_point nextTick_;
    long ticks_ = 0;

    std::mutex m_;
    std::condition_variable cv_;
    bool deliveryPosted_ = false;
    bool quit_ = false;
};

}  // namespace valdro
