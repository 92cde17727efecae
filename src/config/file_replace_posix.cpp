// Saving a file on Linux and other POSIX systems.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <string>

#include "config/file_replace.h"

namespace valdro {
namespace fs = std::filesystem;

namespace {

bool WriteAll(int fd, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            return false;
        }
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

}  // namespace

bool ReplaceFileAtomically(const fs::path& target, std::span<const std::uint8_t> bytes) {
    struct stat old {};
    const bool exists = ::stat(target.c_str(), &old) == 0;
    if (exists) {
        // Devices, pipes and directories are not ours to replace with a plain file.
        if (!S_ISREG(old.st_mode)) {
            return false;
        }
        if (::access(target.c_str(), W_OK) != 0) {
            return false;
        }
    }

    fs::path tmp;
    int fd = -1;
    const auto pid = static_cast<unsigned long>(::getpid());
    for (unsigned attempt = 0; attempt < 100 && fd < 0; ++attempt) {
        tmp = TemporaryNameFor(target, pid, attempt);
        // 0666 lets the umask decide the mode of a new file, as a plain create would.
        fd = ::open(tmp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) {
            return false;
        }
    }
    if (fd < 0) {
        return false;
    }

    if (exists) {
        // Best effort: a mode we may not set (set-id bits) is not worth failing over.
        if (::fchmod(fd, old.st_mode & 07777) != 0) {
            (void)::fchmod(fd, old.st_mode & 0777);
        }
    }
    bool ok = WriteAll(fd, bytes);
    if (ok && ::fsync(fd) != 0) {
        ok = false;
    }
    if (::close(fd) != 0) {
        ok = false;
    }
    if (ok && ::rename(tmp.c_str(), target.c_str()) != 0) {
        ok = false;
    }
    if (!ok) {
        ::unlink(tmp.c_str());
        return false;
    }
    SyncDirectory(target.parent_path());
    return true;
}

}  // namespace valdro
