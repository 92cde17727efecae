#pragma once
// The ".dat" data file: a 36-byte header (version and signature) followed by the
// `Units` and `InputMap` images, byte for byte. Loading checks everything before it
// touches the configuration; saving replaces the file atomically.

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "config/config_set.h"

namespace valdro {

inline constexpr std::size_t kDataFileHeaderSize = 36, kDataFileSize = 23508;
static_assert(kDataFileSize == kDataFileHeaderSize + kUnitsSize + kInputMapSize);

// Header layout.
inline constexpr std::int32_t kDataFileVersion = 1;
inline constexpr std::size_t kDataFileSignatureOffset = 4;
inline constexpr std::size_t kDataFileSignatureSize = 22;  // the text and its NUL
inline constexpr char kDataFileSignature[] = "ORVELIX Valdrometrica";
static_assert(sizeof(kDataFileSignature) == kDataFileSignatureSize);

enum class LoadOutcome { Ok, Incompatible, LaterFormat, OpenError };
enum class SaveOutcome { Ok, Error };

// The texts shown to the user; empty for Ok.
const char* OutcomeMessage(LoadOutcome);
const char* OutcomeMessage(SaveOutcome);

// The whole file image, kDataFileSize bytes: version 1, signature, zero filler, images.
std::vector<std::uint8_t> SerializeDataFile(const ConfigSet&);

// Checks the signature, then the version, then the length; bytes after the
// kDataFileSize-th are ignored. `into` changes only when the result is Ok.
LoadOutcome ParseDataFile(std::span<const std::uint8_t> bytes, ConfigSet& into);

// Reads the file and parses it; a file that cannot be opened or read is OpenError.
// `into` changes only when the result is Ok.
LoadOutcome LoadDataFile(const std::filesystem::path&, ConfigSet& into);

// Writes a temporary file beside the target, flushes it to disk and renames it over
// the target. On any failure the old file is kept and Error returned.
SaveOutcome SaveDataFile(const std::filesystem::path&, const ConfigSet&);

}  // namespace valdro
