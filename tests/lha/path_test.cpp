// Name splitting and the safe-path routine.
#include <gtest/gtest.h>

#include "lha/header.h"
#include "lha/path.h"

namespace {

TEST(NameSplitting, ShiftJisAwareOnlyInDoubleByteCodePages) {
    const std::string so = "\x83\x5c";  // ソ
    const std::string name = "a\xff" + so + "\\b/c";
    EXPECT_EQ(lha::splitPath(name, 932), (std::vector<std::string>{"a", so, "b", "c"}));
    EXPECT_EQ(lha::splitPath(name, 1252), (std::vector<std::string>{"a", "\x83", "b", "c"}));
    // A lead byte before a byte that cannot be a trail byte stands alone, so
    // it cannot hide a separator: "\x81/" splits.
    EXPECT_EQ(lha::splitPath("x\x81/..", 932), (std::vector<std::string>{"x\x81", ".."}));
    EXPECT_EQ(lha::normalizeSeparators("d\xff" + so + "\\f", 932), "d/" + so + "/f");
    // '|' (0x7C) is a Shift-JIS trail byte too: a symlink bar is found past it.
    EXPECT_EQ(lha::findCharacter("\x83\x7c|t", '|', 932), 2u);
    EXPECT_EQ(lha::findCharacter("\x83\x7c|t", '|', 1252), 1u);
}

struct SafeCase {
    const char* name;
    std::uint32_t issues;
    bool refused;
    const char* path;  // expected result when not refused
};

class SafePathCases : public ::testing::TestWithParam<SafeCase> {};

TEST_P(SafePathCases, ClassifiesAndNeutralises) {
    const SafeCase& c = GetParam();
    auto r = lha::resolveSafePath(c.name);
    EXPECT_EQ(r.issues, c.issues) << c.name;
    EXPECT_EQ(r.refused, c.refused) << c.name;
    if (!c.refused) EXPECT_EQ(r.path, c.path) << c.name;
    else EXPECT_EQ(r.path, "");
}

INSTANTIATE_TEST_SUITE_P(
    Table, SafePathCases,
    ::testing::Values(
        SafeCase{"dir/file.txt", 0, false, "dir/file.txt"},
        SafeCase{"/etc/passwd", lha::kPathAbsolute, false, "etc/passwd"},
        SafeCase{"\xff" "abs\xff" "x", lha::kPathAbsolute, false, "abs/x"},
        SafeCase{"C:\\Windows\\win.ini", lha::kPathDrive, false, "Windows/win.ini"},
        SafeCase{"c:boot.ini", lha::kPathDrive, false, "boot.ini"},
        SafeCase{"\\\\server\\share\\x", lha::kPathUnc, false, "server/share/x"},
        SafeCase{"\\\\?\\C:\\x", lha::kPathUnc | lha::kPathDrive, false, "x"},
        SafeCase{"a/../b", lha::kPathDotDot, false, "b"},
        SafeCase{"./a/./b", lha::kPathDotDot, false, "a/b"},
        SafeCase{"../evil1.txt", lha::kPathEscape, true, ""},
        SafeCase{"foo/../../evil2.txt", lha::kPathDotDot | lha::kPathEscape, true, ""},
        SafeCase{"file.txt:stream", lha::kPathStream, false, "file.txt_stream"},
        SafeCase{"dir/NUL", lha::kPathDevice, false, "dir/_NUL"},
        SafeCase{"con.txt", lha::kPathDevice, false, "_con.txt"},
        SafeCase{"COM1 .log", lha::kPathDevice, false, "_COM1 .log"},
        SafeCase{"lpt9", lha::kPathDevice, false, "_lpt9"},
        SafeCase{"COM10", 0, false, "COM10"},
        SafeCase{"console", 0, false, "console"},
        SafeCase{"a<b>c|d?e*f\"g", lha::kPathBadChar, false, "a_b_c_d_e_f_g"},
        SafeCase{"\x1b]2;x\x07", lha::kPathBadChar, false, "_]2;x_"},
        SafeCase{"name. ", lha::kPathTrailing, false, "name__"},
        SafeCase{"...", lha::kPathTrailing, false, "___"},
        SafeCase{"", lha::kPathEmpty, true, ""},
        SafeCase{"/", lha::kPathAbsolute | lha::kPathEmpty, true, ""},
        SafeCase{"a/..", lha::kPathDotDot | lha::kPathEmpty, true, ""},
        // 表 (95 5C) then '|' as a trail byte (83 7C) are characters, not separators or bad characters.
        SafeCase{"\x95\x5c\\\x83\x7c", 0, false, "\x95\x5c/\x83\x7c"}));

TEST(SafePath, PolicyDecidesBetweenRenameAndRefusal) {
    lha::SafePathOptions strict;
    strict.refuse = lha::kDefaultRefuse | lha::kPathAbsolute | lha::kPathDevice;
    EXPECT_TRUE(lha::resolveSafePath("/etc/x", strict).refused);
    EXPECT_TRUE(lha::resolveSafePath("aux.c", strict).refused);
    lha::SafePathOptions lenient;
    lenient.refuse = 0;
    auto r = lha::resolveSafePath("../../x", lenient);
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(r.path, "x");
    lha::SafePathOptions windows;
    windows.separator = '\\';
    EXPECT_EQ(lha::resolveSafePath("a/b\xff" "c", windows).path, "a\\b\\c");
}

TEST(SafePath, MemberFlagsAreApplied) {
    lha::MemberHeader link;
    link.path = "etc";
    link.isSymlink = true;
    auto r = lha::resolveSafePath(link);
    EXPECT_TRUE(r.refused);
    EXPECT_TRUE(r.issues & lha::kPathSymlink);

    lha::MemberHeader level2;
    level2.path = "dir/file";
    level2.backslashInName = true;
    r = lha::resolveSafePath(level2);
    EXPECT_FALSE(r.refused);
    EXPECT_EQ(r.issues, lha::kPathBackslash);
    EXPECT_EQ(r.path, "dir/file");

    // The file system's code page decides how bytes split, not the archive's:
    // under 1252 the 0x5C after 0xE9 is a separator the OS would honour.
    lha::MemberHeader latin;
    latin.path = "caf\xe9\\x";
    latin.codePage = 932;
    EXPECT_EQ(lha::resolveSafePath(latin, {.codePage = 1252}).path, "caf\xe9/x");
    EXPECT_EQ(lha::resolveSafePath(latin, {.codePage = 932}).path, "caf\xe9\\x");
}

}  // namespace
