#include "device/hardware_id.h"

#include <algorithm>

#include "config/ascii_case.h"
#include "config/hex_text.h"
#include "device/unit_identity.h"

namespace valdro {

namespace {

// Where part first occurs in text, ignoring the case of ASCII letters; npos if nowhere.
std::size_t FindFolded(std::string_view text, std::string_view part) {
    const auto at = std::search(text.begin(), text.end(), part.begin(), part.end(),
                                [](char a, char b) { return FoldAscii(a) == FoldAscii(b); });
    return at == text.end() && !part.empty() ? std::string_view::npos
                                             : static_cast<std::size_t>(at - text.begin());
}

// Four hexadecimal digits right after key (e.g. "VID_").
std::optional<std::uint16_t> NumberAfter(std::string_view id, std::string_view key) {
    const std::size_t at = FindFolded(id, key);
    if (at == std::string_view::npos) {
        return std::nullopt;
    }
    return ParseHexWord(id.substr(at + key.size(), 4));
}

}  // namespace

std::string_view FirstHardwareId(std::string_view list) {
    return list.substr(0, list.find('\0'));
}

HardwareIdNumbers ParseHardwareId(std::string_view hardwareId) {
    return {NumberAfter(hardwareId, "VID_"), NumberAfter(hardwareId, "PID_"),
            NumberAfter(hardwareId, "REV_")};
}

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
    return FindFolded(hardwareId, fragment) != std::string_view::npos;
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
