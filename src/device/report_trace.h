#pragma once
// A log of every report between the PC and the unit, one line each:
//   "> " or "< ", the 65 bytes as 130 lower-case hex digits, a space and the UTC
//   time with milliseconds (2024-05-01T12:34:56.789Z).
// ">" is a report to the unit, "<" one from it. A read that failed (the unit
// unplugged, the interface gone) is a line of its own:
//   "! read failed: " the platform's reason, a space and the time stamp.
// Report lines are formatted in a fixed buffer, so tracing costs no allocation per
// report.

#include <cstdio>
#include <mutex>
#include <string>
#include <string_view>

#include "device/hid_report.h"

namespace valdro {

enum class TraceDirection : char { ToUnit = '>', FromUnit = '<' };

class ReportTrace {
  public:
    ReportTrace() = default;
    ~ReportTrace();
    ReportTrace(const ReportTrace&) = delete;
    ReportTrace& operator=(const ReportTrace&) = delete;

    // Opens (creates or appends to) a trace file; false when it cannot be opened.
    bool Open(const std::string& path);
    bool IsOpen() const { return file_ != nullptr; }
    void Close();

    void Write(TraceDirection direction, const HidReport& report);
    // Control characters in reason become spaces, so the line stays one line.
    void WriteReadFailure(std::string_view reason);

    // One line without its newline: direction, space, hex, space, time stamp.
    // Returns the number of characters written into out (at most kLineSize).
    static inline constexpr std::size_t kLineSize = 2 + 2 * kReportSize + 1 + 24;
    static std::size_t FormatLine(TraceDirection direction, const HidReport& report,
                                  char (&out)[kLineSize + 1]);

  private:
    std::mutex m_;
    std::FILE* file_ = nullptr;
};

}  // namespace valdro
