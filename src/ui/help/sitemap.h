#pragma once
// Parser for the sitemap files of a compiled help file: the contents (.hhc) and
// the index (.hhk). Both are loose HTML: nested <UL> lists of
// <OBJECT type="text/sitemap"> entries with <param name=... value=...> children.

#include <string>
#include <string_view>
#include <vector>

namespace valdro {

struct SitemapEntry {
    std::string name;   // text shown in the tree or the index
    std::string local;  // page inside the archive, may carry a #fragment; empty for a heading
    std::vector<SitemapEntry> children;
};

// Lists nested deeper than this are flattened into the deepest level kept, so a
// hostile file cannot drive recursion without bound.
inline constexpr int kMaxSitemapDepth = 32;

// Tolerant: unknown tags are skipped, unterminated markup ends the parse with what
// was complete, entries without a name are dropped.
std::vector<SitemapEntry> ParseSitemap(std::string_view html);

// Decodes the HTML character references found in sitemap attribute values.
std::string DecodeHtmlEntities(std::string_view text);

}  // namespace valdro
