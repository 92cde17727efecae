#pragma once
// Shape checks for generated text (trace lines, time stamps) shared by the suites.

#include <algorithm>
#include <string_view>

namespace valdro::test {

// True when text has the shape of pattern: '#' stands for a decimal digit, '%' for
// a lower-case hexadecimal digit, every other character for itself. (std::regex
// draws false uninitialised-use warnings from GCC 12 under the sanitizers.)
inline bool Fits(std::string_view text, std::string_view pattern) {
    auto fits = [](char c, char p) {
        const bool digit = c >= '0' && c <= '9';
        return p == '#' ? digit : p == '%' ? digit || (c >= 'a' && c <= 'f') : c == p;
    };
    return text.size() == pattern.size() &&
           std::equal(text.begin(), text.end(), pattern.begin(), fits);
}

inline constexpr std::string_view kTimeShape = "####-##-##T##:##:##.###Z";

}  // namespace valdro::test
