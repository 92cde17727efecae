// Flags and input-map cells hold 0 or 1 when this program writes them; any other
// byte came from a file written by something else. The unit reads it as on.

#include <algorithm>
#include <vector>

#include "config/check_rules.h"
#include "config/config_summary.h"
#include "config/record_fields.h"

namespace valdro::check {
namespace {

constexpr const char* kAdvice = " (not 0 or 1), which the unit reads as on; write 1 or 0";

bool Odd(std::uint8_t b) {
    return b > 1;
}

void Single(Checker& c, int u, std::size_t offset, std::string_view key) {
    const std::uint8_t b = c.Unit(u).RawByte(offset);
    if (Odd(b))
        c.Add(kFlagValue, u, key, std::string(key) + " holds " + std::to_string(b) + kAdvice);
}

// Bytes of one group, by the 1-based number of their input or output.
struct OddBytes {
    std::vector<int> numbers;
    int first = 0;
    void Take(int number, std::uint8_t b) {
        if (numbers.empty())
            first = b;
        numbers.push_back(number);
    }
};

std::string Value(const OddBytes& odd) {
    return (odd.numbers.size() == 1 ? "" : "bytes such as ") + std::to_string(odd.first);
}

std::string Numbers(const char* what, const OddBytes& odd) {
    return what + std::string(odd.numbers.size() == 1 ? " " : "s ") + FormatNumberList(odd.numbers);
}

void Array(Checker& c, int u, std::size_t offset, std::string_view key, const char* what) {
    OddBytes odd;
    for (int k = 0; k < kIoCount; ++k) {
        const std::uint8_t b = c.Unit(u).RawByte(offset + static_cast<std::size_t>(k));
        if (Odd(b))
            odd.Take(k + 1, b);
    }
    if (!odd.numbers.empty()) {
        c.Add(kFlagValue, u, key,
              std::string(key) + " holds " + Value(odd) + " for " + Numbers(what, odd) + kAdvice);
    }
}

void Outputs(Checker& c, int u) {
    OddBytes latches, cells;
    for (int o = 0; o < kIoCount; ++o) {
        const std::uint8_t latch =
            c.Unit(u).RawByte(field::OutputLatch + static_cast<std::size_t>(o));
        if (Odd(latch))
            latches.Take(o + 1, latch);
        // One output's 144 cells: 9 runs of 16, 256 bytes apart.
        for (int s = 0; s < kUnitCount; ++s) {
            const std::uint8_t* run = &c.Set().InputMap[InputMapOffset(u, s, o, 0)];
            const std::uint8_t* odd = std::find_if(run, run + kIoCount, Odd);
            if (odd != run + kIoCount) {
                cells.Take(o + 1, *odd);
                break;
            }
        }
    }
    const bool oneLatch = latches.numbers.size() == 1;
    if (!latches.numbers.empty()) {
        c.Add(kFlagValue, u, OutputField(-1, json_key::OutputLatch),
              std::string(oneLatch ? "the latch of " : "the latches of ") +
                  Numbers("output", latches) + (oneLatch ? " holds " : " hold ") + Value(latches) +
                  kAdvice);
    }
    if (!cells.numbers.empty()) {
        c.Add(kFlagValue, u, OutputField(-1, json_key::Inputs),
              "input-map cells of " + Numbers("output", cells) + " hold " + Value(cells) + kAdvice);
    }
}

}  // namespace

void CheckFlags(Checker& c) {
    for (int u = 0; u < kUnitCount; ++u) {
        for (const RecordField& f : kRecordFields) {
            if (f.kind == FieldKind::Flag)
                Single(c, u, f.offset, f.key);
            if (f.kind == FieldKind::FlagArray && !f.inEachOutput)
                Array(c, u, f.offset, f.key, f.perInput ? "input" : "output");
        }
        Outputs(c, u);
    }
}

}  // namespace valdro::check
