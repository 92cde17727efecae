#pragma once
// The fixed names of the nine positions in a set, as the unit selector shows them:
// "Master", "Slave 1" .. "Slave 8". They name a UnitIndex, not the user's DeviceName.

#include <optional>
#include <string>
#include <string_view>

namespace valdro {

// "Master" for 0, "Slave N" for 1..8; "unit N" for anything else.
std::string UnitLabel(int u);

// The UnitIndex of an exact label, or nothing.
std::optional<int> UnitIndexFromLabel(std::string_view label);

}  // namespace valdro
