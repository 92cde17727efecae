#include "device/hid_input_report.h"

#include "config/utf8.h"

namespace valdro {

std::string WideToUtf8(const wchar_t* text) {
    std::string out;
    if (text == nullptr) {
        return out;
    }
    for (const wchar_t* p = text; *p != 0; ++p) {
        auto c = static_cast<char32_t>(*p);
        if constexpr (sizeof(wchar_t) == 2) {
            c &= 0xFFFF;
            // A high surrogate followed by a low one is one character.
            if (c >= 0xD800 && c <= 0xDBFF) {
                const auto next = static_cast<char32_t>(p[1]) & 0xFFFF;
                if (next >= 0xDC00 && next <= 0xDFFF) {
                    c = 0x10000 + ((c - 0xD800) << 10) + (next - 0xDC00);
                    ++p;
                }
            }
        }
        AppendUtf8(out, c);
    }
    return out;
}

}  // namespace valdro
