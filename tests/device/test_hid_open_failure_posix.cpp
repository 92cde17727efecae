// Why a hidraw node would not open: the open's own errno where it tells,
// otherwise access(2) on the path.

#include <gtest/gtest.h>

#include <cerrno>

#include "device/hid_open_failure_posix.h"

namespace valdro {
namespace {

TEST(OpenFailure, ErrnoOrAccessDecidesTheReason) {
    EXPECT_EQ(OpenErrorFromErrno(EACCES), OpenError::AccessDenied);
    EXPECT_EQ(OpenErrorFromErrno(EPERM), OpenError::AccessDenied);
    EXPECT_EQ(OpenErrorFromErrno(EBUSY), OpenError::Busy);
    EXPECT_EQ(OpenErrorFromErrno(ENOENT), OpenError::NotFound);
    EXPECT_EQ(OpenErrorFromErrno(ENODEV), OpenError::NotFound);
    EXPECT_EQ(OpenErrorFromErrno(EIO), OpenError::Other);
    EXPECT_EQ(ClassifyOpenFailure("/dev/hidraw-that-is-not-there", 0), OpenError::NotFound);
    EXPECT_EQ(ClassifyOpenFailure("/dev/null", EBUSY), OpenError::Busy);
    EXPECT_EQ(ClassifyOpenFailure("/dev/null", EIO), OpenError::Other) << "there, and ours";
    OpenError e = OpenError::None;
    EXPECT_EQ(CreateUsbPlatform()->Open("/dev/hidraw-that-is-not-there", &e), nullptr);
    EXPECT_EQ(e, OpenError::NotFound);
}

}  // namespace
}  // namespace valdro
