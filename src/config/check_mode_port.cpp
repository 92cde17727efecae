// A Slave's address mode and URL, and every unit's port. The Master's address mode
// and URL are neither shown nor sent, so only the Slaves' are checked.

#include "config/check_rules.h"

namespace valdro::check {

void CheckModeAndPort(Checker& c) {
    for (int u = 1; u < kUnitCount; ++u) {
        const ConstUnitRecord r = c.Unit(u);
        const int mode = r.AddressMode();
        if (mode > 1) {
            c.Add(kAddressModeValue, u, json_key::AddressMode,
                  "address mode " + std::to_string(mode) +
                      " is neither IP address (0) nor URL (1); choose one of the two");
        } else if (mode == 1 && r.URL().empty()) {
            c.Add(kUrlEmpty, u, json_key::URL,
                  "URL mode is chosen but the URL is empty, so the Slave cannot find the "
                  "Master; enter the URL or choose IP address mode");
        }
    }
    for (int u = 0; u < kUnitCount; ++u) {
        const std::int32_t port = c.Unit(u).ClientPort();
        if (port >= 1 && port <= 65535)
            continue;
        // The window hides the Master's port, so a bad one there is likely unused;
        // it is still sent, as its low 16 bits.
        const std::string sent = std::to_string(static_cast<std::uint32_t>(port) & 0xFFFF);
        c.Add(kPortRange, u == 0 ? Severity::Warning : Severity::Error, u, json_key::ClientPort,
              "port " + std::to_string(port) + " is outside 1..65535 and reaches the unit as " +
                  sent + "; enter a port number in range");
    }
}

}  // namespace valdro::check
