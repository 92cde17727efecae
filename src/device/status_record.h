#pragma once
// The unit's status record (status reply from byte 2 on), decoded once so that
// the grids and the command-line tool draw from the same form.

#include <array>
#include <cstdint>
#include <span>

namespace valdro {

inline constexpr std::size_t kStatusRecordSize = 63;  // reply bytes 2..64

struct UnitIoState {
    bool present = false;
    std::uint16_t outputs = 0;  // bit k = output k+1
    std::uint16_t inputs = 0;   // bit k = input k+1
};

struct StatusRecord {
    std::uint8_t mode = 0;  // byte 0: 0 = all nine units, non-zero = one unit reports itself
    bool singleUnit() const { return mode != 0; }
    int rowCount() const { return singleUnit() ? 1 : 9; }  // unit rows, without the header
    // Row r (0-based) = unit r in all-units mode; row 0 = the reporting unit otherwise.
    std::array<UnitIoState, 9> units{};
};

// record = reply bytes 2.. (at least 40 bytes are read; shorter spans read as 0).
StatusRecord DecodeStatusRecord(std::span<const std::uint8_t> record);

}  // namespace valdro
