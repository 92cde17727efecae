#include "cli/cli_files.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <iterator>
#include <span>
#include <vector>

#include "config/ascii_case.h"
#include "config/config_json.h"
#include "config/data_file.h"
#include "config/file_io.h"

namespace valdro::cli {
namespace {

// Far beyond any real export (a few hundred kilobytes), small enough to refuse junk.
constexpr std::size_t kMaxTextFile = 64u * 1024 * 1024;

// The loader's texts are written for a message box ("\r\n"); a terminal wants "\n".
std::string ForTerminal(std::string_view message) {
    std::string out;
    for (std::size_t i = 0; i < message.size(); ++i) {
        if (message[i] == '\r' && i + 1 < message.size() && message[i + 1] == '\n')
            continue;
        out.push_back(message[i]);
    }
    return out;
}

}  // namespace

bool LoadDataFileOrReport(const std::string& path, ConfigSet& into) {
    const LoadOutcome outcome = LoadDataFile(path, into);
    if (outcome == LoadOutcome::Ok)
        return true;
    std::cerr << path << ": " << ForTerminal(OutcomeMessage(outcome)) << '\n';
    return false;
}

bool LoadConfigOrReport(const std::string& path, ConfigSet& into) {
    const std::string ext = LowerAscii(std::filesystem::path(path).extension().string());
    if (path != "-" && ext != ".json")
        return LoadDataFileOrReport(path, into);
    const auto text = ReadTextOrReport(path);
    if (!text)
        return false;
    const JsonImportResult result = ImportConfigJson(*text, into);
    for (const std::string& e : result.errors)
        std::cerr << path << ": error: " << e << '\n';
    return result.ok;
}

bool SaveDataFileOrReport(const std::string& path, const ConfigSet& set) {
    const SaveOutcome outcome = SaveDataFile(path, set);
    if (outcome == SaveOutcome::Ok)
        return true;
    std::cerr << path << ": " << OutcomeMessage(outcome) << '\n';
    return false;
}

std::optional<std::string> ReadTextOrReport(const std::string& path) {
    if (path == "-") {
        std::string text(std::istreambuf_iterator<char>(std::cin), {});
        if (std::cin.bad()) {
            std::cerr << "stdin: read error\n";
            return std::nullopt;
        }
        return text;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFilePrefix(path, kMaxTextFile + 1, bytes)) {
        std::cerr << path << ": cannot open or read the file: " << std::strerror(errno) << '\n';
        return std::nullopt;
    }
    if (bytes.size() > kMaxTextFile) {
        std::cerr << path << ": the file is too large (over 64 MiB)\n";
        return std::nullopt;
    }
    return std::string(bytes.begin(), bytes.end());
}

bool WriteTextOrReport(const std::string& path, std::string_view text) {
    if (path == "-") {
        std::cout << text;
        std::cout.flush();
        if (!std::cout) {
            std::cerr << "stdout: write error\n";
            return false;
        }
        return true;
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    if (!ReplaceFileContents(path, std::span<const std::uint8_t>(data, text.size()))) {
        std::cerr << path << ": cannot write the file\n";
        return false;
    }
    return true;
}

bool SameFile(const std::string& input, const std::string& output) {
    if (input == "-" || output == "-")
        return false;
    std::error_code ec;
    return std::filesystem::equivalent(input, output, ec) && !ec;
}

}  // namespace valdro::cli
