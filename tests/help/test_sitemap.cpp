// Contents and index files (sitemaps) as help compilers write them, loose or damaged.
#include "ui/help/sitemap.h"

#include <gtest/gtest.h>

namespace valdro {
namespace {

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
        {object + "\"Heading\"></OBJECT></UL>", "Heading=;"},
        {"", ""},
        {Entry("A", "a.html") + object + "\"Na", "A=a.html;"},
        {Entry("A", "a.html") + "<!-- never closed " + Entry("B", "b.html"), "A=a.html;"},
        {"</UL></UL>" + Entry("A", "a.html") + "</UL>" + Entry("", "nameless.html"), "A=a.html;"},
        {"<UL><LI><OBJECT><param name=\"Name\" value=\"X\"></OBJECT>", ""},  // not a sitemap
        {object + "\"unterminated", ""},
    };
    for (const auto& [html, want] : cases) {
        EXPECT_EQ(Show(ParseSitemap(html)), want) << html;
    }
}

// Nesting deeper than the limit is flattened at the deepest level, nothing lost;
// unknown or broken character references are left alone.
TEST(ParseSitemap, DeepNestingAndBrokenReferences) {
    std::string html;
    for (int i = 0; i < 10000; ++i) {
        html += "<UL>" + Entry("E", "p.html");
    }
    std::vector<SitemapEntry> level = ParseSitemap(html);
    int depth = 1;
    for (; level.size() == 1 && !level[0].children.empty(); ++depth) {
        level = std::vector<SitemapEntry>(level[0].children);
    }
    EXPECT_EQ(depth, kMaxSitemapDepth - 1);  // below the list that holds the top level
    EXPECT_EQ(level.size(), 10001u - depth);
    for (const char* kept : {"a &unknown; b", "fish & chips", "&#;&#x;&#12a;", "&#99999999999;"}) {
        EXPECT_EQ(DecodeHtmlEntities(kept), kept);
    }
    EXPECT_EQ(DecodeHtmlEntities("&#0;&#x1F600;&#65;"),
              "\xEF\xBF\xBD\xF0\x9F\x98\x80"
              "A");
}

}  // namespace
}  // namespace valdro
