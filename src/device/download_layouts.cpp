#include "device/download_layouts.h"

#include <algorithm>
#include <cstring>

namespace valdro::layout {
namespace {

constexpr std::uint8_t kSettingsMarker = 0x55;  // "U"

void Fill(HidReport& tx, std::size_t first, std::size_t last, std::uint8_t v) {
    std::fill(tx.begin() + static_cast<std::ptrdiff_t>(first),
              tx.begin() + static_cast<std::ptrdiff_t>(last) + 1, v);
}

void PutOctets(HidReport& tx, std::size_t at, const Octets& o) {
    std::copy(o.begin(), o.end(), tx.begin() + static_cast<std::ptrdiff_t>(at));
}

int ClampUnit(int u) {
    return std::clamp(u, 0, kUnitCount - 1);
}

// Eight flags of a 16-flag group into one byte, flag `first` in bit 0.
template <typename Get>
std::uint8_t PackFlags(int first, Get get) {
    std::uint8_t b = 0;
    for (int k = 0; k < 8; ++k) {
        if (get(first + k)) {
            b = static_cast<std::uint8_t>(b | (1u << k));
        }
    }
    return b;
}

std::uint8_t PortHigh(std::int32_t port) {
    return static_cast<std::uint8_t>((static_cast<std::uint32_t>(port) >> 8) & 0xFF);
}
std::uint8_t PortLow(std::int32_t port) {
    return static_cast<std::uint8_t>(static_cast<std::uint32_t>(port) & 0xFF);
}

}  // namespace

void Command(HidReport& tx, std::uint8_t code) {
    tx[0] = 0;
    tx[1] = code;
}

void CommandWithBlock(HidReport& tx, std::uint8_t code, std::uint8_t block) {
    Command(tx, code);
    tx[2] = block;
}

void SettingsOfUnit(HidReport& tx, const ConfigSet& c, int u) {
    const ConstUnitRecord unit = c.Unit(u);
    const ConstUnitRecord master = c.Unit(0);
    tx[3] = kSettingsMarker;
    tx[4] = static_cast<std::uint8_t>(u);
    PutOctets(tx, 5, unit.IPAddr());
    PutOctets(tx, 9, unit.GateWayAddr());
    PutOctets(tx, 13, unit.SubMaskAddr());
    tx[17] = unit.DHCPEnable() ? 1 : 0;
    tx[18] = unit.DeviceParamB();
    tx[19] = PortHigh(unit.ClientPort());
    tx[20] = PortLow(unit.ClientPort());
    tx[21] = unit.DeviceParamA();
    // These three groups go high half first, unlike the latches and the input map.
    tx[22] = PackFlags(8, [&](int k) { return unit.InvertInput(k); });
    tx[23] = PackFlags(0, [&](int k) { return unit.InvertInput(k); });
    tx[24] = PackFlags(8, [&](int k) { return unit.InvertOutput(k); });
    tx[25] = PackFlags(0, [&](int k) { return unit.InvertOutput(k); });
    tx[26] = PackFlags(8, [&](int k) { return unit.OutputStartStatus(k); });
    tx[27] = PackFlags(0, [&](int k) { return unit.OutputStartStatus(k); });
    tx[28] = PackFlags(1, [&](int n) { return c.Unit(n).SlaveEnabled(); });
    PutOctets(tx, 29, master.IPAddr());
    for (int n = 1; n <= 8; ++n) {
        tx[static_cast<std::size_t>(32 + n)] = c.Unit(n).AddressMode();
    }
    PutOctets(tx, 41, master.DNSAddress());
}

void SlaveAddresses(HidReport& tx, const ConfigSet& c) {
    Fill(tx, 3, 64, 0xFF);
    for (int n = 1; n <= 8; ++n) {
        const ConstUnitRecord slave = c.Unit(n);
        const auto un = static_cast<std::size_t>(n);
        PutOctets(tx, 4 * un - 1, slave.IPAddr());
        tx[2 * un + 33] = PortHigh(slave.ClientPort());
        tx[2 * un + 34] = PortLow(slave.ClientPort());
    }
}

void OutputLatches(HidReport& tx, const ConfigSet& c) {
    Fill(tx, 3, 63, 0xFF);
    for (int v = 0; v < kUnitCount; ++v) {
        const ConstUnitRecord unit = c.Unit(v);
        const auto uv = static_cast<std::size_t>(v);
        tx[3 + 2 * uv] = PackFlags(0, [&](int k) { return unit.OutputLatch(k); });
        tx[4 + 2 * uv] = PackFlags(8, [&](int k) { return unit.OutputLatch(k); });
    }
}

void ResetTables(HidReport& tx, const ConfigSet& c, int& unitCounter) {
    for (std::size_t i = 0; i < 3; ++i) {
        const ConstUnitRecord unit = c.Unit(unitCounter);
        for (int j = 0; j < kIoCount; ++j) {
            // Each entry by its low byte: high nibble the resetting unit, low the input.
            const auto device = static_cast<std::uint32_t>(unit.ResetDevice(j)) & 0xFF;
            const auto input = static_cast<std::uint32_t>(unit.ResetInput(j)) & 0xFF;
            tx[3 + 16 * i + static_cast<std::size_t>(j)] =
                static_cast<std::uint8_t>((device * 16 + input) & 0xFF);
        }
        ++unitCounter;
    }
}

void NameOfUnit(HidReport& tx, const ConfigSet& c, int u) {
    const auto name = c.Unit(u).Bytes().subspan(field::DeviceName, field::DeviceNameSize);
    std::copy(name.begin(), name.begin() + 31, tx.begin() + 3);
    tx[34] = 0;
    Fill(tx, 35, 64, 0xFF);
}

void NameFiller(HidReport& tx) {
    Fill(tx, 3, 64, 0xFF);
}

void SlaveName(HidReport& tx, const ConfigSet& c, int slave) {
    const ConstUnitRecord unit = c.Unit(ClampUnit(slave));
    if (!unit.SlaveEnabled()) {
        tx[3] = 0;
        return;
    }
    const auto name = unit.Bytes().subspan(field::DeviceName, field::DeviceNameSize);
    std::copy(name.begin(), name.end(), tx.begin() + 3);
}

void SlaveUrl(HidReport& tx, const ConfigSet& c, int slave) {
    const auto url = c.Unit(ClampUnit(slave)).Bytes().subspan(field::URL, field::URLSize);
    std::copy(url.begin(), url.end(), tx.begin() + 3);
}

void InputMapSlice(HidReport& tx, const ConfigSet& c, int q, int s) {
    Fill(tx, 3, 50, 0);
    const int owner = ClampUnit(q);
    const int source = ClampUnit(s);
    for (int o = 0; o < kIoCount; ++o) {
        const auto uo = static_cast<std::size_t>(o);
        tx[3 + 2 * uo] = PackFlags(0, [&](int i) { return c.Cell(owner, source, o, i); });
        tx[4 + 2 * uo] = PackFlags(8, [&](int i) { return c.Cell(owner, source, o, i); });
    }
}

void LastBlockFiller(HidReport& tx) {
    Fill(tx, 3, 50, 0xFF);
}

}  // namespace valdro::layout
