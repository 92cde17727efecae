#pragma once
// Read-only access to a compiled help file (.chm) through chmlib. Free of Qt so
// it can be tested and fuzzed on its own; the help window builds on it.

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

struct chmFile;

namespace valdro {

// What the help compiler records in the archive's "#SYSTEM" object.
struct ChmSystemInfo {
    std::string contentsFile;  // the .hhc sitemap, relative to the archive root
    std::string indexFile;     // the .hhk sitemap
    std::string defaultTopic;  // the page shown first
    std::string title;         // the help window's title
};

// Parses the records of "#SYSTEM": a 4-byte version, then records of a 16-bit
// code, a 16-bit length and that many bytes. Truncated input yields what was read.
ChmSystemInfo ParseChmSystem(std::span<const std::uint8_t> bytes);

// Turns "page.html", "/page.html" or "./dir/../page.html" into the archive's
// absolute form "/page.html". Returns empty when the path climbs above the root.
std::string NormaliseChmPath(std::string_view path);

class ChmArchive {
  public:
    // Objects larger than this are refused rather than allocated; a damaged file
    // may claim any length.
    static constexpr std::uint64_t kMaxObjectSize = 64u * 1024u * 1024u;

    // nullptr when the file is missing or is not a compiled help file.
    static std::unique_ptr<ChmArchive> Open(const std::string& filePath);

    ~ChmArchive();
    ChmArchive(const ChmArchive&) = delete;
    ChmArchive& operator=(const ChmArchive&) = delete;

    bool Contains(std::string_view path) const;
    std::optional<std::string> Read(std::string_view path) const;
    // Every ordinary file of the archive (pages, images, sitemaps), absolute paths.
    std::vector<std::string> ListFiles() const;

    const ChmSystemInfo& System() const { return system_; }

    // The page to open first: the recorded default topic, else the first page of
    // the contents, else "/index.html". Always absolute.
    std::string DefaultTopic() const;

  private:
    explicit ChmArchive(chmFile* handle);
    chmFile* handle_;
    ChmSystemInfo system_;
};

}  // namespace valdro
