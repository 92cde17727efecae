// The Linux backend without a unit: why a hidraw node would not open and what gives
// access, and the receive thread's priority.

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <thread>

#include "device/access_remedy.h"
#include "device/hid_open_failure_posix.h"
#include "device/thread_priority.h"

namespace valdro {
namespace {

TEST(OpenFailure, ErrnoOrAccessDecidesTheReason) {
    const std::pair<int, OpenError> rows[] = {
        {EACCES, OpenError::AccessDenied}, {EPERM, OpenError::AccessDenied},
        {EBUSY, OpenError::Busy},          {ENODEV, OpenError::NotFound},
        {ENXIO, OpenError::NotFound},      {EIO, OpenError::Other}};
    for (const auto& [error, reason] : rows) {
        EXPECT_EQ(OpenErrorFromErrno(error), reason) << error;
    }
    EXPECT_EQ(ClassifyOpenFailure("/dev/hidraw-that-is-not-there", 0), OpenError::NotFound);
    EXPECT_EQ(ClassifyOpenFailure("/dev/null", EBUSY), OpenError::Busy);
    EXPECT_EQ(ClassifyOpenFailure("/dev/null", EIO), OpenError::Other) << "there, and ours";
    OpenError e = OpenError::None;
    EXPECT_EQ(CreateUsbPlatform()->Open("/dev/hidraw-that-is-not-there", &e), nullptr);
    EXPECT_EQ(e, OpenError::NotFound);
    // What gives access: the rule reloaded and then applied, both.
    EXPECT_NE(std::string(AccessDeniedSteps()).find("--reload && sudo udevadm trigger'"),
              std::string::npos);
}

int OwnNice() {
    return ::getpriority(PRIO_PROCESS, static_cast<id_t>(::syscall(SYS_gettid)));
}

TEST(ThreadPriority, NicenessTenForTheCallingThreadOnly) {
    const int before = OwnNice();
    int nice = 0, policy = -1;
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
