#pragma once
// The system-specific half of saving a file: write a temporary beside the
// target, flush it to disk and rename it over the target. One file per system.

#include <cstdint>
#include <filesystem>
#include <span>

namespace valdro {

// target has already been resolved through symbolic links. False on any failure,
// with the target untouched and the temporary removed.
bool ReplaceFileAtomically(const std::filesystem::path& target,
                           std::span<const std::uint8_t> bytes);

// A short name in the target's folder that no other save of this process is
// using; short so that a target name near the length limit still leaves room.
std::filesystem::path TemporaryNameFor(const std::filesystem::path& target, unsigned long pid,
                                       unsigned attempt);

}  // namespace valdro
