#pragma once
// The broker address of the MQTT output: mqtt://host[:port]/prefix or mqtts://...
// A user name or password in the address is refused: on a command line `ps` would
// show it; they come from options, a file or the environment instead.

#include <optional>
#include <string>

namespace valdro::bridge {

inline constexpr const char* kDefaultTopicPrefix = "valdrometrica";

struct MqttUrl {
    bool tls = false;
    std::string host;          // without brackets for an IPv6 literal
    int port = 0;              // 1883 for mqtt, 8883 for mqtts when not given
    std::string prefix;        // topic prefix without a leading or trailing '/'
    std::string Text() const;  // mqtt[s]://host:port/prefix, for log lines
};

// nullopt and a reason in *error when text is not a usable address.
std::optional<MqttUrl> ParseMqttUrl(const std::string& text, std::string* error);

}  // namespace valdro::bridge
