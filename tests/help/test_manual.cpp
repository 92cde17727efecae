// The manual as built: every contents and index entry, link and image resolves
// inside the help file, every message the program can show is explained, and
// every rule of the checker has its heading, severity and example.
#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "config/config_check.h"
#include "ui/help/chm_archive.h"
#include "ui/help/sitemap.h"

namespace valdro {
namespace {

TEST(Manual, EveryReferenceResolvesAndEveryMessageAndRuleIsExplained) {
    const auto archive = ChmArchive::Open(VALDRO_BIN_DIR "/valdrometrica.chm");
    ASSERT_NE(archive, nullptr);
    auto page = [&](const std::string& path) { return archive->Read(path).value_or(""); };
    // A link from a page: the page it names exists, and so does its anchor.
    int links = 0;
    auto resolves = [&](const std::string& from, const std::string& target) {
        const auto hash = target.find('#');
        const std::string file = target.substr(0, hash);
        const std::string to =
            file.empty() ? from : NormaliseChmPath(from.substr(0, from.rfind('/') + 1) + file);
        ++links;
        return archive->Contains(to) &&
               (hash == std::string::npos ||
                page(to).find("name=\"" + target.substr(hash + 1) + "\"") != std::string::npos);
    };
    std::function<void(const std::vector<SitemapEntry>&)> walk = [&](const auto& list) {
        for (const auto& e : list) {
            EXPECT_TRUE(e.local.empty() || resolves("/", e.local)) << e.local;
            walk(e.children);
        }
    };
    walk(ParseSitemap(page("/contents.hhc")));
    walk(ParseSitemap(page("/index.hhk")));
    const std::regex ref(R"re((?:href|src)="([^"]+)")re", std::regex::icase);
    for (const auto& path : archive->ListFiles()) {
        const std::string html = path.ends_with(".html") ? page(path) : "";
        EXPECT_TRUE(html.empty() || (html.find("<title>") != std::string::npos &&
                                     html.find("style.css") != std::string::npos))
            << path;
        for (std::sregex_iterator it(html.begin(), html.end(), ref), end; it != end; ++it) {
            const std::string target = (*it)[1];
            EXPECT_TRUE(target.starts_with("http") || target.starts_with("mailto:") ||
                        resolves(path, target))
                << path << " -> " << target;
        }
    }
    EXPECT_GT(links, 100);

    const std::string messages = page("/messages.html");
    for (const char* text :
         {"Invalid IP Address", "Invalid Gateway Address", "Invalid Subnet Mask",
          "Invalid DNS Address", "Incompatible data file.", "The file uses a later data format.",
          "Cannot load", "Error Opening File.", "Error Saving File.", "Data has changed",
          "Save now?", "ORVELIX is in Program Mode", "Cannot find ORVELIX",
          "Application is not a ORVELIX Valdrometrica", "Lost comms to ORVELIX",
          "Download Complete"}) {
        EXPECT_NE(messages.find(text), std::string::npos) << text;
    }
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
