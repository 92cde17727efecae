#include "bridge/live_io_model.h"

namespace valdro::bridge {

bool LiveIoDelta::Any() const {
    for (const UnitDelta& d : units) {
        if (d.Any()) {
            return true;
        }
    }
    return false;
}

std::uint16_t LiveIoModel::LiveMask() const {
    std::uint16_t mask = 0;
    for (std::size_t u = 0; u < kUnitCount; ++u) {
        if (units_[u].live) {
            mask = static_cast<std::uint16_t>(mask | (1u << u));
        }
    }
    return mask;
}

LiveIoDelta LiveIoModel::Feed(const StatusRecord& record, const UnitNames& names) {
    ++feeds_;
    std::array<UnitIoState, kUnitCount> now{};
    if (record.singleUnit()) {
        now[0] = record.units[0];
    } else {
        now = record.units;
    }
    return Apply(now, &names);
}

LiveIoDelta LiveIoModel::LoseAll() {
    return Apply({}, nullptr);
}

LiveIoDelta LiveIoModel::Apply(const std::array<UnitIoState, kUnitCount>& now,
                               const UnitNames* names) {
    LiveIoDelta delta;
    for (std::size_t u = 0; u < kUnitCount; ++u) {
        UnitSnapshot& unit = units_[u];
        UnitDelta& d = delta.units[u];
        const UnitIoState& state = now[u];
        if (names != nullptr && (*names)[u] != unit.name) {
            unit.name = (*names)[u];
            d.nameChanged = true;
        }
        d.liveChanged = state.present != unit.live;
        unit.live = state.present;
        if (state.present) {
            d.becameKnown = !unit.known;
            d.inputs =
                d.becameKnown ? 0xFFFF : static_cast<std::uint16_t>(unit.inputs ^ state.inputs);
            d.outputs =
                d.becameKnown ? 0xFFFF : static_cast<std::uint16_t>(unit.outputs ^ state.outputs);
            unit.known = true;
            unit.inputs = state.inputs;
            unit.outputs = state.outputs;
        }
        // The state view carries the name only while the unit is live ("offline" otherwise).
        d.stateChanged = !stateGiven_ || d.liveChanged ||
                         (unit.live && (d.inputs != 0 || d.outputs != 0 || d.nameChanged));
    }
    stateGiven_ = true;
    return delta;
}

}  // namespace valdro::bridge
