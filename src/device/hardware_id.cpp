#include "device/hardware_id.h"

#include <algorithm>

#include "config/hex_text.h"
#include "device/unit_identity.h"

namespace valdro {

namespace {

// Only ASCII letters fold: the ids and fragments are ASCII, and a locale's
// rules must not decide whether a unit is found.
char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

std::string FormatHardwareId(std::uint16_t vendorId, std::uint16_t productId,
                             std::uint16_t release) {
    std::string id = "HID\\VID_";
    id += HexWord(vendorId);
    id += "&PID_";
    id += HexWord(productId);
    id += "&REV_";
    id += HexWord(release);
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
