#include "cli/cli_engine_loop.h"

#include "cli/cli_link_ui.h"

namespace valdro::cli {

void DriveEngineOnLoop(ProtocolEngine& engine, OwnerLoop& loop, DeviceSession& session,
                       const DeviceOptions& options) {
    engine.SetTrace(session.Trace());
    if (!options.devicePath.empty()) {
        engine.SetDevicePath(options.devicePath);
    }
    loop.SetDelivery([&engine] { engine.DeliverPendingReport(); });
    loop.SetTick([&engine, &loop] {
        engine.Timer1Timer();
        if (Interrupted()) {
            loop.Quit();
        }
    });
}

}  // namespace valdro::cli
