// Hardware-id text, fragment matching, and the parts of the hidapi backend that
// need no unit (numbered reports, open failures, wide strings).

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <vector>

#include "device/hardware_id.h"
#include "device/hid_input_report.h"

namespace valdro {
namespace {

TEST(HardwareId, FormatsFourUpperCaseHexDigitsEach) {
    struct Row {
        std::uint16_t vid, pid, rev;
        const char* text;
    };
    const Row rows[] = {
        {0x04D8, 0xFD37, 0x0009, "HID\\VID_04D8&PID_FD37&REV_0009"},
        {0xFFFF, 0xABCD, 0x1234, "HID\\VID_FFFF&PID_ABCD&REV_1234"},
        {0x0001, 0x0010, 0x0100, "HID\\VID_0001&PID_0010&REV_0100"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(FormatHardwareId(r.vid, r.pid, r.rev), r.text);
    }
}

// A raw read as hidraw gives it: the unit's 64 bytes without the id byte.
struct RawRead {
    int result;                // what hid_read_timeout returns
    std::size_t askedFor = 0;  // the room it was given
    int timeoutSeen = 0;
    int operator()(std::uint8_t* dst, std::size_t max, int timeoutMs) {
        askedFor = max;
        timeoutSeen = timeoutMs;
        for (int i = 0; i < result && static_cast<std::size_t>(i) < max; ++i) {
            dst[i] = static_cast<std::uint8_t>(i + 1);  // the unit's byte 1 is 1
        }
        return result;
    }
};

// The raw read goes in after the id byte; 64 raw bytes become 65 with a 0 first,
// a short report its length plus one; nothing and failure pass through.
TEST(NumberedReport, PutsTheIdByteInFront) {
    for (const int rawCount : {64, 10, 1, 0, -1}) {
        std::uint8_t buf[65];
        std::memset(buf, 0xEE, sizeof buf);
        RawRead raw{rawCount};
        const int n = ReadNumberedReport(raw, buf, sizeof buf, 100);
        EXPECT_EQ(raw.askedFor, 64u);
        EXPECT_EQ(raw.timeoutSeen, 100);
        EXPECT_EQ(n, rawCount > 0 ? rawCount + 1 : rawCount);
        EXPECT_EQ(buf[0], rawCount > 0 ? 0 : 0xEE) << rawCount;
        if (rawCount > 0) {
            EXPECT_EQ(buf[rawCount], rawCount) << "the unit's last byte";
        }
        if (rawCount < 64) {
            EXPECT_EQ(buf[std::max(rawCount, 0) + 1], 0xEE) << "bytes past the report untouched";
        }
    }
    std::uint8_t tiny[1];
    RawRead raw{64};
    EXPECT_EQ(ReadNumberedReport(raw, tiny, sizeof tiny, 0), -1);
}

// The open's own errno decides where it tells; otherwise access(2) on the path.
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

TEST(WideText, ConvertsToUtf8) {
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(L"SIM0001"), "SIM0001");
    EXPECT_EQ(WideToUtf8(L"Gr\u00fc\u00dfe \u20ac"),
              "Gr\xC3\xBC\xC3\x9F"
              "e \xE2\x82\xAC");
    EXPECT_EQ(WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    if constexpr (sizeof(wchar_t) == 4) {
        const wchar_t bad[] = {static_cast<wchar_t>(0x110000), L'x', 0};
        EXPECT_EQ(WideToUtf8(bad), "\xEF\xBF\xBDx");
    }
}

}  // namespace
}  // namespace valdro
