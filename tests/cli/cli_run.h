#pragma once
// valdrometrica-cli run as the built program, in a private folder per test.

#include <gtest/gtest.h>

#include <chrono>
#include <fstream>
#include <iterator>
#include <optional>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace valdro::test {

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

inline std::string Slurp(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What the program printed, with the line ends of Windows' text mode made "\n":
// the tests compare the text, not the system's way of ending a line. Files the
// program writes are compared byte for byte.
inline std::string PrintedText(const std::string& path) {
    std::string text = Slurp(path);
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (!(text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')) {
            out += text[i];
        }
    }
    return out;
}

class CliRun : public ::testing::Test {
  protected:
    // stdinFile: standard input; empty for none. interruptAfter: Ctrl-C then.
    RunResult Run(const std::vector<std::string>& args, const std::string& stdinFile = "",
                  std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt) {
        const ProgramIo io{stdinFile, P("stdout"), P("stderr")};
        const int exit = RunProgram(std::string(VALDRO_BIN_DIR) + "/valdrometrica-cli", args, io,
                                    interruptAfter);
        return {exit, PrintedText(io.out), PrintedText(io.err)};
    }
    std::string P(const std::string& name) const { return (dir_ / name).string(); }
    void Write(const std::string& name, const std::string& text) {
        std::ofstream(P(name), std::ios::binary) << text;
    }

    valdro::testing::TempDir dir_;
};

}  // namespace valdro::test
