#include "bridge/mqtt_credentials.h"

#include <cerrno>
#include <cstring>
#include <fstream>

namespace valdro::bridge {

std::optional<MqttCredentials> ResolveMqttCredentials(const MqttCredentialSources& sources,
                                                      const EnvironmentLookup& environment,
                                                      std::string* error) {
    auto fail = [&](std::string reason) -> std::optional<MqttCredentials> {
        if (error != nullptr) {
            *error = std::move(reason);
        }
        return std::nullopt;
    };
    auto env = [&](const char* name) -> std::string {
        const char* value = environment ? environment(name) : nullptr;
        return value != nullptr ? value : "";
    };

    MqttCredentials c;
    c.userName = !sources.userName.empty() ? sources.userName : env(kUserNameVariable);
    if (!sources.passwordFile.empty()) {
        std::ifstream in(sources.passwordFile, std::ios::binary);
        if (!in) {
            return fail("cannot read the MQTT password file '" + sources.passwordFile +
                        "': " + std::strerror(errno));
        }
        std::getline(in, c.password);
        if (!c.password.empty() && c.password.back() == '\r') {
            c.password.pop_back();
        }
    } else {
        c.password = env(kPasswordVariable);
    }
    if (!c.password.empty() && c.userName.empty()) {
        return fail(std::string("an MQTT password needs a user name (option or ") +
                    kUserNameVariable + ")");
    }
    return c;
}

}  // namespace valdro::bridge
