// valdrometrica-cli's device side: hex bytes for --sim-status, and `list`
// through the built program.

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <fstream>
#include <iterator>

#include "cli_hex.h"
#include "temp_dir.h"

namespace valdro {
namespace {

using cli::ParseHexBytes;
using Bytes = std::vector<std::uint8_t>;

TEST(CliHex, ParsesPairsWithOptionalSeparators) {
    struct Row {
        const char* text;
        std::optional<Bytes> bytes;
    };
    const Row rows[] = {
        {"00 03 01 00", Bytes{0x00, 0x03, 0x01, 0x00}},
        {"0003ff", Bytes{0x00, 0x03, 0xFF}},
        {"aB:Cd,eF", Bytes{0xAB, 0xCD, 0xEF}},
        {"", Bytes{}},
        {"0", std::nullopt},     // odd digit left over
        {"0 3", std::nullopt},   // separator inside a byte
        {"0x03", std::nullopt},  // not a hex digit
        {"zz", std::nullopt},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ParseHexBytes(r.text, 63), r.bytes) << r.text;
    }
    EXPECT_EQ(ParseHexBytes("010203", 3), (Bytes{1, 2, 3}));
    EXPECT_EQ(ParseHexBytes("01020304", 3), std::nullopt) << "more than the limit";
}

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

class CliList : public ::testing::Test {
  protected:
    RunResult Run(const std::string& args) {
        const std::string out = (dir_.path() / "out").string();
        const std::string err = (dir_.path() / "err").string();
        const std::string cmd = std::string("'") + VALDRO_BIN_DIR + "/valdrometrica-cli' " + args +
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
    testing::TempDir dir_;
};

TEST_F(CliList, ListsTheSimulatedUnit) {
    const RunResult r = Run("list --simulate");
    EXPECT_EQ(r.exit, 0) << r.err;
    EXPECT_EQ(r.out, "sim:orvelix-0  revision 0009 (application)  serial SIM0001  access ok\n");
}

// Standard output holds unit lines only, so scripts can read it; with no unit
// attached (as on a build machine) the message goes to stderr.
TEST_F(CliList, SaysOnStderrWhenNoUnitIsAttached) {
    const RunResult r = Run("list");
    if (r.exit == 0) {
        EXPECT_EQ(r.out.find("No ORVELIX"), std::string::npos) << r.out;
    } else {
        EXPECT_EQ(r.exit, 1);
        EXPECT_EQ(r.out, "");
        EXPECT_NE(r.err.find("No ORVELIX unit found."), std::string::npos) << r.err;
    }
}

TEST_F(CliList, RejectsUnknownOptions) {
    const RunResult r = Run("list --bogus");
    EXPECT_EQ(r.exit, 2);
    EXPECT_NE(r.err.find("Usage: valdrometrica-cli list"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace valdro
