#pragma once
// One unit of a status record as JSON: the object that `status --json` lists per
// unit and the bridge publishes on a unit's state topic, so both read alike.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <string>

#include "device/status_record.h"

namespace valdro {

// {"index", "name", "present", "outputs": [16 x 0/1], "inputs": [16 x 0/1]};
// output and input 1 come first in their arrays. name is UTF-8.
nlohmann::ordered_json UnitStatusJson(std::size_t index, const std::string& name,
                                      const UnitIoState& unit);

// One line of JSON. Names come from the unit: a stray byte is replaced, never fatal.
std::string DumpJsonLine(const nlohmann::ordered_json& j);

}  // namespace valdro
