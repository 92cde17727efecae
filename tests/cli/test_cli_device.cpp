// valdrometrica-cli's device commands through the built program: list, download
// and status against the simulated unit (and against an empty USB bus for the
// failures).

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <sstream>
#include <string_view>

#include "cli/cli_device.h"
#include "cli_run.h"
#include "config/data_file.h"
#include "device/access_remedy.h"
#include "support/text_shape.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;

using test::Fits;
using test::kTimeShape;
using test::RunResult;
using test::Slurp;

class CliDevice : public test::CliRun {
  protected:
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);) {
            lines.push_back(line);
        }
        return lines;
    }
    std::string NewDataFile() {
        EXPECT_EQ(Run({"new", "-o", P("set.dat")}).exit, 0);
        return P("set.dat");
    }
};

TEST_F(CliDevice, ListsTheSimulatedUnit) {
    const RunResult r = Run({"list", "--simulate"});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "sim:orvelix-0  revision 0009 (application)  serial SIM0001  access ok\n");
    EXPECT_EQ(Run({"list", "--bogus"}).exit, 2);
}

// Standard output holds unit lines only, so scripts can read it; with no unit
// attached (as on a build machine) the message goes to stderr.
TEST_F(CliDevice, ListSaysOnStderrWhenNoUnitIsAttached) {
    const RunResult r = Run({"list"});
    if (r.exit == 0) {
        EXPECT_EQ(r.out.find("No ORVELIX"), std::string::npos) << r.out;
    } else {
        EXPECT_EQ(r.exit, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("No ORVELIX unit found."), std::string::npos) << r.err;
    }
}

TEST_F(CliDevice, DownloadCompletesAndTracesEveryReport) {
    const std::string file = NewDataFile();
    const RunResult r = Run({"download", file, "--simulate", "--trace", P("t.trace")});
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_NE(r.err.find("Download Complete"), std::string::npos) << r.err;
    EXPECT_EQ(r.err.find(": error: "), std::string::npos) << "the defaults pass the check";
    EXPECT_EQ(r.err.find(": warning: "), std::string::npos) << r.err;
    const auto lines = Lines(Slurp(P("t.trace")));
    ASSERT_EQ(lines.size(), 218u);  // 109 reports and 109 replies
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string direction = i % 2 == 0 ? "> " : "< ";
        EXPECT_TRUE(
            Fits(lines[i], direction + std::string(130, '%') + " " + std::string(kTimeShape)))
            << lines[i];
    }
    EXPECT_EQ(lines.front().substr(0, 6), "> 0053");
    EXPECT_EQ(lines[216].substr(0, 6), "> 005a");
}

// The check runs before the download: its errors and warnings go to stderr, and
// only --strict with an error stops anything being sent.
TEST_F(CliDevice, DownloadReportsTheCheckAndStrictRefusesErrors) {
    ConfigSet clash, dhcp;
    clash.SetDefaults();
    clash.Unit(1).SetSlaveEnabled(true);
    clash.Unit(1).SetIPAddr({192, 168, 0, 6});
    dhcp.SetDefaults();
    dhcp.Unit(2).SetSlaveEnabled(true);
    dhcp.Unit(2).SetDHCPEnable(true);
    ASSERT_EQ(SaveDataFile(P("clash.dat"), clash), SaveOutcome::Ok);
    ASSERT_EQ(SaveDataFile(P("dhcp.dat"), dhcp), SaveOutcome::Ok);
    const std::string clashLine = P("clash.dat") +
                                  ": Slave 1: error: ipAddress: IP address 192.168.0.6 is also the "
                                  "Master's; give each unit an address of its own [ip-duplicate]\n";
    const std::string dhcpLine = P("dhcp.dat") + ": Slave 2: warning: dhcpEnable: ";
    struct Row {
        const char* file;
        bool strict;
        int exit;
        std::string firstLine;
        bool sent;
    };
    const Row rows[] = {
        {"clash.dat", false, 0, clashLine, true},
        {"clash.dat", true, 1, clashLine, false},
        {"dhcp.dat", true, 0, dhcpLine, true},
    };
    for (const Row& row : rows) {
        std::filesystem::remove(P("t.trace"));
        Args args{"download", P(row.file), "--simulate", "--trace", P("t.trace")};
        if (row.strict) {
            args.push_back("--strict");
        }
        const RunResult r = Run(args);
        EXPECT_EQ(r.exit, row.exit) << row.file << row.strict << r.err;
        EXPECT_EQ(r.err.rfind(row.firstLine, 0), 0u) << r.err;
        EXPECT_EQ(r.err.find("Download Complete") != std::string::npos, row.sent) << r.err;
        EXPECT_EQ(Lines(Slurp(P("t.trace"))).size(), row.sent ? 218u : 0u) << row.file;
        if (!row.sent) {
            EXPECT_NE(r.err.find("has errors; nothing sent (--strict)"), std::string::npos);
        }
    }
}

TEST_F(CliDevice, RefusalsAndFailures) {
    const std::string file = NewDataFile();
    struct Row {
        Args args;
        int exit;
        const char* message;
    };
    const Row rows[] = {
        {{"download", file, "--simulate", "--unit", "9"}, 2, "--unit"},
        {{"download", file, "--simulate", "--unit", "3"}, 1, "Slave 3 is not enabled"},
        {{"download", P("missing.dat"), "--simulate"}, 1, "missing.dat"},
        {{"download", file, "--device", "/nonexistent/hidraw"},
         1,
         "Cannot find ORVELIX\nNo ORVELIX unit at /nonexistent/hidraw"},
        {{"status", "--once", "--watch", "--simulate"}, 2, "--once and --watch"},
        {{"status", "--sim-status", "00"}, 2, "--sim-status needs --simulate"},
        {{"status", "--simulate", "--sim-unplug", "1:x"}, 2, "--sim-unplug takes N or N:S"},
        {{"status", "--once", "--simulate", "--sim-unplug", "1"}, 1, "Lost comms to ORVELIX"},
        {{"status", "--device", "/nonexistent/hidraw"}, 1, "Cannot find ORVELIX"},
    };
    for (const Row& row : rows) {
        const RunResult r = Run(row.args);
        EXPECT_EQ(r.exit, row.exit) << row.args[0] << " " << row.args[1];
        EXPECT_NE(r.err.find(row.message), std::string::npos) << row.args[1] << ": " << r.err;
        EXPECT_EQ(r.out, "") << row.args[1];
    }
}

// After "Cannot find ORVELIX" the tool explains from what the search found, without
// looking for the unit again.
TEST(CliExplainCannotFind, SaysWhatTheSearchFound) {
    struct Row {
        std::optional<OpenFailure> open;
        std::string device;
        std::string start;
    };
    const Row rows[] = {
        {OpenFailure{"/dev/hidraw3", OpenError::AccessDenied}, "",
         "Permission denied opening /dev/hidraw3.\n" + std::string(AccessDeniedSteps())},
        {OpenFailure{"/dev/hidraw3", OpenError::Busy}, "", "/dev/hidraw3 is in use"},
        {OpenFailure{"/dev/hidraw3", OpenError::Other}, "", "Cannot open /dev/hidraw3 (see"},
        {std::nullopt, "/dev/hidraw9", "No ORVELIX unit at /dev/hidraw9 (see"},
        {std::nullopt, "", "No ORVELIX unit (USB 04D8:FD37) is attached.\n"},
    };
    for (const Row& row : rows) {
        DeviceOptions options;
        options.devicePath = row.device;
        const std::string text =
            cli::ExplainCannotFind(LinkError{LinkFailure::CannotFind, row.open}, options);
        EXPECT_EQ(text.rfind(row.start, 0), 0u) << text;
        EXPECT_EQ(text.back(), '\n');
    }
}

TEST_F(CliDevice, StatusJsonFollowsTheRecord) {
    // All units; Slave 8 present; Master outputs 1 and 16, Master input 2.
    std::string hex = "00 80 01 80";
    for (int i = 4; i < 20; ++i) {
        hex += " 00";
    }
    hex += " 02 00";
    const RunResult r = Run({"status", "--once", "--json", "--simulate", "--sim-status", hex});
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
    EXPECT_EQ(master["name"], "Master");
    EXPECT_EQ(master["outputs"], nlohmann::json({1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1}));
    EXPECT_EQ(master["inputs"], nlohmann::json({0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}));

    const RunResult single = Run({"status", "--json", "--simulate", "--sim-status", "01 01 00 01"});
    ASSERT_EQ(single.exit, 0) << single.err;
    const auto s = nlohmann::json::parse(Lines(single.out).at(0));
    EXPECT_EQ(s["mode"], "single");
    ASSERT_EQ(s["units"].size(), 1u);
    EXPECT_EQ(s["units"][0]["outputs"][8], 1);
}

TEST_F(CliDevice, StatusCsvLogsTheFirstRecordWhole) {
    const RunResult r = Run(
        {"status", "--once", "--simulate", "--sim-status", "00 00 05 00", "--csv", P("log.csv")});
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto rows = Lines(Slurp(P("log.csv")));
    ASSERT_EQ(rows.size(), 1u + 32u) << "header, then the Master's 16 outputs and 16 inputs";
    EXPECT_EQ(rows[0], "time,unit,kind,number,state");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::string& row = rows[i];
        const std::string kind = i <= 16 ? "output," : "input,";
        const std::string number = std::to_string((i - 1) % 16 + 1);
        EXPECT_TRUE(Fits(row.substr(0, kTimeShape.size()), kTimeShape)) << row;
        EXPECT_EQ(row.substr(kTimeShape.size(), row.size() - kTimeShape.size() - 1),
                  ",0," + kind + number + ",")
            << row;
        EXPECT_TRUE(row.back() == '0' || row.back() == '1') << row;
    }
    EXPECT_NE(rows[1].find(",0,output,1,1"), std::string::npos) << rows[1];
    EXPECT_NE(rows[3].find(",0,output,3,1"), std::string::npos) << rows[3];
}

TEST_F(CliDevice, StatusTableWithoutATerminalHasNoColour) {
    const RunResult r = Run({"status", "--simulate", "--sim-status", "00 01 ff ff"});
    ASSERT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out.find('\x1b'), std::string::npos);
    EXPECT_NE(r.out.find("Output Status"), std::string::npos);
    EXPECT_NE(r.out.find("Input Status"), std::string::npos);
    EXPECT_NE(r.out.find("  1  1  1  1  1  1  1  1  1  1  1  1  1  1  1  1\n"), std::string::npos)
        << r.out;
}

TEST_F(CliDevice, StatusWatchEndsCleanlyOnCtrlC) {
    const RunResult r = Run({"status", "--watch", "--json", "--simulate"}, "", 2500ms);
    EXPECT_EQ(r.exit, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    for (const auto& line : lines) {
        EXPECT_EQ(nlohmann::json::parse(line)["units"].size(), 9u);
    }
}

}  // namespace
}  // namespace valdro
