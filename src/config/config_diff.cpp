#include "config/config_diff.h"

#include <algorithm>
#include <span>

#include "config/config_summary.h"
#include "config/hex_text.h"
#include "config/text_codec.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

class Differ {
  public:
    Differ(const ConfigSet& a, const ConfigSet& b, int u)
        : a_(a.Unit(u)), b_(b.Unit(u)), unit_(UnitLabel(u)) {}

    std::vector<FieldDifference> Run() {
        Octets("IPAddr", field::IPAddr);
        Octets("GateWayAddr", field::GateWayAddr);
        Octets("SubMaskAddr", field::SubMaskAddr);
        Octets("DNSAddress", field::DNSAddress);
        Text("DeviceName", field::DeviceName, field::DeviceNameSize);
        Byte("DHCPEnable", field::DHCPEnable);
        Byte("DeviceParamA", field::DeviceParamA);
        if (a_.ClientPort() != b_.ClientPort()) {
            Add("ClientPort", std::to_string(a_.ClientPort()), std::to_string(b_.ClientPort()));
        }
        Byte("DeviceParamB", field::DeviceParamB);
        ByteRow("InvertInputs", "input", field::InvertInputs);
        ByteRow("InvertOutputs", "output", field::InvertOutputs);
        ByteRow("OutputStartStatus", "output", field::OutputStartStatus);
        Byte("SlaveEnabled", field::SlaveEnabled);
        Byte("AddressMode", field::AddressMode);
        Text("URL", field::URL, field::URLSize);
        ByteRow("OutputLatch", "output", field::OutputLatch);
        for (int o = 0; o < kIoCount; ++o) {
            const std::string out = " output " + std::to_string(o + 1);
            if (a_.ResetDevice(o) != b_.ResetDevice(o)) {
                Add("ResetDevice" + out, Unit(a_.ResetDevice(o)), Unit(b_.ResetDevice(o)));
            }
            if (a_.ResetInput(o) != b_.ResetInput(o)) {
                Add("ResetInput" + out, Input(a_.ResetInput(o)), Input(b_.ResetInput(o)));
            }
        }
        Raw("reserved bytes 12..15", field::Reserved12, 4);
        Raw("reserved byte 53", field::Reserved53, 1);
        Raw("padding byte 55", field::Padding55, 1);
        Raw("padding byte 175", field::Padding175, 1);
        return std::move(out_);
    }

  private:
    static std::string Unit(std::int32_t v) {
        return IsValidUnitIndex(v) ? UnitLabel(v) : std::to_string(v) + " (not a unit)";
    }
    static std::string Input(std::int32_t v) {
        return IsValidIoIndex(v) ? "input " + std::to_string(v + 1)
                                 : std::to_string(v) + " (not an input)";
    }
    std::span<const std::uint8_t> A(std::size_t offset, std::size_t size) const {
        return std::span<const std::uint8_t>(a_.Bytes().data() + offset, size);
    }
    std::span<const std::uint8_t> B(std::size_t offset, std::size_t size) const {
        return std::span<const std::uint8_t>(b_.Bytes().data() + offset, size);
    }
    bool Same(std::size_t offset, std::size_t size) const {
        const auto a = A(offset, size), b = B(offset, size);
        return std::equal(a.begin(), a.end(), b.begin());
    }
    void Add(const std::string& name, std::string first, std::string second) {
        out_.push_back({unit_ + " " + name, std::move(first), std::move(second)});
    }
    void Octets(const char* name, std::size_t offset) {
        if (Same(offset, 4))
            return;
        const auto a = A(offset, 4), b = B(offset, 4);
        Add(name, FormatOctets({a[0], a[1], a[2], a[3]}), FormatOctets({b[0], b[1], b[2], b[3]}));
    }
    void Byte(const char* name, std::size_t offset) {
        if (Same(offset, 1))
            return;
        Add(name, std::to_string(a_.RawByte(offset)), std::to_string(b_.RawByte(offset)));
    }
    void ByteRow(const char* name, const char* what, std::size_t offset) {
        for (std::size_t k = 0; k < static_cast<std::size_t>(kIoCount); ++k) {
            if (Same(offset + k, 1))
                continue;
            Add(std::string(name) + " " + what + " " + std::to_string(k + 1),
                std::to_string(a_.RawByte(offset + k)), std::to_string(b_.RawByte(offset + k)));
        }
    }
    void Raw(const char* name, std::size_t offset, std::size_t size) {
        if (!Same(offset, size))
            Add(name, HexBytes(A(offset, size)), HexBytes(B(offset, size)));
    }
    void Text(const char* name, std::size_t offset, std::size_t size) {
        if (Same(offset, size))
            return;
        const auto a = A(offset, size), b = B(offset, size);
        const auto aEnd = std::find(a.begin(), a.end(), std::uint8_t{0});
        const auto bEnd = std::find(b.begin(), b.end(), std::uint8_t{0});
        const std::string ta = DecodeText(a), tb = DecodeText(b);
        if (ta != tb) {
            Add(name, QuoteText(ta), QuoteText(tb));
        } else {
            // Same text; only the stale bytes after its NUL differ.
            const auto rest = [](std::span<const std::uint8_t> f, auto end) {
                return f.subspan(static_cast<std::size_t>(end - f.begin()));
            };
            Add(std::string(name) + " bytes after the text", HexBytes(rest(a, aEnd)),
                HexBytes(rest(b, bEnd)));
        }
    }
    static std::string DecodeText(std::span<const std::uint8_t> f) { return DecodeField(f); }

    ConstUnitRecord a_, b_;
    std::string unit_;
    std::vector<FieldDifference> out_;
};

}  // namespace

std::vector<FieldDifference> DiffConfigs(const ConfigSet& first, const ConfigSet& second) {
    std::vector<FieldDifference> all;
    for (int u = 0; u < kUnitCount; ++u) {
        auto part = Differ(first, second, u).Run();
        all.insert(all.end(), part.begin(), part.end());
    }
    for (int u = 0; u < kUnitCount; ++u) {
        for (int o = 0; o < kIoCount; ++o) {
            for (int s = 0; s < kUnitCount; ++s) {
                for (int i = 0; i < kIoCount; ++i) {
                    const std::size_t at = InputMapOffset(u, s, o, i);
                    if (first.InputMap[at] == second.InputMap[at])
                        continue;
                    all.push_back({UnitLabel(u) + " output " + std::to_string(o + 1) + " <- " +
                                       UnitLabel(s) + " input " + std::to_string(i + 1),
                                   std::to_string(first.InputMap[at]),
                                   std::to_string(second.InputMap[at])});
                }
            }
        }
    }
    return all;
}

std::string FormatDifferences(const std::vector<FieldDifference>& diffs) {
    std::string out;
    for (const FieldDifference& d : diffs)
        out += d.where + ": " + d.first + " -> " + d.second + "\n";
    return out;
}

}  // namespace valdro
