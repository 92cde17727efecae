#pragma once
// The broker login of the MQTT output. The password never comes from the command
// line (where `ps` shows it): it is read from a file or the environment.

#include <functional>
#include <optional>
#include <string>

namespace valdro::bridge {

inline constexpr const char* kUserNameVariable = "VALDROMETRICA_MQTT_USERNAME";
inline constexpr const char* kPasswordVariable = "VALDROMETRICA_MQTT_PASSWORD";

struct MqttCredentialSources {
    std::string userName;      // from an option; empty = take the environment's
    std::string passwordFile;  // from an option; empty = take the environment's
};

struct MqttCredentials {
    std::string userName;  // empty = log in anonymously
    std::string password;  // empty = no password
};

// Looks a variable up; nullptr when it is not set (std::getenv by default).
using EnvironmentLookup = std::function<const char*(const char*)>;

// The option wins over the environment. The password file's first line is the
// password (its line end dropped). nullopt and a reason in *error when the file
// cannot be read or a password comes without a user name.
std::optional<MqttCredentials> ResolveMqttCredentials(const MqttCredentialSources& sources,
                                                      const EnvironmentLookup& environment,
                                                      std::string* error);

}  // namespace valdro::bridge
