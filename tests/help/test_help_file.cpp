// Reading the compiled help file: its system records, archive paths, contents
// and index files (sitemaps) as compilers write them, loose or damaged; the help
// file the build makes, and the manual in it.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

#include "config/ascii_case.h"
#include "config/config_check.h"
#include "ui/help/chm_archive.h"
#include "ui/help/sitemap.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;

// The four records the viewer needs are read and others skipped; damaged input
// yields what was complete, never reading past the end.
TEST(ParseChmSystem, ReadsItsRecordsAndSurvivesDamage) {
    // Version 3, then records: code, length (with the NUL) and text.
    const std::string bytes = std::string("\3\0\0\0\11\0\5\0comp\0\0\0\4\0toc\0\1\0\2\0k\0", 27) +
                              std::string("\2\0\4\0top\0\3\0\4\0Hlp\0", 16);
    const ChmSystemInfo info =
        ParseChmSystem(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(info.contentsFile + info.indexFile + info.defaultTopic + info.title, "tocktopHlp");
    // Cut inside the last record's text: what is there is read, nothing beyond.
    EXPECT_EQ(ParseChmSystem(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 2)).title,
              "Hl");
    EXPECT_TRUE(
        ParseChmSystem(std::vector<std::uint8_t>(bytes.begin(), bytes.end() - 5)).title.empty());
}

// Each case: a path as links give it, then its archive form ("" outside the archive).
TEST(NormaliseChmPath, GivesTheArchiveFormOrNothingOutsideIt) {
    for (const std::string c :
         {"index.html>/index.html", "/index.html>/index.html", "./a/b.html>/a/b.html",
          "a/../b.html>/b.html", "a\\b.html>/a/b.html", "a//b.html>/a/b.html", ">/", "../secret>",
          "a/../../secret>"}) {
        EXPECT_EQ(NormaliseChmPath(c.substr(0, c.find('>'))), c.substr(c.find('>') + 1)) << c;
    }
}

std::string Entry(const std::string& name, const std::string& local) {
    return "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + name +
           "\"><param name=\"Local\" value=\"" + local + "\"></OBJECT>\n";
}

// The tree as "name=local(children)" for comparison.
std::string Show(const std::vector<SitemapEntry>& entries) {
    std::string out;
    for (const auto& e : entries) {
        out.append(e.name).append("=").append(e.local);
        if (!e.children.empty()) {
            out.append("(").append(Show(e.children)).append(")");
        }
        out.append(";");
    }
    return out;
}

TEST(ParseSitemap, BuildsTheTreeFromLooseOrDamagedMarkup) {
    const std::string object = "<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=";
    const std::pair<std::string, std::string> cases[] = {
        {"<OBJECT type=\"text/site properties\"><param name=\"Name\" value=\"x\"></OBJECT><UL>" +
             Entry("A", "a.html") + "<UL>" + Entry("B", "b.html") + "<UL>" + Entry("C", "c.html") +
             "</UL>" + Entry("D", "d.html") + "</UL>" + Entry("E", "e.html") + "</UL>",
         "A=a.html(B=b.html(C=c.html;);D=d.html;);E=e.html;"},
        // lower case, single quotes, unquoted values
        {"<ul><li><object type='text/sitemap'><param name='name' value='A'>"
         "<param name=local value=a.html></object></ul>",
         "A=a.html;"},
        // a keyword with several topics takes the first
        {object + "\"K\"><param name=\"Name\" value=\"T\"><param name=\"Local\" value=\"1.html\">"
                  "<param name=\"Local\" value=\"2.html\"></OBJECT></UL>",
         "K=1.html;"},
        {"<UL>" + Entry("S &amp; L &#8211; &lt;x&gt; &#x41;", "s.html#a&amp;b"),
         "S & L \xE2\x80\x93 <x> A=s.html#a&b;"},
        {"<UL><!-- " + Entry("Hidden", "h.html") + " -->" + Entry("Shown", "s.html"),
         "Shown=s.html;"},
        {"", ""},
        {Entry("A", "a.html") + object + "\"Na", "A=a.html;"},
        {Entry("A", "a.html") + "<!-- never closed " + Entry("B", "b.html"), "A=a.html;"},
        {"</UL></UL>" + Entry("A", "a.html") + "</UL>" + Entry("", "nameless.html"), "A=a.html;"},
        {"<UL><LI><OBJECT><param name=\"Name\" value=\"X\"></OBJECT>", ""},  // not a sitemap
    };
    for (const auto& [html, want] : cases) {
        EXPECT_EQ(Show(ParseSitemap(html)), want) << html;
    }
    // Unknown or broken character references are left alone.
    EXPECT_EQ(DecodeHtmlEntities("&unknown; & &#; &#x; &#12a; &#99999999999; &#0;"),
              "&unknown; & &#; &#x; &#12a; &#99999999999; \xEF\xBF\xBD");
}

// The help file the build makes: its system data and pages by any form of their
// path (special objects begin with '#', no fragment there).
// Missing files, folders and text are refused.
TEST(ChmArchive, ReadsTheBuiltHelpFileAndRefusesOthers) {
    const std::string built = VALDRO_BIN_DIR "/valdrometrica.chm";
    const auto archive = ChmArchive::Open(built);
    ASSERT_NE(archive, nullptr) << built;
    const ChmSystemInfo& s = archive->System();
    EXPECT_EQ(s.title + "|" + s.contentsFile + "|" + s.indexFile + "|" + archive->DefaultTopic(),
              "Valdrometrica Help|contents.hhc|index.hhk|/index.html");
    for (const char* path : {"/index.html", "index.html", "./index.html", "/index.html#part"}) {
        EXPECT_TRUE(archive->Contains(path)) << path;
        EXPECT_NE(archive->Read(path).value_or("").find("Welcome to Valdrometrica"),
                  std::string::npos);
    }
    EXPECT_TRUE(archive->Read("/#SYSTEM"));
    for (const char* absent : {"/no-such-page.html", "../index.html", "/"}) {
        EXPECT_FALSE(archive->Read(absent)) << absent;
    }
    const fs::path dir = fs::temp_directory_path() / "valdro_chm_test";
    fs::create_directories(dir);
    std::ofstream(dir / "text.chm") << "<html>not compiled</html>\n";
    std::ofstream{dir / "empty.chm"};
    for (const fs::path& p : {dir / "absent.chm", dir, dir / "text.chm", dir / "empty.chm"}) {
        EXPECT_EQ(ChmArchive::Open(p.string()), nullptr) << p;
    }
    fs::remove_all(dir);
}

TEST(Manual, EveryReferenceResolvesAndEveryCheckRuleIsExplained) {
    const auto archive = ChmArchive::Open(VALDRO_BIN_DIR "/valdrometrica.chm");
    ASSERT_NE(archive, nullptr);
    auto page = [&](const std::string& path) { return archive->Read(path).value_or(""); };
    // A link from a page: the page it names exists, and so does its anchor.
    auto resolves = [&](const std::string& from, const std::string& target) {
        const auto hash = target.find('#');
        const std::string file = target.substr(0, hash);
        const std::string to =
            file.empty() ? from : NormaliseChmPath(from.substr(0, from.rfind('/') + 1) + file);
        return archive->Contains(to) &&
               (hash == std::string::npos ||
                page(to).find("name=\"" + target.substr(hash + 1) + "\"") != std::string::npos);
    };
    // Every href="..." and src="..." of every page, in any letter case (no <regex>:
    // GCC 12 warns falsely inside it under the sanitizers).
    int references = 0;
    for (const auto& path : archive->ListFiles()) {
        const std::string html = path.ends_with(".html") ? page(path) : "";
        const std::string lower = LowerAscii(html);
        for (const std::string attr : {"href=\"", "src=\""}) {
            for (auto at = lower.find(attr); at != std::string::npos;
                 at = lower.find(attr, at + 1)) {
                const auto begin = at + attr.size();
                const std::string target = html.substr(begin, html.find('"', begin) - begin);
                ++references;
                EXPECT_TRUE(target.starts_with("http") || target.starts_with("mailto:") ||
                            resolves(path, target))
                    << path << " -> " << target;
            }
        }
    }

    EXPECT_GT(references, 50);  // the pages were read and their links found

    const std::string checks = page("/checks.html");
    for (const CheckRule& rule : CheckRules()) {
        const std::string id(rule.id);
        const auto at = checks.find("<h3><a name=\"" + id + "\"></a>" + id + " (" +
                                    std::string(rule.severityText) + ")</h3>");
        ASSERT_NE(at, std::string::npos) << id;
        EXPECT_NE(checks.substr(at, checks.find("<h3>", at + 1) - at).find("<b>Example:</b>"),
                  std::string::npos)
            << id;
    }
}

}  // namespace
}  // namespace valdro
