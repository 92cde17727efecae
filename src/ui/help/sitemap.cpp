#include "ui/help/sitemap.h"

#include <cctype>
#include <cstdint>
#include <map>

#include "config/ascii_case.h"
#include "config/utf8.h"

namespace valdro {

namespace {

struct Tag {
    std::string name;  // lower case, with a leading '/' for a closing tag
    std::map<std::string, std::string> attributes;  // names lower case, values raw
};

bool IsSpace(char c) {
    return std::isspace(static_cast<unsigned char>(c)) != 0;
}

// Reads the tag that starts at html[pos] == '<'. Returns false when the markup is
// cut off; pos is left after the tag's '>'.
bool ReadTag(std::string_view html, std::size_t& pos, Tag& tag) {
    std::size_t i = pos + 1;
    auto skipSpace = [&] {
        while (i < html.size() && IsSpace(html[i]))
            ++i;
    };
    auto readWord = [&] {
        const std::size_t start = i;
        while (i < html.size() && !IsSpace(html[i]) && html[i] != '>' && html[i] != '=' &&
               !(html[i] == '/' && i > start)) {
            ++i;
        }
        return html.substr(start, i - start);
    };
    tag = Tag{};
    tag.name = LowerAscii(readWord());
    while (true) {
        skipSpace();
        if (i >= html.size())
            return false;
        if (html[i] == '>')
            break;
        if (html[i] == '/') {
            ++i;
            continue;
        }
        std::string name = LowerAscii(readWord());
        if (name.empty()) {
            ++i;  // a stray character such as '=' on its own
            continue;
        }
        skipSpace();
        std::string value;
        if (i < html.size() && html[i] == '=') {
            ++i;
            skipSpace();
            if (i >= html.size())
                return false;
            if (html[i] == '"' || html[i] == '\'') {
                const char quote = html[i++];
                const std::size_t end = html.find(quote, i);
                if (end == std::string_view::npos)
                    return false;
                value = html.substr(i, end - i);
                i = end + 1;
            } else {
                const std::size_t start = i;
                while (i < html.size() && !IsSpace(html[i]) && html[i] != '>')
                    ++i;
                value = html.substr(start, i - start);
            }
        }
        tag.attributes.emplace(std::move(name), std::move(value));
    }
    pos = i + 1;
    return true;
}

}  // namespace

std::string DecodeHtmlEntities(std::string_view text) {
    static const std::map<std::string, std::uint32_t, std::less<>> kNamed = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}, {"nbsp", 0xA0}};
    std::string out;
    std::size_t i = 0;
    while (i < text.size()) {
        const std::size_t semi = text[i] == '&' ? text.find(';', i) : std::string_view::npos;
        if (semi == std::string_view::npos || semi - i > 10) {
            out.push_back(text[i++]);
            continue;
        }
        const std::string_view ref = text.substr(i + 1, semi - i - 1);
        std::uint32_t cp = 0;
        bool known = false;
        if (ref.size() > 1 && ref[0] == '#') {
            const bool hex = ref[1] == 'x' || ref[1] == 'X';
            const std::string_view digits = ref.substr(hex ? 2 : 1);
            known = !digits.empty();
            for (char c : digits) {
                const int d = std::isdigit(static_cast<unsigned char>(c)) ? c - '0'
                              : hex && std::isxdigit(static_cast<unsigned char>(c))
                                  ? std::tolower(static_cast<unsigned char>(c)) - 'a' + 10
                                  : -1;
                if (d < 0 || cp > 0x10FFFF) {
                    known = false;
                    break;
                }
                cp = cp * (hex ? 16 : 10) + static_cast<std::uint32_t>(d);
            }
        } else if (const auto it = kNamed.find(ref); it != kNamed.end()) {
            cp = it->second;
            known = true;
        }
        if (known) {
            // &#0; would end the text early in C strings: show it as U+FFFD.
            AppendUtf8(out, cp == 0 ? char32_t{0xFFFD} : static_cast<char32_t>(cp));
            i = semi + 1;
        } else {
            out.push_back(text[i++]);
        }
    }
    return out;
}

std::vector<SitemapEntry> ParseSitemap(std::string_view html) {
    std::vector<SitemapEntry> root;
    // Each open <UL> names the list its entries go to; a list nested too deep
    // reuses its parent's list.
    std::vector<std::vector<SitemapEntry>*> lists{&root};
    bool inObject = false;
    SitemapEntry entry;

    std::size_t pos = 0;
    while ((pos = html.find('<', pos)) != std::string_view::npos) {
        if (html.substr(pos, 4) == "<!--") {
            const std::size_t end = html.find("-->", pos + 4);
            if (end == std::string_view::npos)
                break;
            pos = end + 3;
            continue;
        }
        Tag tag;
        if (!ReadTag(html, pos, tag))
            break;
        if (tag.name == "ul") {
            auto* current = lists.back();
            const bool deeper =
                !current->empty() && static_cast<int>(lists.size()) < kMaxSitemapDepth;
            lists.push_back(deeper ? &current->back().children : current);
        } else if (tag.name == "/ul") {
            if (lists.size() > 1) {
                lists.pop_back();
            }
        } else if (tag.name == "object") {
            const auto type = tag.attributes.find("type");
            inObject = type != tag.attributes.end() && LowerAscii(type->second) == "text/sitemap";
            entry = SitemapEntry{};
        } else if (tag.name == "param" && inObject) {
            const auto name = tag.attributes.find("name");
            const auto value = tag.attributes.find("value");
            if (name == tag.attributes.end() || value == tag.attributes.end())
                continue;
            const std::string key = LowerAscii(name->second);
            // An index keyword may list several topics; the first one is taken.
            if (key == "name" && entry.name.empty())
                entry.name = DecodeHtmlEntities(value->second);
            if (key == "local" && entry.local.empty()) {
                entry.local = DecodeHtmlEntities(value->second);
            }
        } else if (tag.name == "/object") {
            if (inObject && !entry.name.empty())
                lists.back()->push_back(std::move(entry));
            inObject = false;
            entry = SitemapEntry{};
        }
    }
    return root;
}

}  // namespace valdro
