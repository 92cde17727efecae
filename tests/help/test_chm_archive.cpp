// Reading the compiled help file: its system records, archive paths, files that
// are no help file, and pages of the help file the build makes.
#include "ui/help/chm_archive.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>

namespace valdro {
namespace {

namespace fs = std::filesystem;

// The four records the viewer needs are read and others skipped; damaged input
// yields what was complete, never reading past the end.
TEST(ParseChmSystem, ReadsItsRecordsAndSurvivesDamage) {
    // Version 3, then records: code, length (with the NUL) and text.
    const std::string bytes = std::string("\3\0\0\0\11\0\5\0comp\0\0\0\4\0toc\0\1\0\2\0k\0", 27) +
                              std::string("\2\0\4\0top\0\3\0\4\0Hlp\0", 16);
    const ChmSystemInfo info =
        ParseChmSystem(std::vector<std::uint8_t>(bytes.begin(), bytes.end()));
    EXPECT_EQ(info.contentsFile + info.indexFile + info.defaultTopic + info.title, "tocktopHlp");
    const std::pair<std::size_t, std::string> cut[] = {// kept bytes, title
                                                       {bytes.size() - 2, "Hl"},
                                                       {bytes.size() - 5, ""},
                                                       {4, ""},
                                                       {0, ""}};
    for (const auto& [keep, title] : cut) {
        EXPECT_EQ(
            ParseChmSystem(std::vector<std::uint8_t>(bytes.begin(), bytes.begin() + keep)).title,
            title)
            << keep;
    }
}

TEST(NormaliseChmPath, GivesTheArchiveFormOrNothingOutsideIt) {
    const std::pair<const char*, const char*> cases[] = {{"index.html", "/index.html"},
                                                         {"/index.html", "/index.html"},
                                                         {"./a/b.html", "/a/b.html"},
                                                         {"a/../b.html", "/b.html"},
                                                         {"a\\b.html", "/a/b.html"},
                                                         {"a//b.html", "/a/b.html"},
                                                         {"", "/"},
                                                         {"../secret", ""},
                                                         {"a/../../secret", ""}};
    for (const auto& [in, want] : cases) {
        EXPECT_EQ(NormaliseChmPath(in), want) << in;
    }
}

// The help file the build makes: its system data and pages by any form of their
// path (special objects begin with '#', no fragment there, and are not listed).
// Missing files, folders, text and cut-off copies are refused or, if opened, never
// yield a wrong page.
TEST(ChmArchive, ReadsTheBuiltHelpFileAndRefusesOthers) {
    const std::string built = VALDRO_BIN_DIR "/valdrometrica.chm";
    const auto archive = ChmArchive::Open(built);
    ASSERT_NE(archive, nullptr) << built;
    const ChmSystemInfo& s = archive->System();
    EXPECT_EQ(s.title + "|" + s.contentsFile + "|" + s.indexFile + "|" + archive->DefaultTopic(),
              "Valdrometrica Help|contents.hhc|index.hhk|/index.html");
    for (const char* path : {"/index.html", "index.html", "./index.html", "/index.html#part"}) {
        EXPECT_TRUE(archive->Contains(path)) << path;
        EXPECT_NE(archive->Read(path).value_or("").find("Welcome to Valdrometrica"),
                  std::string::npos);
    }
    EXPECT_TRUE(archive->Read("/#SYSTEM"));
    for (const char* absent : {"/no-such-page.html", "../index.html", "/"}) {
        EXPECT_FALSE(archive->Read(absent)) << absent;
    }
    const auto files = archive->ListFiles();
    for (const char* name : {"/index.html", "/style.css", "/contents.hhc", "/#SYSTEM"}) {
        EXPECT_EQ(std::count(files.begin(), files.end(), name), name[1] != '#') << name;
    }

    const fs::path dir = fs::temp_directory_path() / "valdro_chm_test";
    fs::create_directories(dir);
    std::ofstream(dir / "text.chm") << "<html>not compiled</html>\n";
    std::ofstream{dir / "empty.chm"};
    for (const fs::path& p : {dir / "absent.chm", dir, dir / "text.chm", dir / "empty.chm"}) {
        EXPECT_EQ(ChmArchive::Open(p.string()), nullptr) << p;
    }
    std::ifstream in(built, std::ios::binary);
    const std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
    for (std::size_t keep : {std::size_t{64}, std::size_t{4096}, bytes.size() / 2}) {
        std::ofstream(dir / "cut.chm", std::ios::binary).write(bytes.data(), std::streamsize(keep));
        const auto cut = ChmArchive::Open((dir / "cut.chm").string());
        const auto page = cut ? cut->Read("/index.html") : std::nullopt;
        EXPECT_TRUE(!page || page->find("Welcome to Valdrometrica") != std::string::npos) << keep;
    }
    fs::remove_all(dir);
}

}  // namespace
}  // namespace valdro
