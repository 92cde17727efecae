// Hardware-id text (made, listed, parsed), fragment matching, and the parts of the
// USB backends that need no unit (numbered reports, wide strings).

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string_view>
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

// The system gives a list of NUL-terminated strings; only the first counts.
TEST(HardwareId, FirstOfTheListUpToItsNul) {
    using namespace std::string_view_literals;
    const std::pair<std::string_view, std::string_view> rows[] = {
        {"HID\\VID_04D8&PID_FD37&REV_0009\0HID\\VID_04D8&PID_FD37\0\0"sv,
         "HID\\VID_04D8&PID_FD37&REV_0009"},
        {"HID\\VID_04D8&PID_FD37&REV_0001"sv, "HID\\VID_04D8&PID_FD37&REV_0001"},  // unterminated
        {"\0HID\\VID_04D8\0"sv, ""},
        {""sv, ""},
    };
    for (const auto& [list, first] : rows) {
        EXPECT_EQ(FirstHardwareId(list), first);
    }
}

TEST(HardwareId, ParsesTheNumbersItNames) {
    using N = HardwareIdNumbers;
    const std::pair<const char*, N> rows[] = {
        {"HID\\VID_04D8&PID_FD37&REV_0009", N{0x04D8, 0xFD37, 0x0009}},
        {"hid\\vid_04d8&pid_fd37&rev_0001", N{0x04D8, 0xFD37, 0x0001}},
        // A collection of a composite device: more after the revision.
        {"HID\\VID_1234&PID_ABCD&REV_0100&MI_00&Col01", N{0x1234, 0xABCD, 0x0100}},
        // Wine's and Bluetooth's ids may leave parts out.
        {"HID\\VID_845E&PID_0001", N{0x845E, 0x0001, std::nullopt}},
        {"HID_DEVICE_SYSTEM_MOUSE", N{}},
        // Too few digits, or not hexadecimal: not a number.
        {"HID\\VID_04D&PID_FD3G&REV_", N{}},
        {"", N{}},
    };
    for (const auto& [id, numbers] : rows) {
        EXPECT_EQ(ParseHardwareId(id), numbers) << id;
    }
    EXPECT_EQ(ParseHardwareId(FormatHardwareId(0xFFFF, 0x0000, 0xA5A5)), (N{0xFFFF, 0, 0xA5A5}));
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
