// Flags and input-map cells hold 0 or 1 when this program writes them; any other
// byte came from a file written by something else. The unit reads it as on.

#include <algorithm>
#include <vector>

#include "config/check_rules.h"
#include "config/config_summary.h"

namespace valdro::check {
namespace {

constexpr const char* kAdvice = "; the unit reads it as on: write 1 or 0";

bool Odd(std::uint8_t b) {
    return b > 1;
}

void Single(Checker& c, int u, std::size_t offset, const char* key) {
    const std::uint8_t b = c.Unit(u).RawByte(offset);
    if (Odd(b)) {
        c.Add(kFlagValue, u, key,
              std::string(key) + " holds " + std::to_string(b) + ", not 0 or 1" + kAdvice);
    }
}

// Reports the entries of one group that hold odd bytes, by their 1-based number.
void Group(Checker& c, int u, const std::string& field, const char* what,
           const std::vector<int>& numbers, int first) {
    if (numbers.empty())
        return;
    c.Add(kFlagValue, u, field,
          field + " holds bytes other than 0 and 1 for " + what +
              (numbers.size() == 1 ? " " : "s ") + FormatNumberList(numbers) + " (first " +
              std::to_string(first) + ")" + kAdvice);
}

void Array(Checker& c, int u, std::size_t offset, const char* key, const char* what) {
    std::vector<int> numbers;
    int first = 0;
    for (int k = 0; k < kIoCount; ++k) {
        const std::uint8_t b = c.Unit(u).RawByte(offset + static_cast<std::size_t>(k));
        if (Odd(b)) {
            first = numbers.empty() ? b : first;
            numbers.push_back(k + 1);
        }
    }
    Group(c, u, key, what, numbers, first);
}

void Outputs(Checker& c, int u) {
    std::vector<int> latches, cells;
    int firstLatch = 0, firstCell = 0;
    for (int o = 0; o < kIoCount; ++o) {
        const std::uint8_t latch =
            c.Unit(u).RawByte(field::OutputLatch + static_cast<std::size_t>(o));
        if (Odd(latch)) {
            firstLatch = latches.empty() ? latch : firstLatch;
            latches.push_back(o + 1);
        }
        // One output's 144 cells: 9 runs of 16, 256 bytes apart.
        for (int s = 0; s < kUnitCount; ++s) {
            const std::uint8_t* run = &c.Set().InputMap[InputMapOffset(u, s, o, 0)];
            const std::uint8_t* odd = std::find_if(run, run + kIoCount, Odd);
            if (odd != run + kIoCount) {
                firstCell = cells.empty() ? *odd : firstCell;
                cells.push_back(o + 1);
                break;
            }
        }
    }
    Group(c, u, "outputs[*].latch", "output", latches, firstLatch);
    Group(c, u, "outputs[*].inputs", "output", cells, firstCell);
}

}  // namespace

void CheckFlags(Checker& c) {
    for (int u = 0; u < kUnitCount; ++u) {
        Single(c, u, field::DHCPEnable, "dhcpEnable");
        Single(c, u, field::SlaveEnabled, "slaveEnabled");
        Array(c, u, field::InvertInputs, "invertInputs", "input");
        Array(c, u, field::InvertOutputs, "invertOutputs", "output");
        Array(c, u, field::OutputStartStatus, "outputStartStatus", "output");
        Outputs(c, u);
    }
}

}  // namespace valdro::check
