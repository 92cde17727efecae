// valdrometrica-cli on a terminal: script(1) gives the program one and copies what
// it printed.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "cli_run.h"
#include "config/data_file.h"
#include "support/plant_set.h"

namespace valdro {
namespace {

class CliTerminal : public test::CliRun {};

std::string Quote(const std::string& s) {
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
}

TEST_F(CliTerminal, CheckColoursSeveritiesOnATerminalOnly) {
    ASSERT_EQ(SaveDataFile(P("broken.dat"), testing::BrokenPlantSet()), SaveOutcome::Ok);
    EXPECT_EQ(Run({"check", P("broken.dat")}).out.find('\x1b'), std::string::npos);
    const std::string cmd = "script -qec " +
                            Quote(Quote(std::string(VALDRO_BIN_DIR) + "/valdrometrica-cli") +
                                  " check " + Quote(P("broken.dat"))) +
                            " /dev/null >" + Quote(P("tty")) + " </dev/null";
    const int status = std::system(cmd.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    ASSERT_EQ(WEXITSTATUS(status), 1) << "check exits 1 on errors";
    const std::string tty = test::Slurp(P("tty"));
    EXPECT_NE(tty.find("\x1b[1;31merror\x1b[0m: ipAddress"), std::string::npos) << tty;
    EXPECT_NE(tty.find("\x1b[1;36mnote\x1b[0m: outputs"), std::string::npos) << tty;
}

}  // namespace
}  // namespace valdro
