#include <gtest/gtest.h>

#include "cli/cli_args.h"

namespace valdro::cli {
namespace {

ArgParser MakeParser() {
    ArgParser p("demo", "Usage: demo\n");
    p.Flag("-f", "--force").Option("-o", "--output").Positionals(1, 2);
    return p;
}

TEST(ArgParser, FlagsOptionsAndPositionals) {
    ArgParser p = MakeParser();
    ASSERT_TRUE(p.Parse({"in.dat", "--force", "-o", "x.json", "second"})) << p.Error();
    EXPECT_TRUE(p.Has("-f"));
    EXPECT_EQ(p.Value("-o"), "x.json");
    EXPECT_EQ(p.Positional(), (std::vector<std::string>{"in.dat", "second"}));

    ASSERT_TRUE(p.Parse({"--output=a=b", "-"}));
    EXPECT_EQ(p.Value("-o"), "a=b");
    EXPECT_FALSE(p.Has("-f"));
    EXPECT_EQ(p.Positional(), std::vector<std::string>{"-"});

    ASSERT_TRUE(p.Parse({"-o", "1", "--output", "2", "--", "-f"}));
    EXPECT_EQ(p.Value("-o"), "2");  // the last one counts
    EXPECT_EQ(p.Positional(), std::vector<std::string>{"-f"});

    EXPECT_TRUE(p.Parse({"--help"}));  // help wins over missing arguments
    EXPECT_TRUE(p.HelpRequested());
}

TEST(ArgParser, UsageErrors) {
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "missing arguments (expected 1)"},
        {{"a", "b", "c"}, "unexpected argument 'c'"},
        {{"a", "--bogus"}, "unknown option '--bogus'"},
        {{"a", "-o"}, "option '-o' needs a value"},
        {{"a", "--force=yes"}, "option '--force' takes no value"},
    };
    for (const auto& [args, error] : rows) {
        ArgParser p = MakeParser();
        EXPECT_FALSE(p.Parse(args));
        EXPECT_EQ(p.Error(), error);
    }
}

TEST(ParseInteger, Bounds) {
    EXPECT_EQ(ParseInteger("8", 0, 8), 8);
    EXPECT_EQ(ParseInteger("-3", -5, 5), -3);
    for (const char* bad : {"9", "", "3x", " 3", "99999999999999999999"})
        EXPECT_FALSE(ParseInteger(bad, 0, 8)) << bad;
}

}  // namespace
}  // namespace valdro::cli
