// Hardware-id text, fragment matching, and the platform-neutral parts of the
// hidapi backend (numbered reports, open failures, wide strings).

#include <gtest/gtest.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "hardware_id.h"
#include "hid_input_report.h"

namespace valdro {
namespace {

TEST(HardwareId, FormatsFourUpperCaseHexDigitsEach) {
    struct Row {
        std::uint16_t vid, pid, rev;
        const char* text;
    };
    const Row rows[] = {
        {0x04D8, 0xFD37, 0x0009, "HID\\VID_04D8&PID_FD37&REV_0009"},
        {0x04D8, 0xFD37, 0x0001, "HID\\VID_04D8&PID_FD37&REV_0001"},
        {0x0000, 0x0000, 0x0000, "HID\\VID_0000&PID_0000&REV_0000"},
        {0xFFFF, 0xABCD, 0x1234, "HID\\VID_FFFF&PID_ABCD&REV_1234"},
        {0x0001, 0x0010, 0x0100, "HID\\VID_0001&PID_0010&REV_0100"},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(FormatHardwareId(r.vid, r.pid, r.rev), r.text);
    }
}

TEST(HardwareId, FragmentsMatchCaseInsensitivelyAsSubstrings) {
    const std::string app = "HID\\VID_04D8&PID_FD37&REV_0009";
    const std::string boot = "HID\\VID_04D8&PID_FD37&REV_0001";
    const std::string other = "HID\\VID_046D&PID_C31C&REV_6400";
    struct Row {
        const std::string& id;
        const char* fragment;
        bool match;
    };
    const Row rows[] = {
        {app, "Vid_04d8&Pid_fd37&rev_0009", true},
        {boot, "Vid_04d8&Pid_fd37&rev_0009", false},
        {boot, "Vid_04d8&Pid_fd37&rev_0001", true},
        {app, "Vid_04d8&Pid_fd37&rev_0001", false},
        {app, "Vid_04d8&Pid_fd37", true},
        {boot, "Vid_04d8&Pid_fd37", true},
        {other, "Vid_04d8&Pid_fd37", false},
        {"", "Vid_04d8", false},
        {"HID\\VID_04D8&PID_FD37&REV_00090", "Vid_04d8&Pid_fd37&rev_0009", true},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(HardwareIdContains(r.id, r.fragment), r.match) << r.id << " / " << r.fragment;
    }
}

TEST(HardwareId, RevisionMeaning) {
    EXPECT_EQ(RevisionMeaning(0x0009), "application");
    EXPECT_EQ(RevisionMeaning(0x0001), "program mode");
    EXPECT_EQ(RevisionMeaning(0x0002), "unknown revision");
    EXPECT_EQ(RevisionMeaning(0x0900), "unknown revision");
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

TEST(NumberedReport, SixtyFourRawBytesBecomeSixtyFiveWithTheIdFirst) {
    std::uint8_t buf[65];
    std::memset(buf, 0xEE, sizeof buf);
    RawRead raw{64};
    EXPECT_EQ(ReadNumberedReport(raw, buf, sizeof buf, 100), 65);
    EXPECT_EQ(raw.askedFor, 64u);
    EXPECT_EQ(raw.timeoutSeen, 100);
    EXPECT_EQ(buf[0], 0);
    EXPECT_EQ(buf[1], 1);
    EXPECT_EQ(buf[64], 64);
}

TEST(NumberedReport, ShortTimeoutAndFailedReadsPassThrough) {
    struct Row {
        int raw;
        int expected;
    };
    for (const Row r : {Row{10, 11}, Row{1, 2}, Row{0, 0}, Row{-1, -1}}) {
        std::uint8_t buf[65];
        std::memset(buf, 0xEE, sizeof buf);
        RawRead raw{r.raw};
        EXPECT_EQ(ReadNumberedReport(raw, buf, sizeof buf, -1), r.expected) << r.raw;
        if (r.raw > 0) {
            EXPECT_EQ(buf[0], 0);
            EXPECT_EQ(buf[r.raw], r.raw);
            EXPECT_EQ(buf[r.raw + 1], 0xEE) << "bytes past the report are untouched";
        } else {
            EXPECT_EQ(buf[0], 0xEE);
        }
    }
    std::uint8_t tiny[1];
    RawRead raw{64};
    EXPECT_EQ(ReadNumberedReport(raw, tiny, sizeof tiny, 0), -1);
}

TEST(OpenFailure, AccessDecidesTheReason) {
    EXPECT_EQ(OpenErrorFromAccess(-1, EACCES), OpenError::PermissionDenied);
    EXPECT_EQ(OpenErrorFromAccess(-1, EPERM), OpenError::PermissionDenied);
    EXPECT_EQ(OpenErrorFromAccess(-1, ENOENT), OpenError::NotFound);
    EXPECT_EQ(OpenErrorFromAccess(-1, ENODEV), OpenError::NotFound);
    EXPECT_EQ(OpenErrorFromAccess(-1, EIO), OpenError::Other);
    EXPECT_EQ(OpenErrorFromAccess(0, 0), OpenError::Other);
    EXPECT_EQ(ClassifyOpenFailure("/dev/hidraw-that-is-not-there"), OpenError::NotFound);
}

TEST(WideText, ConvertsToUtf8) {
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(L""), "");
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
