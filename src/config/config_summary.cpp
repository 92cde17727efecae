#include "config/config_summary.h"

#include <sstream>
#include "config/hex_text.h"

#include "config/unit_names.h"

namespace valdro {
namespace {

std::vector<int> OnNumbers(const ConstUnitRecord& r, std::size_t offset) {
    std::vector<int> on;
    for (int k = 0; k < kIoCount; ++k) {
        if (r.RawByte(offset + static_cast<std::size_t>(k)) != 0)
            on.push_back(k + 1);
    }
    return on;
}

std::string ListOrNone(const std::vector<int>& numbers) {
    return numbers.empty() ? "none" : FormatNumberList(numbers);
}

std::string AddressModeText(std::uint8_t mode) {
    if (mode == 0)
        return "IP address";
    if (mode == 1)
        return "URL";
    return std::to_string(mode) + " (neither IP address nor URL)";
}

}  // namespace

std::string FormatNumberList(const std::vector<int>& numbers) {
    std::string out;
    std::size_t i = 0;
    while (i < numbers.size()) {
        std::size_t j = i;
        while (j + 1 < numbers.size() && numbers[j + 1] == numbers[j] + 1)
            ++j;
        if (!out.empty())
            out += ", ";
        if (j - i >= 2) {
            out += std::to_string(numbers[i]) + "-" + std::to_string(numbers[j]);
            i = j + 1;
        } else {
            out += std::to_string(numbers[i]);
            ++i;
        }
    }
    return out;
}

std::string FormatOctets(const Octets& o) {
    return std::to_string(o[0]) + "." + std::to_string(o[1]) + "." + std::to_string(o[2]) + "." +
           std::to_string(o[3]);
}

std::string QuoteText(const std::string& utf8) {
    std::string out = "\"";
    for (std::size_t i = 0; i < utf8.size(); ++i) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        // C1 controls arrive as the two bytes C2 80..C2 9F.
        const bool c1 = c == 0xC2 && i + 1 < utf8.size() &&
                        static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
                        static_cast<unsigned char>(utf8[i + 1]) <= 0x9F;
        const unsigned code = c1 ? static_cast<unsigned char>(utf8[i + 1]) : c;
        if (c < 0x20 || c == 0x7F || c1) {
            out += "\\x";
            AppendHexByte(out, static_cast<std::uint8_t>(code));
            if (c1)
                ++i;
        } else if (c == '"' || c == '\\') {
            out.push_back('\\');
            out.push_back(static_cast<char>(c));
        } else {
            out.push_back(static_cast<char>(c));
        }
    }
    return out + "\"";
}

std::string DescribeResetSource(std::int32_t resetDevice, std::int32_t resetInput) {
    std::string unit = IsValidUnitIndex(resetDevice)
                           ? UnitLabel(resetDevice)
                           : "unit number " + std::to_string(resetDevice) + " (not a unit)";
    std::string input =
        IsValidIoIndex(resetInput)
            ? std::to_string(resetInput + 1)
            : std::to_string(static_cast<std::int64_t>(resetInput) + 1) + " (not an input)";
    return unit + " in " + input;
}

std::string DescribeOutputSources(const ConfigSet& set, int u, int o) {
    std::string out;
    for (int s = 0; s < kUnitCount; ++s) {
        std::vector<int> inputs;
        for (int i = 0; i < kIoCount; ++i) {
            if (set.Cell(u, s, o, i))
                inputs.push_back(i + 1);
        }
        if (inputs.empty())
            continue;
        if (!out.empty())
            out += "; ";
        out += UnitLabel(s) + " in " + FormatNumberList(inputs);
    }
    return out.empty() ? "none" : out;
}

std::string SummarizeUnit(const ConfigSet& set, int u) {
    const ConstUnitRecord r = set.Unit(u);
    std::ostringstream s;
    s << UnitLabel(u) << ": " << QuoteText(r.DeviceName()) << '\n';
    s << "  IP address   " << FormatOctets(r.IPAddr()) << '\n';
    s << "  Gateway      " << FormatOctets(r.GateWayAddr()) << '\n';
    s << "  Subnet mask  " << FormatOctets(r.SubMaskAddr()) << '\n';
    s << "  DNS address  " << FormatOctets(r.DNSAddress()) << '\n';
    s << "  Port         " << r.ClientPort() << '\n';
    s << "  DHCP         " << (r.DHCPEnable() ? "on" : "off") << '\n';
    s << "  Address mode " << AddressModeText(r.AddressMode()) << '\n';
    s << "  URL          " << QuoteText(r.URL()) << '\n';
    if (u != 0)
        s << "  Enabled      " << (r.SlaveEnabled() ? "yes" : "no") << '\n';
    s << "  Inverted inputs       " << ListOrNone(OnNumbers(r, field::InvertInputs)) << '\n';
    s << "  Inverted outputs      " << ListOrNone(OnNumbers(r, field::InvertOutputs)) << '\n';
    s << "  Outputs on at start   " << ListOrNone(OnNumbers(r, field::OutputStartStatus)) << '\n';
    s << "  Latched outputs       " << ListOrNone(OnNumbers(r, field::OutputLatch)) << '\n';
    s << "  Reset inputs\n";
    for (int o = 0; o < kIoCount; ++o) {
        s << "    Output " << o + 1 << ": "
          << DescribeResetSource(r.ResetDevice(o), r.ResetInput(o)) << '\n';
    }
    s << "  Input map\n";
    for (int o = 0; o < kIoCount; ++o) {
        s << "    Output " << o + 1 << ": " << DescribeOutputSources(set, u, o) << '\n';
    }
    return s.str();
}

std::string SummarizeConfig(const ConfigSet& set) {
    std::string out;
    for (int u = 0; u < kUnitCount; ++u) {
        if (u != 0)
            out += '\n';
        out += SummarizeUnit(set, u);
    }
    return out;
}

}  // namespace valdro
