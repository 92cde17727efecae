#pragma once
// [HOST:]PORT for a listening socket: "502", "127.0.0.1:1502", "[::1]:1502".
// Port 0 asks the system for a free port (tests read the one chosen).

#include <optional>
#include <string>

namespace valdro::bridge {

struct BindAddress {
    std::string host;  // empty = every interface; an IPv6 literal without brackets
    int port = 0;      // 0..65535
};

// nullopt and a reason in *error when text is not [HOST:]PORT.
std::optional<BindAddress> ParseBindAddress(const std::string& text, std::string* error);

}  // namespace valdro::bridge
