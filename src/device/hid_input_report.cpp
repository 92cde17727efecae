#include "device/hid_input_report.h"

#include <cerrno>

#if defined(__unix__) || defined(__APPLE__)
#include <unistd.h>
#endif

#include "config/utf8.h"

namespace valdro {

OpenError OpenErrorFromErrno(int error) {
    switch (error) {
        case EACCES:
        case EPERM:
        case EROFS:
            return OpenError::AccessDenied;
        case EBUSY:
            return OpenError::Busy;
        case ENOENT:
        case ENODEV:
        case ENXIO:
        case ENOTDIR:
            return OpenError::NotFound;
        default:
            return OpenError::Other;
    }
}

OpenError ClassifyOpenFailure(const std::string& path, int openErrno) {
    const OpenError fromOpen = OpenErrorFromErrno(openErrno);
    if (fromOpen != OpenError::Other) {
        return fromOpen;
    }
#if defined(__unix__) || defined(__APPLE__)
    if (::access(path.c_str(), R_OK | W_OK) != 0) {
        return OpenErrorFromErrno(errno);
    }
#else
    (void)path;
#endif
    return OpenError::Other;  // reachable, yet the open failed (wrong kind of node)
}

std::string WideToUtf8(const wchar_t* text) {
    std::string out;
    if (text == nullptr) {
        return out;
    }
    for (const wchar_t* p = text; *p != 0; ++p) {
        auto c = static_cast<char32_t>(*p);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            // A high surrogate followed by a low one is one character.
            if (c >= 0xD800 && c <= 0xDBFF) {
                const auto next = static_cast<char32_t>(p[1]) & 0xFFFF;
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                    ++p;
                }
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace valdro
