#pragma once
// Status records and names for the bridge tests, built unit by unit.

#include <cstdint>
#include <initializer_list>
#include <vector>

#include "bridge/live_io_model.h"
#include "device/simulated_unit.h"
#include "device/status_record.h"

namespace valdro::test {

struct UnitBits {
    std::size_t unit;
    std::uint16_t inputs;
    std::uint16_t outputs;
};

// Nine-unit mode: the units listed report state (the Master should be among them).
inline StatusRecord AllUnits(std::initializer_list<UnitBits> present) {
    StatusRecord r;
    for (const UnitBits& b : present) {
        r.units[b.unit] = {true, b.outputs, b.inputs};
    }
    return r;
}

// One unit reports itself.
inline StatusRecord SingleUnit(bool present, std::uint16_t inputs, std::uint16_t outputs) {
    StatusRecord r;
    r.mode = 1;
    r.units[0] = {present, outputs, inputs};
    return r;
}

// The simulated unit's live pattern at a poll, as its status reply carries it
// (Slave n present when bit n-1 of slaveMask is set), decoded as the engine does.
inline StatusRecord PatternRecord(std::uint32_t poll, std::uint8_t slaveMask) {
    std::vector<std::uint8_t> bytes(kStatusRecordSize, 0);
    bytes[1] = slaveMask;
    auto put = [&](std::size_t at, std::uint16_t w) {
        bytes[at] = static_cast<std::uint8_t>(w & 0xFF);
        bytes[at + 1] = static_cast<std::uint8_t>(w >> 8);
    };
    for (int u = 0; u < 9; ++u) {
        if (u == 0 || ((slaveMask >> (u - 1)) & 1) != 0) {
            const SimulatedUnit::IoWords w = SimulatedUnit::IoPattern(u, poll);
            put(static_cast<std::size_t>(2 + 2 * u), w.outputs);
            put(static_cast<std::size_t>(20 + 2 * u), w.inputs);
        }
    }
    return DecodeStatusRecord(bytes);
}

inline bridge::UnitNames Names() {
    return {"Hall", "Pump house", "", "Café", "", "", "", "", "Gate"};
}

}  // namespace valdro::test
