#include "config/json_printer.h"

#include <algorithm>
#include <limits>

namespace valdro {
namespace {

using Json = nlohmann::ordered_json;

constexpr std::size_t kLineWidth = 100;

std::string Scalar(const Json& v) {
    // Texts decode to valid UTF-8, so the replacing handler never fires.
    return v.dump(-1, ' ', false, Json::error_handler_t::replace);
}

// Appends the one-line form of v; stops and returns false once `out` grows past
// `limit`, so that deciding whether a large value fits costs no more than a line.
bool AppendOneLine(std::string& out, const Json& v, std::size_t limit) {
    if (v.is_array()) {
        out += '[';
        for (std::size_t k = 0; k < v.size(); ++k) {
            if (k != 0)
                out += ", ";
            if (!AppendOneLine(out, v[k], limit))
                return false;
        }
        out += ']';
    } else if (v.is_object()) {
        out += '{';
        bool first = true;
        for (const auto& item : v.items()) {
            if (!first)
                out += ", ";
            first = false;
            out += Scalar(Json(item.key())) + ": ";
            if (!AppendOneLine(out, item.value(), limit))
                return false;
        }
        out += '}';
    } else {
        out += Scalar(v);
    }
    return out.size() <= limit;
}

// `indent` is the indentation of the value's block, `column` where the value starts.
void WriteReadable(std::string& out, const Json& v, std::size_t indent, std::size_t column) {
    std::string line;
    const std::size_t room = kLineWidth - std::min(column, kLineWidth);
    const bool fits = AppendOneLine(
        line, v, v.is_structured() && !v.empty() ? room : std::numeric_limits<std::size_t>::max());
    if (fits) {
        out += line;
        return;
    }
    const std::string pad(indent + 2, ' ');
    if (v.is_array()) {
        out += "[\n";
        for (std::size_t k = 0; k < v.size(); ++k) {
            out += pad;
            WriteReadable(out, v[k], indent + 2, indent + 2);
            out += k + 1 < v.size() ? ",\n" : "\n";
        }
        out += std::string(indent, ' ') + "]";
        return;
    }
    out += "{\n";
    std::size_t k = 0;
    for (const auto& [key, value] : v.items()) {
        const std::string name = Scalar(Json(key)) + ": ";
        out += pad + name;
        WriteReadable(out, value, indent + 2, indent + 2 + name.size());
        out += ++k < v.size() ? ",\n" : "\n";
    }
    out += std::string(indent, ' ') + "}";
}

}  // namespace

std::string PrintReadableJson(const Json& value) {
    std::string out;
    WriteReadable(out, value, 0, 0);
    return out;
}

}  // namespace valdro
