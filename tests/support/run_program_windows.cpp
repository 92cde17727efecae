#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "support/run_program.h"

namespace valdro::test {
namespace {

std::wstring Wide(const std::string& text) {
    if (text.empty()) {
        return {};
    }
    const int n =
        ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    ::MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), n);
    return out;
}

// One argument as the C runtime's parser splits a command line back: quoted, with
// backslashes doubled where a quote follows them.
void AppendQuoted(std::wstring& line, const std::wstring& arg) {
    line += L'"';
    std::size_t backslashes = 0;
    for (const wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
        } else {
            if (c == L'"') {
                line.append(backslashes + 1, L'\\');
            }
            backslashes = 0;
        }
        line += c;
    }
    line.append(backslashes, L'\\');
    line += L'"';
}

class OwnedHandle {
  public:
    explicit OwnedHandle(HANDLE h) : h_(h) {}
    ~OwnedHandle() {
        if (Valid()) {
            ::CloseHandle(h_);
        }
    }
    OwnedHandle(const OwnedHandle&) = delete;
    OwnedHandle& operator=(const OwnedHandle&) = delete;
    bool Valid() const { return h_ != nullptr && h_ != INVALID_HANDLE_VALUE; }
    HANDLE Get() const { return h_; }

  private:
    HANDLE h_;
};

HANDLE OpenInherited(const std::string& path, bool write) {
    SECURITY_ATTRIBUTES inherit{sizeof inherit, nullptr, TRUE};
    return ::CreateFileW(Wide(path.empty() ? "NUL" : path).c_str(),
                         write ? GENERIC_WRITE : GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                         &inherit, write ? CREATE_ALWAYS : OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

// Ctrl-C reaches the processes attached to one console. The test program takes a
// console of its own (Wine's first one cannot send the event), shares it with the
// program it starts, and lets the event pass by itself. Its own output still goes
// where it went: the C runtime keeps the handles it started with.
void ShareAConsole() {
    static const bool done = [] {
        ::FreeConsole();
        ::AllocConsole();
        ::SetConsoleCtrlHandler([](DWORD) -> BOOL { return TRUE; }, TRUE);
        return true;
    }();
    (void)done;
}

// Long enough for any command under a loaded Wine; a program that outlives it is
// ended, so a broken Ctrl-C fails the test instead of hanging it.
constexpr DWORD kInterruptedRunMs = 60000;

}  // namespace

int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const ProgramIo& io, std::optional<std::chrono::milliseconds> interruptAfter) {
    std::wstring line;
    AppendQuoted(line, Wide(program + ".exe"));
    for (const std::string& a : args) {
        line += L' ';
        AppendQuoted(line, Wide(a));
    }
    const OwnedHandle in(OpenInherited(io.in, false));
    const OwnedHandle out(OpenInherited(io.out, true));
    const OwnedHandle err(OpenInherited(io.err, true));
    if (!in.Valid() || !out.Valid() || !err.Valid()) {
        return -1;
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdInput = in.Get();
    startup.hStdOutput = out.Get();
    startup.hStdError = err.Get();
    if (interruptAfter) {
        ShareAConsole();
    }
    PROCESS_INFORMATION process{};
    if (!::CreateProcessW(nullptr, line.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr,
                          &startup, &process)) {
        return -1;
    }
    const OwnedHandle child(process.hProcess);
    ::CloseHandle(process.hThread);
    if (interruptAfter) {
        ::Sleep(static_cast<DWORD>(interruptAfter->count()));
        ::GenerateConsoleCtrlEvent(CTRL_C_EVENT, 0);
        if (::WaitForSingleObject(child.Get(), kInterruptedRunMs) != WAIT_OBJECT_0) {
            ::TerminateProcess(child.Get(), 1);
            ::WaitForSingleObject(child.Get(), INFINITE);
            return -1;
        }
    }
    ::WaitForSingleObject(child.Get(), INFINITE);
    DWORD code = 0;
    if (!::GetExitCodeProcess(child.Get(), &code)) {
        return -1;
    }
    return static_cast<int>(code);
}

}  // namespace valdro::test
