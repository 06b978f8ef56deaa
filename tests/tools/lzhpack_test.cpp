// Archive creation from the file system, on the host (iconv, stat) and
// under Wine (the Win32 code page and file time functions): names reach the
// archive in the chosen code page, folders come before their contents, and
// times and the read-only attribute are kept.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "lha/error.h"
#include "lha/io.h"
#include "lha/reader.h"
#include "pack.h"

namespace {

namespace fs = std::filesystem;

class PackFolder : public ::testing::Test {
protected:
    void SetUp() override {
        root_ = fs::temp_directory_path() / ("lzhpack-test-" + std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
        fs::create_directories(root_ / "game" / fs::u8path("ソフト"));
        fs::create_directories(root_ / "game" / "empty");
        write(root_ / "game" / fs::u8path("ソフト") / fs::u8path("表示.txt"), "affichage\r\n");
        write(root_ / "game" / "ZORV_RT.exe", std::string(5000, 'r'));
        fs::last_write_time(root_ / "game" / "ZORV_RT.exe", fs::file_time_type::clock::now() - std::chrono::hours(24 * 400));
        fs::permissions(root_ / "game" / "ZORV_RT.exe", fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                        fs::perm_options::remove);
    }
    void TearDown() override {
        std::error_code ignored;
        fs::permissions(root_ / "game" / "ZORV_RT.exe", fs::perms::owner_write, fs::perm_options::add, ignored);
        fs::remove_all(root_, ignored);
    }
    static void write(const fs::path& p, const std::string& text) { std::ofstream(p, std::ios::binary) << text; }

    fs::path root_;
};

TEST_F(PackFolder, NamesInShiftJisFoldersFirstTimesAndReadOnlyKept) {
    const fs::path archive = root_ / "game.lzh";
    lha::WriterOptions options;
    options.codePage = 932;
    const auto entries = lzhpack::folderContents(root_ / "game");
    const auto result = lzhpack::writeArchive(archive, entries, options);
    EXPECT_EQ(result.members, 4u);

    lha::FileInput in(archive.string());
    lha::ArchiveReader reader(in);
    std::vector<lha::MemberHeader> members;
    while (reader.next()) members.push_back(reader.member());
    ASSERT_EQ(members.size(), 4u);
    // In byte order of the native names: ZORV_RT.exe, empty, then ソフト.
    EXPECT_EQ(members[0].path, "ZORV_RT.exe");
    EXPECT_EQ(members[1].path, "empty");
    EXPECT_TRUE(members[1].isDirectory);
    EXPECT_EQ(members[2].path, "\x83\x5C\x83\x74\x83\x67");
    EXPECT_TRUE(members[2].isDirectory);
    EXPECT_EQ(members[3].path, "\x83\x5C\x83\x74\x83\x67/\x95\x5C\x8E\xA6.txt");

    EXPECT_EQ(members[0].attributes & 0x01, 0x01) << "read-only kept";
    ASSERT_TRUE(members[0].unixTime.has_value());
    const auto written = std::chrono::duration_cast<std::chrono::seconds>(
        std::chrono::file_clock::to_sys(fs::last_write_time(root_ / "game" / "ZORV_RT.exe")).time_since_epoch()).count();
    EXPECT_EQ(*members[0].unixTime, written);
    ASSERT_TRUE(members[0].modificationTime.has_value());
    EXPECT_EQ(static_cast<std::int64_t>((*members[0].modificationTime - 116444736000000000ull) / 10000000ull), written);
}

TEST_F(PackFolder, RefusesNamesTheCodePageLacks) {
    fs::create_directories(root_ / "western");
    write(root_ / "western" / fs::u8path("Château.txt"), "x");
    lha::WriterOptions options;
    options.codePage = 932;
    EXPECT_THROW(lzhpack::writeArchive(root_ / "bad.lzh", lzhpack::folderContents(root_ / "western"), options), lha::Error);
    EXPECT_FALSE(fs::exists(root_ / "bad.lzh"));
    options.codePage = 1252;
    lzhpack::writeArchive(root_ / "good.lzh", lzhpack::folderContents(root_ / "western"), options);
    lha::FileInput in((root_ / "good.lzh").string());
    lha::ArchiveReader reader(in);
    ASSERT_TRUE(reader.next());
    EXPECT_EQ(reader.member().path, "Ch\xE2teau.txt");
}

}  // namespace
