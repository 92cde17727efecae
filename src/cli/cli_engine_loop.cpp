#include "cli/cli_engine_loop.h"

#include "cli/terminal.h"

namespace valdro::cli {

void DriveEngineOnLoop(ProtocolEngine& engine, OwnerLoop& loop, DeviceSession& session) {
    session.Attach(engine);
    loop.SetDelivery([&engine] { engine.DeliverPendingReport(); });
    loop.SetTick([&engine, &loop] {
        engine.Tick();
        if (Interrupted()) {
            loop.Quit();
        }
    });
}

}  // namespace valdro::cli
