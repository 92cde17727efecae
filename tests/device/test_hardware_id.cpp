// Hardware-id text (made, listed, parsed, matched) and the parts of the USB
// backends that need no unit (numbered reports, wide strings).

#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>

#include "device/hardware_id.h"
#include "device/hid_input_report.h"

namespace valdro {
namespace {

using namespace std::string_view_literals;

// Made with four upper-case hexadecimal digits each, parsed back in any case, with
// parts missing or more after them; too few digits or not hexadecimal: no number.
TEST(HardwareId, FormatsAndParses) {
    EXPECT_EQ(FormatHardwareId(0x04D8, 0xFD37, 0x0009), "HID\\VID_04D8&PID_FD37&REV_0009");
    EXPECT_EQ(FormatHardwareId(0xABCD, 0x0010, 0xF100), "HID\\VID_ABCD&PID_0010&REV_F100");
    using N = HardwareIdNumbers;
    const std::pair<const char*, N> rows[] = {
        {"HID\\VID_ABCD&PID_0010&REV_F100", N{0xABCD, 0x0010, 0xF100}},
        {"hid\\vid_04d8&pid_fd37&rev_0001", N{0x04D8, 0xFD37, 0x0001}},
        {"HID\\VID_1234&PID_ABCD&REV_0100&MI_00&Col01", N{0x1234, 0xABCD, 0x0100}},
        {"HID\\VID_845E&PID_0001", N{0x845E, 0x0001, std::nullopt}},
        {"HID_DEVICE_SYSTEM_MOUSE", N{}},
        {"HID\\VID_04D&PID_FD3G&REV_", N{}},
    };
    for (const auto& [id, numbers] : rows) {
        EXPECT_EQ(ParseHardwareId(id), numbers) << id;
    }
}

// The system gives a list of NUL-terminated strings: only the first counts, and a
// fragment is found in it whatever the case of its ASCII letters (and only those).
TEST(HardwareId, MatchesFragmentsInTheFirstIdOnly) {
    const std::tuple<std::string_view, std::string_view, bool> rows[] = {
        {"HID\\VID_04D8&PID_FD37&REV_0009\0HID\\VID_1234\0\0"sv, "Vid_04d8&Pid_fd37&rev_0009",
         true},
        {"hid\\vid_04d8&pid_fd37&rev_0009"sv, "Vid_04d8&Pid_fd37&rev_0009", true},
        {"HID\\VID_1234\0HID\\VID_04D8&PID_FD37\0"sv, "Vid_04d8", false},
        {"HID\\VID_ABCZ"sv, "vid_abcz", true},
        {"HID\\VID_04D8&PID_FD37&REV_0001"sv, "Vid_04d8&Pid_fd37&rev_0009", false},
        {"HID\\VID_04D8&PID_FD37&REV_0005"sv, "Vid_04d8&Pid_fd37", true},
        {"HID\\VID_04D8&PID_FD3"sv, "Vid_04d8&Pid_fd37", false},
        {"[ID\\VID_04D8"sv, "{id", false},
        {"\0HID\\VID_04D8"sv, "VID", false},
    };
    for (const auto& [list, fragment, found] : rows) {
        EXPECT_EQ(HardwareIdContains(FirstHardwareId(list), fragment), found) << list;
    }
}

// A raw read as hidraw gives it (the unit's 64 bytes, no id byte) goes in after a 0
// id byte; nothing and failure pass through, and nothing past the report is touched.
TEST(NumberedReport, PutsTheIdByteInFront) {
    for (const int rawCount : {64, 10, 0, -1}) {
        std::vector<std::uint8_t> buf(66, 0xEE), want(66, 0xEE);
        auto raw = [&](std::uint8_t* dst, std::size_t max, int timeoutMs) {
            EXPECT_EQ(std::pair(max, timeoutMs), (std::pair<std::size_t, int>(64, 100)));
            std::fill_n(dst, std::max(rawCount, 0), 0x11);
            return rawCount;
        };
        EXPECT_EQ(ReadNumberedReport(raw, buf.data(), 65, 100), rawCount + (rawCount > 0));
        if (rawCount > 0) {
            want[0] = 0;
            std::fill_n(want.begin() + 1, rawCount, 0x11);
        }
        EXPECT_EQ(buf, want) << rawCount;
        EXPECT_EQ(ReadNumberedReport(raw, buf.data(), 1, 100), -1) << "no room";
    }
}

TEST(WideText, ConvertsToUtf8) {
    EXPECT_EQ(WideToUtf8(nullptr), "");
    EXPECT_EQ(WideToUtf8(L"\u00e9 \u20ac"), "\xC3\xA9 \xE2\x82\xAC");
    EXPECT_EQ(WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace valdro
