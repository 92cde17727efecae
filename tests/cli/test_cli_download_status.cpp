// valdrometrica-cli download and status through the built program, against the
// simulated unit (and against an empty USB bus for the failures).

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <nlohmann/json.hpp>
#include <regex>
#include <sstream>

#include "temp_dir.h"

namespace valdro {
namespace {

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

class CliDevice : public ::testing::Test {
  protected:
    RunResult Run(const std::string& args, const std::string& prefix = "") {
        const std::string out = (dir_.path() / "out").string();
        const std::string err = (dir_.path() / "err").string();
        const std::string cmd = prefix + "'" + VALDRO_BIN_DIR + "/valdrometrica-cli' " + args +
                                " </dev/null >'" + out + "' 2>'" + err + "'";
        const int status = std::system(cmd.c_str());
        RunResult r;
        r.exit = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        r.out = Slurp(out);
        r.err = Slurp(err);
        return r;
    }
    static std::string Slurp(const std::string& path) {
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), {}};
    }
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    std::string P(const char* name) const { return (dir_.path() / name).string(); }
    std::string NewDataFile() {
        const std::string file = P("set.dat");
        EXPECT_EQ(Run("new -o '" + file + "'").exit, 0);
        return file;
    }

    testing::TempDir dir_;
};

TEST_F(CliDevice, DownloadToTheSimulatedUnitCompletesAndTracesEveryReport) {
    const std::string file = NewDataFile();
    const RunResult r = Run("download '" + file + "' --simulate --trace '" + P("t.trace") + "'");
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("Download Complete"), std::string::npos) << r.err;

    const auto lines = Lines(Slurp(P("t.trace")));
    ASSERT_EQ(lines.size(), 218u);  // 109 reports and 109 replies
    const std::regex line("[<>] [0-9a-f]{130} \\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z");
    for (std::size_t i = 0; i < lines.size(); ++i) {
        EXPECT_TRUE(std::regex_match(lines[i], line)) << lines[i];
        EXPECT_EQ(lines[i][0], i % 2 == 0 ? '>' : '<');
    }
    EXPECT_EQ(lines.front().substr(0, 6), "> 0053");
    EXPECT_EQ(lines[216].substr(0, 6), "> 005a");
}

TEST_F(CliDevice, DownloadRefusals) {
    const std::string file = NewDataFile();
    RunResult r = Run("download '" + file + "' --simulate --unit 9");
    EXPECT_EQ(r.exit, 2) << r.err;

    r = Run("download '" + file + "' --simulate --unit 3");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Slave 3 is not enabled"), std::string::npos) << r.err;

    r = Run("download '" + P("missing.dat") + "' --simulate");
    EXPECT_EQ(r.exit, 1);

    r = Run("download '" + file + "' --device /nonexistent/hidraw");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Cannot find ORVELIX"), std::string::npos) << r.err;
}

TEST_F(CliDevice, StatusJsonFollowsTheRecord) {
    // All units; Slave 8 present; Master outputs 1 and 16, Master input 2.
    std::string hex = "00 80 01 80";
    for (int i = 4; i < 20; ++i) {
        hex += " 00";
    }
    hex += " 02 00";
    const RunResult r = Run("status --once --json --simulate --sim-status '" + hex + "'");
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 1u) << r.out;
    const auto j = nlohmann::json::parse(lines[0]);
    EXPECT_EQ(j["mode"], "all");
    ASSERT_EQ(j["units"].size(), 9u);
    for (std::size_t u = 0; u < 9; ++u) {
        EXPECT_EQ(j["units"][u]["index"], u);
        EXPECT_EQ(j["units"][u]["present"], u == 0 || u == 8) << u;
        EXPECT_EQ(j["units"][u]["outputs"].size(), 16u);
        EXPECT_EQ(j["units"][u]["inputs"].size(), 16u);
    }
    const auto& master = j["units"][0];
    EXPECT_EQ(master["outputs"][0], 1);
    EXPECT_EQ(master["outputs"][1], 0);
    EXPECT_EQ(master["outputs"][15], 1);
    EXPECT_EQ(master["inputs"][1], 1);
    EXPECT_EQ(master["inputs"][0], 0);
    EXPECT_TRUE(master["name"].is_string());
}

TEST_F(CliDevice, StatusJsonInSingleMode) {
    const RunResult r = Run("status --json --simulate --sim-status '01 01 00 01'");
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto j = nlohmann::json::parse(Lines(r.out).at(0));
    EXPECT_EQ(j["mode"], "single");
    ASSERT_EQ(j["units"].size(), 1u);
    EXPECT_EQ(j["units"][0]["index"], 0);
    EXPECT_EQ(j["units"][0]["outputs"][8], 1);
}

TEST_F(CliDevice, StatusCsvLogsTheFirstRecordWhole) {
    const RunResult r =
        Run("status --once --simulate --sim-status '00 00 05 00' --csv '" + P("log.csv") + "'");
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto rows = Lines(Slurp(P("log.csv")));
    ASSERT_EQ(rows.size(), 1u + 32u) << "header, then the Master's 16 outputs and 16 inputs";
    EXPECT_EQ(rows[0], "time,unit,kind,number,state");
    const std::regex row(
        "\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\d\\.\\d{3}Z,0,(output|input),\\d+,[01]");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        EXPECT_TRUE(std::regex_match(rows[i], row)) << rows[i];
    }
    EXPECT_NE(rows[1].find(",0,output,1,1"), std::string::npos) << rows[1];
    EXPECT_NE(rows[3].find(",0,output,3,1"), std::string::npos) << rows[3];
}

TEST_F(CliDevice, StatusTableWithoutATerminalHasNoColour) {
    const RunResult r = Run("status --simulate --sim-status '00 01 ff ff'");
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("Output Status"), std::string::npos);
    EXPECT_NE(r.out.find("Input Status"), std::string::npos);
    EXPECT_NE(r.out.find("  1  1  1  1  1  1  1  1  1  1  1  1  1  1  1  1\n"), std::string::npos)
        << r.out;
}

TEST_F(CliDevice, StatusFailuresAndUsage) {
    RunResult r = Run("status --once --watch --simulate");
    EXPECT_EQ(r.exit, 2);
    r = Run("status --device /nonexistent/hidraw");
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("Cannot find ORVELIX"), std::string::npos) << r.err;
}

TEST_F(CliDevice, StatusWatchEndsCleanlyOnCtrlC) {
    const RunResult r =
        Run("status --watch --json --simulate", "timeout --preserve-status -s INT 2.5 ");
    EXPECT_EQ(r.exit, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines) {
        EXPECT_EQ(nlohmann::json::parse(line)["units"].size(), 9u);
    }
}

}  // namespace
}  // namespace valdro
