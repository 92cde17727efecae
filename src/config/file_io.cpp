#include "config/file_io.h"

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <fstream>
#include <string>
#include <system_error>

#include "config/file_replace.h"

namespace valdro {
namespace fs = std::filesystem;

namespace {

// Saving through a symbolic link updates the file it points to rather than
// replacing the link with a plain file.
fs::path ResolveTarget(const fs::path& target) {
    std::error_code ec;
    if (fs::is_symlink(target, ec)) {
        fs::path resolved = fs::weakly_canonical(target, ec);
        if (!ec) {
            return resolved;
        }
    }
    return target;
}

}  // namespace

fs::path TemporaryNameFor(const fs::path& target, unsigned long pid, unsigned attempt) {
    static std::atomic<unsigned> counter{0};
    return target.parent_path() /
           (".valdro-" + std::to_string(pid) + "-" + std::to_string(counter++) + "-" +
            std::to_string(attempt) + ".tmp");
}

bool ReadFilePrefix(const fs::path& path, std::size_t maxBytes, std::vector<std::uint8_t>& out) {
    out.clear();
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    // Grows as the file does, so a generous limit costs nothing for a small file.
    constexpr std::size_t kChunk = 64 * 1024;
    while (out.size() < maxBytes) {
        const std::size_t want = std::min(kChunk, maxBytes - out.size());
        const std::size_t had = out.size();
        out.resize(had + want);
        in.read(reinterpret_cast<char*>(out.data() + had), static_cast<std::streamsize>(want));
        const auto got = static_cast<std::size_t>(in.gcount());
        out.resize(had + got);
        if (got < want) {
            // Reading a directory or a failing disk shows up here, not at the open:
            // the end of the file sets eof, anything else only fail or bad.
            return in.eof() && !in.bad();
        }
    }
    return true;
}

bool ReplaceFileContents(const fs::path& target, std::span<const std::uint8_t> bytes) {
    if (target.empty()) {
        return false;
    }
    return ReplaceFileAtomically(ResolveTarget(target), bytes);
}

}  // namespace valdro
