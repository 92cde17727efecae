#pragma once
// What the bridge knows of the set's live I/O: fed one status record and the nine
// unit names at a time, it keeps each unit's last known inputs and outputs, which
// units report state now, and what changed since the previous feed, so outputs
// publish on change only.

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "device/status_record.h"

namespace valdro::bridge {

inline constexpr std::size_t kUnitCount = 9;  // Master, Slave 1 .. Slave 8
using UnitNames = std::array<std::string, kUnitCount>;

struct UnitSnapshot {
    bool live = false;          // the latest record carries this unit's state
    bool known = false;         // it has reported state at least once; the words are valid
    std::uint16_t inputs = 0;   // bit k = input k+1, last known
    std::uint16_t outputs = 0;  // bit k = output k+1, last known
    std::string name;           // UTF-8, as the caller decoded it
};

struct UnitDelta {
    bool liveChanged = false;
    std::uint16_t inputs = 0;  // bits whose topic must be (re)published; all on first known
    std::uint16_t outputs = 0;
    bool nameChanged = false;
    bool becameKnown = false;
    bool stateChanged = false;  // the unit's whole-state view differs (or was never given)
    bool Any() const { return liveChanged || inputs || outputs || nameChanged || stateChanged; }
};

struct LiveIoDelta {
    std::array<UnitDelta, kUnitCount> units{};
    bool Any() const;
};

class LiveIoModel {
  public:
    // One status record. In nine-unit mode row u is unit u; when one unit reports
    // itself it is the attached unit, the Master, and the Slaves report nothing.
    LiveIoDelta Feed(const StatusRecord& record, const UnitNames& names);
    // The unit is gone: no unit reports state; the last known values stay.
    LiveIoDelta LoseAll();

    // unit 0..8; anything else throws std::out_of_range.
    const UnitSnapshot& Unit(std::size_t unit) const { return units_.at(unit); }
    // Bit u set = unit u reports state now.
    std::uint16_t LiveMask() const;
    // Status records fed so far.
    std::uint64_t Feeds() const { return feeds_; }

  private:
    LiveIoDelta Apply(const std::array<UnitIoState, kUnitCount>& now, const UnitNames* names);

    std::array<UnitSnapshot, kUnitCount> units_{};
    bool stateGiven_ = false;  // every unit's state view has gone out once
    std::uint64_t feeds_ = 0;
};

}  // namespace valdro::bridge
