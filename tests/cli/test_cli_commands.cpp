// valdrometrica-cli's data-file commands, run as the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>

#include "cli_run.h"
#include "config/config_json.h"
#include "config/data_file.h"
#include "support/plant_set.h"
#include "support/random_set.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using test::ReadFile;
using test::RunResult;
using testing::DefaultSet;
using testing::RandomSet;

class Cli : public test::CliRun {};

// Help reaches every command both ways; a usage error exits 2, says why on
// stderr and prints nothing on stdout.
TEST_F(Cli, HelpAndUsageErrors) {
    const RunResult help = Run({"--help"});
    EXPECT_EQ(help.exit, 0);
    for (const char* cmd : {"new", "show", "export", "import", "diff", "check"}) {
        EXPECT_NE(help.out.find(std::string("  ") + cmd + " "), std::string::npos) << cmd;
        const RunResult own = Run({cmd, "--help"});
        EXPECT_EQ(own.exit, 0) << cmd;
        EXPECT_NE(own.out.find(std::string("valdrometrica-cli ") + cmd), std::string::npos) << cmd;
        EXPECT_EQ(Run({"help", cmd}).out, own.out) << cmd;
    }
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "Usage: valdrometrica-cli <command>"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"help", "frobnicate"}, "unknown command 'frobnicate'"},
        {{"new"}, "an output file is required"},
        {{"show"}, "missing argument"},
        {{"show", "a.dat", "--colour"}, "unknown option '--colour'"},
        {{"show", "a.dat", "b.dat"}, "unexpected argument 'b.dat'"},
        {{"export", "a.dat", "--output"}, "option '--output' needs a value"},
        {{"list", "--simulate=yes"}, "option '--simulate' takes no value"},
        {{"diff", "a.dat"}, "missing arguments"},
        {{"check", "a.dat", "--min-severity", "fatal"}, "--min-severity takes note, warning"},
        {{"import", "a.json"}, "an output file is required"},
    };
    for (const auto& [args, err] : rows) {
        const RunResult res = Run(args);
        EXPECT_EQ(res.exit, 2) << err;
        EXPECT_NE(res.err.find(err), std::string::npos) << res.err;
        EXPECT_TRUE(res.out.empty());
    }
}

// new writes the defaults; show and diff describe the set in words (the octets,
// the inputs that drive an output); diff exits 1 on differences.
TEST_F(Cli, NewShowAndDiff) {
    ASSERT_EQ(Run({"new", "-o", P("a.dat")}).exit, 0);
    ConfigSet loaded;
    ASSERT_EQ(LoadDataFile(P("a.dat"), loaded), LoadOutcome::Ok);
    EXPECT_EQ(loaded, DefaultSet());
    EXPECT_NE(
        Run({"show", P("a.dat")}).out.find("Slave 8: \"Slave 8\"\n  IP address   192.168.0.14\n"),
        std::string::npos);
    ConfigSet edited = DefaultSet();
    edited.SetCell(0, 0, 4, 0, true);
    edited.SetCell(0, 0, 4, 2, true);
    edited.SetCell(0, 2, 4, 15, true);
    edited.Unit(3).SetIPAddr({10, 0, 0, 3});
    ASSERT_EQ(SaveDataFile(P("b.dat"), edited), SaveOutcome::Ok);
    EXPECT_NE(Run({"show", P("b.dat")}).out.find("Output 5: Master in 1, 3; Slave 2 in 16\n"),
              std::string::npos);
    EXPECT_EQ(Run({"diff", P("a.dat"), P("a.dat")}).exit, 0);
    const RunResult diff = Run({"diff", P("a.dat"), P("b.dat")});
    EXPECT_EQ(diff.exit, 1);
    EXPECT_EQ(diff.out,
              "Slave 3 IPAddr: 192.168.0.9 -> 10.0.0.3\n"
              "Master output 5 <- Master input 1: 0 -> 1\n"
              "Master output 5 <- Master input 3: 0 -> 1\n"
              "Master output 5 <- Slave 2 input 16: 0 -> 1\n");
}

// A file that cannot be read: the reason on stderr (the loader's message with a
// terminal's line ends), nothing on stdout, exit 1 from show and export, 2 from
// diff and check; a failed save gives the saver's message.
TEST_F(Cli, UnreadableFilesAndFailedSavesSayWhy) {
    std::vector<std::uint8_t> later = SerializeDataFile(RandomSet(1));
    later[0] = 2;
    Write("later.dat", std::string(later.begin(), later.end()));
    Write("text.dat", "hello");
    Write("bad.json", R"({"format": "valdrometrica-config", "version": 1})");
    const std::pair<const char*, const char*> rows[] = {
        {"later.dat", "The file uses a later data format.\nCannot load\n"},
        {"text.dat", "Incompatible data file.\n"},
        {"missing.dat", "Error Opening File.\n"},
        {"bad.json", "error: units: missing\n"},
        {"missing.json", "cannot open or read the file"}};
    for (const auto& [file, message] : rows) {
        for (const std::string cmd : {"show", "export", "diff", "check"}) {
            if (std::string_view(file).ends_with(".json") && cmd != "check")
                continue;
            const RunResult r = cmd == "diff" ? Run({cmd, P(file), P(file)}) : Run({cmd, P(file)});
            EXPECT_EQ(r.exit, cmd == "show" || cmd == "export" ? 1 : 2) << cmd << " " << file;
            EXPECT_EQ(r.err.rfind(P(file) + ": " + message, 0), 0u) << cmd << ": " << r.err;
            EXPECT_EQ(r.out, "") << cmd << " " << file;
        }
    }
    fs::create_directory(P("folder"));
    const RunResult r = Run({"new", "-o", P("folder")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, P("folder") + ": Error Saving File.\n");
}

// Export and import through files and standard streams give back the same bytes
// (the images themselves are the JSON tests' work). A refused import, or an output
// onto its own input by any name, writes nothing; a warning is printed while the
// value is written.
TEST_F(Cli, ExportImportRoundTripRefusalsAndWarnings) {
    ASSERT_EQ(SaveDataFile(P("in.dat"), RandomSet(1)), SaveOutcome::Ok);
    ASSERT_EQ(Run({"export", P("in.dat"), "-o", P("x.json")}).exit, 0);
    const RunResult toStdout = Run({"export", P("in.dat")});
    EXPECT_EQ(toStdout.exit, 0);
    EXPECT_EQ(toStdout.out, ReadFile(P("x.json")));
    const RunResult imp = Run({"import", P("x.json"), "-o", P("out.dat")});
    EXPECT_EQ(imp.exit, 0) << imp.err;
    EXPECT_EQ(ReadFile(P("out.dat")), ReadFile(P("in.dat")));
    EXPECT_EQ(Run({"import", "-", "-o", P("out2.dat")}, P("x.json")).exit, 0);
    EXPECT_EQ(ReadFile(P("out2.dat")), ReadFile(P("in.dat")));

    const std::string dat = ReadFile(P("in.dat")), json = ReadFile(P("x.json"));
    std::string text = ExportConfigJson(DefaultSet());
    Write("bad.json", std::string(text).replace(text.find("192, 168, 0, 9"), 14, "192, 300, 0, 9"));
    const RunResult bad = Run({"import", P("bad.json"), "-o", P("in.dat")});
    EXPECT_EQ(bad.exit, 1);
    EXPECT_NE(bad.err.find("units[3].ipAddress[1]: 300 is not a byte (0..255)"), std::string::npos);
    EXPECT_EQ(Run({"import", P("none.json"), "-o", P("x.dat")}).exit, 1);
    EXPECT_FALSE(fs::exists(P("x.dat")));
    fs::create_hard_link(P("in.dat"), P("link.dat"));
    const std::vector<std::string> onto[] = {
        {"export", P("in.dat"), "-o", P("in.dat")},
        {"export", P("in.dat"), "-o", P("link.dat")},
        {"import", P("x.json"), "-o", P("x.json")},
    };
    for (const auto& args : onto) {
        const RunResult r = Run(args);
        EXPECT_EQ(r.exit, 2) << args[0] << " " << args[3];
        EXPECT_NE(r.err.find("itself"), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadFile(P("in.dat")), dat);
    EXPECT_EQ(ReadFile(P("x.json")), json);

    Write("warn.json", text.replace(text.find("\"addressMode\": 0"), 16, "\"addressMode\": 2"));
    const RunResult w = Run({"import", P("warn.json"), "-o", P("w.dat")});
    EXPECT_EQ(w.exit, 0);
    EXPECT_NE(w.err.find("warning: units[0].addressMode: 2"), std::string::npos);
    ConfigSet loaded;
    ASSERT_EQ(LoadDataFile(P("w.dat"), loaded), LoadOutcome::Ok);
    EXPECT_EQ(loaded.Unit(0).AddressMode(), 2);
}

// check's report: findings grouped under their unit, the counts, --min-severity,
// one JSON object a line with --json, exit 0 when quiet and 1 on errors, from a
// data file or the JSON form alike; show ends with the counts.
TEST_F(Cli, CheckGroupsFindingsByUnitAndExitsOneOnErrors) {
    ASSERT_EQ(SaveDataFile(P("default.dat"), DefaultSet()), SaveOutcome::Ok);
    Write("plant.json", testing::PlantSetJson());
    ASSERT_EQ(SaveDataFile(P("broken.dat"), testing::BrokenPlantSet()), SaveOutcome::Ok);
    Write("broken.json", ExportConfigJson(testing::BrokenPlantSet()));
    for (const char* quiet : {"default.dat", "plant.json"}) {
        const RunResult r = Run({"check", P(quiet)});
        EXPECT_EQ(r.exit, 0) << quiet << r.err;
        EXPECT_EQ(r.out, "No findings.\n") << quiet;
    }
    const std::string errors =
        "Slave 4 \"Conveyor A\":\n"
        "  error: ipAddress: IP address 10.20.30.12 is also Slave 2's; give each unit an "
        "address of its own [ip-duplicate]\n"
        "Slave 5 \"Conveyor B\":\n"
        "  error: outputs[5].resetUnit: latched output 6 is reset by an input of Slave 7, which "
        "is not enabled, so nothing resets it; enable Slave 7 or choose another reset device "
        "[reset-device-not-in-use]\n"
        "Slave 6 \"Dryer\":\n"
        "  error: outputs[6].inputs: output 7 is driven by input 7 of Slave 7, which is not "
        "enabled; enable Slave 7 or clear those inputs [map-source-not-in-use]\n";
    const std::string note =
        "Slave 7 \"Packing line\" (not enabled):\n"
        "  note: outputs[*].inputs: Slave 7 is not enabled, yet its input map drives outputs 8, "
        "9; the map works only once it is enabled [map-unit-not-in-use]\n";
    for (const char* file : {"broken.dat", "broken.json"}) {
        const RunResult all = Run({"check", P(file)});
        EXPECT_EQ(all.exit, 1) << file;
        EXPECT_EQ(all.out, errors + note + "\n3 errors, 0 warnings, 1 note\n") << file;
        EXPECT_EQ(Run({"check", P(file), "--min-severity", "warning"}).out,
                  errors + "\n3 errors, 0 warnings, 1 note (1 below --min-severity not shown)\n");
    }
    const RunResult json = Run({"check", P("broken.dat"), "--json"});
    EXPECT_EQ(json.exit, 1);
    const auto lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 4u) << json.out;
    EXPECT_EQ(nlohmann::json::parse(lines[0]),
              nlohmann::json::parse(R"({"unit": "Slave 4", "unitIndex": 4,
                  "deviceName": "Conveyor A", "severity": "error", "rule": "ip-duplicate",
                  "field": "ipAddress", "message": "IP address 10.20.30.12 is also Slave 2's; )"
                                    R"(give each unit an address of its own"})"));
    EXPECT_EQ(nlohmann::json::parse(lines[3])["severity"], "note");

    const RunResult show = Run({"show", P("broken.dat")});
    EXPECT_EQ(show.exit, 0);
    const std::string last = "\nChecks: 3 errors, 0 warnings, 1 note; 'valdrometrica-cli check " +
                             P("broken.dat") + "' lists them.\n";
    EXPECT_TRUE(show.out.ends_with(last)) << show.out;
}

}  // namespace
}  // namespace valdro
