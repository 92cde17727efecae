#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "device/hid_input_report.h"
#include "device/hid_windows.h"

namespace valdro {

OpenError OpenErrorFromWin32(unsigned long code) {
    switch (code) {
        case ERROR_ACCESS_DENIED:
            return OpenError::AccessDenied;
        case ERROR_SHARING_VIOLATION:
            return OpenError::Busy;
        case ERROR_FILE_NOT_FOUND:
        case ERROR_PATH_NOT_FOUND:
        case ERROR_DEV_NOT_EXIST:
        case ERROR_DEVICE_NOT_CONNECTED:
            return OpenError::NotFound;
        default:
            return OpenError::Other;
    }
}

std::string Win32ErrorText(unsigned long code) {
    // The wide form, so the text reaches the trace as UTF-8 whatever the code page.
    wchar_t* text = nullptr;
    const DWORD length = ::FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    std::string out;
    if (length != 0 && text != nullptr) {
        out = WideToUtf8(text);
    }
    ::LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) {
        out.pop_back();
    }
    if (out.empty()) {
        out = "error " + std::to_string(code);
    }
    return out;
}

}  // namespace valdro
