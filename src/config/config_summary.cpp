#include "config/config_summary.h"

#include <algorithm>

#include "config/hex_text.h"
#include "config/record_fields.h"
#include "config/text_codec.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

std::vector<int> OnNumbers(std::span<const std::uint8_t> flags) {
    std::vector<int> on;
    for (std::size_t k = 0; k < flags.size(); ++k) {
        if (flags[k] != 0)
            on.push_back(static_cast<int>(k) + 1);
    }
    return on;
}

std::string ListOrNone(const std::vector<int>& numbers) {
    return numbers.empty() ? "none" : FormatNumberList(numbers);
}

// "Slave 2 in 16" for a reset entry; values outside the ranges are named as such.
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

// The inputs that drive output o of unit u: "Master in 1, 3; Slave 2 in 16", or "none".
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

// One line of a field, padded so that the values of a group line up.
std::string FieldLine(const RecordField& f, std::span<const std::uint8_t, kUnitRecordSize> r) {
    const std::span<const std::uint8_t> b = FieldBytes(r, f);
    std::string value;
    if (f.kind == FieldKind::Octets) {
        value = FormatOctets({b[0], b[1], b[2], b[3]});
    } else if (f.kind == FieldKind::Text) {
        value = QuoteText(DecodeField(b));
    } else if (f.kind == FieldKind::Int32) {
        value = std::to_string(Int32Entry(r, f));
    } else if (f.kind == FieldKind::FlagArray) {
        value = ListOrNone(OnNumbers(b));
    } else if (f.kind == FieldKind::Flag || b[0] <= 1) {
        value = f.show.words[b[0] != 0];
    } else {
        value = std::to_string(b[0]) + " (neither " + std::string(f.show.words[0]) + " nor " +
                std::string(f.show.words[1]) + ")";
    }
    const std::size_t width = f.kind == FieldKind::FlagArray ? 22 : 13;
    std::string line = "  " + std::string(f.show.label);
    line.resize(2 + std::max(width, f.show.label.size() + 1), ' ');
    return line + value + "\n";
}

constexpr auto kByPlace = RecordFieldsBy(
    [](const RecordField* a, const RecordField* b) { return a->show.place < b->show.place; });

std::string SummarizeUnit(const ConfigSet& set, int u) {
    const ConstUnitRecord r = set.Unit(u);
    std::string s = UnitLabel(u) + ": " + QuoteText(r.DeviceName()) + "\n";
    for (const RecordField* f : kByPlace) {
        if (!f->show.label.empty() && (u != 0 || !f->show.slavesOnly))
            s += FieldLine(*f, r.Bytes());
    }
    s += "  Reset inputs\n";
    for (int o = 0; o < kIoCount; ++o) {
        s += "    Output " + std::to_string(o + 1) + ": " +
             DescribeResetSource(r.ResetDevice(o), r.ResetInput(o)) + "\n";
    }
    s += "  Input map\n";
    for (int o = 0; o < kIoCount; ++o)
        s += "    Output " + std::to_string(o + 1) + ": " + DescribeOutputSources(set, u, o) + "\n";
    return s;
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
