#pragma once
// What `valdrometrica-cli status` prints of a status record: a table like the
// Status page's two grids, one JSON object per line, and a CSV log of changes.

#include <array>
#include <cstdio>
#include <optional>
#include <string>

#include "config/utc_time.h"
#include "device/status_record.h"

namespace valdro::cli {

// Row titles as the Status page has them, in UTF-8: entry 0 is also the one unit
// of single-unit mode.
using RowTitles = std::array<std::string, 9>;

// {"mode": "all"|"single", "units": [{"index", "name", "present", "outputs", "inputs"}]}
// on one line, without the newline. Output and input 1 come first in their arrays.
std::string StatusJson(const StatusRecord& record, const RowTitles& titles);

// Two blocks, "Output Status" and "Input Status", with a header of 1..16 and a row
// per unit. colour: red set, green clear, grey absent (ANSI); otherwise 1, 0, -.
std::string StatusTable(const StatusRecord& record, const RowTitles& titles, bool colour);

// Appends one CSV row per input or output that changed: time,unit,kind,number,state.
// The first record after opening sets the baseline and is logged whole, so the log
// alone tells every state. A unit that is absent has no state; when it is back,
// its bits are logged again in full.
class StatusChangeLog {
  public:
    StatusChangeLog() = default;
    ~StatusChangeLog();
    StatusChangeLog(const StatusChangeLog&) = delete;
    StatusChangeLog& operator=(const StatusChangeLog&) = delete;

    bool Open(const std::string& path);  // creates or appends; header on a new file
    // Logs the changes of one record; returns the number of rows written.
    int Record(const StatusRecord& record, const std::string& timestamp);

  private:
    struct Known {
        std::uint16_t outputs = 0;
        std::uint16_t inputs = 0;
    };
    std::FILE* file_ = nullptr;
    std::optional<std::uint8_t> mode_;
    std::array<std::optional<Known>, 9> known_{};
};

}  // namespace valdro::cli
