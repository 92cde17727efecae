#include "device/access_remedy.h"

namespace valdro {

// Windows lets every user open a HID interface of this kind; a refusal comes from
// a program that holds it (or from security software).
std::string_view AccessDeniedRemedy() {
    return "close any other program that may hold the unit, then unplug and replug it.";
}

std::string_view AccessDeniedSteps() {
    return "Windows refused this program the unit's HID interface. Close any other\n"
           "program that may hold it (another configuration tool, a HID monitor),\n"
           "then unplug and replug the unit and try again.\n";
}

}  // namespace valdro
