#include "device/status_json.h"

namespace valdro {
namespace {

nlohmann::ordered_json Bits(std::uint16_t word) {
    nlohmann::ordered_json bits = nlohmann::ordered_json::array();
    for (int k = 0; k < 16; ++k) {
        bits.push_back((word >> k) & 1);
    }
    return bits;
}

}  // namespace

nlohmann::ordered_json UnitStatusJson(std::size_t index, const std::string& name,
                                      const UnitIoState& unit) {
    return {{"index", index},
            {"name", name},
            {"present", unit.present},
            {"outputs", Bits(unit.outputs)},
            {"inputs", Bits(unit.inputs)}};
}

std::string DumpJsonLine(const nlohmann::ordered_json& j) {
    return j.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

}  // namespace valdro
