// The Windows USB backend without a unit: the open failures by their error codes
// and through the real Open(), the error texts, the listing, and the overlapped
// reads and writes on a named pipe standing in for the unit.

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <iostream>

#include "device/hardware_id.h"
#include "device/hid_windows.h"
#include "pipe_unit_windows.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Far beyond any wait here: only a read that never returns takes this long.
constexpr auto kHang = 10s;

TEST(WindowsOpenError, ClassifiesTheCodeOfAFailedOpen) {
    const std::pair<DWORD, OpenError> rows[] = {
        {ERROR_ACCESS_DENIED, OpenError::AccessDenied},
        {ERROR_SHARING_VIOLATION, OpenError::Busy},
        {ERROR_FILE_NOT_FOUND, OpenError::NotFound},
        {ERROR_PATH_NOT_FOUND, OpenError::NotFound},
        {ERROR_DEVICE_NOT_CONNECTED, OpenError::NotFound},
        {ERROR_DEV_NOT_EXIST, OpenError::NotFound},
        {ERROR_GEN_FAILURE, OpenError::Other},
        {ERROR_INVALID_PARAMETER, OpenError::Other},
        {ERROR_SUCCESS, OpenError::Other},
    };
    for (const auto& [code, reason] : rows) {
        EXPECT_EQ(OpenErrorFromWin32(code), reason) << code;
    }
}

TEST(WindowsOpenError, TheRealOpenSaysWhy) {
    testing::TempDir dir;
    const std::string held = (dir / "held").string();
    std::ofstream(held) << "x";
    // Another program holding the interface without sharing it.
    const HANDLE holder = ::CreateFileA(held.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                                        FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);

    const std::pair<std::string, OpenError> rows[] = {
        {(dir / "missing").string(), OpenError::NotFound},
        {(dir / "no-folder" / "missing").string(), OpenError::NotFound},
        // The system refuses a folder as it refuses an interface it keeps for itself.
        {dir.path().string(), OpenError::AccessDenied},
        {held, OpenError::Busy},
    };
    const auto platform = CreateUsbPlatform();
    for (const auto& [path, reason] : rows) {
        OpenError error = OpenError::None;
        EXPECT_EQ(platform->Open(path, &error), nullptr) << path;
        EXPECT_EQ(error, reason) << path;
    }
    ::CloseHandle(holder);

    OpenError error = OpenError::Other;
    EXPECT_NE(platform->Open(held, &error), nullptr) << "free again";
    EXPECT_EQ(error, OpenError::None);
}

TEST(WindowsErrorText, GivesTheSystemsWordsOnOneLine) {
    for (const DWORD code : {ERROR_BROKEN_PIPE, ERROR_OPERATION_ABORTED, ERROR_ACCESS_DENIED}) {
        const std::string text = Win32ErrorText(code);
        EXPECT_FALSE(text.empty()) << code;
        EXPECT_EQ(text.find_first_of("\r\n"), std::string::npos) << text;
        EXPECT_NE(text.back(), ' ') << text;
        EXPECT_NE(text, Win32ErrorText(ERROR_SUCCESS)) << code;
    }
    EXPECT_EQ(Win32ErrorText(0x2000FFFF), "error 536936447") << "a code the system has no text for";
}

// Whatever HID interfaces the machine has (Wine lists one of its own): each comes
// with a path and numbers that agree with its hardware id.
TEST(WindowsListing, EveryInterfaceHasAPathAndItsNumbers) {
    const auto list = CreateUsbPlatform()->Enumerate();
    for (const HidInterfaceInfo& info : list) {
        SCOPED_TRACE(info.hardwareId + " at " + info.path);
        EXPECT_FALSE(info.path.empty());
        EXPECT_EQ(info.hardwareId.find('\0'), std::string::npos) << "the first string only";
        const HardwareIdNumbers numbers = ParseHardwareId(info.hardwareId);
        EXPECT_EQ(info.vendorId, numbers.vendorId.value_or(0));
        EXPECT_EQ(info.productId, numbers.productId.value_or(0));
        EXPECT_EQ(info.release, numbers.release.value_or(0));
        std::cout << "listed: " << info.hardwareId << " \"" << info.product << "\"\n";
    }
}

struct PipeChannel {
    PipeChannel() {
        EXPECT_TRUE(unit.Valid());
        OpenError error = OpenError::Other;
        handle = CreateUsbPlatform()->Open(unit.Path(), &error);
        EXPECT_EQ(error, OpenError::None);
    }
    test::PipeUnit unit;
    std::unique_ptr<HidHandle> handle;
};

TEST(WindowsHidHandle, WritesAndReadsWholeReports) {
    PipeChannel ch;
    ASSERT_NE(ch.handle, nullptr);
    const auto out = test::CountingReport(0);
    ASSERT_EQ(ch.handle->Write(out.data(), out.size()), 65);
    EXPECT_EQ(ch.unit.Receive(), out);

    ASSERT_TRUE(ch.unit.Send(test::CountingReport(7)));
    std::uint8_t in[65] = {};
    ASSERT_EQ(ch.handle->Read(in, sizeof in, 1000), 65);
    EXPECT_EQ(std::vector<std::uint8_t>(in, in + 65), test::CountingReport(7));

    // A buffer shorter than the report takes what fits.
    ASSERT_TRUE(ch.unit.Send(test::CountingReport(1)));
    std::uint8_t shorter[10] = {};
    ASSERT_EQ(ch.handle->Read(shorter, sizeof shorter, 1000), 10);
    EXPECT_EQ(shorter[9], 10);
}

// A silent unit: the read returns 0 after its time-out, and a report that comes
// after the time-out is the next read's, not lost.
TEST(WindowsHidHandle, TimeOutLeavesTheReadForTheNextCall) {
    PipeChannel ch;
    ASSERT_NE(ch.handle, nullptr);
    std::uint8_t in[65] = {};
    for (const int timeout : {0, 50, 200}) {
        const auto start = Clock::now();
        EXPECT_EQ(ch.handle->Read(in, sizeof in, timeout), 0) << timeout;
        const auto took = Clock::now() - start;
        EXPECT_GE(took, std::chrono::milliseconds(timeout) - 20ms) << timeout;
        EXPECT_LT(took, kHang) << timeout;
    }
    ASSERT_TRUE(ch.unit.Send(test::CountingReport(3)));
    ASSERT_EQ(ch.handle->Read(in, sizeof in, 1000), 65);
    EXPECT_EQ(in[0], 3);
    EXPECT_EQ(in[64], 67);
}

// The unit pulled while a read waits, or before the read starts: -1, not a
// time-out, with the system's reason.
TEST(WindowsHidHandle, AFailedReadIsToldApartFromATimeOut) {
    for (const bool pending : {true, false}) {
        PipeChannel ch;
        ASSERT_NE(ch.handle, nullptr);
        std::uint8_t in[65] = {};
        if (pending) {
            ASSERT_EQ(ch.handle->Read(in, sizeof in, 10), 0);
        }
        ch.unit.Close();
        EXPECT_EQ(ch.handle->Read(in, sizeof in, 1000), -1) << pending;
        EXPECT_FALSE(ch.handle->LastReadError().empty());
        EXPECT_EQ(ch.handle->LastReadError().rfind("error ", 0), std::string::npos)
            << "the system's words: " << ch.handle->LastReadError();
        std::uint8_t out[65] = {};
        EXPECT_EQ(ch.handle->Write(out, sizeof out), -1);
    }
}

// Closing a handle whose read is still pending in the driver cancels that read
// and returns; the unit can be opened again.
TEST(WindowsHidHandle, ClosingWithAPendingReadReturns) {
    test::PipeUnit unit;
    const auto platform = CreateUsbPlatform();
    auto handle = platform->Open(unit.Path(), nullptr);
    ASSERT_NE(handle, nullptr);
    std::uint8_t in[65] = {};
    ASSERT_EQ(handle->Read(in, sizeof in, 10), 0);
    const auto start = Clock::now();
    handle.reset();
    EXPECT_LT(Clock::now() - start, kHang);
}

}  // namespace
}  // namespace valdro
