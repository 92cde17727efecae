#pragma once
// One line per event with a UTC time stamp, written to a sink the caller chooses
// (standard error in the command-line tool). Safe to call from any thread; the
// bridge never logs per status record.

#include <functional>
#include <mutex>
#include <string>
#include <string_view>

namespace valdro::bridge {

class EventLog {
  public:
    // Receives each whole line, time stamp first, without the newline.
    using Sink = std::function<void(const std::string& line)>;

    explicit EventLog(Sink sink) : sink_(std::move(sink)) {}

    void Write(std::string_view event);

  private:
    std::mutex m_;
    Sink sink_;
};

// A sink that writes each line and a newline to standard error.
EventLog::Sink StderrSink();

}  // namespace valdro::bridge
