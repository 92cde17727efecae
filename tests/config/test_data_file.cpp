#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <iterator>

#include "config/data_file.h"
#include "support/param_name.h"
#include "support/random_set.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using testing::RandomSet;
using testing::TempDir;

std::vector<std::uint8_t> ReadAll(const fs::path& p) {
    std::ifstream in(p, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

void WriteAll(const fs::path& p, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(p, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

std::size_t FilesIn(const fs::path& dir) {
    return static_cast<std::size_t>(
        std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

void SetVersion(std::vector<std::uint8_t>& file, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (std::size_t i = 0; i < 4; ++i)
        file[i] = static_cast<std::uint8_t>(u >> (8 * i));
}

TEST(DataFile, SavedFileIsHeaderThenBothImages) {
    TempDir dir;
    const ConfigSet set = RandomSet(1);
    ASSERT_EQ(SaveDataFile(dir / "a.dat", set), SaveOutcome::Ok);
    const auto file = ReadAll(dir / "a.dat");
    ASSERT_EQ(file.size(), 23508u);
    const std::uint8_t header[36] = {1,   0,   0,   0,   'O', 'R', 'V', 'E', 'L', 'I', 'X', ' ',
                                     'V', 'a', 'l', 'd', 'r', 'o', 'm', 'e', 't', 'r', 'i', 'c',
                                     'a', 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0};
    EXPECT_EQ(std::memcmp(file.data(), header, 36), 0);
    EXPECT_TRUE(std::equal(set.Units.begin(), set.Units.end(), file.begin() + 36));
    EXPECT_TRUE(std::equal(set.InputMap.begin(), set.InputMap.end(), file.begin() + 2772));
    EXPECT_EQ(FilesIn(dir.path()), 1u);  // no temporary left behind

    ConfigStore store;
    ASSERT_EQ(LoadDataFile(dir / "a.dat", store.Current()), LoadOutcome::Ok);
    store.MarkSaved();
    EXPECT_EQ(store.Current(), set);
    EXPECT_FALSE(store.HasChanged());
}

struct HeaderCase {
    const char* what;
    void (*edit)(std::vector<std::uint8_t>&);
    LoadOutcome expected;
};

const HeaderCase kHeaderCases[] = {
    {"filler bytes hold anything", [](auto& f) { std::fill_n(f.begin() + 26, 10, 0xAB); },
     LoadOutcome::Ok},
    {"version 0", [](auto& f) { SetVersion(f, 0); }, LoadOutcome::Ok},
    {"lowest version", [](auto& f) { SetVersion(f, INT32_MIN); }, LoadOutcome::Ok},
    {"version 2", [](auto& f) { SetVersion(f, 2); }, LoadOutcome::LaterFormat},
    {"highest version", [](auto& f) { SetVersion(f, INT32_MAX); }, LoadOutcome::LaterFormat},
    {"signature in other case", [](auto& f) { f[4] = 'o'; }, LoadOutcome::Incompatible},
    {"last letter differs", [](auto& f) { f[24] = 'A'; }, LoadOutcome::Incompatible},
    {"no NUL after the signature", [](auto& f) { f[25] = ' '; }, LoadOutcome::Incompatible},
    // The signature decides before the version does.
    {"bad signature and version 2",
     [](auto& f) {
         SetVersion(f, 2);
         f[5] = 'X';
     },
     LoadOutcome::Incompatible},
    {"extra bytes after the map", [](auto& f) { f.insert(f.end(), 100, 0xEE); }, LoadOutcome::Ok},
    {"one byte short", [](auto& f) { f.pop_back(); }, LoadOutcome::OpenError},
    {"signature only", [](auto& f) { f.resize(26); }, LoadOutcome::OpenError},
    {"short and version 2",
     [](auto& f) {
         f.resize(100);
         SetVersion(f, 2);
     },
     LoadOutcome::LaterFormat},
    {"cut inside the signature", [](auto& f) { f.resize(25); }, LoadOutcome::Incompatible},
    {"empty", [](auto& f) { f.clear(); }, LoadOutcome::Incompatible},
};

class DataFileHeader : public ::testing::TestWithParam<HeaderCase> {};

// Every refusal leaves the configuration exactly as it was: loads are all or nothing.
TEST_P(DataFileHeader, OutcomeAndConfigurationUntouchedUnlessOk) {
    const HeaderCase& c = GetParam();
    const ConfigSet incoming = RandomSet(3);
    auto file = SerializeDataFile(incoming);
    c.edit(file);
    TempDir dir;
    WriteAll(dir / "f.dat", file);

    const ConfigSet before = RandomSet(4);
    ConfigSet set = before;
    EXPECT_EQ(LoadDataFile(dir / "f.dat", set), c.expected);
    EXPECT_EQ(set, c.expected == LoadOutcome::Ok ? incoming : before);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataFileHeader, ::testing::ValuesIn(kHeaderCases),
                         test::NameFromWhat());

TEST(DataFile, WhatCannotBeReadIsAnOpenError) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    const ConfigSet before = RandomSet(7);
    for (const char* name : {"missing.dat", "folder"}) {
        ConfigSet set = before;
        EXPECT_EQ(LoadDataFile(dir / name, set), LoadOutcome::OpenError) << name;
        EXPECT_EQ(set, before) << name;
    }
}

TEST(DataFile, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    const ConfigSet first = RandomSet(9);
    ASSERT_EQ(SaveDataFile(dir / "keep.dat", first), SaveOutcome::Ok);
    const auto oldBytes = ReadAll(dir / "keep.dat");

    fs::create_directory(dir / "folder");
    const fs::path targets[] = {
        dir / "folder",  // a directory
        dir / "no-such-dir" / "x.dat",
        dir / "keep.dat" / "x.dat",  // a file where a directory should be
        "",
    };
    for (const fs::path& target : targets)
        EXPECT_EQ(SaveDataFile(target, RandomSet(10)), SaveOutcome::Error) << target;
    EXPECT_EQ(ReadAll(dir / "keep.dat"), oldBytes);
    EXPECT_EQ(FilesIn(dir.path()), 2u);  // no temporary left beside the targets
}

}  // namespace
}  // namespace valdro
