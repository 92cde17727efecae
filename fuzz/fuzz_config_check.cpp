// The checker on sets the fuzzer edits: starting from the defaults, every three
// bytes of input write one byte (two bytes of place across both images, then the
// value), so sets stay close to real ones while any field can hold anything.
// Findings always name a unit and a field, stay on one line, and are notes at
// most for units not in use.

#include <cstdint>
#include <cstdlib>

#include "config/config_check.h"

namespace {
volatile std::size_t gSink;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    valdro::ConfigSet set;
    set.SetDefaults();
    constexpr std::size_t kImages = valdro::kUnitsSize + valdro::kInputMapSize;
    for (std::size_t i = 0; i + 3 <= size; i += 3) {
        const std::size_t at = (std::size_t(data[i]) << 8 | data[i + 1]) * kImages / 65536;
        if (at < valdro::kUnitsSize) {
            set.Units[at] = data[i + 2];
        } else {
            set.InputMap[at - valdro::kUnitsSize] = data[i + 2];
        }
    }
    const auto findings = valdro::CheckConfigSet(set);
    for (const valdro::Finding& f : findings) {
        if (f.unit < 0 || f.unit >= valdro::kUnitCount || f.field.empty() || f.message.empty() ||
            f.message.find('\n') != std::string::npos) {
            std::abort();
        }
        const bool inUse = f.unit == 0 || set.Unit(f.unit).SlaveEnabled();
        if (!inUse && f.severity != valdro::Severity::Note)
            std::abort();
    }
    gSink = findings.size();
    return 0;
}
