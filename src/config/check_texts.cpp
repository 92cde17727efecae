// Device names and URLs: empty, repeated, unprintable, or longer than the window
// lets anyone type. Names are compared byte for byte, as the window's lookup of a
// reset device by name compares them.

#include <algorithm>
#include <string_view>

#include "config/check_rules.h"
#include "config/config_summary.h"
#include "config/unit_names.h"

namespace valdro::check {
namespace {

constexpr std::size_t kUrlTypedLimit = 44;  // what the URL box lets a user type

// The field's bytes up to the NUL, or the whole field when it has none.
std::string_view RawText(const Checker& c, int u, std::size_t offset, std::size_t size) {
    const auto b = c.Unit(u).Bytes();
    const auto* begin = reinterpret_cast<const char*>(b.data() + offset);
    return std::string_view(begin, size)
        .substr(0, static_cast<std::size_t>(std::find(begin, begin + size, '\0') - begin));
}

// Control characters and the five bytes Windows-1252 leaves undefined.
bool Unprintable(unsigned char b) {
    return b < 0x20 || b == 0x7F || b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

void CheckCharacters(Checker& c, int u, std::string_view field, std::string_view raw,
                     const std::string& shown) {
    if (std::none_of(raw.begin(), raw.end(),
                     [](char ch) { return Unprintable(static_cast<unsigned char>(ch)); })) {
        return;
    }
    // QuoteText shows each such byte as \xNN, so the message points at it.
    c.Add(kTextCharacters, u, field,
          std::string(field == json_key::URL ? "URL " : "device name ") + QuoteText(shown) +
              " holds a control character or a byte with no Windows-1252 character; retype it");
}

void CheckName(Checker& c, int u) {
    const std::string_view raw = RawText(c, u, field::DeviceName, field::DeviceNameSize);
    const std::string name = c.Unit(u).DeviceName();
    if (raw.empty()) {
        if (c.InUse(u)) {
            c.Add(kNameEmpty, u, json_key::DeviceName,
                  "the device name is empty, so the unit cannot be told apart on the Status and "
                  "Output Control pages; give it a name");
        }
        return;
    }
    for (int v = 0; v < u; ++v) {
        if (RawText(c, v, field::DeviceName, field::DeviceNameSize) == raw) {
            c.Add(kNameDuplicate, u, json_key::DeviceName,
                  "device name " + QuoteText(name) + " is also " + TheUnit(v) +
                      "'s, and choosing a reset device by name picks " + TheUnit(v) +
                      "; give each unit a name of its own");
            break;
        }
    }
    CheckCharacters(c, u, json_key::DeviceName, raw, name);
    if (raw.size() == field::DeviceNameSize && c.InUse(u)) {
        c.Add(kNameCut, u, json_key::DeviceName,
              "device name " + QuoteText(name) +
                  " has 32 characters, and a download to this unit sends only the first 31; "
                  "shorten it to keep it whole");
    }
}

void CheckUrl(Checker& c, int u) {
    const std::string_view raw = RawText(c, u, field::URL, field::URLSize);
    const std::string url = c.Unit(u).URL();
    CheckCharacters(c, u, json_key::URL, raw, url);
    if (raw.size() > kUrlTypedLimit) {
        c.Add(kUrlTooLong, u, json_key::URL,
              "URL " + QuoteText(url) + " has " + std::to_string(raw.size()) +
                  " characters, more than the 44 the window lets a user type" +
                  (raw.size() == field::URLSize ? ", and reaches the unit with no end mark" : "") +
                  "; shorten it");
    }
}

}  // namespace

void CheckTexts(Checker& c) {
    for (int u = 0; u < kUnitCount; ++u) {
        CheckName(c, u);
        // The Master's URL is neither shown nor sent; a Slave's is used in URL mode.
        if (u != 0 && c.Unit(u).AddressMode() == 1)
            CheckUrl(c, u);
    }
}

}  // namespace valdro::check
