// The walkers of the record's field table find every row: diff names the field of
// every byte, and import asks for every key.

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "config/config_diff.h"
#include "config/config_json.h"
#include "config/record_fields.h"
#include "support/random_set.h"

namespace valdro {
namespace {

TEST(RecordFields, DiffNamesTheFieldAndEntryOfEveryByte) {
    const ConfigSet a = testing::RandomSet(5);
    for (const RecordField& f : kRecordFields) {
        for (std::size_t k = 0; k < f.size; ++k) {
            ConfigSet b = a;
            b.Unit(4).Bytes()[f.offset + k] ^= 0x01;
            const auto diffs = DiffConfigs(a, b);
            ASSERT_EQ(diffs.size(), 1u) << f.name << " byte " << k;
            std::string where = "Slave 4 " + std::string(f.name);
            if (f.kind == FieldKind::FlagArray)
                where += (f.perInput ? " input " : " output ") + std::to_string(k + 1);
            if (f.kind == FieldKind::Int32Array)
                where += " output " + std::to_string(k / 4 + 1);
            // A text's line may go on with " bytes after the text".
            EXPECT_EQ(diffs[0].where.substr(0, where.size()), where);
            EXPECT_NE(diffs[0].first, diffs[0].second) << where;
        }
    }
}

TEST(RecordFields, ImportAsksForEveryKey) {
    ConfigSet set;
    const auto exported = nlohmann::ordered_json::parse(ExportConfigJson(testing::DefaultSet()));
    for (const RecordField& f : kRecordFields) {
        if (f.kind == FieldKind::Reserved)
            continue;
        auto doc = exported;
        auto& object = f.inEachOutput ? doc["units"][1]["outputs"][2] : doc["units"][1];
        object.erase(std::string(f.key));
        const std::string path = f.inEachOutput ? "units[1].outputs[2]." : "units[1].";
        const JsonImportResult r = ImportConfigJson(doc.dump(), set);
        ASSERT_EQ(r.errors.size(), 1u) << f.key;
        EXPECT_EQ(r.errors[0], path + std::string(f.key) + ": missing");
    }
}

}  // namespace
}  // namespace valdro
