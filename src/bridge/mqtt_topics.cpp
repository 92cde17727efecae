#include "bridge/mqtt_topics.h"

#include <nlohmann/json.hpp>
#include <stdexcept>

#include "device/status_json.h"

namespace valdro::bridge {
namespace {

// Discovery ids allow [A-Za-z0-9_-] only; a prefix like "plant/io" becomes "plant_io".
std::string IdText(const std::string& text) {
    std::string id = text;
    for (char& c : id) {
        const bool ok = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                        (c >= '0' && c <= '9') || c == '_' || c == '-';
        if (!ok) {
            c = '_';
        }
    }
    return id;
}

void AddBits(std::vector<MqttMessage>& out, const std::string& prefix, std::size_t unit,
             const char* kind, std::uint16_t which, std::uint16_t word) {
    for (int k = 0; k < 16; ++k) {
        if (((which >> k) & 1) != 0) {
            out.push_back({UnitTopic(prefix, unit, std::string(kind) + "/" + std::to_string(k + 1)),
                           ((word >> k) & 1) != 0 ? "1" : "0"});
        }
    }
}

}  // namespace

std::string UnitSegment(std::size_t unit) {
    if (unit >= kUnitCount) {
        throw std::out_of_range("unit index " + std::to_string(unit));
    }
    return unit == 0 ? "master" : "slave" + std::to_string(unit);
}

std::string UnitTitle(std::size_t unit) {
    if (unit >= kUnitCount) {
        throw std::out_of_range("unit index " + std::to_string(unit));
    }
    return unit == 0 ? "Master" : "Slave " + std::to_string(unit);
}

std::string StatusTopic(const std::string& prefix) {
    return prefix + "/status";
}

std::string UnitTopic(const std::string& prefix, std::size_t unit, const std::string& leaf) {
    return prefix + "/" + UnitSegment(unit) + "/" + leaf;
}

std::string StatePayload(const LiveIoModel& model, std::size_t unit) {
    const UnitSnapshot& u = model.Unit(unit);
    if (!u.live) {
        return kOffline;
    }
    return DumpJsonLine(UnitStatusJson(unit, u.name, UnitIoState{true, u.outputs, u.inputs}));
}

std::vector<MqttMessage> ChangeMessages(const std::string& prefix, const LiveIoModel& model,
                                        const LiveIoDelta& delta) {
    std::vector<MqttMessage> out;
    for (std::size_t u = 0; u < kUnitCount; ++u) {
        const UnitDelta& d = delta.units[u];
        const UnitSnapshot& unit = model.Unit(u);
        if (d.nameChanged) {
            out.push_back({UnitTopic(prefix, u, "name"), unit.name});
        }
        AddBits(out, prefix, u, "input", d.inputs, unit.inputs);
        AddBits(out, prefix, u, "output", d.outputs, unit.outputs);
        if (d.stateChanged) {
            out.push_back({UnitTopic(prefix, u, "state"), StatePayload(model, u)});
        }
    }
    return out;
}

std::vector<MqttMessage> DiscoveryMessages(const std::string& discoveryPrefix,
                                           const std::string& prefix, const LiveIoModel& model,
                                           std::size_t unit) {
    const UnitSnapshot& u = model.Unit(unit);
    const std::string node = IdText(prefix);
    const std::string segment = UnitSegment(unit);
    const nlohmann::ordered_json device = {
        {"identifiers", {node + "_" + segment}},
        {"name", u.name.empty() ? UnitTitle(unit) : u.name},
        {"manufacturer", "ORVELIX"},
        {"model", "Digital I/O unit"},
    };
    const nlohmann::ordered_json availability = {
        {{"topic", StatusTopic(prefix)}},
        {{"topic", UnitTopic(prefix, unit, "state")},
         {"value_template", "{{ 'offline' if value == 'offline' else 'online' }}"}},
    };
    std::vector<MqttMessage> out;
    for (const char* kind : {"input", "output"}) {
        for (int n = 1; n <= 16; ++n) {
            const std::string object = segment + "_" + kind + "_" + std::to_string(n);
            std::string title = kind;
            title[0] = static_cast<char>(title[0] - 'a' + 'A');
            const nlohmann::ordered_json config = {
                {"name", title + " " + std::to_string(n)},
                {"unique_id", node + "_" + object},
                {"state_topic",
                 UnitTopic(prefix, unit, std::string(kind) + "/" + std::to_string(n))},
                {"payload_on", "1"},
                {"payload_off", "0"},
                {"availability", availability},
                {"availability_mode", "all"},
                {"device", device},
            };
            out.push_back({discoveryPrefix + "/binary_sensor/" + node + "/" + object + "/config",
                           DumpJsonLine(config)});
        }
    }
    return out;
}

}  // namespace valdro::bridge
