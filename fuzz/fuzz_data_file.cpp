// Any byte string given to the data-file parser yields one of its outcomes; a
// refused one never touches the configuration it was to load into.

#include <cstdint>
#include <cstdlib>
#include <span>

#include "config/data_file.h"

namespace {
volatile int gSink;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    valdro::ConfigSet set;
    set.SetDefaults();
    const valdro::ConfigSet before = set;

    const valdro::LoadOutcome outcome = valdro::ParseDataFile(std::span(data, size), set);
    switch (outcome) {
        case valdro::LoadOutcome::Ok:
            // What was loaded is exactly the file's images, and saves back the same.
            if (size < valdro::kDataFileSize)
                std::abort();
            {
                const auto again = valdro::SerializeDataFile(set);
                for (std::size_t i = valdro::kDataFileHeaderSize; i < valdro::kDataFileSize; ++i) {
                    if (again[i] != data[i])
                        std::abort();
                }
            }
            break;
        case valdro::LoadOutcome::Incompatible:
        case valdro::LoadOutcome::LaterFormat:
        case valdro::LoadOutcome::OpenError:
            if (!(set == before))
                std::abort();
            break;
        default:
            std::abort();
    }
    gSink = static_cast<int>(outcome) + set.Units[0] + set.InputMap[valdro::kInputMapSize - 1];
    return 0;
}
