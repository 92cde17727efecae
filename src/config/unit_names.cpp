#include "config/unit_names.h"

#include "config/unit_layout.h"

namespace valdro {

std::string UnitLabel(int u) {
    if (u == 0)
        return "Master";
    if (u > 0 && u < kUnitCount)
        return "Slave " + std::to_string(u);
    return "unit " + std::to_string(u);
}

std::optional<int> UnitIndexFromLabel(std::string_view label) {
    for (int u = 0; u < kUnitCount; ++u) {
        if (label == UnitLabel(u))
            return u;
    }
    return std::nullopt;
}

}  // namespace valdro
