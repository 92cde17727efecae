#include "device/status_record.h"

namespace valdro {
namespace {
std::uint8_t At(std::span<const std::uint8_t> r, std::size_t i) {
    return i < r.size() ? r[i] : 0;
}
std::uint16_t WordAt(std::span<const std::uint8_t> r, std::size_t i) {
    return static_cast<std::uint16_t>(At(r, i) | (At(r, i + 1) << 8));
}
}  // namespace

StatusRecord DecodeStatusRecord(std::span<const std::uint8_t> record) {
    StatusRecord s;
    s.mode = At(record, 0);
    if (s.singleUnit()) {
        s.units[0] = {At(record, 1) != 0, WordAt(record, 2), WordAt(record, 20)};
        return s;
    }
    // The Master is always present; bit n-1 of the mask is Slave n.
    const unsigned present = static_cast<unsigned>(At(record, 1)) * 2 + 1;
    for (std::size_t u = 0; u < 9; ++u) {
        s.units[u] = {((present >> u) & 1) != 0, WordAt(record, 2 + 2 * u),
                      WordAt(record, 20 + 2 * u)};
    }
    return s;
}

}  // namespace valdro
