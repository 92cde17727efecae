#include <gtest/gtest.h>
#include <sys/stat.h>

#include <cstring>
#include <fstream>
#include <iterator>
#include <random>

#include "data_file.h"
#include "temp_dir.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
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

// A set whose every byte is random, so nothing can pass by being zero.
ConfigSet RandomSet(unsigned seed) {
    std::mt19937 rng(seed);
    ConfigSet set;
    for (auto& b : set.Units)
        b = static_cast<std::uint8_t>(rng());
    for (auto& b : set.InputMap)
        b = static_cast<std::uint8_t>(rng());
    return set;
}

void SetVersion(std::vector<std::uint8_t>& file, std::int32_t v) {
    const auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < 4; ++i)
        file[static_cast<std::size_t>(i)] = static_cast<std::uint8_t>(u >> (8 * i));
}

TEST(DataFile, SerializedHeaderAndImages) {
    const ConfigSet set = RandomSet(1);
    const auto file = SerializeDataFile(set);
    ASSERT_EQ(file.size(), 23508u);
    const std::uint8_t header[36] = {1,   0,   0,   0,   'O', 'R', 'V', 'E', 'L', 'I', 'X', ' ',
                                     'V', 'a', 'l', 'd', 'r', 'o', 'm', 'e', 't', 'r', 'i', 'c',
                                     'a', 0,   0,   0,   0,   0,   0,   0,   0,   0,   0,   0};
    EXPECT_EQ(std::memcmp(file.data(), header, 36), 0);
    EXPECT_TRUE(std::equal(set.Units.begin(), set.Units.end(), file.begin() + 36));
    EXPECT_TRUE(std::equal(set.InputMap.begin(), set.InputMap.end(), file.begin() + 2772));
}

TEST(DataFile, ParseTakesBothImagesWhole) {
    const ConfigSet original = RandomSet(2);
    ConfigSet loaded;
    EXPECT_EQ(ParseDataFile(SerializeDataFile(original), loaded), LoadOutcome::Ok);
    EXPECT_EQ(loaded, original);
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
    {"version -1", [](auto& f) { SetVersion(f, -1); }, LoadOutcome::Ok},
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
    {"header only", [](auto& f) { f.resize(36); }, LoadOutcome::OpenError},
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

TEST_P(DataFileHeader, OutcomeAndConfigurationUntouchedUnlessOk) {
    const HeaderCase& c = GetParam();
    const ConfigSet incoming = RandomSet(3);
    auto file = SerializeDataFile(incoming);
    c.edit(file);

    const ConfigSet before = RandomSet(4);
    ConfigSet set = before;
    EXPECT_EQ(ParseDataFile(file, set), c.expected);
    EXPECT_EQ(set, c.expected == LoadOutcome::Ok ? incoming : before);
}

INSTANTIATE_TEST_SUITE_P(Cases, DataFileHeader, ::testing::ValuesIn(kHeaderCases),
                         [](const auto& info) {
                             std::string n = info.param.what;
                             for (char& ch : n) {
                                 if (!std::isalnum(static_cast<unsigned char>(ch)))
                                     ch = '_';
                             }
                             return n;
                         });

TEST(DataFile, Messages) {
    EXPECT_STREQ(OutcomeMessage(LoadOutcome::Ok), "");
    EXPECT_STREQ(OutcomeMessage(LoadOutcome::Incompatible), "Incompatible data file.");
    EXPECT_STREQ(OutcomeMessage(LoadOutcome::LaterFormat),
                 "The file uses a later data format.\r\nCannot load");
    EXPECT_STREQ(OutcomeMessage(LoadOutcome::OpenError), "Error Opening File.");
    EXPECT_STREQ(OutcomeMessage(SaveOutcome::Ok), "");
    EXPECT_STREQ(OutcomeMessage(SaveOutcome::Error), "Error Saving File.");
}

TEST(DataFileOnDisk, SaveThenLoadIsByteIdentical) {
    TempDir dir;
    const ConfigSet original = RandomSet(5);
    ASSERT_EQ(SaveDataFile(dir / "a.dat", original), SaveOutcome::Ok);
    const auto bytes = ReadAll(dir / "a.dat");
    EXPECT_EQ(bytes, SerializeDataFile(original));

    ConfigStore store;
    ASSERT_EQ(LoadDataFile(dir / "a.dat", store.Current()), LoadOutcome::Ok);
    store.MarkSaved();
    EXPECT_EQ(store.Current(), original);
    EXPECT_FALSE(store.HasChanged());
    // Only the target is left behind: no temporary files.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 1);
}

TEST(DataFileOnDisk, LoadFailuresAreOpenErrorsAndChangeNothing) {
    TempDir dir;
    fs::create_directory(dir / "folder");
    auto shortFile = SerializeDataFile(RandomSet(6));
    shortFile.resize(5000);
    WriteAll(dir / "short.dat", shortFile);
    const ConfigSet before = RandomSet(7);
    for (const char* name : {"missing.dat", "folder", "short.dat"}) {
        ConfigSet set = before;
        EXPECT_EQ(LoadDataFile(dir / name, set), LoadOutcome::OpenError) << name;
        EXPECT_EQ(set, before) << name;
    }
}

TEST(DataFileOnDisk, OverlongFileLoadsItsFirst23508Bytes) {
    TempDir dir;
    const ConfigSet original = RandomSet(8);
    auto bytes = SerializeDataFile(original);
    bytes.resize(200000, 0x5A);
    WriteAll(dir / "long.dat", bytes);
    ConfigSet set;
    EXPECT_EQ(LoadDataFile(dir / "long.dat", set), LoadOutcome::Ok);
    EXPECT_EQ(set, original);
}

TEST(DataFileOnDisk, FailedSaveKeepsTheOldFile) {
    TempDir dir;
    const ConfigSet first = RandomSet(9);
    ASSERT_EQ(SaveDataFile(dir / "keep.dat", first), SaveOutcome::Ok);
    const auto oldBytes = ReadAll(dir / "keep.dat");

    fs::create_directory(dir / "folder");
    EXPECT_EQ(SaveDataFile(dir / "folder", RandomSet(10)), SaveOutcome::Error);
    EXPECT_TRUE(fs::is_directory(dir / "folder"));
    EXPECT_EQ(SaveDataFile(dir / "no-such-dir" / "x.dat", first), SaveOutcome::Error);
    // A file standing where a directory should be.
    EXPECT_EQ(SaveDataFile(dir / "keep.dat" / "x.dat", first), SaveOutcome::Error);
    EXPECT_EQ(SaveDataFile("", first), SaveOutcome::Error);
    // A pipe or device is never replaced by a plain file.
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(SaveDataFile(dir / "pipe", first), SaveOutcome::Error);
    EXPECT_EQ(fs::status(dir / "pipe").type(), fs::file_type::fifo);

    EXPECT_EQ(ReadAll(dir / "keep.dat"), oldBytes);
    // No temporary left beside the targets.
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.path()), fs::directory_iterator()), 3);
}

TEST(DataFileOnDisk, NameAtTheLengthLimitSaves) {
    TempDir dir;
    const std::string name = std::string(251, 'n') + ".dat";  // 255 bytes, the usual limit
    const ConfigSet set = RandomSet(15);
    ASSERT_EQ(SaveDataFile(dir / name, set), SaveOutcome::Ok);
    ConfigSet back;
    EXPECT_EQ(LoadDataFile(dir / name, back), LoadOutcome::Ok);
    EXPECT_EQ(back, set);
}

TEST(DataFileOnDisk, ReplacingKeepsTheModeAndANewFileFollowsTheUmask) {
    TempDir dir;
    const mode_t oldMask = ::umask(027);
    ASSERT_EQ(SaveDataFile(dir / "new.dat", RandomSet(11)), SaveOutcome::Ok);
    ::umask(oldMask);
    EXPECT_EQ(fs::status(dir / "new.dat").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);

    fs::permissions(dir / "new.dat",
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
    ASSERT_EQ(SaveDataFile(dir / "new.dat", RandomSet(12)), SaveOutcome::Ok);
    EXPECT_EQ(fs::status(dir / "new.dat").permissions() & fs::perms::all,
              fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read);
}

TEST(DataFileOnDisk, SavingThroughASymlinkUpdatesItsTarget) {
    TempDir dir;
    ASSERT_EQ(SaveDataFile(dir / "real.dat", RandomSet(13)), SaveOutcome::Ok);
    fs::create_symlink("real.dat", dir / "link.dat");
    const ConfigSet second = RandomSet(14);
    ASSERT_EQ(SaveDataFile(dir / "link.dat", second), SaveOutcome::Ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_EQ(ReadAll(dir / "real.dat"), SerializeDataFile(second));
}

}  // namespace
}  // namespace valdro
