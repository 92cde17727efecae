#pragma once
// Who the unit is on USB: its vendor and product, what its revisions mean, and
// the hardware-id fragments that discovery looks for. The one place for them.

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace valdro {

inline constexpr std::uint16_t kOrvelixVendorId = 0x04D8;
inline constexpr std::uint16_t kOrvelixProductId = 0xFD37;
inline constexpr std::uint16_t kApplicationRevision = 0x0009;  // this product's firmware
inline constexpr std::uint16_t kProgramModeRevision = 0x0001;  // the unit's boot loader

// The fragments in the order the search tries them: the application, the program
// mode, then any revision.
inline constexpr std::string_view kApplicationFragment = "Vid_04d8&Pid_fd37&rev_0009";
inline constexpr std::string_view kProgramModeFragment = "Vid_04d8&Pid_fd37&rev_0001";
inline constexpr std::string_view kAnyRevisionFragment = "Vid_04d8&Pid_fd37";

namespace identity_check {
// True when text holds word as four lower-case hex digits at position at.
constexpr bool HoldsWord(std::string_view text, std::size_t at, std::uint16_t word) {
    constexpr std::string_view digits = "0123456789abcdef";
    for (std::size_t i = 0; i < 4; ++i) {
        if (at + i >= text.size() || text[at + i] != digits[(word >> (12 - 4 * i)) & 0xF]) {
            return false;
        }
    }
    return true;
}
constexpr bool NamesRevision(std::string_view fragment, std::uint16_t revision) {
    return fragment.size() == kAnyRevisionFragment.size() + 9 &&
           fragment.starts_with(kAnyRevisionFragment) &&
           fragment.substr(kAnyRevisionFragment.size(), 5) == "&rev_" &&
           HoldsWord(fragment, kAnyRevisionFragment.size() + 5, revision);
}
}  // namespace identity_check

// The fragments say what the numbers say.
static_assert(kAnyRevisionFragment.starts_with("Vid_") &&
              identity_check::HoldsWord(kAnyRevisionFragment, 4, kOrvelixVendorId) &&
              kAnyRevisionFragment.substr(8, 5) == "&Pid_" &&
              identity_check::HoldsWord(kAnyRevisionFragment, 13, kOrvelixProductId) &&
              kAnyRevisionFragment.size() == 17);
static_assert(identity_check::NamesRevision(kApplicationFragment, kApplicationRevision));
static_assert(identity_check::NamesRevision(kProgramModeFragment, kProgramModeRevision));

}  // namespace valdro
