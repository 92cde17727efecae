#include "device/report_trace.h"

#include "config/hex_text.h"
#include "config/utc_time.h"

namespace valdro {

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
    p = PutUtcTimestamp(p);
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
    char stamp[kUtcTimestampSize + 1];
    line += ' ';
    line.append(stamp, PutUtcTimestamp(stamp));
    line += '\n';
    std::lock_guard lock(m_);
    if (file_ == nullptr) {
        return;
    }
    std::fwrite(line.data(), 1, line.size(), file_);
    std::fflush(file_);
}

}  // namespace valdro
