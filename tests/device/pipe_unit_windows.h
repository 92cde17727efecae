#pragma once
// A stand-in for a unit's HID interface under Windows (and Wine, which has no
// USB): the server end of a named pipe in message mode, so each write arrives as
// one report. The backend's own Open() opens the client end as it opens a unit.

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
#include <vector>

namespace valdro::test {

class PipeUnit {
  public:
    PipeUnit() : path_(NewName()) {
        server_ = ::CreateNamedPipeA(path_.c_str(), PIPE_ACCESS_DUPLEX,
                                     PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 4096,
                                     4096, 0, nullptr);
    }
    ~PipeUnit() { Close(); }
    PipeUnit(const PipeUnit&) = delete;
    PipeUnit& operator=(const PipeUnit&) = delete;

    bool Valid() const { return server_ != INVALID_HANDLE_VALUE; }
    const std::string& Path() const { return path_; }

    // The unit sends one report.
    bool Send(const std::vector<std::uint8_t>& report) {
        DWORD written = 0;
        return ::WriteFile(server_, report.data(), static_cast<DWORD>(report.size()), &written,
                           nullptr) &&
               written == report.size();
    }
    // The unit takes one report written to it.
    std::vector<std::uint8_t> Receive() {
        std::vector<std::uint8_t> report(4096);
        DWORD read = 0;
        if (!::ReadFile(server_, report.data(), static_cast<DWORD>(report.size()), &read,
                        nullptr)) {
            read = 0;
        }
        report.resize(read);
        return report;
    }
    // The unit is unplugged: the client's reads fail from now on.
    void Close() {
        if (Valid()) {
            ::CloseHandle(server_);
            server_ = INVALID_HANDLE_VALUE;
        }
    }

  private:
    static std::string NewName() {
        static std::atomic<int> counter{0};
        return "\\\\.\\pipe\\valdro-unit-" + std::to_string(::GetCurrentProcessId()) + "-" +
               std::to_string(counter++);
    }

    std::string path_;
    HANDLE server_ = INVALID_HANDLE_VALUE;
};

// A report of the unit's size whose byte i is first + i.
inline std::vector<std::uint8_t> CountingReport(std::uint8_t first, std::size_t size = 65) {
    std::vector<std::uint8_t> r(size);
    for (std::size_t i = 0; i < size; ++i) {
        r[i] = static_cast<std::uint8_t>(first + i);
    }
    return r;
}

}  // namespace valdro::test
