#include "config/data_file.h"

#include <algorithm>
#include <cstring>

#include "config/file_io.h"

namespace valdro {

const char* OutcomeMessage(LoadOutcome outcome) {
    switch (outcome) {
        case LoadOutcome::Ok:
            return "";
        case LoadOutcome::Incompatible:
            return "Incompatible data file.";
        case LoadOutcome::LaterFormat:
            return "The file uses a later data format.\r\nCannot load";
        case LoadOutcome::OpenError:
            return "Error Opening File.";
    }
    return "Error Opening File.";
}

const char* OutcomeMessage(SaveOutcome outcome) {
    return outcome == SaveOutcome::Ok ? "" : "Error Saving File.";
}

std::vector<std::uint8_t> SerializeDataFile(const ConfigSet& set) {
    std::vector<std::uint8_t> out(kDataFileSize, 0);
    const auto version = static_cast<std::uint32_t>(kDataFileVersion);
    for (std::size_t i = 0; i < 4; ++i)
        out[i] = static_cast<std::uint8_t>(version >> (8 * i));
    std::memcpy(out.data() + kDataFileSignatureOffset, kDataFileSignature, kDataFileSignatureSize);
    // Bytes 26..35 stay zero.
    std::copy(set.Units.begin(), set.Units.end(), out.begin() + kDataFileHeaderSize);
    std::copy(set.InputMap.begin(), set.InputMap.end(),
              out.begin() + kDataFileHeaderSize + kUnitsSize);
    return out;
}

LoadOutcome ParseDataFile(std::span<const std::uint8_t> bytes, ConfigSet& into) {
    // The signature decides first, so a file of another kind is never taken for a
    // later format; the text and its NUL must match exactly, the filler is ignored.
    constexpr std::size_t kSignatureEnd = kDataFileSignatureOffset + kDataFileSignatureSize;
    if (bytes.size() < kSignatureEnd ||
        std::memcmp(bytes.data() + kDataFileSignatureOffset, kDataFileSignature,
                    kDataFileSignatureSize) != 0) {
        return LoadOutcome::Incompatible;
    }
    const std::uint32_t raw = std::uint32_t(bytes[0]) | std::uint32_t(bytes[1]) << 8 |
                              std::uint32_t(bytes[2]) << 16 | std::uint32_t(bytes[3]) << 24;
    // Every version up to 1, zero and negative ones included, reads as version 1.
    if (static_cast<std::int32_t>(raw) > kDataFileVersion)
        return LoadOutcome::LaterFormat;
    // A cut-off file would leave the configuration half old, half new.
    if (bytes.size() < kDataFileSize)
        return LoadOutcome::OpenError;

    const auto units = bytes.subspan(kDataFileHeaderSize, kUnitsSize);
    const auto map = bytes.subspan(kDataFileHeaderSize + kUnitsSize, kInputMapSize);
    std::copy(units.begin(), units.end(), into.Units.begin());
    std::copy(map.begin(), map.end(), into.InputMap.begin());
    return LoadOutcome::Ok;
}

LoadOutcome LoadDataFile(const std::filesystem::path& path, ConfigSet& into) {
    std::vector<std::uint8_t> bytes;
    // Bytes past the images are never used, so a huge file costs no more than a good one.
    if (!ReadFilePrefix(path, kDataFileSize, bytes))
        return LoadOutcome::OpenError;
    return ParseDataFile(bytes, into);
}

SaveOutcome SaveDataFile(const std::filesystem::path& path, const ConfigSet& set) {
    const std::vector<std::uint8_t> bytes = SerializeDataFile(set);
    return ReplaceFileContents(path, bytes) ? SaveOutcome::Ok : SaveOutcome::Error;
}

}  // namespace valdro
