#include "config/config_diff.h"

#include <algorithm>
#include <span>
#include <utility>

#include "config/config_summary.h"
#include "config/hex_text.h"
#include "config/record_fields.h"
#include "config/text_codec.h"
#include "config/unit_names.h"

namespace valdro {
namespace {

using Bytes = std::span<const std::uint8_t>;
using Record = std::span<const std::uint8_t, kUnitRecordSize>;

// Compares one unit's records field by field in the record's byte order, the
// per-output numbers output by output; the bytes no field names come last.
class Differ {
  public:
    Differ(const ConfigSet& a, const ConfigSet& b, int u)
        : a_(a.Unit(u).Bytes()), b_(b.Unit(u).Bytes()), unit_(UnitLabel(u)) {}

    std::vector<FieldDifference> Run() {
        bool perOutputDone = false;
        for (const RecordField* f : kRecordFieldsByOffset) {
            if (f->kind == FieldKind::Int32Array) {
                if (!std::exchange(perOutputDone, true))
                    PerOutputNumbers();
            } else if (f->kind != FieldKind::Reserved) {
                Field(*f);
            }
        }
        for (const RecordField* f : kRecordFieldsByOffset) {
            if (f->kind == FieldKind::Reserved)
                Field(*f);
        }
        return std::move(out_);
    }

  private:
    static std::string Number(const RecordField& f, std::int32_t v) {
        if (f.refers == Refers::Unit)
            return IsValidUnitIndex(v) ? UnitLabel(v) : std::to_string(v) + " (not a unit)";
        if (f.refers == Refers::Input) {
            return IsValidIoIndex(v) ? "input " + std::to_string(v + 1)
                                     : std::to_string(v) + " (not an input)";
        }
        return std::to_string(v);
    }
    void Add(std::string name, std::string first, std::string second) {
        out_.push_back({unit_ + " " + name, std::move(first), std::move(second)});
    }

    void Field(const RecordField& f) {
        const Bytes a = FieldBytes(a_, f), b = FieldBytes(b_, f);
        const std::string name(f.name);
        if (std::equal(a.begin(), a.end(), b.begin())) {
            return;
        } else if (f.kind == FieldKind::Octets) {
            Add(name, FormatOctets({a[0], a[1], a[2], a[3]}),
                FormatOctets({b[0], b[1], b[2], b[3]}));
        } else if (f.kind == FieldKind::Text) {
            Text(name, a, b);
        } else if (f.kind == FieldKind::Int32) {
            Add(name, Number(f, Int32Entry(a_, f)), Number(f, Int32Entry(b_, f)));
        } else if (f.kind == FieldKind::Reserved) {
            Add(name, HexBytes(a), HexBytes(b));
        } else {
            // Flags, bytes and rows of flags, entry by entry, as the bytes stored.
            for (std::size_t k = 0; k < f.size; ++k) {
                const std::string entry =
                    (f.perInput ? " input " : " output ") + std::to_string(k + 1);
                if (a[k] != b[k])
                    Add(f.size == 1 ? name : name + entry, std::to_string(a[k]),
                        std::to_string(b[k]));
            }
        }
    }

    // The numbers kept per output (its reset unit and input), output by output.
    void PerOutputNumbers() {
        for (int o = 0; o < kIoCount; ++o) {
            for (const RecordField* f : kRecordFieldsByOffset) {
                if (f->kind != FieldKind::Int32Array)
                    continue;
                const std::int32_t a = Int32Entry(a_, *f, o), b = Int32Entry(b_, *f, o);
                if (a != b) {
                    Add(std::string(f->name) + " output " + std::to_string(o + 1), Number(*f, a),
                        Number(*f, b));
                }
            }
        }
    }

    void Text(const std::string& name, Bytes a, Bytes b) {
        const std::string ta = DecodeField(a), tb = DecodeField(b);
        if (ta != tb)
            return Add(name, QuoteText(ta), QuoteText(tb));
        // Same text; only the stale bytes after its NUL differ.
        const auto rest = [](Bytes f) {
            return f.subspan(static_cast<std::size_t>(
                std::find(f.begin(), f.end(), std::uint8_t{0}) - f.begin()));
        };
        Add(name + " bytes after the text", HexBytes(rest(a)), HexBytes(rest(b)));
    }

    Record a_, b_;
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
