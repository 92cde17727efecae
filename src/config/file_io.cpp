#include "config/file_io.h"

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <string>
#include <system_error>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <sys/stat.h>
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace valdro {
namespace fs = std::filesystem;

namespace {

std::FILE* OpenForReading(const fs::path& path) {
#ifdef _WIN32
    return ::_wfopen(path.c_str(), L"rb");
#else
    return std::fopen(path.c_str(), "rb");
#endif
}

// A short name in the target's directory that no other save is using; short so
// that a target name near the length limit still leaves room for it.
fs::path TemporaryNameFor(const fs::path& target, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
#ifdef _WIN32
    const unsigned long pid = ::GetCurrentProcessId();
#else
    const unsigned long pid = static_cast<unsigned long>(::getpid());
#endif
    return target.parent_path() /
           (".valdro-" + std::to_string(pid) + "-" + std::to_string(counter++) + "-" +
            std::to_string(attempt) + ".tmp");
}

// Saving through a symbolic link updates the file it points to rather than
// replacing the link with a plain file.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec)
            return resolved;
    }
    return target;
}

#ifdef _WIN32

bool ReplaceFileContentsImpl(const fs::path& target, std::span<const std::uint8_t> bytes) {
    std::error_code ec;
    const auto status = fs::status(target, ec);
    if (fs::exists(status) && !fs::is_regular_file(status))
        return false;
    if (fs::exists(status) && ::_waccess(target.c_str(), 2) != 0)
        return false;

    fs::path tmp;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = TemporaryNameFor(target, attempt);
        fd =
            ::_wopen(tmp.c_str(), _O_WRONLY | _O_CREAT | _O_EXCL | _O_BINARY, _S_IREAD | _S_IWRITE);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    std::size_t done = 0;
    while (ok && done < bytes.size()) {
        const int n = ::_write(fd, bytes.data() + done, static_cast<unsigned>(bytes.size() - done));
        if (n <= 0)
            ok = false;
        else
            done += static_cast<std::size_t>(n);
    }
    if (ok && ::_commit(fd) != 0)
        ok = false;
    if (::_close(fd) != 0)
        ok = false;
    if (ok && !::MoveFileExW(tmp.c_str(), target.c_str(),
                             MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        ok = false;
    }
    if (!ok)
        fs::remove(tmp, ec);
    return ok;
}

#else

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += static_cast<std::size_t>(n);
    }
    return true;
}

// Makes the rename itself durable; a failure here does not undo a finished save.
void SyncDirectory(const fs::path& dir) {
    const int dfd = ::open(dir.empty() ? "." : dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd >= 0) {
        (void)::fsync(dfd);
        ::close(dfd);
    }
}

bool ReplaceFileContentsImpl(const fs::path& target, std::span<const std::uint8_t> bytes) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        // Devices, pipes and directories are not ours to replace with a plain file.
        if (!S_ISREG(old.st_mode))
            return false;
        if (::access(target.c_str(), W_OK) != 0)
            return false;
    }

    fs::path tmp;
    int fd = -1;
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = TemporaryNameFor(target, attempt);
        // 0666 lets the umask decide the mode of a new file, as a plain create would.
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST)
            return false;
    }
    if (fd < 0)
        return false;

    bool ok = true;
    if (exists) {
        // Best effort: a mode we may not set (set-id bits) is not worth failing over.
        if (::fchmod(fd, old.st_mode & 07777) != 0)
            (void)::fchmod(fd, old.st_mode & 0777);
    }
    ok = WriteAll(fd, bytes);
    if (ok && ::fsync(fd) != 0)
        ok = false;
    if (::close(fd) != 0)
        ok = false;
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0)
        ok = false;
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    SyncDirectory(target.parent_path());
    return true;
}

#endif

}  // namespace

bool ReadFilePrefix(const fs::path& path, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
    out.clear();
    std::FILE* f = OpenForReading(path);
    if (f == nullptr)
        return false;
    // Grows as the file does, so a generous limit costs nothing for a small file.
    constexpr std::size_t kChunk = 64 * 1024;
    bool failed = false;
    while (out.size() < maxBytes) {
        const std::size_t want = std::min(kChunk, maxBytes - out.size());
        const std::size_t had = out.size();
        out.resize(had + want);
        const std::size_t got = std::fread(out.data() + had, 1, want, f);
        out.resize(had + got);
        if (got < want) {
            // Reading a directory or a failing disk shows up here, not at the open.
            failed = std::ferror(f) != 0;
            break;
        }
    }
    std::fclose(f);
    return !failed;
}

bool ReplaceFileContents(const fs::path& target, std::span<const std::uint8_t> bytes) {
    if (target.empty())
        return false;
    return ReplaceFileContentsImpl(ResolveTarget(target), bytes);
}

}  // namespace valdro
