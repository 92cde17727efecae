// Each output's input map, latch and reset input, against the units in use.

#include <vector>

#include "config/check_rules.h"
#include "config/config_summary.h"
#include "config/unit_names.h"

namespace valdro::check {
namespace {

std::string Numbers(const char* word, const std::vector<int>& numbers) {
    return std::string(word) + (numbers.size() == 1 ? " " : "s ") + FormatNumberList(numbers);
}

// Inputs (1-based) of unit s that drive output o of unit u.
std::vector<int> DrivingInputs(const ConfigSet& set, int u, int s, int o) {
    std::vector<int> inputs;
    for (int i = 0; i < kIoCount; ++i) {
        if (set.InputMap[InputMapOffset(u, s, o, i)] != 0)
            inputs.push_back(i + 1);
    }
    return inputs;
}

void CheckMap(Checker& c, int u) {
    if (!c.InUse(u)) {
        std::vector<int> driven;
        for (int o = 0; o < kIoCount; ++o) {
            for (int s = 0; s < kUnitCount; ++s) {
                if (!DrivingInputs(c.Set(), u, s, o).empty()) {
                    driven.push_back(o + 1);
                    break;
                }
            }
        }
        if (!driven.empty()) {
            c.Add(kMapUnitNotInUse, u, OutputField(-1, json_key::Inputs),
                  UnitLabel(u) + " is not enabled, yet its input map drives " +
                      Numbers("output", driven) + "; the map works only once it is enabled");
        }
        return;
    }
    for (int o = 0; o < kIoCount; ++o) {
        for (int s = 1; s < kUnitCount; ++s) {
            if (c.InUse(s))
                continue;
            const std::vector<int> inputs = DrivingInputs(c.Set(), u, s, o);
            if (inputs.empty())
                continue;
            c.Add(kMapSourceNotInUse, u, OutputField(o, json_key::Inputs),
                  "output " + std::to_string(o + 1) + " is driven by " + Numbers("input", inputs) +
                      " of " + UnitLabel(s) + ", which is not enabled; enable " + UnitLabel(s) +
                      " or clear those inputs");
        }
    }
}

void CheckReset(Checker& c, int u, int o) {
    const ConstUnitRecord r = c.Unit(u);
    const bool latched = r.RawByte(field::OutputLatch + static_cast<std::size_t>(o)) != 0;
    const std::int32_t device = r.ResetDevice(o);
    const std::int32_t input = r.ResetInput(o);
    const std::string output = "output " + std::to_string(o + 1);
    // Reset inputs act on latched outputs; on others a bad value waits to bite.
    const Severity rangeSeverity = latched ? Severity::Error : Severity::Warning;
    const char* latchNote = latched ? "" : " before the output latches";

    const bool deviceOk = IsValidUnitIndex(device);
    const bool inputOk = IsValidIoIndex(input);
    if (!deviceOk) {
        c.Add(kResetDeviceRange, rangeSeverity, u, OutputField(o, json_key::ResetDevice),
              output + "'s reset device is " + std::to_string(device) +
                  ", which is no unit (0 is the Master, 1 to 8 the Slaves); choose the unit whose "
                  "input resets it" +
                  latchNote);
    } else if (latched && !c.InUse(device)) {
        c.Add(kResetDeviceNotInUse, u, OutputField(o, json_key::ResetDevice),
              "latched " + output + " is reset by an input of " + UnitLabel(device) +
                  ", which is not enabled, so nothing resets it; enable " + UnitLabel(device) +
                  " or choose another reset device");
    }
    if (!inputOk) {
        c.Add(kResetInputRange, rangeSeverity, u, OutputField(o, json_key::ResetInput),
              output + "'s reset input is " + std::to_string(std::int64_t{input} + 1) +
                  ", which is no input (1..16); choose one of 1..16" + latchNote);
    }
    if (latched && deviceOk && inputOk &&
        c.Set().InputMap[InputMapOffset(u, device, o, input)] != 0) {
        c.Add(kResetInputDrivesOutput, u, OutputField(o, json_key::ResetInput),
              "latched " + output + " is reset by input " + std::to_string(input + 1) + " of " +
                  TheUnit(device) +
                  ", which also drives it, so the latch cannot hold; choose another reset input");
    }
}

}  // namespace

void CheckOutputs(Checker& c) {
    for (int u = 0; u < kUnitCount; ++u) {
        CheckMap(c, u);
        for (int o = 0; o < kIoCount; ++o)
            CheckReset(c, u, o);
    }
}

}  // namespace valdro::check
