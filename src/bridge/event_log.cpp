#include "bridge/event_log.h"

#include <cstdio>

#include "config/utc_time.h"

namespace valdro::bridge {

void EventLog::Write(std::string_view event) {
    std::string line = UtcTimestamp();
    line += ' ';
    line += event;
    // Events from the network threads interleave; one lock keeps lines whole and ordered.
    const std::lock_guard lock(m_);
    if (sink_) {
        sink_(line);
    }
}

EventLog::Sink StderrSink() {
    return [](const std::string& line) {
        std::fprintf(stderr, "%s\n", line.c_str());
        std::fflush(stderr);
    };
}

}  // namespace valdro::bridge
