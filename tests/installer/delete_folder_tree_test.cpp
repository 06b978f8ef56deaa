// The staging folder's recursive delete on the real file system.
#include "SetupMain.h"
#include "WinDriver.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace fs = std::filesystem;
using namespace windriver;

namespace {

void MakeFile(const fs::path& path, DWORD attributes = FILE_ATTRIBUTE_NORMAL) {
    fs::create_directories(path.parent_path());
    WriteFile(path, "x");
    SetFileAttributesA(path.string().c_str(), attributes);
}

TEST(DeleteFolderTree, RemovesEverythingWhateverItsAttributes) {
    TempDir dir;
    const fs::path staging = dir.Path() / "ZORV_TEMP" / "GameDisk";
    MakeFile(staging / "Quest.001");
    MakeFile(staging / "readonly.bin", FILE_ATTRIBUTE_READONLY);
    MakeFile(staging / "hidden.bin", FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM);
    MakeFile(staging / "a" / "b" / "deep.bin", FILE_ATTRIBUTE_READONLY);
    fs::create_directories(staging / "empty");
    DeleteFolderTree(staging.string());
    EXPECT_FALSE(fs::exists(staging));
    EXPECT_TRUE(fs::exists(staging.parent_path())) << "only the named folder goes";
}

TEST(DeleteFolderTree, AcceptsATrailingBackslash) {
    TempDir dir;
    MakeFile(dir.Path() / "t" / "f");
    DeleteFolderTree((dir.Path() / "t").string() + "\\");
    EXPECT_FALSE(fs::exists(dir.Path() / "t"));
}

TEST(DeleteFolderTree, LeavesDotFoldersAndTheFoldersAboveThem) {
    TempDir dir;
    const fs::path root = dir.Path() / "t";
    MakeFile(root / "sub" / ".keep" / "inside");
    MakeFile(root / "sub" / "gone");
    MakeFile(root / "other" / "gone");
    DeleteFolderTree(root.string());
    EXPECT_TRUE(fs::exists(root / "sub" / ".keep" / "inside"));
    EXPECT_FALSE(fs::exists(root / "sub" / "gone"));
    EXPECT_FALSE(fs::exists(root / "other"));
}

TEST(DeleteFolderTree, MissingFolderIsNoError) {
    TempDir dir;
    EXPECT_NO_THROW(DeleteFolderTree((dir.Path() / "nothing" / "here").string()));
    EXPECT_TRUE(fs::exists(dir.Path()));
}

}  // namespace
