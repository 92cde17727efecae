#pragma once
// The built valdrometrica-cli, run as systemd or a shell would run it.

#include "broker_process.h"

namespace valdro::test {

struct CliProcess : ChildProcess {
    explicit CliProcess(std::vector<std::string> args) {
        args.insert(args.begin(), std::string(VALDRO_BIN_DIR) + "/valdrometrica-cli");
        Run(args);
    }
};

}  // namespace valdro::test
