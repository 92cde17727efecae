// The report trace: line format, appending to an existing file, a failed read's
// line, and a path that cannot be written.

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string_view>

#include "device/report_trace.h"
#include "support/temp_dir.h"
#include "support/text_shape.h"

namespace valdro {
namespace {

using test::Fits;
using test::kTimeShape;

TEST(ReportTrace, FormatsDirectionHexAndUtcTime) {
    HidReport r{};
    r[1] = 0x53;
    r[64] = 0xAB;
    char line[ReportTrace::kLineSize + 1];
    const std::size_t n = ReportTrace::FormatLine(TraceDirection::ToUnit, r, line);
    const std::string text(line, n);
    EXPECT_EQ(n, ReportTrace::kLineSize);
    EXPECT_EQ(text.substr(0, 6), "> 0053");
    EXPECT_EQ(text.substr(2 + 128, 2), "ab");
    EXPECT_TRUE(Fits(text, "> " + std::string(130, '%') + " " + std::string(kTimeShape))) << text;
    ReportTrace::FormatLine(TraceDirection::FromUnit, r, line);
    EXPECT_EQ(line[0], '<');
}

TEST(ReportTrace, AppendsOneLinePerReport) {
    const valdro::testing::TempDir dir;
    const auto path = dir / "t.trace";
    { std::ofstream(path, std::ios::binary) << "earlier line\n"; }
    {
        ReportTrace trace;
        ASSERT_TRUE(trace.Open(path.string()));
        trace.Write(TraceDirection::ToUnit, HidReport{});
        trace.Write(TraceDirection::FromUnit, HidReport{});
        trace.WriteReadFailure("device\ngone");  // one line, whatever the reason holds
    }
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string l; std::getline(in, l);) {
        lines.push_back(l);
    }
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_EQ(lines[1].substr(0, 2), "> ");
    EXPECT_EQ(lines[2].substr(0, 2), "< ");
    EXPECT_TRUE(Fits(lines[3], "! read failed: device gone " + std::string(kTimeShape)))
        << lines[3];

    ReportTrace unwritable;
    EXPECT_FALSE(unwritable.Open("/nonexistent-dir/x.trace"));
    EXPECT_FALSE(unwritable.IsOpen());
    unwritable.Write(TraceDirection::ToUnit, HidReport{});  // harmless
}

}  // namespace
}  // namespace valdro
