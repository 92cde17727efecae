#pragma once
// Where the build put the help file the tests read.

#include <string>

namespace valdro::test {

inline std::string BuiltHelpFile() {
    return std::string(VALDRO_BIN_DIR) + "/valdrometrica.chm";
}

}  // namespace valdro::test
