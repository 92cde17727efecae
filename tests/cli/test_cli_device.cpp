// valdrometrica-cli's device commands through the built program, against the
// simulated unit (and an empty USB bus for the failures).

#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli/cli_device.h"
#include "cli_run.h"
#include "config/data_file.h"
#include "device/access_remedy.h"
#include "support/random_set.h"
#include "support/text_shape.h"

namespace valdro {
namespace {

using namespace std::chrono_literals;
using Args = std::vector<std::string>;
using test::kTimeShape;
using test::ReadFile;
using test::RunResult;

class CliDevice : public test::CliRun {};

// Standard output holds unit lines only, so scripts can read it; with no unit
// attached (as on a build machine) the message goes to stderr.
TEST_F(CliDevice, ListShowsTheUnitsAndSaysOnStderrWhenThereIsNone) {
    const RunResult sim = Run({"list", "--simulate"});
    EXPECT_EQ(sim.exit, 0) << sim.err;
    EXPECT_EQ(sim.out, "sim:orvelix-0  revision 0009 (application)  serial SIM0001  access ok\n");
    const RunResult usb = Run({"list"});
    EXPECT_TRUE(usb.exit == 0 ? usb.out.find("No ORVELIX") == std::string::npos
                              : usb.exit == 1 && usb.out.empty() &&
                                    usb.err.find("No ORVELIX unit found.") != std::string::npos)
        << usb.exit << usb.out << usb.err;
}

// The check runs before the download: its errors and warnings go to stderr, and
// only --strict with an error stops anything being sent.
// The trace holds every report and reply (109 each); its layout is checked elsewhere.
TEST_F(CliDevice, DownloadReportsTheCheckAndStrictRefusesErrors) {
    const ConfigSet defaults = testing::DefaultSet();
    ConfigSet clash = defaults, dhcp = defaults;
    clash.Unit(1).SetSlaveEnabled(true);
    clash.Unit(1).SetIPAddr({192, 168, 0, 6});
    dhcp.Unit(2).SetSlaveEnabled(true);
    dhcp.Unit(2).SetDHCPEnable(true);
    ASSERT_EQ(SaveDataFile(P("defaults.dat"), defaults), SaveOutcome::Ok);
    ASSERT_EQ(SaveDataFile(P("clash.dat"), clash), SaveOutcome::Ok);
    ASSERT_EQ(SaveDataFile(P("dhcp.dat"), dhcp), SaveOutcome::Ok);
    const std::string clashLine = P("clash.dat") +
                                  ": Slave 1: error: ipAddress: IP address 192.168.0.6 is also the "
                                  "Master's; give each unit an address of its own [ip-duplicate]\n";
    const std::tuple<const char*, bool, int, std::string> rows[] = {
        // --strict, exit
        {"defaults.dat", true, 0, "Download Complete\n"},
        {"clash.dat", false, 0, clashLine},
        {"clash.dat", true, 1, clashLine},
        {"dhcp.dat", true, 0, P("dhcp.dat") + ": Slave 2: warning: dhcpEnable: "},
    };
    for (const auto& [file, strict, exit, firstLine] : rows) {
        std::filesystem::remove(P("t.trace"));
        Args args{"download", P(file), "--simulate", "--trace", P("t.trace")};
        if (strict)
            args.push_back("--strict");
        const RunResult r = Run(args);
        EXPECT_EQ(r.exit, exit) << file << strict << r.err;
        EXPECT_EQ(r.err.rfind(firstLine, 0), 0u) << r.err;
        const bool sent = exit == 0;
        EXPECT_NE(r.err.find(sent ? "Download Complete" : "has errors; nothing sent (--strict)"),
                  std::string::npos)
            << r.err;
        const auto trace = Lines(ReadFile(P("t.trace")));
        ASSERT_EQ(trace.size(), sent ? 218u : 0u) << file;
        EXPECT_TRUE(!sent ||
                    (trace[0].rfind("> 0053", 0) == 0 && trace[216].rfind("> 005a", 0) == 0));
    }
}

// Each bad option or failure exits with its status and says why on stderr only.
TEST_F(CliDevice, RefusalsAndFailures) {
    ASSERT_EQ(Run({"new", "-o", P("set.dat")}).exit, 0);
    const std::string file = P("set.dat");
    const std::tuple<Args, int, const char*> rows[] = {
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
    for (const auto& [args, exit, message] : rows) {
        const RunResult r = Run(args);
        EXPECT_EQ(r.exit, exit) << args[0] << " " << args[1];
        EXPECT_NE(r.err.find(message), std::string::npos) << args[1] << ": " << r.err;
        EXPECT_EQ(r.out, "") << args[1];
    }
}

// After "Cannot find ORVELIX" the tool explains from what the search found.
TEST(CliExplainCannotFind, SaysWhatTheSearchFound) {
    const std::tuple<std::optional<OpenFailure>, std::string, std::string> rows[] = {
        {OpenFailure{"/dev/hidraw3", OpenError::AccessDenied}, "",
         "Permission denied opening /dev/hidraw3.\n" + std::string(AccessDeniedSteps())},
        {OpenFailure{"/dev/hidraw3", OpenError::Busy}, "", "/dev/hidraw3 is in use"},
        {OpenFailure{"/dev/hidraw3", OpenError::Other}, "", "Cannot open /dev/hidraw3 (see"},
        {std::nullopt, "/dev/hidraw9", "No ORVELIX unit at /dev/hidraw9 (see"},
        {std::nullopt, "", "No ORVELIX unit (USB 04D8:FD37) is attached.\n"},
    };
    for (const auto& [open, device, start] : rows) {
        DeviceOptions options;
        options.devicePath = device;
        const auto text = cli::ExplainCannotFind({LinkFailure::CannotFind, open}, options);
        EXPECT_TRUE(text.starts_with(start) && text.ends_with('\n')) << text;
    }
}

// One JSON line per record: which units are present, each output and input in
// place, the single-unit mode of a one-unit record.
TEST_F(CliDevice, StatusJsonFollowsTheRecord) {
    // All units; Slave 8 present; Master outputs 1 and 16, Master input 2.
    const std::string hex = "00 80 01 80 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 00 02 00";
    const RunResult r = Run({"status", "--once", "--json", "--simulate", "--sim-status", hex});
    ASSERT_EQ(r.exit, 0) << r.err;
    ASSERT_EQ(Lines(r.out).size(), 1u) << r.out;
    const auto j = nlohmann::json::parse(r.out);
    EXPECT_EQ(j["mode"], "all");
    ASSERT_EQ(j["units"].size(), 9u);
    for (std::size_t u = 0; u < 9; ++u) {
        EXPECT_EQ(j["units"][u]["index"], u);
        EXPECT_EQ(j["units"][u]["present"], u == 0 || u == 8) << u;
    }
    EXPECT_EQ(j["units"][0], nlohmann::json::parse(R"({"index": 0, "name": "Master",
        "present": true, "outputs": [1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1],
        "inputs": [0, 1, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0]})"));
    const RunResult single = Run({"status", "--json", "--simulate", "--sim-status", "01 01 00 01"});
    ASSERT_EQ(single.exit, 0) << single.err;
    const auto s = nlohmann::json::parse(single.out);
    EXPECT_EQ(s["mode"], "single");
    ASSERT_EQ(s["units"].size(), 1u);
    EXPECT_EQ(s["units"][0]["outputs"][8], 1);
}

// The change log starts with the whole first record, one row per output and input;
// the table on a pipe has no colour.
TEST_F(CliDevice, StatusCsvLogsTheFirstRecordWholeAndTheTableHasNoColour) {
    const RunResult r = Run(
        {"status", "--once", "--simulate", "--sim-status", "00 00 05 00", "--csv", P("log.csv")});
    ASSERT_EQ(r.exit, 0) << r.err;
    const auto rows = Lines(ReadFile(P("log.csv")));
    ASSERT_EQ(rows.size(), 1u + 32u) << "header, then the Master's 16 outputs and 16 inputs";
    EXPECT_EQ(rows[0], "time,unit,kind,number,state");
    for (std::size_t i = 1; i < rows.size(); ++i) {
        const std::string kind = i <= 16 ? "output," : "input,";
        const std::string state = i == 1 || i == 3 ? "1" : "0";
        EXPECT_TRUE(test::Fits(rows[i].substr(0, kTimeShape.size()), kTimeShape)) << rows[i];
        EXPECT_EQ(rows[i].substr(kTimeShape.size()),
                  ",0," + kind + std::to_string((i - 1) % 16 + 1) + "," + state);
    }
    const RunResult table = Run({"status", "--simulate", "--sim-status", "00 01 ff ff"});
    ASSERT_EQ(table.exit, 0) << table.err;
    EXPECT_EQ(table.out.find('\x1b'), std::string::npos);
    EXPECT_NE(table.out.find("Output Status"), std::string::npos);
    EXPECT_NE(table.out.find("  1  1  1  1  1  1  1  1  1  1  1  1  1  1  1  1\n"),
              std::string::npos)
        << table.out;
}

// --watch runs until Ctrl-C and then exits 0, each record once, a whole JSON line.
TEST_F(CliDevice, StatusWatchEndsCleanlyOnCtrlC) {
    const RunResult r = Run({"status", "--watch", "--json", "--simulate"}, "", 2500ms);
    EXPECT_EQ(r.exit, 0) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_FALSE(lines.empty());
    EXPECT_LE(lines.size(), 5u) << "a record a second, each printed once";
    for (const auto& line : lines)
        EXPECT_EQ(nlohmann::json::parse(line)["units"].size(), 9u);
}

}  // namespace
}  // namespace valdro
