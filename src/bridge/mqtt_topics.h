#pragma once
// The MQTT topics and payloads of the bridge, apart from any connection:
//   <prefix>/<unit>/input/<n>, <prefix>/<unit>/output/<n>   "1" / "0"
//   <prefix>/<unit>/name                                     the unit's name
//   <prefix>/<unit>/state   the unit's `status --json` object, or "offline"
//   <prefix>/status         "online" / "offline" (also the last will)
// with <unit> = master, slave1 .. slave8 and n = 1..16; all retained. Optional
// discovery messages describe each input and output as a binary sensor.

#include <cstddef>
#include <string>
#include <vector>

#include "bridge/live_io_model.h"

namespace valdro::bridge {

inline constexpr const char* kOnline = "online";
inline constexpr const char* kOffline = "offline";
inline constexpr const char* kDefaultDiscoveryPrefix = "homeassistant";

struct MqttMessage {
    std::string topic;
    std::string payload;
    bool operator==(const MqttMessage&) const = default;
};

// "master", "slave1" .. "slave8"; std::out_of_range beyond unit 8.
std::string UnitSegment(std::size_t unit);
// "Master", "Slave 1" .. "Slave 8": a unit's title while it has no name of its own.
std::string UnitTitle(std::size_t unit);

std::string StatusTopic(const std::string& prefix);
std::string UnitTopic(const std::string& prefix, std::size_t unit, const std::string& leaf);

// The state payload of a unit as it stands in the model.
std::string StatePayload(const LiveIoModel& model, std::size_t unit);

// What a feed changed, in publishing order: per unit its name, inputs, outputs and state.
std::vector<MqttMessage> ChangeMessages(const std::string& prefix, const LiveIoModel& model,
                                        const LiveIoDelta& delta);

// One binary sensor per input and output of a unit, named after the unit, available
// while both <prefix>/status is online and the unit's state is not offline.
std::vector<MqttMessage> DiscoveryMessages(const std::string& discoveryPrefix,
                                           const std::string& prefix, const LiveIoModel& model,
                                           std::size_t unit);

}  // namespace valdro::bridge
