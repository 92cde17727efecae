// valdrometrica-cli's data-file commands, run as the built program.
#include <gtest/gtest.h>

#include <filesystem>
#include <nlohmann/json.hpp>
#include <sstream>

#include "cli_run.h"
#include "config/config_json.h"
#include "config/data_file.h"
#include "support/plant_set.h"
#include "support/random_set.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using test::RunResult;
using test::Slurp;
using testing::RandomSet;

class Cli : public test::CliRun {};

TEST_F(Cli, HelpAndUsageErrors) {
    const RunResult help = Run({"--help"});
    EXPECT_EQ(help.exit, 0);
    for (const char* cmd : {"new", "show", "export", "import", "diff", "check"}) {
        EXPECT_NE(help.out.find(std::string("  ") + cmd + " "), std::string::npos) << cmd;
        const RunResult own = Run({cmd, "--help"});
        EXPECT_EQ(own.exit, 0) << cmd;
        EXPECT_NE(own.out.find(std::string("valdrometrica-cli ") + cmd), std::string::npos) << cmd;
    }
    const std::pair<std::vector<std::string>, const char*> rows[] = {
        {{}, "Usage: valdrometrica-cli <command>"},
        {{"frobnicate"}, "unknown command 'frobnicate'"},
        {{"new"}, "an output file is required"},
        {{"show"}, "missing argument"},
        {{"show", "a.dat", "--colour"}, "unknown option '--colour'"},
        {{"diff", "a.dat"}, "missing arguments"},
        {{"check", "a.dat", "--min-severity", "fatal"}, "--min-severity takes note, warning"},
        {{"import", "a.json"}, "an output file is required"},
        {{"export", "a.dat", "-o"}, "option '-o' needs a value"},
    };
    for (const auto& [args, err] : rows) {
        const RunResult res = Run(args);
        EXPECT_EQ(res.exit, 2) << err;
        EXPECT_NE(res.err.find(err), std::string::npos) << res.err;
        EXPECT_TRUE(res.out.empty());
    }
}

TEST_F(Cli, NewShowAndDiff) {
    ASSERT_EQ(Run({"new", "-o", P("a.dat")}).exit, 0);
    ConfigSet defaults, loaded;
    defaults.SetDefaults();
    ASSERT_EQ(LoadDataFile(P("a.dat"), loaded), LoadOutcome::Ok);
    EXPECT_EQ(loaded, defaults);
    EXPECT_NE(
        Run({"show", P("a.dat")}).out.find("Slave 8: \"Slave 8\"\n  IP address   192.168.0.14\n"),
        std::string::npos);

    ConfigSet edited = defaults;
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

TEST_F(Cli, RefusedDataFilesGiveTheLoaderMessageAndFailedSavesTheirs) {
    std::vector<std::uint8_t> later = SerializeDataFile(RandomSet(1));
    later[0] = 2;
    Write("later.dat", std::string(later.begin(), later.end()));
    Write("text.dat", "hello");
    const std::pair<const char*, const char*> rows[] = {
        {"later.dat", "The file uses a later data format.\nCannot load"},
        {"text.dat", "Incompatible data file."},
        {"missing.dat", "Error Opening File."}};
    for (const auto& [file, message] : rows) {
        for (const char* cmd : {"show", "export"}) {
            const RunResult res = Run({cmd, P(file)});
            EXPECT_EQ(res.exit, 1) << cmd << " " << file;
            EXPECT_EQ(res.err, P(file) + ": " + message + "\n");
        }
        EXPECT_EQ(Run({"diff", P(file), P(file)}).exit, 2);
    }
    fs::create_directory(P("folder"));
    const RunResult r = Run({"new", "-o", P("folder")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_EQ(r.err, P("folder") + ": Error Saving File.\n");
}

// The images themselves are the JSON tests' work; this is the files and streams.
TEST_F(Cli, ExportImportRoundTripOfARandomImage) {
    ASSERT_EQ(SaveDataFile(P("in.dat"), RandomSet(1)), SaveOutcome::Ok);
    ASSERT_EQ(Run({"export", P("in.dat"), "-o", P("x.json")}).exit, 0);
    const RunResult stdoutExport = Run({"export", P("in.dat")});
    EXPECT_EQ(stdoutExport.exit, 0);
    EXPECT_EQ(stdoutExport.out, Slurp(P("x.json")));
    const RunResult imp = Run({"import", P("x.json"), "-o", P("out.dat")});
    EXPECT_EQ(imp.exit, 0) << imp.err;
    EXPECT_EQ(Slurp(P("out.dat")), Slurp(P("in.dat")));
    EXPECT_EQ(Run({"import", "-", "-o", P("out2.dat")}, P("x.json")).exit, 0);
    EXPECT_EQ(Slurp(P("out2.dat")), Slurp(P("in.dat")));
}

TEST_F(Cli, ImportRefusesWithoutWritingAndWarnsWhileWriting) {
    ConfigSet set;
    set.SetDefaults();
    ASSERT_EQ(SaveDataFile(P("old.dat"), set), SaveOutcome::Ok);
    const std::string before = Slurp(P("old.dat"));
    std::string json = ExportConfigJson(set);
    Write("bad.json", std::string(json).replace(json.find("192, 168, 0, 9"), 14, "192, 300, 0, 9"));
    const RunResult r = Run({"import", P("bad.json"), "-o", P("old.dat")});
    EXPECT_EQ(r.exit, 1);
    EXPECT_NE(r.err.find("units[3].ipAddress[1]: 300 is not a byte (0..255)"), std::string::npos);
    EXPECT_EQ(Slurp(P("old.dat")), before);
    EXPECT_EQ(Run({"import", P("none.json"), "-o", P("x.dat")}).exit, 1);
    EXPECT_FALSE(fs::exists(P("x.dat")));

    Write("warn.json", json.replace(json.find("\"addressMode\": 0"), 16, "\"addressMode\": 2"));
    const RunResult w = Run({"import", P("warn.json"), "-o", P("w.dat")});
    EXPECT_EQ(w.exit, 0);
    EXPECT_NE(w.err.find("warning: units[0].addressMode: 2"), std::string::npos);
    ConfigSet loaded;
    ASSERT_EQ(LoadDataFile(P("w.dat"), loaded), LoadOutcome::Ok);
    EXPECT_EQ(loaded.Unit(0).AddressMode(), 2);
}

TEST_F(Cli, OutputOntoItsOwnInputIsRefused) {
    ASSERT_EQ(Run({"new", "-o", P("a.dat")}).exit, 0);
    ASSERT_EQ(Run({"export", P("a.dat"), "-o", P("a.json")}).exit, 0);
    fs::create_hard_link(P("a.dat"), P("link.dat"));  // the same file by another name
    const std::string dat = Slurp(P("a.dat")), json = Slurp(P("a.json"));
    const std::vector<std::string> cases[] = {
        {"export", P("a.dat"), "-o", P("a.dat")},
        {"export", P("a.dat"), "-o", P("link.dat")},
        {"import", P("a.json"), "-o", P("a.json")},
    };
    for (const auto& args : cases) {
        const RunResult r = Run(args);
        EXPECT_EQ(r.exit, 2) << args[0] << " " << args[3];
        EXPECT_NE(r.err.find("itself"), std::string::npos) << r.err;
    }
    EXPECT_EQ(Slurp(P("a.dat")), dat);
    EXPECT_EQ(Slurp(P("a.json")), json);
}

TEST_F(Cli, CheckGroupsFindingsByUnitAndExitsOneOnErrors) {
    ConfigSet defaults;
    defaults.SetDefaults();
    ASSERT_EQ(SaveDataFile(P("default.dat"), defaults), SaveOutcome::Ok);
    Write("plant.json", testing::PlantSetJson());
    ASSERT_EQ(SaveDataFile(P("broken.dat"), testing::BrokenPlantSet()), SaveOutcome::Ok);
    Write("broken.json", ExportConfigJson(testing::BrokenPlantSet()));
    for (const char* quiet : {"default.dat", "plant.json"}) {
        const RunResult r = Run({"check", P(quiet)});
        EXPECT_EQ(r.exit, 0) << quiet << r.err;
        EXPECT_EQ(r.out, "No findings.\n") << quiet;
    }
    const std::string report =
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
        EXPECT_EQ(all.out, report + note + "\n3 errors, 0 warnings, 1 note\n") << file;
        const RunResult errors = Run({"check", P(file), "--min-severity", "warning"});
        EXPECT_EQ(errors.out,
                  report + "\n3 errors, 0 warnings, 1 note (1 below --min-severity not shown)\n");
    }

    const RunResult json = Run({"check", P("broken.dat"), "--json"});
    EXPECT_EQ(json.exit, 1);
    std::istringstream lines(json.out);
    std::vector<nlohmann::json> objects;
    for (std::string line; std::getline(lines, line);)
        objects.push_back(nlohmann::json::parse(line));
    ASSERT_EQ(objects.size(), 4u) << json.out;
    const nlohmann::json first = {
        {"unit", "Slave 4"},
        {"unitIndex", 4},
        {"deviceName", "Conveyor A"},
        {"severity", "error"},
        {"rule", "ip-duplicate"},
        {"field", "ipAddress"},
        {"message",
         "IP address 10.20.30.12 is also Slave 2's; give each unit an address of its "
         "own"}};
    EXPECT_EQ(objects[0], first);
    EXPECT_EQ(objects[3]["severity"], "note");

    // Show's last line counts the findings and points to check.
    const RunResult show = Run({"show", P("broken.dat")});
    EXPECT_EQ(show.exit, 0);
    const std::string last = "\nChecks: 3 errors, 0 warnings, 1 note; 'valdrometrica-cli check " +
                             P("broken.dat") + "' lists them.\n";
    EXPECT_EQ(show.out.substr(show.out.size() - std::min(show.out.size(), last.size())), last);
}

TEST_F(Cli, CheckSaysWhyAFileCannotBeRead) {
    Write("bad.json", "{\"format\": \"valdrometrica-config\", \"version\": 1}");
    Write("text.dat", "hello");
    const std::pair<const char*, const char*> rows[] = {
        {"missing.dat", "Error Opening File."},
        {"text.dat", "Incompatible data file."},
        {"bad.json", "error: units: missing"},
        {"missing.json", "cannot open or read the file"},
    };
    for (const auto& [file, message] : rows) {
        const RunResult r = Run({"check", P(file)});
        EXPECT_EQ(r.exit, 2) << file;
        EXPECT_NE(r.err.find(message), std::string::npos) << r.err;
        EXPECT_EQ(r.out, "") << file;
    }
}

}  // namespace
}  // namespace valdro
