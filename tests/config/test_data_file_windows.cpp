// Saving on Windows: a read-only file is refused and left as it was.
#include <gtest/gtest.h>

#include "config/data_file.h"
#include "support/random_set.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using testing::RandomSet;
using testing::ReadFile;
using testing::TempDir;

TEST(DataFileWindows, AReadOnlyFileIsRefusedAndKept) {
    TempDir dir;
    ASSERT_EQ(SaveDataFile(dir / "kept.dat", RandomSet(1)), SaveOutcome::Ok);
    const auto old = ReadFile<std::vector<std::uint8_t>>(dir / "kept.dat");
    fs::permissions(dir / "kept.dat", fs::perms::owner_read);
    EXPECT_EQ(SaveDataFile(dir / "kept.dat", RandomSet(2)), SaveOutcome::Error);
    EXPECT_EQ(ReadFile<std::vector<std::uint8_t>>(dir / "kept.dat"), old);

    fs::permissions(dir / "kept.dat", fs::perms::owner_read | fs::perms::owner_write);
    const ConfigSet next = RandomSet(3);
    ASSERT_EQ(SaveDataFile(dir / "kept.dat", next), SaveOutcome::Ok);
    EXPECT_EQ(ReadFile<std::vector<std::uint8_t>>(dir / "kept.dat"), SerializeDataFile(next));
}

}  // namespace
}  // namespace valdro
