#pragma once
// A realistic set of nine units in use, written in the JSON form as an installer
// would edit it: one subnet, distinct names, two Slaves that find the Master by
// URL, outputs driven across units, latches reset from other units.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "config/config_json.h"
#include "support/random_set.h"

namespace valdro::testing {

inline std::string PlantSetJson() {
    using Json = nlohmann::ordered_json;
    Json doc = Json::parse(ExportConfigJson(DefaultSet()));
    const char* names[] = {"Boiler house",  "Pump station 1", "Pump station 2",
                           "Cooling tower", "Conveyor A",     "Conveyor B",
                           "Dryer",         "Packing line",   "Loading bay"};
    for (int u = 0; u < 9; ++u) {
        Json& unit = doc["units"][static_cast<std::size_t>(u)];
        unit["deviceName"] = names[u];
        unit["ipAddress"] = {10, 20, 30, 10 + u};
        unit["gatewayAddress"] = {10, 20, 30, 1};
        unit["subnetMask"] = {255, 255, 255, 0};
        unit["dnsAddress"] = {10, 20, 30, 2};
        unit["clientPort"] = 3012 + u;
        unit["slaveEnabled"] = u == 0 ? 0 : 1;
        if (u == 3 || u == 6) {
            unit["addressMode"] = 1;
            unit["url"] = "boiler-house.plant.example.com";
        }
        unit["invertInputs"][static_cast<std::size_t>(u)] = 1;
        unit["outputStartStatus"][15] = u % 2;
        // Output u+1 follows input u+1 of the next unit and latches; input 16 of the
        // unit after that resets it. Output 9 follows two inputs of the Master.
        Json& latched = unit["outputs"][static_cast<std::size_t>(u)];
        const std::string source = u == 8 ? "Master" : "Slave " + std::to_string(u + 1);
        latched["inputs"] = Json::object({{source, Json::array({u + 1})}});
        latched["latch"] = 1;
        const int resetter = (u + 2) % 9;
        latched["resetUnit"] = resetter == 0 ? "Master" : "Slave " + std::to_string(resetter);
        latched["resetInput"] = 16;
        unit["outputs"][8]["inputs"] = Json::object({{"Master", Json::array({1, 2})}});
    }
    return doc.dump(2);
}

inline ConfigSet PlantSet() {
    ConfigSet set;
    const JsonImportResult r = ImportConfigJson(PlantSetJson(), set);
    EXPECT_TRUE(r.ok && r.warnings.empty()) << (r.errors.empty() ? "" : r.errors.front());
    return set;
}

// The plant with two mistakes: a clashing address (an error), and Slave 7 switched
// off while Slave 6 takes an input from it and Slave 5 a reset input (errors) and
// its own map still drives outputs (a note).
inline ConfigSet BrokenPlantSet() {
    ConfigSet set = PlantSet();
    set.Unit(4).SetIPAddr({10, 20, 30, 12});
    set.Unit(7).SetSlaveEnabled(false);
    return set;
}

}  // namespace valdro::testing
