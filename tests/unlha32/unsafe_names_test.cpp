// Hostile member names: whatever the archive says, nothing is written outside
// the target folder. Real hostile archives first, then names built here.
#include <gtest/gtest.h>

#include "UnlhaTesting.h"
#include "WinDriver.h"

using namespace unlhatest;

namespace {

struct UnsafeCase {
    const char* name;
    std::string archive;  // a corpus archive, or empty to use `members`
    std::vector<Member> members;
    int result;
    std::vector<std::string> inTarget;  // everything the target folder holds afterwards
    std::vector<std::string> notOutside = {};  // absolute paths that must not appear
};

class UnsafeNames : public ::testing::TestWithParam<UnsafeCase> {};

// The test folder holds the archive and the target; after the call it holds
// nothing else, and the target holds exactly the expected entries.
TEST_P(UnsafeNames, StayInsideTheTarget) {
    const UnsafeCase& c = GetParam();
    Library library;
    windriver::TempDir dir;
    const std::string archive = c.archive.empty() ? dir.Str() + "\\hostile.lzh" : CorpusArchive(c.archive);
    if (c.archive.empty()) WriteBytes(archive, BuildArchive(c.members));
    const std::string target = dir.Str() + "\\deep\\target\\";

    const CallResult r = library.Run(ExtractCommand(archive, target));
    EXPECT_EQ(r.code, c.result) << r.text;
    EXPECT_EQ(ListTree(target), c.inTarget);
    std::vector<std::string> everything = {"deep\\", "deep\\target\\"};
    for (const std::string& entry : c.inTarget) everything.push_back("deep\\target\\" + entry);
    if (c.archive.empty()) everything.push_back("hostile.lzh");
    std::sort(everything.begin(), everything.end());
    EXPECT_EQ(ListTree(dir.Str()), everything);
    for (const std::string& path : c.notOutside) EXPECT_FALSE(Exists(path)) << path;
}

Member L0(std::string name) { return Member(std::move(name)); }
Member L2(std::string directory, std::string name) { return Member(std::move(name)).Level2(std::move(directory)); }

INSTANTIATE_TEST_SUITE_P(
    RealArchives, UnsafeNames,
    ::testing::Values(
        // "/tmp/absolute_path.txt": the leading separator is dropped.
        UnsafeCase{"AbsolutePath", "regression/abspath.lzh", {}, UNLHA_OK,
                   {"tmp\\", "tmp\\absolute_path.txt"},
                   {"Z:\\tmp\\absolute_path.txt", "C:\\tmp\\absolute_path.txt"}},
        // "../evil1.txt" and "foo/../../evil2.txt" climb out: refused.
        UnsafeCase{"DotDot", "regression/dotdot.lzh", {}, UNLHA_MEMBER_ERROR, {}},
        // A link foo.txt -> bar.txt, then a file foo.txt: the link is refused,
        // the file is written as itself and bar.txt never appears.
        UnsafeCase{"SymlinkThenFile", "regression/symlink1.lzh", {}, UNLHA_MEMBER_ERROR, {"foo.txt"}},
        // A link etc -> ../../etc or /tmp, then etc/passwd: a real folder etc.
        UnsafeCase{"SymlinkUpward", "regression/symlink2.lzh", {}, UNLHA_MEMBER_ERROR, {"etc\\", "etc\\passwd"}},
        UnsafeCase{"SymlinkAbsolute", "regression/symlink3.lzh", {}, UNLHA_MEMBER_ERROR, {"etc\\", "etc\\passwd"},
                   {"Z:\\tmp\\passwd"}}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    BuiltArchives, UnsafeNames,
    ::testing::Values(
        UnsafeCase{"DriveLetter", "", {L0("C:\\unlha-drive.txt"), L0("D:unlha-drive2.txt")}, UNLHA_OK,
                   {"unlha-drive.txt", "unlha-drive2.txt"}, {"C:\\unlha-drive.txt", "D:\\unlha-drive2.txt"}},
        // Server and share become folders; "?" and "C:" are no longer first.
        UnsafeCase{"UncName", "", {L0("\\\\server\\share\\unc.txt")}, UNLHA_OK,
                   {"server\\", "server\\share\\", "server\\share\\unc.txt"}},
        UnsafeCase{"DeviceNamespace", "", {L0("\\\\?\\C:\\unlha-ns.txt"), L0("\\\\.\\NUL")}, UNLHA_OK,
                   {"_NUL", "_\\", "_\\C_\\", "_\\C_\\unlha-ns.txt"}, {"C:\\unlha-ns.txt"}},
        UnsafeCase{"DeviceNames", "",
                   {L0("NUL"), L0("con.txt"), L0("sub\\COM1.log"), L0("Lpt9 .x"), L0("AUX"), L0("CONOUT$")},
                   UNLHA_OK, {"_AUX", "_CONOUT$", "_Lpt9 .x", "_NUL", "_con.txt", "sub\\", "sub\\_COM1.log"}},
        UnsafeCase{"AlternateDataStream", "", {L0("game.dat:hidden"), L0("dir:x\\file.txt"), L0("game.dat")},
                   UNLHA_OK, {"dir_x\\", "dir_x\\file.txt", "game.dat", "game.dat_hidden"}},
        UnsafeCase{"DotDotInside", "", {L0("a\\..\\b.txt"), L0(".\\c.txt")}, UNLHA_OK, {"b.txt", "c.txt"}},
        UnsafeCase{"DotDotLevel0", "", {L0("..\\..\\unlha-up.txt"), L0("a\\..\\..\\unlha-up2.txt")},
                   UNLHA_MEMBER_ERROR, {}},
        UnsafeCase{"ReservedCharacters", "", {L0("what?.txt"), L0("a<b>|c*.txt"), L0("dots...")}, UNLHA_OK,
                   {"a_b__c_.txt", "dots___", "what_.txt"}},
        UnsafeCase{"EmptyName", "", {L0(""), L0("ok.txt")}, UNLHA_MEMBER_ERROR, {"ok.txt"}},
        // Level 2: '\' inside the name field is a separator, so it cannot hide a "..".
        UnsafeCase{"BackslashInLevel2Name", "",
                   {L2("", "sub\\inner.txt"), L2("", "..\\..\\unlha-l2.txt"), L2("x\xFF", "..\\..\\unlha-l2b.txt")},
                   UNLHA_MEMBER_ERROR, {"sub\\", "sub\\inner.txt"}},
        UnsafeCase{"Level2DirectoryClimbs", "", {L2("..\xFF..\xFF", "unlha-l2c.txt"), L2("ok\xFF", "in.txt")},
                   UNLHA_MEMBER_ERROR, {"ok\\", "ok\\in.txt"}},
        UnsafeCase{"Level2AbsoluteDirectory", "", {L2("\xFFwindows\xFF", "unlha-abs.txt")}, UNLHA_OK,
                   {"windows\\", "windows\\unlha-abs.txt"}, {"C:\\windows\\unlha-abs.txt"}},
        UnsafeCase{"Level2DriveInDirectory", "", {L2("C:\xFFwindows\xFF", "unlha-drv.txt")}, UNLHA_OK,
                   {"windows\\", "windows\\unlha-drv.txt"}, {"C:\\windows\\unlha-drv.txt"}}),
    [](const auto& info) { return std::string(info.param.name); });

// A file whose name a later member wants as a folder, and the reverse.
TEST(NameClashes, FailTheMemberNotTheOthers) {
    Library library;
    windriver::TempDir dir;
    const std::string archive = dir.Str() + "\\clash.lzh";
    WriteBytes(archive, BuildArchive({L0("a"), L0("a\\b.txt"), L2("c\xFF", "d.txt"), L0("c"), L0("ok.txt")}));
    const CallResult r = library.Run(ExtractCommand(archive, dir.Str() + "\\t\\"));
    EXPECT_EQ(r.code, UNLHA_MEMBER_ERROR);
    EXPECT_NE(r.text.find("2 member(s)"), std::string::npos) << r.text;
    EXPECT_EQ(ListTree(dir.Str() + "\\t"), (std::vector<std::string>{"a", "c\\", "c\\d.txt", "ok.txt"}));
}

}  // namespace
