#pragma once
// What lets this user open a unit that the system refused: one text per system
// (a udev rule on Linux; on Windows another program is the likely holder).

#include <string_view>

namespace valdro {

// One clause, for a line after "Permission denied opening PATH: ".
std::string_view AccessDeniedRemedy();
// The same at length for a terminal: whole lines, each ending in "\n".
std::string_view AccessDeniedSteps();

}  // namespace valdro
