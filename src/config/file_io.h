#pragma once
// The few file operations the data file needs that std::filesystem and iostreams
// cannot do reliably: telling a read error from the end of a file, and replacing a
// file so that a failure part-way never leaves it truncated.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

namespace valdro {

// Reads the first `maxBytes` bytes of a file (fewer if it is shorter) into `out`.
// False if the file cannot be opened or a read fails; `out` is then unspecified.
bool ReadFilePrefix(const std::filesystem::path& path, std::size_t maxBytes,
                    std::vector<std::uint8_t>& out);

// Replaces the contents of `target` with `bytes`: a temporary file beside it is
// written, flushed to disk and renamed over it. A new file gets the default mode;
// an existing one keeps its mode. An existing file we may not write is refused,
// as opening it for writing would be. On failure the target is untouched, the
// temporary is removed and false is returned.
bool ReplaceFileContents(const std::filesystem::path& target, std::span<const std::uint8_t> bytes);

}  // namespace valdro
