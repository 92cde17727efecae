#pragma once
// Platform-neutral pieces of the USB backends, kept apart so they can be tested
// without a device: the numbered form of an input report and the wide strings
// that hidapi and the Windows HID class hand out.

#include <cstddef>
#include <cstdint>
#include <string>

namespace valdro {

// Reads one input report into buf in the numbered form the protocol counts with
// (report-id byte 0 first). The unit sends unnumbered reports, which hidapi
// delivers without the id byte (on Linux hidraw as 64 bytes), so the raw read
// goes to buf + 1 and a 0 is put in front.
// readRaw(dst, maxLength, timeoutMs) returns what hid_read_timeout returns.
template <typename ReadRaw>
int ReadNumberedReport(ReadRaw&& readRaw, std::uint8_t* buf, std::size_t length, int timeoutMs) {
    if (length < 2) {
        return -1;
    }
    const int n = readRaw(buf + 1, length - 1, timeoutMs);
    if (n <= 0) {
        return n;  // 0: nothing in time; -1: the interface is gone
    }
    buf[0] = 0;
    return n + 1;
}

// wchar_t text (UTF-32 on Linux, UTF-16 on Windows) to UTF-8; null gives "".
// Malformed code units become U+FFFD.
std::string WideToUtf8(const wchar_t* text);

}  // namespace valdro
