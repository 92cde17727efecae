#pragma once
// Letter case of ASCII only: file extensions, hardware ids and HTML names are
// ASCII, and the user's locale must not decide how they compare (a Turkish 8-bit
// locale lowers 'I' to a dotless i).

#include <string>
#include <string_view>

namespace valdro {

constexpr char FoldAscii(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

inline std::string LowerAscii(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = FoldAscii(c);
    }
    return out;
}

}  // namespace valdro
