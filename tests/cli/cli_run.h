#pragma once
// valdrometrica-cli run as the built program, in a private folder per test.

#include <gtest/gtest.h>

#include <chrono>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "support/run_program.h"
#include "support/temp_dir.h"

namespace valdro::test {

using testing::ReadFile;

struct RunResult {
    int exit = -1;
    std::string out;
    std::string err;
};

// What the program printed, Windows' "\r\n" made "\n" (files it writes stay exact).
inline std::string PrintedText(const std::string& path) {
    std::string out;
    for (const char c : ReadFile(path)) {
        if (c == '\n' && !out.empty() && out.back() == '\r')
            out.pop_back();
        out += c;
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
    static std::vector<std::string> Lines(const std::string& text) {
        std::vector<std::string> lines;
        std::istringstream in(text);
        for (std::string line; std::getline(in, line);)
            lines.push_back(line);
        return lines;
    }

    valdro::testing::TempDir dir_;
};

}  // namespace valdro::test
