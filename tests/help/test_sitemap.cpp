#include "ui/help/sitemap.h"

#include <gtest/gtest.h>

#include <functional>

namespace valdro {
namespace {

std::string Entry(const std::string& name, const std::string& local) {
    return "<LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"" + name +
           "\"><param name=\"Local\" value=\"" + local + "\"></OBJECT>\n";
}

TEST(ParseSitemap, BuildsTheNestedContentsTree) {
    const std::string hhc =
        "<HTML><BODY><OBJECT type=\"text/site properties\"><param name=\"Name\" "
        "value=\"ignored\"></OBJECT>\n<UL>" +
        Entry("Welcome", "index.html") + Entry("Window", "window.html") + "<UL>" +
        Entry("General", "general.html") + "<UL>" + Entry("Deep", "deep.html") + "</UL>" +
        Entry("Status", "status.html") + "</UL>" + Entry("Messages", "messages.html") +
        "</UL></BODY></HTML>";
    const auto tree = ParseSitemap(hhc);
    ASSERT_EQ(tree.size(), 3u);
    EXPECT_EQ(tree[0].name, "Welcome");
    EXPECT_EQ(tree[0].local, "index.html");
    ASSERT_EQ(tree[1].children.size(), 2u);
    EXPECT_EQ(tree[1].children[0].name, "General");
    ASSERT_EQ(tree[1].children[0].children.size(), 1u);
    EXPECT_EQ(tree[1].children[0].children[0].local, "deep.html");
    EXPECT_EQ(tree[1].children[1].name, "Status");
    EXPECT_EQ(tree[2].name, "Messages");
    EXPECT_TRUE(tree[2].children.empty());
}

TEST(ParseSitemap, ReadsLooseMarkupAsHelpCompilersWriteIt) {
    const std::vector<std::pair<std::string, SitemapEntry>> cases = {
        // lower case, single quotes, unquoted values, extra attributes
        {"<ul><li><object type='text/sitemap'><param name='name' value='A'>"
         "<param name=local value=a.html></object></ul>",
         {"A", "a.html", {}}},
        // an index keyword with several topics takes the first
        {"<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"K\">"
         "<param name=\"Name\" value=\"Topic one\"><param name=\"Local\" value=\"one.html\">"
         "<param name=\"Local\" value=\"two.html\"></OBJECT></UL>",
         {"K", "one.html", {}}},
        // entities in values
        {"<UL>" + Entry("Save &amp; Load &#8211; &lt;x&gt; &#x41;", "s.html#a&amp;b") + "</UL>",
         {"Save & Load \xE2\x80\x93 <x> A", "s.html#a&b", {}}},
        // commented-out entries are skipped
        {"<UL><!-- " + Entry("Hidden", "h.html") + " -->" + Entry("Shown", "s.html") + "</UL>",
         {"Shown", "s.html", {}}},
        // a heading without a page
        {"<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"Heading\">"
         "</OBJECT></UL>",
         {"Heading", "", {}}},
    };
    for (const auto& [html, want] : cases) {
        const auto tree = ParseSitemap(html);
        ASSERT_EQ(tree.size(), 1u) << html;
        EXPECT_EQ(tree[0].name, want.name) << html;
        EXPECT_EQ(tree[0].local, want.local) << html;
    }
}

TEST(ParseSitemap, DamagedMarkupKeepsWhatWasComplete) {
    const std::vector<std::pair<std::string, std::size_t>> cases = {
        {"", 0},
        {"<UL>" + Entry("A", "a.html") + "<LI><OBJECT type=\"text/sitemap\"><param name=\"Na", 1},
        {"<UL>" + Entry("A", "a.html") + "<!-- never closed " + Entry("B", "b.html"), 1},
        {"</UL></UL>" + Entry("A", "a.html") + "</UL>", 1},      // closing more than opened
        {Entry("A", "a.html") + Entry("", "nameless.html"), 1},  // nameless entries dropped
        {"<UL><LI><OBJECT><param name=\"Name\" value=\"X\"></OBJECT>", 0},  // not a sitemap object
        {"<UL><LI><OBJECT type=\"text/sitemap\"><param name=\"Name\" value=\"unterminated", 0},
    };
    for (const auto& [html, count] : cases)
        EXPECT_EQ(ParseSitemap(html).size(), count) << html;
}

TEST(ParseSitemap, NestingDeeperThanTheLimitIsFlattened) {
    std::string html;
    for (int i = 0; i < 10000; ++i)
        html += "<UL>" + Entry("E" + std::to_string(i), "p.html");
    const auto tree = ParseSitemap(html);
    ASSERT_EQ(tree.size(), 1u);
    int depth = 1;
    for (const SitemapEntry* level = &tree[0]; !level->children.empty();
         level = &level->children.front()) {
        ++depth;
    }
    EXPECT_LE(depth, kMaxSitemapDepth);
    // Nothing is lost: the flattened entries sit side by side at the deepest level.
    std::size_t all = 0;
    std::function<void(const std::vector<SitemapEntry>&)> count =
        [&](const std::vector<SitemapEntry>& v) {
            all += v.size();
            for (const auto& e : v)
                count(e.children);
        };
    count(tree);
    EXPECT_EQ(all, 10000u);
}

TEST(DecodeHtmlEntities, LeavesUnknownOrBrokenReferencesAlone) {
    EXPECT_EQ(DecodeHtmlEntities("a &unknown; b"), "a &unknown; b");
    EXPECT_EQ(DecodeHtmlEntities("fish & chips"), "fish & chips");
    EXPECT_EQ(DecodeHtmlEntities("&#;&#x;&#12a;"), "&#;&#x;&#12a;");
    EXPECT_EQ(DecodeHtmlEntities("&#0;"), "\xEF\xBF\xBD");
    EXPECT_EQ(DecodeHtmlEntities("&#99999999999;"), "&#99999999999;");
    EXPECT_EQ(DecodeHtmlEntities("&#x1F600;"), "\xF0\x9F\x98\x80");
}

}  // namespace
}  // namespace valdro
