#include "ui/help/chm_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <vector>

#include "help_test_paths.h"

namespace valdro {
namespace {

namespace fs = std::filesystem;

std::vector<std::uint8_t> Record(unsigned code, std::string_view text, bool nul = true) {
    std::vector<std::uint8_t> r;
    const std::size_t len = text.size() + (nul ? 1 : 0);
    r.push_back(static_cast<std::uint8_t>(code));
    r.push_back(static_cast<std::uint8_t>(code >> 8));
    r.push_back(static_cast<std::uint8_t>(len));
    r.push_back(static_cast<std::uint8_t>(len >> 8));
    for (char c : text)
        r.push_back(static_cast<std::uint8_t>(c));
    if (nul)
        r.push_back(0);
    return r;
}

std::vector<std::uint8_t> SystemBytes(std::initializer_list<std::vector<std::uint8_t>> records) {
    std::vector<std::uint8_t> out{3, 0, 0, 0};
    for (const auto& r : records)
        out.insert(out.end(), r.begin(), r.end());
    return out;
}

TEST(ParseChmSystem, ReadsTheFourRecordsTheViewerNeedsAndSkipsOthers) {
    const auto bytes = SystemBytes({Record(9, "compiler"), Record(0, "toc.hhc"), Record(1, "k.hhk"),
                                    Record(2, "start.html"), Record(3, "My Help")});
    const ChmSystemInfo info = ParseChmSystem(bytes);
    EXPECT_EQ(info.contentsFile, "toc.hhc");
    EXPECT_EQ(info.indexFile, "k.hhk");
    EXPECT_EQ(info.defaultTopic, "start.html");
    EXPECT_EQ(info.title, "My Help");
}

// Damaged input yields what was complete, never reading past the end.
TEST(ParseChmSystem, DamagedInput) {
    // A record claiming more bytes than there are is cut at the end of the data.
    auto bytes = SystemBytes({Record(3, "Title"), Record(2, "page.html")});
    bytes.resize(bytes.size() - 4);
    bytes[bytes.size() - 8] = 0xFF;  // inflate the last record's length
    const ChmSystemInfo info = ParseChmSystem(bytes);
    EXPECT_EQ(info.title, "Title");
    EXPECT_EQ(info.defaultTopic.substr(0, 4), "page");

    EXPECT_TRUE(ParseChmSystem({}).title.empty());
    const std::vector<std::uint8_t> headerOnly{3, 0, 0, 0, 3, 0};
    EXPECT_TRUE(ParseChmSystem(headerOnly).title.empty());
    // Text without a NUL runs to the end of its record.
    EXPECT_EQ(ParseChmSystem(SystemBytes({Record(3, "NoNul", false)})).title, "NoNul");
}

TEST(NormaliseChmPath, GivesTheArchiveFormOrNothing) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"index.html", "/index.html"},
        {"/index.html", "/index.html"},
        {"./a/b.html", "/a/b.html"},
        {"a/../b.html", "/b.html"},
        {"a\\b.html", "/a/b.html"},
        {"a//b.html", "/a/b.html"},
        {"", "/"},
        {"../secret", ""},
        {"a/../../secret", ""},
    };
    for (const auto& [in, want] : cases)
        EXPECT_EQ(NormaliseChmPath(in), want) << in;
}

TEST(ChmArchive, RefusesMissingFilesAndFilesThatAreNoHelpFile) {
    const fs::path dir = fs::temp_directory_path() / "valdro_chm_test";
    fs::create_directories(dir);
    EXPECT_EQ(ChmArchive::Open((dir / "absent.chm").string()), nullptr);
    EXPECT_EQ(ChmArchive::Open(dir.string()), nullptr);  // a folder

    const fs::path text = dir / "text.chm";
    std::ofstream(text) << "<html>not compiled</html>\n";
    EXPECT_EQ(ChmArchive::Open(text.string()), nullptr);

    const fs::path empty = dir / "empty.chm";
    std::ofstream{empty};
    EXPECT_EQ(ChmArchive::Open(empty.string()), nullptr);
    fs::remove_all(dir);
}

TEST(ChmArchive, TruncatedHelpFileNeverYieldsAWrongPage) {
    const std::string real = test::BuiltHelpFile();
    ASSERT_TRUE(fs::exists(real)) << real;
    std::ifstream in(real, std::ios::binary);
    std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    const fs::path cut = fs::temp_directory_path() / "valdro_cut.chm";
    for (std::size_t keep : {std::size_t{64}, std::size_t{4096}, bytes.size() / 2}) {
        std::ofstream(cut, std::ios::binary)
            .write(bytes.data(), static_cast<std::streamsize>(keep));
        const auto archive = ChmArchive::Open(cut.string());
        if (!archive)
            continue;  // refused outright: fine
        const auto page = archive->Read("/index.html");
        if (page) {
            EXPECT_NE(page->find("Welcome to Valdrometrica"), std::string::npos) << keep;
        }
    }
    fs::remove(cut);
}

class BuiltHelpFile : public ::testing::Test {
  protected:
    void SetUp() override {
        archive_ = ChmArchive::Open(test::BuiltHelpFile());
        ASSERT_NE(archive_, nullptr) << test::BuiltHelpFile();
    }
    std::unique_ptr<ChmArchive> archive_;
};

TEST_F(BuiltHelpFile, CarriesItsSystemDataAndReadsPagesByAnyFormOfTheirPath) {
    EXPECT_EQ(archive_->System().title, "Valdrometrica Help");
    EXPECT_EQ(archive_->System().contentsFile, "contents.hhc");
    EXPECT_EQ(archive_->System().indexFile, "index.hhk");
    EXPECT_EQ(archive_->DefaultTopic(), "/index.html");
    for (const char* path : {"/index.html", "index.html", "./index.html", "/index.html#part"}) {
        const auto page = archive_->Read(path);
        ASSERT_TRUE(page) << path;
        EXPECT_NE(page->find("Welcome to Valdrometrica"), std::string::npos) << path;
        EXPECT_TRUE(archive_->Contains(path)) << path;
    }
    // Special objects begin with '#', which is not a fragment there; they are not listed.
    EXPECT_TRUE(archive_->Read("/#SYSTEM"));
    for (const char* absent : {"/no-such-page.html", "../index.html", "/"}) {
        EXPECT_FALSE(archive_->Read(absent)) << absent;
    }
    const auto files = archive_->ListFiles();
    for (const char* want : {"/index.html", "/messages.html", "/style.css", "/contents.hhc"}) {
        EXPECT_NE(std::find(files.begin(), files.end(), want), files.end()) << want;
    }
    EXPECT_EQ(std::find(files.begin(), files.end(), "/#SYSTEM"), files.end());
}

}  // namespace
}  // namespace valdro
