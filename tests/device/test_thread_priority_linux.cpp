// The receive thread's priority on Linux: a niceness of 10 for the thread alone,
// not the idle class.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <algorithm>
#include <thread>

#include "device/thread_priority.h"

namespace valdro {
namespace {

int OwnNice() {
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
}

TEST(ThreadPriority, NicenessTenForTheCallingThreadOnly) {
    const int before = OwnNice();
    int nice = 0;
    int policy = -1;
    std::thread([&] {
        LowerOwnPriority();
        nice = OwnNice();
        policy = ::sched_getscheduler(0);
    }).join();
    // A process already nicer than 10 may not be made less nice by this user.
    EXPECT_EQ(nice, std::max(10, before));
    EXPECT_NE(policy, SCHED_IDLE);
    EXPECT_EQ(OwnNice(), before) << "the calling thread's own, not the process's";
}

}  // namespace
}  // namespace valdro
