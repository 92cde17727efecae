#include "device/hardware_id.h"

#include <algorithm>

#include "device/hid_report.h"

namespace valdro {

namespace {

void AppendHex4(std::string& out, std::uint16_t v) {
    static constexpr char kDigits[] = "0123456789ABCDEF";
    for (int shift = 12; shift >= 0; shift -= 4) {
        out.push_back(kDigits[(v >> shift) & 0xF]);
    }
}

// Only ASCII letters fold: the ids and fragments are ASCII, and a locale's
// rules must not decide whether a unit is found.
char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string FormatHardwareId(std::uint16_t vendorId, std::uint16_t productId,
                             std::uint16_t release) {
    std::string id = "HID\\VID_";
    AppendHex4(id, vendorId);
    id += "&PID_";
    AppendHex4(id, productId);
    id += "&REV_";
    AppendHex4(id, release);
    return id;
}

bool HardwareIdContains(std::string_view hardwareId, std::string_view fragment) {
    const auto it =
        std::search(hardwareId.begin(), hardwareId.end(), fragment.begin(), fragment.end(),
                    [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
    return it != hardwareId.end() || fragment.empty();
}

std::string_view RevisionMeaning(std::uint16_t release) {
    if (release == kApplicationRevision) {
        return "application";
    }
    if (release == kProgramModeRevision) {
        return "program mode";
    }
    return "unknown revision";
}

}  // namespace valdro
