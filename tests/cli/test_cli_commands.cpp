// valdrometrica-cli's data-file commands, run as the built program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "config/config_json.h"
#include "config/data_file.h"
#include "support/random_set.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using testing::RandomSet;
using testing::TempDir;

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

std::string Slurp(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

class Cli : public ::testing::Test {
  protected:
    RunResult Run(const std::vector<std::string>& args, const std::string& stdinFile = "") {
        std::string cmd = Quote(std::string(VALDRO_BIN_DIR) + "/valdrometrica-cli");
        for (const auto& a : args)
            cmd += " " + Quote(a);
        cmd += " <" + Quote(stdinFile.empty() ? "/dev/null" : stdinFile);
        cmd += " >" + Quote(P("stdout")) + " 2>" + Quote(P("stderr"));
        const int status = std::system(cmd.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Slurp(P("stdout")),
                Slurp(P("stderr"))};
    }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(P(name), std::ios::binary) << text;
    }

    TempDir dir_;
};

TEST_F(Cli, HelpAndUsageErrors) {
    const RunResult help = Run({"--help"});
    EXPECT_EQ(help.exit, 0);
    for (const char* cmd : {"new", "show", "export", "import", "diff"}) {
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

TEST_F(Cli, ExportImportRoundTripOfRandomImages) {
    for (unsigned seed = 1; seed <= 2; ++seed) {
        ASSERT_EQ(SaveDataFile(P("in.dat"), RandomSet(seed)), SaveOutcome::Ok);
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
    fs::create_symlink(P("a.dat"), P("link.dat"));
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

}  // namespace
}  // namespace valdro
