// A bridge process for the last-will test: connects to the broker on 127.0.0.1 at
// the port in argv[1] under prefix argv[2], publishes one record and waits to be
// killed.

#include <unistd.h>

#include <cstdlib>
#include <string>

#include "bridge/bridge.h"
#include "bridge_records.h"
#include "bridge_rig.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    using namespace valdro;
    bridge::EventLog log(bridge::StderrSink());
    bridge::BridgeOptions options;
    options.mqtt = test::LoopbackMqtt(std::atoi(argv[1]), argv[2]);
    bridge::Bridge b(options, log);
    std::string error;
    if (!b.Start(&error)) {
        return 1;
    }
    b.Feed(test::PatternRecord(0, 0), test::Names());
    for (;;) {
        pause();
    }
}
