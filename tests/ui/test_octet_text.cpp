#include <gtest/gtest.h>

#include "ui/octet_text.h"

namespace valdro::ui {
namespace {

struct OctetCase {
    const char* text;
    int expected;  // -1 = refused
};

void PrintTo(const OctetCase& c, std::ostream* os) {
    *os << '"' << c.text << '"';
}

class OctetTextTest : public ::testing::TestWithParam<OctetCase> {};

TEST_P(OctetTextTest, ParsesPlainDecimalInRangeOnly) {
    const auto& c = GetParam();
    const auto got = ParseOctet(QString::fromUtf8(c.text));
    if (c.expected < 0) {
        EXPECT_FALSE(got.has_value()) << "'" << c.text << "'";
    } else {
        ASSERT_TRUE(got.has_value()) << "'" << c.text << "'";
        EXPECT_EQ(*got, c.expected) << "'" << c.text << "'";
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, OctetTextTest,
    ::testing::Values(OctetCase{"0", 0}, OctetCase{"255", 255}, OctetCase{"192", 192},
                      OctetCase{"007", 7}, OctetCase{"+5", 5}, OctetCase{"-0", 0},
                      OctetCase{" 12 ", 12}, OctetCase{"\t9", 9},
                      // out of range: refused rather than cut to eight bits
                      OctetCase{"256", -1}, OctetCase{"300", -1}, OctetCase{"-1", -1},
                      OctetCase{"99999999999", -1}, OctetCase{"000000000000256", -1},
                      // not decimal
                      OctetCase{"", -1}, OctetCase{" ", -1}, OctetCase{"+", -1}, OctetCase{"-", -1},
                      OctetCase{"x", -1}, OctetCase{"0x10", -1}, OctetCase{"1e2", -1},
                      OctetCase{"1 2", -1}, OctetCase{"12a", -1}, OctetCase{"1.0", -1},
                      OctetCase{"++1", -1},
                      OctetCase{"\xd9\xa3", -1} /* Arabic-Indic digit three */),
    [](const ::testing::TestParamInfo<OctetCase>& info) {
        return "Case" + std::to_string(info.index);
    });

}  // namespace
}  // namespace valdro::ui
