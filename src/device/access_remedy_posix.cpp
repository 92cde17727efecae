#include "device/access_remedy.h"

namespace valdro {

std::string_view AccessDeniedRemedy() {
    return "install the udev rule 70-orvelix.rules (see \"Using a unit on Linux "
           "(permissions)\" in README.md), then replug the unit.";
}

std::string_view AccessDeniedSteps() {
    return "This user may not open the unit's HID interface. Install the udev rule\n"
           "70-orvelix.rules (packaging/udev in the source, or /usr/lib/udev/rules.d),\n"
           "run 'sudo udevadm control --reload && sudo udevadm trigger', then unplug\n"
           "and replug the unit. See \"Using a unit on Linux (permissions)\" in README.md.\n";
}

}  // namespace valdro
