#include "bridge/bind_address.h"

#include <charconv>

namespace valdro::bridge {

std::optional<BindAddress> ParseBindAddress(const std::string& text, std::string* error) {
    auto fail = [&](std::string reason) -> std::optional<BindAddress> {
        if (error != nullptr) {
            *error = std::move(reason);
        }
        return std::nullopt;
    };
    BindAddress a;
    std::string portText = text;
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find("]:");
        if (close == std::string::npos) {
            return fail("expected [HOST]:PORT, not '" + text + "'");
        }
        a.host = text.substr(1, close - 1);
        portText = text.substr(close + 2);
        if (a.host.empty()) {
            return fail("empty host in '" + text + "'");
        }
    } else if (const std::size_t colon = text.rfind(':'); colon != std::string::npos) {
        a.host = text.substr(0, colon);
        portText = text.substr(colon + 1);
        if (a.host.empty() || a.host.find(':') != std::string::npos) {
            return fail("expected [HOST:]PORT (an IPv6 host in brackets), not '" + text + "'");
        }
    }
    const char* end = portText.data() + portText.size();
    const auto [p, ec] = std::from_chars(portText.data(), end, a.port);
    if (portText.empty() || ec != std::errc() || p != end || a.port < 0 || a.port > 65535) {
        return fail("the port must be a number from 0 to 65535, not '" + portText + "'");
    }
    return a;
}

}  // namespace valdro::bridge
