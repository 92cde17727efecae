// Saving a file on Windows: the temporary is written through a handle opened
// for this process alone, flushed, and moved over the target in one step.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include <algorithm>

#include "config/file_replace.h"

namespace valdro {
namespace fs = std::filesystem;

namespace {

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1 << 20));
        DWORD wrote = 0;
        if (!::WriteFile(file, bytes.data() + done, want, &wrote, nullptr) || wrote == 0) {
            return false;
        }
        done += wrote;
    }
    return true;
}

}  // namespace

bool ReplaceFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes) {
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        // Folders, devices and read-only files are not ours to replace.
        if ((attributes &
             (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE | FILE_ATTRIBUTE_READONLY)) != 0) {
            return false;
        }
    }

    fs::path tmp;
    HANDLE file = INVALID_HANDLE_VALUE;
    const unsigned long pid = ::GetCurrentProcessId();
    for (unsigned attempt = 0; attempt < 100 && file == INVALID_HANDLE_VALUE; ++attempt) {
        tmp = TemporaryNameFor(target, pid, attempt);
        file = ::CreateFileW(tmp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE && ::GetLastError() != ERROR_FILE_EXISTS) {
            return false;
        }
    }
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }

    bool ok = WriteAll(file, bytes) && ::FlushFileBuffers(file);
    if (!::CloseHandle(file)) {
        ok = false;
    }
    if (ok && !::MoveFileExW(tmp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
    }
    if (!ok) {
        ::DeleteFileW(tmp.c_str());
    }
    return ok;
}

}  // namespace valdro
