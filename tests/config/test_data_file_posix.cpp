// Saving on POSIX systems: pipes are never replaced, a replaced file keeps its
// mode, a symbolic link keeps pointing at the file it names, a temporary name
// someone else holds is passed over, and the longest names still save.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include "config/data_file.h"
#include "config/file_replace.h"
#include "support/random_set.h"
#include "support/temp_dir.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;
using testing::RandomSet;
using testing::ReadFile;

TEST(DataFilePosix, SavingRespectsWhatIsThere) {
    testing::TempDir dir;
    ASSERT_EQ(::mkfifo((dir / "pipe").c_str(), 0600), 0);
    EXPECT_EQ(SaveDataFile(dir / "pipe", RandomSet(10)), SaveOutcome::Error);
    EXPECT_EQ(fs::status(dir / "pipe").type(), fs::file_type::fifo);

    const mode_t oldMask = ::umask(027);
    ASSERT_EQ(SaveDataFile(dir / "new.dat", RandomSet(11)), SaveOutcome::Ok);
    ::umask(oldMask);
    const auto perms = [&](const char* name) {
        return fs::status(dir / name).permissions() & fs::perms::all;
    };
    EXPECT_EQ(perms("new.dat"), fs::perms::owner_read | fs::perms::owner_write |
                                    fs::perms::group_read);  // the umask decides
    const auto kept = fs::perms::owner_read | fs::perms::owner_write | fs::perms::others_read;
    fs::permissions(dir / "new.dat", kept);
    fs::create_symlink("new.dat", dir / "link.dat");
    const ConfigSet second = RandomSet(12);
    ASSERT_EQ(SaveDataFile(dir / "link.dat", second), SaveOutcome::Ok);
    EXPECT_TRUE(fs::is_symlink(dir / "link.dat"));
    EXPECT_EQ(ReadFile<std::vector<std::uint8_t>>(dir / "new.dat"), SerializeDataFile(second));
    EXPECT_EQ(perms("new.dat"), kept);

    // The first temporary name the save will try (".valdro-<pid>-<n+1>-0.tmp", after
    // ours with n) is taken: the save uses another and leaves it be.
    std::string taken = TemporaryNameFor(dir / "new.dat", ::getpid(), 0).filename().string();
    const std::size_t end = taken.rfind("-0.tmp"), at = taken.rfind('-', end - 1) + 1;
    taken.replace(at, end - at, std::to_string(std::stoul(taken.substr(at, end - at)) + 1));
    std::ofstream(dir / taken) << "not ours";
    ASSERT_EQ(SaveDataFile(dir / "new.dat", RandomSet(13)), SaveOutcome::Ok);
    EXPECT_EQ(ReadFile(dir / taken), "not ours");

    const std::string name = std::string(251, 'n') + ".dat";  // 255 bytes, the usual limit
    ASSERT_EQ(SaveDataFile(dir / name, second), SaveOutcome::Ok);
    ConfigSet back;
    EXPECT_EQ(LoadDataFile(dir / name, back), LoadOutcome::Ok);
    EXPECT_EQ(back, second);
}

}  // namespace
}  // namespace valdro
