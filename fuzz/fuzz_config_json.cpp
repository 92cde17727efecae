// Any text given to the JSON importer gives a result, never an exception or a
// crash; a refused text leaves the configuration alone, and an accepted one
// exports and imports again to the same bytes and passes through the checker.

#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "config/config_check.h"
#include "config/config_json.h"

namespace {
volatile std::size_t gSink;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    valdro::ConfigSet set;
    set.SetDefaults();
    const valdro::ConfigSet before = set;

    const valdro::JsonImportResult r = valdro::ImportConfigJson(text, set);
    if (r.ok != r.errors.empty())
        std::abort();
    if (!r.ok) {
        if (!(set == before))
            std::abort();
    } else {
        valdro::ConfigSet again;
        if (!valdro::ImportConfigJson(valdro::ExportConfigJson(set), again).ok)
            std::abort();
        if (!(again == set))
            std::abort();
    }
    // Whatever the file held, every finding names a unit and says something.
    const auto findings = valdro::CheckConfigSet(set);
    for (const valdro::Finding& f : findings) {
        if (f.unit < 0 || f.unit >= valdro::kUnitCount || f.message.empty() || f.field.empty())
            std::abort();
    }
    gSink = r.errors.size() + r.warnings.size() + findings.size();
    return 0;
}
