// Checks the promises of the test prefix that other tests build on: drive
// kinds and labels, and the code page chosen by the runner.
#include <gtest/gtest.h>
#include <windows.h>
#include <cstdlib>
#include <string>

namespace {

struct DriveCase {
    const char* root;
    UINT type;
};

TEST(WineEnvironment, DriveKindsMatchTheTemplate) {
    const DriveCase cases[] = {
        {"A:\\", DRIVE_REMOVABLE}, {"B:\\", DRIVE_REMOVABLE}, {"C:\\", DRIVE_FIXED},
        {"D:\\", DRIVE_CDROM},     {"E:\\", DRIVE_REMOVABLE}, {"G:\\", DRIVE_FIXED},
        {"Q:\\", DRIVE_NO_ROOT_DIR},
    };
    for (const auto& c : cases) EXPECT_EQ(GetDriveTypeA(c.root), c.type) << c.root;
}

TEST(WineEnvironment, CodePageFollowsTheRunnerLocale) {
    const char* lc = std::getenv("LC_ALL");
    const bool japanese = lc && std::string(lc).rfind("ja_JP", 0) == 0;
    EXPECT_EQ(GetACP(), japanese ? 932u : 1252u);
}

}  // namespace
