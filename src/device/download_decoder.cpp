#include "device/download_decoder.h"

#include <algorithm>

namespace valdro {

void DownloadCapture::Begin() {
    seen_.reset();
}

bool DownloadCapture::Record(const HidReport& report) {
    int half = -1;
    if (report[1] == cmd::BlockFirstHalf) {
        half = 0;
    } else if (report[1] == cmd::BlockSecondHalf) {
        half = 1;
    }
    const int block = report[2];
    if (half < 0 || block >= kDownloadBlockCount) {
        return false;
    }
    halves_[Slot(block, half)] = report;
    seen_.set(Slot(block, half));
    return true;
}

bool DownloadCapture::Has(int block, int half) const {
    return block >= 0 && block < kDownloadBlockCount && (half == 0 || half == 1) &&
           seen_.test(Slot(block, half));
}

const HidReport& DownloadCapture::Half(int block, int half) const {
    return halves_[Slot(std::clamp(block, 0, kDownloadBlockCount - 1), std::clamp(half, 0, 1))];
}

int DownloadCapture::UnitIndex() const {
    if (!Has(0, 0)) {
        return -1;
    }
    const int u = Half(0, 0)[4];
    return u < kUnitCount ? u : -1;
}

bool DownloadCapture::Complete() const {
    const int u = UnitIndex();
    if (u < 0) {
        return false;
    }
    const int blocks = u == 0 ? kDownloadBlockCount : kSlaveDownloadBlockCount;
    for (int b = 0; b < blocks; ++b) {
        if (!Has(b, 0) || !Has(b, 1)) {
            return false;
        }
    }
    return true;
}

namespace {

Octets OctetsAt(const HidReport& r, std::size_t at) {
    return {r[at], r[at + 1], r[at + 2], r[at + 3]};
}

std::int32_t PortAt(const HidReport& r, std::size_t hi) {
    return static_cast<std::int32_t>((r[hi] << 8) | r[hi + 1]);
}

bool Bit(std::uint8_t byte, int k) {
    return ((byte >> k) & 1) != 0;
}

// Layout A: the sixteen flags go entries 8..15 in the first byte, 0..7 in the second.
template <typename Setter>
void FlagsHighFirst(const HidReport& r, std::size_t at, Setter set) {
    for (int k = 0; k < 8; ++k) {
        set(8 + k, Bit(r[at], k));
        set(k, Bit(r[at + 1], k));
    }
}

void ApplyUnitSettings(const HidReport& a, ConfigSet& c, int u) {
    UnitRecord r = c.Unit(u);
    r.SetIPAddr(OctetsAt(a, 5));
    r.SetGateWayAddr(OctetsAt(a, 9));
    r.SetSubMaskAddr(OctetsAt(a, 13));
    r.SetDHCPEnable(Bit(a[17], 0));
    r.SetDeviceParamB(a[18]);
    r.SetClientPort(PortAt(a, 19));
    r.SetDeviceParamA(a[21]);
    FlagsHighFirst(a, 22, [&](int k, bool v) { r.SetInvertInput(k, v); });
    FlagsHighFirst(a, 24, [&](int k, bool v) { r.SetInvertOutput(k, v); });
    FlagsHighFirst(a, 26, [&](int k, bool v) { r.SetOutputStartStatus(k, v); });
}

// Layout A's set-wide bytes for Slave n.
void ApplySlaveEntry(const HidReport& a, ConfigSet& c, int n) {
    UnitRecord r = c.Unit(n);
    r.SetSlaveEnabled(Bit(a[28], n - 1));
    r.SetAddressMode(a[static_cast<std::size_t>(32 + n)]);
}

// Layout B: Slave n's address and port.
void ApplySlaveAddress(const HidReport& b, ConfigSet& c, int n) {
    UnitRecord r = c.Unit(n);
    r.SetIPAddr(OctetsAt(b, static_cast<std::size_t>(4 * n - 1)));
    r.SetClientPort(PortAt(b, static_cast<std::size_t>(2 * n + 33)));
}

void ApplyLatches(const HidReport& cRep, ConfigSet& c, int v) {
    UnitRecord r = c.Unit(v);
    const auto at = static_cast<std::size_t>(3 + 2 * v);
    for (int k = 0; k < 8; ++k) {
        r.SetOutputLatch(k, Bit(cRep[at], k));
        r.SetOutputLatch(8 + k, Bit(cRep[at + 1], k));
    }
}

// Layout D: one byte per output, reset unit in the high nibble, input in the low.
void ApplyResetTable(const HidReport& d, ConfigSet& c, int unit, int i) {
    UnitRecord r = c.Unit(unit);
    for (int j = 0; j < kIoCount; ++j) {
        const std::uint8_t v = d[static_cast<std::size_t>(3 + 16 * i + j)];
        r.SetResetDevice(j, v >> 4);
        r.SetResetInput(j, v & 0x0F);
    }
}

const HidReport& ResetTableHalf(const DownloadCapture& cap, int unit) {
    // Units 0-2 ride in block 1's second half, 3-5 and 6-8 in block 2's halves.
    if (unit < 3) {
        return cap.Half(1, 1);
    }
    return cap.Half(2, unit < 6 ? 0 : 1);
}

std::uint8_t* NameField(ConfigSet& c, int u) {
    return c.Unit(u).Bytes().data() + field::DeviceName;
}

void ApplyMasterOnlyBlocks(const DownloadCapture& cap, ConfigSet& c) {
    // Layout F: Slave names, blocks 4..7; a disabled Slave's name is a lone NUL.
    for (int n = 1; n <= 8; ++n) {
        const HidReport& f = cap.Half(4 + (n - 1) / 2, (n - 1) % 2);
        std::uint8_t* name = NameField(c, n);
        if (f[3] == 0) {
            std::fill_n(name, field::DeviceNameSize, std::uint8_t{0});
        } else {
            std::copy_n(f.begin() + 3, field::DeviceNameSize, name);
        }
    }
    // Layout G: Slave URLs, blocks 8..11, all 48 bytes.
    for (int n = 1; n <= 8; ++n) {
        const HidReport& g = cap.Half(8 + (n - 1) / 2, (n - 1) % 2);
        std::copy_n(g.begin() + 3, field::URLSize, c.Unit(n).Bytes().data() + field::URL);
    }
    // Layout H: input-map slice t = 9q + s in block 12 + t/2, half t%2.
    for (int t = 0; t < kUnitCount * kUnitCount; ++t) {
        const HidReport& h = cap.Half(12 + t / 2, t % 2);
        const int q = t / kUnitCount;
        const int s = t % kUnitCount;
        for (int o = 0; o < kIoCount; ++o) {
            const auto at = static_cast<std::size_t>(3 + 2 * o);
            for (int k = 0; k < 8; ++k) {
                c.SetCell(q, s, o, k, Bit(h[at], k));
                c.SetCell(q, s, o, 8 + k, Bit(h[at + 1], k));
            }
        }
    }
}

}  // namespace

bool ApplyDownload(const DownloadCapture& cap, ConfigSet& stored) {
    if (!cap.Complete()) {
        return false;
    }
    const int u = cap.UnitIndex();
    const HidReport& a = cap.Half(0, 0);
    const HidReport& latches = cap.Half(1, 0);

    ApplyUnitSettings(a, stored, u);
    ApplyLatches(latches, stored, u);
    ApplyResetTable(ResetTableHalf(cap, u), stored, u, u % 3);

    // Layout E: at most 31 characters of unit u's name, always with a NUL.
    std::uint8_t* name = NameField(stored, u);
    std::copy_n(cap.Half(3, 0).begin() + 3, field::DeviceNameSize - 1, name);
    name[field::DeviceNameSize - 1] = 0;

    if (u != 0) {
        // Layout B repeats the Slave's own address and port; layout A already gave them.
        ApplySlaveEntry(a, stored, u);
        return true;
    }

    UnitRecord master = stored.Unit(0);
    master.SetIPAddr(OctetsAt(a, 29));
    master.SetDNSAddress(OctetsAt(a, 41));
    for (int n = 1; n <= 8; ++n) {
        ApplySlaveEntry(a, stored, n);
        ApplySlaveAddress(cap.Half(0, 1), stored, n);
    }
    for (int v = 1; v < kUnitCount; ++v) {
        ApplyLatches(latches, stored, v);
        ApplyResetTable(ResetTableHalf(cap, v), stored, v, v % 3);
    }
    ApplyMasterOnlyBlocks(cap, stored);
    return true;
}

}  // namespace valdro
