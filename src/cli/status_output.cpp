#include "cli/status_output.h"

#include <nlohmann/json.hpp>

#include "device/status_json.h"

namespace valdro::cli {
namespace {

constexpr const char* kRed = "\x1b[41m";
constexpr const char* kGreen = "\x1b[42m";
constexpr const char* kGrey = "\x1b[100m";
constexpr const char* kPlain = "\x1b[0m";
constexpr std::size_t kTitleWidth = 32;

std::string RowTitle(const StatusRecord& record, const RowTitles& titles, std::size_t row) {
    if (!titles[row].empty()) {
        return titles[row];
    }
    if (record.singleUnit()) {
        return "Unit";
    }
    return row == 0 ? "Master" : "Slave " + std::to_string(row);
}

// Pads UTF-8 text to a width in characters (continuation bytes take no column).
std::string Padded(const std::string& text, std::size_t width) {
    std::size_t columns = 0;
    for (unsigned char c : text) {
        columns += (c & 0xC0) != 0x80 ? 1 : 0;
    }
    return columns >= width ? text + " " : text + std::string(width - columns, ' ');
}

void Grid(std::string& out, const char* caption, const StatusRecord& record,
          const RowTitles& titles, bool colour, bool outputs) {
    out += Padded(caption, kTitleWidth);
    for (int n = 1; n <= 16; ++n) {
        out += n < 10 ? "  " : " ";
        out += std::to_string(n);
    }
    out += '\n';
    for (std::size_t row = 0; row < static_cast<std::size_t>(record.rowCount()); ++row) {
        const UnitIoState& unit = record.units[row];
        const std::uint16_t word = outputs ? unit.outputs : unit.inputs;
        out += Padded(RowTitle(record, titles, row), kTitleWidth);
        for (int k = 0; k < 16; ++k) {
            const bool on = ((word >> k) & 1) != 0;
            if (colour) {
                out += ' ';
                out += !unit.present ? kGrey : on ? kRed : kGreen;
                out += "  ";
                out += kPlain;
            } else {
                out += "  ";
                out += !unit.present ? '-' : on ? '1' : '0';
            }
        }
        out += '\n';
    }
}

}  // namespace

std::string StatusJson(const StatusRecord& record, const RowTitles& titles) {
    nlohmann::ordered_json units = nlohmann::ordered_json::array();
    for (std::size_t row = 0; row < static_cast<std::size_t>(record.rowCount()); ++row) {
        units.push_back(UnitStatusJson(row, titles[row], record.units[row]));
    }
    const nlohmann::ordered_json j = {{"mode", record.singleUnit() ? "single" : "all"},
                                      {"units", units}};
    return DumpJsonLine(j);
}

std::string StatusTable(const StatusRecord& record, const RowTitles& titles, bool colour) {
    std::string out;
    Grid(out, "Output Status", record, titles, colour, true);
    out += '\n';
    Grid(out, "Input Status", record, titles, colour, false);
    return out;
}

StatusChangeLog::~StatusChangeLog() {
    if (file_ != nullptr) {
        std::fclose(file_);
    }
}

bool StatusChangeLog::Open(const std::string& path) {
    // Binary, so rows end in "\n" on every system; the end sought first, since where
    // an appending stream starts is the C library's choice.
    file_ = std::fopen(path.c_str(), "ab");
    if (file_ == nullptr) {
        return false;
    }
    if (std::fseek(file_, 0, SEEK_END) == 0 && std::ftell(file_) == 0) {
        std::fputs("time,unit,kind,number,state\n", file_);
        std::fflush(file_);
    }
    return true;
}

int StatusChangeLog::Record(const StatusRecord& record, const std::string& timestamp) {
    if (file_ == nullptr) {
        return 0;
    }
    // Between one-unit and nine-unit reporting the rows mean different units.
    if (mode_ != record.mode) {
        known_ = {};
        mode_ = record.mode;
    }
    int rows = 0;
    for (std::size_t u = 0; u < static_cast<std::size_t>(record.rowCount()); ++u) {
        const UnitIoState& now = record.units[u];
        if (!now.present) {
            known_[u].reset();
            continue;
        }
        const std::optional<Known> before = known_[u];
        for (const bool outputs : {true, false}) {
            const std::uint16_t word = outputs ? now.outputs : now.inputs;
            const std::uint16_t changed =
                before ? static_cast<std::uint16_t>(word ^
                                                    (outputs ? before->outputs : before->inputs))
                       : std::uint16_t{0xFFFF};
            for (int k = 0; k < 16; ++k) {
                if (((changed >> k) & 1) != 0) {
                    std::fprintf(file_, "%s,%zu,%s,%d,%d\n", timestamp.c_str(), u,
                                 outputs ? "output" : "input", k + 1, (word >> k) & 1);
                    ++rows;
                }
            }
        }
        known_[u] = Known{now.outputs, now.inputs};
    }
    std::fflush(file_);
    return rows;
}

}  // namespace valdro::cli
