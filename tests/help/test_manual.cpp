// The manual as built: every contents and index entry, link and image resolves
// inside the help file, and every message the program can show is explained.

#include <gtest/gtest.h>

#include <regex>
#include <set>

#include "config/config_check.h"
#include "help_test_paths.h"
#include "ui/help/chm_archive.h"
#include "ui/help/sitemap.h"

namespace valdro {
namespace {

class Manual : public ::testing::Test {
  protected:
    void SetUp() override {
        archive_ = ChmArchive::Open(test::BuiltHelpFile());
        ASSERT_NE(archive_, nullptr);
    }
    std::string Page(const std::string& path) { return archive_->Read(path).value_or(""); }
    std::set<std::string> Pages() {
        std::set<std::string> pages;
        for (const auto& f : archive_->ListFiles()) {
            if (f.size() > 5 && f.substr(f.size() - 5) == ".html")
                pages.insert(f);
        }
        return pages;
    }
    std::unique_ptr<ChmArchive> archive_;
};

void CollectLocals(const std::vector<SitemapEntry>& entries, std::vector<std::string>& out) {
    for (const auto& e : entries) {
        if (!e.local.empty())
            out.push_back(e.local);
        CollectLocals(e.children, out);
    }
}

// Every contents and index entry, link, image and style sheet resolves inside the
// help file, anchors included; every page has a title and the style sheet.
TEST_F(Manual, EveryReferenceResolvesInsideTheHelpFile) {
    const auto resolves = [&](const std::string& from, const std::string& target) {
        const auto hash = target.find('#');
        const std::string file = target.substr(0, hash);
        const std::string dir = from.substr(0, from.rfind('/') + 1);
        const std::string page = file.empty() ? from : NormaliseChmPath(dir + file);
        EXPECT_TRUE(archive_->Contains(page)) << from << " -> " << target;
        if (hash != std::string::npos) {
            const std::string anchor = "name=\"" + target.substr(hash + 1) + "\"";
            EXPECT_NE(Page(page).find(anchor), std::string::npos) << from << " -> " << target;
        }
    };
    for (const std::string sitemap : {"/contents.hhc", "/index.hhk"}) {
        std::vector<std::string> locals;
        CollectLocals(ParseSitemap(Page(sitemap)), locals);
        EXPECT_GT(locals.size(), 10u) << sitemap;
        for (const auto& local : locals)
            resolves("/", local);
    }
    const std::regex ref(R"((?:href|src)="([^"]+)\")", std::regex::icase);
    const auto pages = Pages();
    EXPECT_GE(pages.size(), 14u);
    for (const auto& page : pages) {
        const std::string html = Page(page);
        EXPECT_NE(html.find("<title>"), std::string::npos) << page;
        EXPECT_NE(html.find("style.css"), std::string::npos) << page;
        for (std::sregex_iterator it(html.begin(), html.end(), ref), end; it != end; ++it) {
            const std::string target = (*it)[1];
            if (target.rfind("http", 0) != 0 && target.rfind("mailto:", 0) != 0)
                resolves(page, target);
        }
    }
}

TEST_F(Manual, ExplainsEveryMessageTheProgramCanShow) {
    const std::string messages = Page("/messages.html");
    ASSERT_FALSE(messages.empty());
    for (const char* text :
         {"Invalid IP Address", "Invalid Gateway Address", "Invalid Subnet Mask",
          "Invalid DNS Address", "Incompatible data file.", "The file uses a later data format.",
          "Cannot load", "Error Opening File.", "Error Saving File.", "Data has changed",
          "Save now?", "ORVELIX is in Program Mode", "Cannot find ORVELIX",
          "Application is not a ORVELIX Valdrometrica", "Lost comms to ORVELIX",
          "Download Complete"}) {
        EXPECT_NE(messages.find(text), std::string::npos) << text;
    }
}

// Each rule of the checker has its own heading, with the severity the checker
// gives it, and an example; --help lists the same ids.
TEST_F(Manual, DescribesEveryCheckRuleWithItsSeverity) {
    const std::string checks = Page("/checks.html");
    ASSERT_FALSE(checks.empty());
    for (const CheckRule& rule : CheckRules()) {
        const std::string id(rule.id);
        const std::string heading = "<h3><a name=\"" + id + "\"></a>" + id + " (" +
                                    std::string(rule.severityText) + ")</h3>";
        const auto at = checks.find(heading);
        ASSERT_NE(at, std::string::npos) << heading;
        const auto next = checks.find("<h3>", at + 1);
        EXPECT_NE(checks.substr(at, next - at).find("<b>Example:</b>"), std::string::npos) << id;
    }
}

}  // namespace
}  // namespace valdro
