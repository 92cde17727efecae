// The option parser and whole numbers within bounds.
#include <gtest/gtest.h>

#include "cli/cli_args.h"

namespace valdro::cli {
namespace {

// Values inline or after, "--", the last value, help over missing arguments (the
// usage errors are checked through the program).
TEST(ArgParser, Parses) {
    ArgParser p("demo", "Usage: demo\n");
    p.Flag("-f", "--force").Option("-o", "--output").Positionals(1, 2);
    ASSERT_TRUE(p.Parse({"--output=a=b", "-", "-f"}));
    EXPECT_EQ(p.Value("-o"), "a=b");
    EXPECT_TRUE(p.Has("-f"));
    EXPECT_EQ(p.Positional(), std::vector<std::string>{"-"});
    ASSERT_TRUE(p.Parse({"-o", "1", "x", "--output", "2", "--", "-f"}));
    EXPECT_EQ(p.Value("-o"), "2");  // the last one counts
    EXPECT_FALSE(p.Has("-f"));
    EXPECT_EQ(p.Positional(), (std::vector<std::string>{"x", "-f"}));
    EXPECT_TRUE(p.Parse({"--help"}));  // help wins over missing arguments
    EXPECT_TRUE(p.HelpRequested());
}

TEST(ParseInteger, Bounds) {
    EXPECT_EQ(ParseInteger("8", 0, 8), 8);
    EXPECT_EQ(ParseInteger("-3", -5, 5), -3);
    for (const char* bad : {"9", "", "3x", " 3", "99999999999999999999"})
        EXPECT_FALSE(ParseInteger(bad, 0, 8)) << bad;
}

}  // namespace
}  // namespace valdro::cli
