#include "device/report_trace.h"

#include <chrono>

#include "config/hex_text.h"

namespace valdro {
namespace {

// Writes n digits of v, zero-padded, and returns the position after them.
char* PutDecimal(char* p, unsigned v, int n) {
    for (int i = n - 1; i >= 0; --i) {
        p[i] = static_cast<char>('0' + v % 10);
        v /= 10;
    }
    return p + n;
}

// The UTC time with milliseconds, 2024-05-01T12:34:56.789Z; returns the end. The
// C++ calendar rather than gmtime_r, which Windows does not have.
char* PutTimestamp(char* p) {
    using namespace std::chrono;
    const auto now = floor<milliseconds>(system_clock::now());
    const auto day = floor<days>(now);
    const year_month_day date{day};
    const hh_mm_ss time{now - day};
    p = PutDecimal(p, static_cast<unsigned>(static_cast<int>(date.year())), 4);
    *p++ = '-';
    p = PutDecimal(p, static_cast<unsigned>(date.month()), 2);
    *p++ = '-';
    p = PutDecimal(p, static_cast<unsigned>(date.day()), 2);
    *p++ = 'T';
    p = PutDecimal(p, static_cast<unsigned>(time.hours().count()), 2);
    *p++ = ':';
    p = PutDecimal(p, static_cast<unsigned>(time.minutes().count()), 2);
    *p++ = ':';
    p = PutDecimal(p, static_cast<unsigned>(time.seconds().count()), 2);
    *p++ = '.';
    p = PutDecimal(p, static_cast<unsigned>(time.subseconds().count()), 3);
    *p++ = 'Z';
    return p;
}

constexpr std::size_t kTimestampSize = 24;

}  // namespace

ReportTrace::~ReportTrace() {
    Close();
}

bool ReportTrace::Open(const std::string& path) {
    std::lock_guard lock(m_);
    if (file_ != nullptr) {
        std::fclose(file_);
    }
    // Binary, so a trace written on Windows has the same lines as one from Linux.
    file_ = std::fopen(path.c_str(), "ab");
    return file_ != nullptr;
}

void ReportTrace::Close() {
    std::lock_guard lock(m_);
    if (file_ != nullptr) {
        std::fclose(file_);
        file_ = nullptr;
    }
}

std::size_t ReportTrace::FormatLine(TraceDirection direction, const HidReport& report,
                                    char (&out)[kLineSize + 1]) {
    char* p = out;
    *p++ = static_cast<char>(direction);
    *p++ = ' ';
    p = PutHex(p, report);
    *p++ = ' ';
    p = PutTimestamp(p);
    *p = '\0';
    return static_cast<std::size_t>(p - out);
}

void ReportTrace::Write(TraceDirection direction, const HidReport& report) {
    char line[kLineSize + 1];
    const std::size_t n = FormatLine(direction, report, line);
    line[n] = '\n';
    std::lock_guard lock(m_);
    if (file_ == nullptr) {
        return;
    }
    std::fwrite(line, 1, n + 1, file_);
    // A trace is read while the program runs and after a crash: keep it current.
    std::fflush(file_);
}

void ReportTrace::WriteReadFailure(std::string_view reason) {
    std::string line = "! read failed: ";
    if (reason.empty()) {
        reason = "no reason given";
    }
    for (const char c : reason) {
        line += static_cast<unsigned char>(c) < 0x20 || c == 0x7F ? ' ' : c;
    }
    char stamp[kTimestampSize + 1];
    line += ' ';
    line.append(stamp, PutTimestamp(stamp));
    line += '\n';
    std::lock_guard lock(m_);
    if (file_ == nullptr) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace valdro
