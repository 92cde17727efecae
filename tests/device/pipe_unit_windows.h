#pragma once
// A unit's HID interface under Windows (and Wine, which has no USB): the server end
// of a message-mode named pipe, whose client end the backend's Open() opens.

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace valdro::test {

class PipeUnit {
  public:
    PipeUnit() {
        server_ = ::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                     4096, 0, nullptr);
    }
    ~PipeUnit() { Close(); }
    PipeUnit(const PipeUnit&) = delete;

    const std::string& Path() const { return path_; }
    // The unit sends one report whose byte i is first + i.
    bool Send(std::uint8_t first) {
        std::uint8_t report[65];
        for (std::size_t i = 0; i < sizeof report; ++i) {
            report[i] = static_cast<std::uint8_t>(first + i);
        }
        DWORD written = 0;
        return ::WriteFile(server_, report, sizeof report, &written, nullptr) && written == 65;
    }
    // The unit takes one report written to it.
    std::vector<std::uint8_t> Receive() {
        std::vector<std::uint8_t> report(4096);
        DWORD read = 0;
        report.resize(::ReadFile(server_, report.data(), 4096, &read, nullptr) ? read : 0);
        return report;
    }
    // The unit is unplugged: the client's reads fail from now on.
    void Close() { ::CloseHandle(std::exchange(server_, INVALID_HANDLE_VALUE)); }

  private:
    inline static std::atomic<int> counter_{0};
    std::string path_ = "\\\\.\\pipe\\valdro-unit-" + std::to_string(::GetCurrentProcessId()) +
                        "-" + std::to_string(counter_++);
    HANDLE server_ = INVALID_HANDLE_VALUE;
};

}  // namespace valdro::test
