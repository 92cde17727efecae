#include "ui/octet_text.h"

namespace valdro::ui {

std::optional<std::uint8_t> ParseOctet(const QString& text) {
    const QString t = text.trimmed();
    qsizetype i = 0;
    bool negative = false;
    if (i < t.size() && (t[i] == u'+' || t[i] == u'-')) {
        negative = t[i] == u'-';
        ++i;
    }
    if (i == t.size()) {
        return std::nullopt;
    }
    int value = 0;
    for (; i < t.size(); ++i) {
        const char16_t c = t[i].unicode();
        if (c < u'0' || c > u'9') {
            return std::nullopt;
        }
        value = value * 10 + (c - u'0');
        if (value > 255) {
            return std::nullopt;  // also keeps the sum from overflowing
        }
    }
    if (negative && value != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint8_t>(value);
}

}  // namespace valdro::ui
