#pragma once
// Names parameterised cases after their `what` text, so CTest sees stable names.

#include <cctype>
#include <string>

namespace valdro::test {

struct NameFromWhat {
    template <typename Info>
    std::string operator()(const Info& info) const {
        std::string n = info.param.what;
        for (char& ch : n) {
            if (!std::isalnum(static_cast<unsigned char>(ch)))
                ch = '_';
        }
        return n;
    }
};

}  // namespace valdro::test
