// Addresses: each unit's own IP, subnet mask and gateway, the Master's DNS, the
// units against each other, and DHCP. A Slave's DNS address is never sent to any
// unit, so only the Master's is checked.

#include <bit>

#include "config/check_rules.h"
#include "config/unit_names.h"

namespace valdro::check {
namespace {

struct Net {
    std::uint32_t ip, gateway, mask, dns;
};

Net NetOf(const Checker& c, int u) {
    const ConstUnitRecord r = c.Unit(u);
    return {Ip(r.IPAddr()), Ip(r.GateWayAddr()), Ip(r.SubMaskAddr()), Ip(r.DNSAddress())};
}

std::string Subnet(std::uint32_t ip, std::uint32_t mask) {
    return IpText(ip & mask) + "/" + std::to_string(std::popcount(mask));
}

// Why an address can be no unit's, or nothing.
const char* ReservedKind(std::uint32_t ip) {
    const std::uint32_t first = ip >> 24;
    if (ip == 0xFFFFFFFF)
        return "the limited broadcast address";
    if (first == 0)
        return "not a host address";
    if (first == 127)
        return "a loopback address";
    if (first >= 224 && first <= 239)
        return "a multicast address";
    if (first >= 240)
        return "a reserved address";
    return nullptr;
}

void CheckOwnAddress(Checker& c, int u) {
    const Net n = NetOf(c, u);
    const std::string ip = IpText(n.ip);
    if (const char* kind = ReservedKind(n.ip)) {
        c.Add(
            kIpReserved, u, json_key::IPAddr,
            "IP address " + ip + " is " + kind + "; give the unit an address on the plant network");
    }
    const bool maskOk = ValidMask(n.mask);
    if (!maskOk) {
        c.Add(kMaskInvalid, u, json_key::SubMaskAddr,
              "subnet mask " + IpText(n.mask) +
                  " is not a valid mask (ones, then zeros; not 0.0.0.0 or 255.255.255.255); "
                  "use one such as 255.255.255.0");
    }
    // A /31 or /32 has no network or broadcast address to avoid.
    if (maskOk && ~n.mask >= 3 && ReservedKind(n.ip) == nullptr) {
        const std::uint32_t network = n.ip & n.mask, broadcast = n.ip | ~n.mask;
        const std::string hosts = IpText(network + 1) + " to " + IpText(broadcast - 1);
        if (n.ip == network) {
            c.Add(kIpNetworkAddress, u, json_key::IPAddr,
                  "IP address " + ip + " is the network address of subnet " + Subnet(n.ip, n.mask) +
                      "; use one of " + hosts);
        } else if (n.ip == broadcast) {
            c.Add(kIpBroadcastAddress, u, json_key::IPAddr,
                  "IP address " + ip + " is the broadcast address of subnet " +
                      Subnet(n.ip, n.mask) + "; use one of " + hosts);
        }
    }
    if (n.gateway == 0)
        return;  // no gateway: the unit talks within its subnet only
    if (n.gateway == n.ip) {
        c.Add(kIpIsGateway, u, json_key::GateWayAddr,
              "gateway address " + ip +
                  " is the unit's own IP address; enter the router's address, or 0.0.0.0 for none");
    } else if (maskOk && ReservedKind(n.ip) == nullptr && (n.gateway & n.mask) != (n.ip & n.mask)) {
        c.Add(kGatewayOutsideSubnet, u, json_key::GateWayAddr,
              "gateway " + IpText(n.gateway) + " is outside the unit's subnet " +
                  Subnet(n.ip, n.mask) +
                  ", so the unit cannot reach it; enter a router in that subnet, or 0.0.0.0 for "
                  "none");
    }
}

void CheckAgainstOthers(Checker& c, int u) {
    const Net n = NetOf(c, u);
    for (int v = 0; v < u; ++v) {
        if (c.InUse(v) && c.Static(v) && NetOf(c, v).ip == n.ip) {
            c.Add(kIpDuplicate, u, json_key::IPAddr,
                  "IP address " + IpText(n.ip) + " is also " + TheUnit(v) +
                      "'s; give each unit an address of its own");
            break;
        }
    }
    if (u == 0 || !c.Static(0))
        return;
    const Net m = NetOf(c, 0);
    if (!ValidMask(n.mask) || !ValidMask(m.mask) || ReservedKind(n.ip) != nullptr ||
        ReservedKind(m.ip) != nullptr) {
        return;  // reported on its own
    }
    if ((n.ip & m.mask) != (m.ip & m.mask) || (m.ip & n.mask) != (n.ip & n.mask)) {
        c.Add(kSubnetDiffersFromMaster, u, json_key::IPAddr,
              "IP address " + IpText(n.ip) + " in " + Subnet(n.ip, n.mask) + " and the Master's " +
                  IpText(m.ip) + " in " + Subnet(m.ip, m.mask) +
                  " are not on each other's subnet; put the Slave on the Master's subnet");
    }
}

void CheckMasterDns(Checker& c) {
    const Net m = NetOf(c, 0);
    if (m.dns != 0 && m.dns == m.ip) {
        c.Add(kIpIsDns, 0, json_key::DNSAddress,
              "DNS address " + IpText(m.dns) +
                  " is the Master's own IP address; enter the name server's address");
    }
    if (m.dns != 0)
        return;
    std::string byUrl;
    int count = 0;
    for (int u = 1; u < kUnitCount; ++u) {
        const ConstUnitRecord r = c.Unit(u);
        if (c.InUse(u) && r.AddressMode() == 1 && !r.URL().empty()) {
            byUrl += (count++ == 0 ? "" : ", ") + UnitLabel(u);
        }
    }
    if (count != 0) {
        c.Add(kUrlWithoutDns, 0, json_key::DNSAddress,
              "DNS address is 0.0.0.0, but " + byUrl + (count == 1 ? " finds" : " find") +
                  " the Master by URL; enter the name server's address");
    }
}

void CheckDhcp(Checker& c) {
    if (!c.Static(0)) {
        if (Ip(c.Unit(0).IPAddr()) != 0) {
            c.Add(kDhcpStaticIgnored, 0, json_key::DHCPEnable,
                  "DHCP is on, so the static IP address " + IpText(Ip(c.Unit(0).IPAddr())) +
                      ", gateway and subnet mask are not used; turn DHCP off to use them");
        }
        for (int u = 1; u < kUnitCount; ++u) {
            if (c.InUse(u) && c.Unit(u).AddressMode() == 0) {
                c.Add(kMasterDhcpSlaveByIp, u, json_key::AddressMode,
                      "finds the Master by IP address " + IpText(Ip(c.Unit(0).IPAddr())) +
                          ", but the Master takes its address by DHCP; use URL mode or give "
                          "the Master a static address");
            }
        }
    }
    for (int u = 1; u < kUnitCount; ++u) {
        if (!c.Static(u)) {
            c.Add(kDhcpOnSlave, u, json_key::DHCPEnable,
                  "DHCP is on, which the window never sets for a Slave; the Master calls this "
                  "Slave at " +
                      IpText(Ip(c.Unit(u).IPAddr())) + ", so set dhcpEnable to 0");
        }
    }
}

}  // namespace

void CheckAddressing(Checker& c) {
    for (int u = 0; u < kUnitCount; ++u) {
        if (!c.Static(u))
            continue;
        CheckOwnAddress(c, u);
        if (c.InUse(u))
            CheckAgainstOthers(c, u);
    }
    if (c.Static(0))
        CheckMasterDns(c);
    CheckDhcp(c);
}

}  // namespace valdro::check
