// The hidapi backend on a machine without the unit: opening a path that is not
// there says so.

#include <gtest/gtest.h>

#include "hidapi_platform.h"

namespace valdro {
namespace {

TEST(HidapiPlatform, MissingNodeIsNotFound) {
    HidapiPlatform platform;
    ASSERT_TRUE(platform.Initialised());
    OpenError e = OpenError::None;
    EXPECT_EQ(platform.Open("/dev/hidraw-that-is-not-there", &e), nullptr);
    EXPECT_EQ(e, OpenError::NotFound);
}

}  // namespace
}  // namespace valdro
