// What the reports hold: every report of a download (golden traces), what the buffer
// keeps between downloads; the status records and names the unit sends.
// How the exchanges run and fail: test_engine_scenarios.cpp.

#include <gtest/gtest.h>

#include <cstdlib>
#include <fstream>

#include "device/report_trace.h"
#include "engine_rig.h"
#include "support/temp_dir.h"
#include "support/text_shape.h"

namespace valdro {
namespace {

using test::EngineRig;

class EngineDownloadGolden : public ::testing::TestWithParam<int> {};

// The golden files pin every byte of a download of the Master and of Slave 5, the
// bytes a layout leaves alone included (VALDRO_WRITE_GOLDEN=1 rewrites them after a
// deliberate change). The trace is appended to, a line a report each way, and says
// why the link dropped on one line. The one transmit buffer outlives a download:
// the next one's first reports carry the last report's bytes.
TEST_P(EngineDownloadGolden, WritesTheGoldenReports) {
    const int unit = GetParam();
    const std::string file = unit == 0 ? "download_master.trace" : "download_slave5.trace";
    const std::string golden = std::string(VALDRO_TEST_DATA_DIR) + "/" + file;
    const valdro::testing::TempDir dir;
    const std::string path = (dir / file).string();
    EngineRig rig;
    rig.config = test::GoldenConfig();
    auto download = [&](ReportTrace* trace) {
        rig.sim.ClearWrittenReports();
        rig.engine.SetTrace(trace);
        rig.StartDownload(unit);
        EXPECT_TRUE(rig.Deliver());
        rig.engine.SetTrace(nullptr);
        return rig.sim.WrittenReports();
    };
    std::ofstream(path, std::ios::binary) << "earlier line\n";
    ReportTrace trace;
    ASSERT_TRUE(trace.Open(path));
    const auto first = download(&trace);
    rig.engine.SetTrace(&trace);
    rig.sim.Unplug();
    ASSERT_TRUE(rig.WaitChannelDropped());
    rig.engine.SetTrace(nullptr);
    rig.sim.Replug();
    trace.WriteReadFailure(
        "bad\n\x7f"
        "end");
    trace.Close();
    std::ifstream in(path, std::ios::binary);
    std::vector<std::string> lines;
    for (std::string line; std::getline(in, line);) {
        lines.push_back(line);
    }
    ASSERT_EQ(lines.size(), 2 * first.size() + 3);
    const std::string stamp(test::kTimeShape);
    EXPECT_EQ(lines[0], "earlier line");
    EXPECT_TRUE(test::Fits(lines[1], "> 0053" + std::string(126, '%') + " " + stamp)) << lines[1];
    EXPECT_TRUE(test::Fits(lines[2], "< 0053" + std::string(126, '%') + " " + stamp)) << lines[2];
    EXPECT_TRUE(test::Fits(lines.end()[-2], "! read failed: simulated unit unplugged " + stamp));
    EXPECT_TRUE(test::Fits(lines.back(), "! read failed: bad  end " + stamp)) << lines.back();
    EXPECT_FALSE(ReportTrace().Open((dir / "no-folder" / "x").string()));
    const auto got = test::TraceHex(path);
    if (std::getenv("VALDRO_WRITE_GOLDEN") != nullptr) {
        std::ofstream out(golden);
        for (const auto& line : got) {
            out << "> " << line << '\n';
        }
    }
    const auto want = test::TraceHex(golden);
    ASSERT_EQ(want.size(), unit == 0 ? 109u : 11u);
    ASSERT_EQ(got.size(), want.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        EXPECT_EQ(got[i], want[i]) << file << ", report " << i + 1;
    }
    EXPECT_EQ(rig.events.order, std::vector<std::string>{"complete"});
    const int total = static_cast<int>(got.size());
    EXPECT_EQ(rig.events.progress.size(), got.size());
    EXPECT_EQ(rig.events.progress.back(), std::make_pair(total, total));

    const auto next = download(nullptr);
    ASSERT_EQ(next.size(), got.size());
    for (std::size_t i = 2; i < kReportSize; ++i) {
        EXPECT_EQ(next[0][i], first.back()[i]) << "Identify, byte " << i;
        EXPECT_EQ(next[1][i], first.back()[i]) << "BeginDownload, byte " << i;
        EXPECT_EQ(next[2][i], i <= 44 ? first[2][i] : first.back()[i]) << "block 0, byte " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Units, EngineDownloadGolden, ::testing::Values(0, 5));

// A record as the unit sends it (reply bytes 2..): mode, the Slaves' presence
// mask, then the outputs and inputs of each unit, low byte first.
TEST(EngineStatus, RecordsArePaintedAsTheUnitSentThem) {
    const struct {
        std::uint8_t mode, mask;
        std::uint16_t present;  // bit u = unit u
    } rows[] = {{0, 0x00, 0x001}, {0, 0x80, 0x101}, {0, 0xFF, 0x1FF}, {1, 1, 0x001}, {2, 0, 0}};
    for (const auto& row : rows) {
        // Master outputs 1 and 16, Slave 1 output 9, Master inputs 2 and 15, Slave 8 input 16.
        std::vector<std::uint8_t> record = {row.mode, row.mask, 0x01, 0x80, 0, 0x01};
        record.resize(38);
        record[20] = 0x02, record[21] = 0x40, record[37] = 0x80;
        test::EngineRig rig;
        rig.sim.SetStatusOverride(record);
        rig.engine.StartMonitoring();
        ASSERT_TRUE(rig.Deliver());
        const StatusRecord& r = rig.events.painted.at(0);
        const bool all = row.mode == 0;
        EXPECT_EQ(r.rowCount(), all ? 9 : 1);
        for (std::size_t u = 0; u < 9; ++u) {
            EXPECT_EQ(r.units[u].present, ((row.present >> u) & 1) != 0) << "unit " << u;
        }
        EXPECT_EQ(r.units[0].outputs, 0x8001);
        EXPECT_EQ(r.units[0].inputs, 0x4002);
        EXPECT_EQ(r.units[1].outputs, all ? 0x0100 : 0);
        EXPECT_EQ(r.units[8].inputs, all ? 0x8000 : 0);
        EXPECT_EQ(rig.events.order.back(), all ? "names9" : "names1");
    }
}

// Name replies handed in directly: each is stored up to its NUL, 30 characters at most.
TEST(EngineStatus, NamesAreStoredUpToTheirNulAndThirtyCharacters) {
    const std::pair<std::string, std::string> rows[] = {
        {std::string("Slave 3\0", 8), "Slave 3"},
        {std::string(1, '\0'), ""},
        {std::string(30, 'x') + '\0', std::string(30, 'x')},
        {std::string(31, 'y') + '\0', std::string(30, 'y')},
        {std::string(63, 'z'), std::string(30, 'z')},
        {std::string("Caf\xe9\0", 5), "Caf\xe9"},
    };
    for (const auto& [bytes, stored] : rows) {
        test::EngineRig rig;
        rig.sim.SetSingleUnitMode(true);
        rig.engine.StartMonitoring();
        ASSERT_TRUE(rig.Deliver(2));
        ASSERT_EQ(rig.engine.LinkState(), LinkState::OwnNameReply);
        HidReport reply;
        reply.fill('A');
        std::copy(bytes.begin(), bytes.end(), reply.begin() + 2);
        rig.engine.ReceiveReport(reply);
        EXPECT_EQ(rig.engine.StatusUnitNames()[0], stored);
    }
}

}  // namespace
}  // namespace valdro
