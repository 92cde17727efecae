#include "ui/help/chm_archive.h"

#include <chm_lib.h>

#include <algorithm>

#include "ui/help/sitemap.h"

namespace valdro {

namespace {

// Record codes of "#SYSTEM" that the viewer needs.
constexpr unsigned kSystemContents = 0;
constexpr unsigned kSystemIndex = 1;
constexpr unsigned kSystemDefaultTopic = 2;
constexpr unsigned kSystemTitle = 3;

// A record's text runs to its first NUL or to the end of the record.
std::string RecordText(std::span<const std::uint8_t> data) {
    std::string text;
    for (std::uint8_t b : data) {
        if (b == 0)
            break;
        text.push_back(static_cast<char>(b));
    }
    return text;
}

// "page.html#part" names "page.html"; a '#' that starts a name ("/#SYSTEM") is
// part of the name.
std::string StripFragment(std::string_view path) {
    for (std::size_t i = 1; i < path.size(); ++i) {
        if ((path[i] == '#' || path[i] == '?') && path[i - 1] != '/') {
            return std::string(path.substr(0, i));
        }
    }
    return std::string(path);
}

const SitemapEntry* FirstPage(const std::vector<SitemapEntry>& entries) {
    for (const auto& e : entries) {
        if (!e.local.empty())
            return &e;
        if (const auto* child = FirstPage(e.children))
            return child;
    }
    return nullptr;
}

}  // namespace

ChmSystemInfo ParseChmSystem(std::span<const std::uint8_t> bytes) {
    ChmSystemInfo info;
    std::size_t pos = 4;  // skip the version word
    while (pos + 4 <= bytes.size()) {
        const unsigned code = bytes[pos] | unsigned(bytes[pos + 1]) << 8;
        const std::size_t length = bytes[pos + 2] | std::size_t(bytes[pos + 3]) << 8;
        pos += 4;
        const std::size_t available = std::min(length, bytes.size() - pos);
        const auto data = bytes.subspan(pos, available);
        switch (code) {
            case kSystemContents:
                info.contentsFile = RecordText(data);
                break;
            case kSystemIndex:
                info.indexFile = RecordText(data);
                break;
            case kSystemDefaultTopic:
                info.defaultTopic = RecordText(data);
                break;
            case kSystemTitle:
                info.title = RecordText(data);
                break;
            default:
                break;
        }
        pos += available;
    }
    return info;
}

std::string NormaliseChmPath(std::string_view path) {
    std::vector<std::string> parts;
    std::string part;
    auto flush = [&]() -> bool {
        if (part == "..") {
            if (parts.empty())
                return false;
            parts.pop_back();
        } else if (!part.empty() && part != ".") {
            parts.push_back(part);
        }
        part.clear();
        return true;
    };
    for (char c : path) {
        if (c == '/' || c == '\\') {
            if (!flush())
                return {};
        } else {
            part.push_back(c);
        }
    }
    if (!flush())
        return {};
    std::string result;
    for (const auto& p : parts)
        result += '/' + p;
    return result.empty() ? std::string("/") : result;
}

std::unique_ptr<ChmArchive> ChmArchive::Open(const std::string& filePath) {
    chmFile* handle = chm_open(filePath.c_str());
    if (handle == nullptr)
        return nullptr;
    std::unique_ptr<ChmArchive> archive(new ChmArchive(handle));
    if (const auto system = archive->Read("/#SYSTEM")) {
        const auto* data = reinterpret_cast<const std::uint8_t*>(system->data());
        archive->system_ = ParseChmSystem({data, system->size()});
    }
    return archive;
}

ChmArchive::ChmArchive(chmFile* handle) : handle_(handle) {}

ChmArchive::~ChmArchive() {
    chm_close(handle_);
}

bool ChmArchive::Contains(std::string_view path) const {
    const std::string normal = NormaliseChmPath(StripFragment(path));
    if (normal.empty())
        return false;
    chmUnitInfo unit{};
    return chm_resolve_object(handle_, normal.c_str(), &unit) == CHM_RESOLVE_SUCCESS;
}

std::optional<std::string> ChmArchive::Read(std::string_view path) const {
    // Special objects such as "#SYSTEM" live at the root; a '/' ends a directory.
    const std::string normal = NormaliseChmPath(StripFragment(path));
    if (normal.empty() || normal.back() == '/')
        return std::nullopt;
    chmUnitInfo unit{};
    if (chm_resolve_object(handle_, normal.c_str(), &unit) != CHM_RESOLVE_SUCCESS) {
        return std::nullopt;
    }
    if (unit.length > kMaxObjectSize)
        return std::nullopt;
    std::string data(static_cast<std::size_t>(unit.length), '\0');
    if (unit.length == 0)
        return data;
    const LONGINT64 got =
        chm_retrieve_object(handle_, &unit, reinterpret_cast<unsigned char*>(data.data()), 0,
                            static_cast<LONGINT64>(unit.length));
    if (got != static_cast<LONGINT64>(unit.length))
        return std::nullopt;
    return data;
}

std::vector<std::string> ChmArchive::ListFiles() const {
    std::vector<std::string> files;
    auto collect = [](chmFile*, chmUnitInfo* unit, void* context) -> int {
        auto* out = static_cast<std::vector<std::string>*>(context);
        out->emplace_back(unit->path);
        return CHM_ENUMERATOR_CONTINUE;
    };
    chm_enumerate(handle_, CHM_ENUMERATE_NORMAL | CHM_ENUMERATE_FILES, collect, &files);
    return files;
}

std::string ChmArchive::DefaultTopic() const {
    if (!system_.defaultTopic.empty() && Contains(system_.defaultTopic)) {
        return NormaliseChmPath(StripFragment(system_.defaultTopic));
    }
    if (!system_.contentsFile.empty()) {
        if (const auto hhc = Read(system_.contentsFile)) {
            const auto entries = ParseSitemap(*hhc);
            if (const auto* first = FirstPage(entries)) {
                const std::string page = NormaliseChmPath(StripFragment(first->local));
                if (!page.empty())
                    return page;
            }
        }
    }
    return "/index.html";
}

}  // namespace valdro
