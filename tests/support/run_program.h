#pragma once
// Runs a built program as a user would from a shell, with no shell in between:
// the arguments go as they are, standard input comes from a file and standard
// output and error go to files. One source per system.

#include <chrono>
#include <optional>
#include <string>
#include <vector>

namespace valdro::test {

struct ProgramIo {
    std::string in;   // read as standard input; empty: an empty input
    std::string out;  // standard output is written here
    std::string err;  // standard error is written here
};

// program: the path without ".exe". With interruptAfter, the program gets Ctrl-C
// then and is ended a minute later if still running. Returns the exit status, -1
// when the program could not be started or did not exit by itself.
int RunProgram(const std::string& program, const std::vector<std::string>& args,
               const ProgramIo& io,
               std::optional<std::chrono::milliseconds> interruptAfter = std::nullopt);

}  // namespace valdro::test
