// The data file: its exact bytes, what loading refuses (leaving the set as it was),
// and saves that fail without touching the old file.

#include <gtest/gtest.h>

#include <cstring>

#include "config/data_file.h"
#include "support/random_set.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using testing::RandomSet;
using testing::TempDir;
using Bytes = std::vector<std::uint8_t>;

// A header, offset or image out of place, or a temporary left behind.
TEST(DataFile, SavedFileIsHeaderThenBothImagesAndLoadsBack) {
    TempDir dir;
    const ConfigSet set = RandomSet(1);
    ASSERT_EQ(SaveDataFile(dir / "a.dat", set), SaveOutcome::Ok);
    const auto file = testing::ReadFile<Bytes>(dir / "a.dat");
    ASSERT_EQ(file.size(), 23508u);
    const char header[37] = "\1\0\0\0ORVELIX Valdrometrica\0\0\0\0\0\0\0\0\0\0";
    EXPECT_EQ(std::memcmp(file.data(), header, 36), 0);
    EXPECT_TRUE(std::equal(set.Units.begin(), set.Units.end(), file.begin() + 36));
    EXPECT_TRUE(std::equal(set.InputMap.begin(), set.InputMap.end(), file.begin() + 2772));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 1);

    ConfigStore store;
    ASSERT_EQ(LoadDataFile(dir / "a.dat", store.Current()), LoadOutcome::Ok);
    store.MarkSaved();
    EXPECT_EQ(store.Current(), set);
    EXPECT_FALSE(store.HasChanged());
    store.Current().InputMap.back() ^= 1;
    EXPECT_TRUE(store.HasChanged());
}

void SetVersion(Bytes& file, std::int32_t v) {
    for (std::size_t i = 0; i < 4; ++i)
        file[i] = static_cast<std::uint8_t>(static_cast<std::uint32_t>(v) >> (8 * i));
}

// The signature decides before the version, the version before the length; any
// refusal leaves the configuration exactly as it was (all or nothing).
TEST(DataFile, HeaderAndLengthDecideTheOutcome) {
    const std::pair<void (*)(Bytes&), LoadOutcome> rows[] = {
        {[](auto& f) { std::fill_n(f.begin() + 26, 10, 0xAB); }, LoadOutcome::Ok},  // filler
        {[](auto& f) { SetVersion(f, 0); }, LoadOutcome::Ok},
        {[](auto& f) { SetVersion(f, INT32_MIN); }, LoadOutcome::Ok},
        {[](auto& f) { SetVersion(f, 2); }, LoadOutcome::LaterFormat},
        {[](auto& f) { SetVersion(f, INT32_MAX); }, LoadOutcome::LaterFormat},
        {[](auto& f) { f[4] = 'o'; }, LoadOutcome::Incompatible},
        {[](auto& f) { f[24] = 'A'; }, LoadOutcome::Incompatible},
        {[](auto& f) { f[25] = ' '; }, LoadOutcome::Incompatible},  // no NUL after it
        {[](auto& f) { SetVersion(f, 2), f[5] = 'X'; }, LoadOutcome::Incompatible},
        {[](auto& f) { f.insert(f.end(), 100, 0xEE); }, LoadOutcome::Ok},
        {[](auto& f) { f.pop_back(); }, LoadOutcome::OpenError},
        {[](auto& f) { f.resize(26); }, LoadOutcome::OpenError},
        {[](auto& f) { f.resize(100), SetVersion(f, 2); }, LoadOutcome::LaterFormat},
        {[](auto& f) { f.resize(25); }, LoadOutcome::Incompatible},
        {[](auto& f) { f.clear(); }, LoadOutcome::Incompatible},
    };
    const ConfigSet incoming = RandomSet(3), before = RandomSet(4);
    for (std::size_t row = 0; row < std::size(rows); ++row) {
        auto file = SerializeDataFile(incoming);
        rows[row].first(file);
        ConfigSet set = before;
        EXPECT_EQ(ParseDataFile(file, set), rows[row].second) << "row " << row;
        EXPECT_EQ(set, rows[row].second == LoadOutcome::Ok ? incoming : before) << "row " << row;
    }
    TempDir dir;
    fs::create_directory(dir / "folder");
    for (const char* name : {"missing.dat", "folder"}) {
        ConfigSet set = before;
        EXPECT_EQ(LoadDataFile(dir / name, set), LoadOutcome::OpenError) << name;
        EXPECT_EQ(set, before) << name;
    }
}

// A save that cannot be made says so and leaves the old file and folder as they were.
TEST(DataFile, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    ASSERT_EQ(SaveDataFile(dir / "keep.dat", RandomSet(9)), SaveOutcome::Ok);
    const auto oldBytes = testing::ReadFile(dir / "keep.dat");
    fs::create_directory(dir / "folder");
    const fs::path targets[] = {dir / "folder", dir / "no-such-dir" / "x.dat",
                                dir / "keep.dat" / "x.dat", ""};
    for (const fs::path& target : targets)
        EXPECT_EQ(SaveDataFile(target, RandomSet(10)), SaveOutcome::Error) << target;
    EXPECT_EQ(testing::ReadFile(dir / "keep.dat"), oldBytes);
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), {}), 2);
}

}  // namespace
}  // namespace valdro
