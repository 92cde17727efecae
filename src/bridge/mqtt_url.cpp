#include "bridge/mqtt_url.h"

#include <charconv>

namespace valdro::bridge {
namespace {

std::optional<MqttUrl> Fail(std::string* error, std::string reason) {
    if (error != nullptr) {
        *error = std::move(reason);
    }
    return std::nullopt;
}

bool ParsePort(const std::string& text, int& port) {
    const char* end = text.data() + text.size();
    const auto [p, ec] = std::from_chars(text.data(), end, port);
    return !text.empty() && ec == std::errc() && p == end && port >= 1 && port <= 65535;
}

// Topic levels may hold any UTF-8 but the wildcards, and none may be empty.
bool UsablePrefix(const std::string& prefix) {
    if (prefix.empty() || prefix.front() == '/' || prefix.back() == '/' ||
        prefix.find("//") != std::string::npos) {
        return false;
    }
    for (const char c : prefix) {
        if (c == '+' || c == '#' || c == '\0') {
            return false;
        }
    }
    return true;
}

}  // namespace

std::string MqttUrl::Text() const {
    const bool v6 = host.find(':') != std::string::npos;
    return std::string(tls ? "mqtts://" : "mqtt://") + (v6 ? "[" + host + "]" : host) + ":" +
           std::to_string(port) + "/" + prefix;
}

std::optional<MqttUrl> ParseMqttUrl(const std::string& text, std::string* error) {
    MqttUrl url;
    std::string rest;
    if (text.rfind("mqtt://", 0) == 0) {
        rest = text.substr(7);
    } else if (text.rfind("mqtts://", 0) == 0) {
        url.tls = true;
        rest = text.substr(8);
    } else {
        return Fail(error, "the MQTT address must start with mqtt:// or mqtts://");
    }
    const std::size_t slash = rest.find('/');
    const std::string authority = rest.substr(0, slash);
    std::string path = slash == std::string::npos ? "" : rest.substr(slash + 1);
    if (authority.find('@') != std::string::npos) {
        return Fail(error,
                    "no user name or password in the MQTT address: give the user name as an "
                    "option or in the environment and the password in a file or the environment");
    }

    std::string portText;
    if (!authority.empty() && authority.front() == '[') {
        const std::size_t close = authority.find(']');
        if (close == std::string::npos) {
            return Fail(error, "unclosed '[' in the MQTT address");
        }
        url.host = authority.substr(1, close - 1);
        const std::string after = authority.substr(close + 1);
        if (!after.empty()) {
            if (after.front() != ':') {
                return Fail(error, "unexpected text after ']' in the MQTT address");
            }
            portText = after.substr(1);
            if (portText.empty()) {
                return Fail(error, "empty port in the MQTT address");
            }
        }
    } else {
        const std::size_t colon = authority.find(':');
        url.host = authority.substr(0, colon);
        if (colon != std::string::npos) {
            portText = authority.substr(colon + 1);
            if (portText.empty()) {
                return Fail(error, "empty port in the MQTT address");
            }
        }
    }
    if (url.host.empty()) {
        return Fail(error, "the MQTT address has no host");
    }
    url.port = url.tls ? 8883 : 1883;
    if (!portText.empty() && !ParsePort(portText, url.port)) {
        return Fail(error,
                    "the MQTT port must be a number from 1 to 65535, not '" + portText + "'");
    }

    while (!path.empty() && path.back() == '/') {
        path.pop_back();
    }
    if (path.find_first_of("?") != std::string::npos) {
        return Fail(error, "the MQTT address takes no query ('?')");
    }
    url.prefix = path.empty() ? kDefaultTopicPrefix : path;
    if (!UsablePrefix(url.prefix)) {
        return Fail(error, "the topic prefix '" + url.prefix +
                               "' must not hold '+', '#' or an empty level");
    }
    return url;
}

}  // namespace valdro::bridge
