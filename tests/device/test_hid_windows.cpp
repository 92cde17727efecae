// The Windows USB backend without a unit: open failures, the listing, and
// overlapped reads and writes on a named pipe standing in for the unit.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>

#include "device/hardware_id.h"
#include "device/hid_windows.h"
#include "pipe_unit_windows.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;

// Why an open failed, by its code and through the real Open(): a folder is refused
// as an interface the system keeps for itself is, a file held unshared is busy.
TEST(WindowsPlatform, SaysWhyAnOpenFailedAndListsInterfaces) {
    EXPECT_EQ(OpenErrorFromWin32(ERROR_DEV_NOT_EXIST), OpenError::NotFound);
    EXPECT_EQ(OpenErrorFromWin32(ERROR_GEN_FAILURE), OpenError::Other);
    testing::TempDir dir;
    const std::string held = (dir / "held").string();
    std::ofstream(held) << "x";
    const HANDLE holder = ::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    const std::pair<std::string, OpenError> paths[] = {
        {(dir / "no-folder" / "missing").string(), OpenError::NotFound},
        {dir.path().string(), OpenError::AccessDenied},
        {held, OpenError::Busy},
    };
    const auto platform = CreateUsbPlatform();
    for (const auto& [path, reason] : paths) {
        OpenError error = OpenError::None;
        EXPECT_EQ(platform->Open(path, &error), nullptr) << path;
        EXPECT_EQ(error, reason) << path;
    }
    ::CloseHandle(holder);
    OpenError error = OpenError::Other;
    EXPECT_NE(platform->Open(held, &error), nullptr) << "free again";
    EXPECT_EQ(error, OpenError::None);
    // Whatever HID interfaces the machine has (Wine lists one of its own) come with
    // a path and numbers that agree with their first hardware id.
    for (const HidInterfaceInfo& info : platform->Enumerate()) {
        EXPECT_FALSE(info.path.empty());
        EXPECT_EQ(info.hardwareId.find('\0'), std::string::npos) << "the first string only";
        const HardwareIdNumbers numbers = ParseHardwareId(info.hardwareId);
        EXPECT_EQ(info.vendorId, numbers.vendorId.value_or(0));
        EXPECT_EQ(info.productId, numbers.productId.value_or(0));
        EXPECT_EQ(info.release, numbers.release.value_or(0));
    }
}

// Whole reports both ways, a shorter buffer taking what fits; a silent unit's read
// returns 0 after its time-out and a report that comes later is the next read's;
// the unit pulled while a read waits gives -1 (not a time-out) with the system's
// words for it on one line, and writes fail too.
TEST(WindowsHidHandle, ReadsWritesTimesOutAndFails) {
    test::PipeUnit unit;
    auto handle = CreateUsbPlatform()->Open(unit.Path(), nullptr);
    ASSERT_NE(handle, nullptr);
    std::uint8_t out[65] = {0, 0x53};
    ASSERT_EQ(handle->Write(out, sizeof out), 65);
    EXPECT_EQ(unit.Receive(), std::vector<std::uint8_t>(out, out + 65));
    std::uint8_t in[65] = {};
    ASSERT_TRUE(unit.Send(7));
    ASSERT_EQ(handle->Read(in, sizeof in, 1000), 65);
    EXPECT_EQ(in[64], 71);
    ASSERT_TRUE(unit.Send(1));
    ASSERT_EQ(handle->Read(in, 10, 1000), 10);
    EXPECT_EQ(in[9], 10);
    for (const int timeout : {0, 50}) {
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(handle->Read(in, sizeof in, timeout), 0) << timeout;
        EXPECT_GE(std::chrono::steady_clock::now() - start, timeout * 1ms - 20ms);
    }
    ASSERT_TRUE(unit.Send(3));
    ASSERT_EQ(handle->Read(in, sizeof in, 1000), 65);
    EXPECT_EQ(in[0], 3);
    ASSERT_EQ(handle->Read(in, sizeof in, 10), 0);
    unit.Close();
    EXPECT_EQ(handle->Read(in, sizeof in, 1000), -1);
    const std::string why = handle->LastReadError();
    EXPECT_TRUE(!why.empty() && why.rfind("error ", 0) == std::string::npos) << why;
    EXPECT_EQ(why.find_first_of("\r\n"), std::string::npos) << why;
    EXPECT_EQ(handle->Write(out, sizeof out), -1);
    EXPECT_EQ(Win32ErrorText(0x2000FFFF), "error 536936447") << "a code without a text";
}

}  // namespace
}  // namespace valdro
