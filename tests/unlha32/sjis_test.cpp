// Names in code page 932 (run with the Japanese locale): 0x5C trail bytes are
// part of their character, in member names, in the target folder and in the
// result text.
#include <gtest/gtest.h>

#include <cstring>

#include "UnlhaTesting.h"
#include "WinDriver.h"

using namespace unlhatest;

namespace {

const std::string kSoftware = "\x83\x5C\x83\x74\x83\x67";  // ソフト
const std::string kDisplay = "\x95\x5C\x8E\xA6";           // 表示
const std::string kGame = "\x83\x51\x81\x5B\x83\x80";      // ゲーム

class Sjis : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(GetACP(), 932u) << "run with the Japanese locale"; }
    Library library_;
    windriver::TempDir dir_;
};

TEST_F(Sjis, TrailByte5CSplitsNoNameAtAnyLevel) {
    for (const char* archive : {"h0_sjis_5c.lzh", "h1_sjis_5c.lzh", "h2_sjis_5c.lzh"}) {
        SCOPED_TRACE(archive);
        const std::string target = dir_.Str() + "\\" + archive + "\\" + kGame + "\\";
        const CallResult r = library_.Run(ExtractCommand(CorpusFile(std::string("extra-generated/") + archive), target));
        EXPECT_EQ(r.code, UNLHA_OK) << r.text;
        EXPECT_EQ(ListTree(target), (std::vector<std::string>{kSoftware + "\\", kSoftware + "\\" + kDisplay + ".txt"}));
        EXPECT_EQ(ReadBytes(target + kSoftware + "\\" + kDisplay + ".txt"), "hello sjis\n");
    }
}

// "...\ソ" ends in 0x5C without ending in a backslash.
TEST_F(Sjis, TargetEndingInATrailByte5CGetsItsOwnBackslash) {
    const std::string target = dir_.Str() + "\\" + kSoftware.substr(0, 2);
    const CallResult r = library_.Run(ExtractCommand(CorpusFile("extra-generated/h2_sjis_5c.lzh"), target));
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    EXPECT_EQ(ReadBytes(target + "\\" + kSoftware + "\\" + kDisplay + ".txt"), "hello sjis\n");
}

// A lead byte that ends a folder name would take the joining backslash as its
// second byte and move the file up a level.
TEST_F(Sjis, LeadByteEndingAFolderNameIsReplaced) {
    const std::string archive = dir_.Str() + "\\lead.lzh";
    WriteBytes(archive, BuildArchive({Member("b.txt").Level2("a\x83\xFF")}));
    const std::string target = dir_.Str() + "\\t\\";
    const CallResult r = library_.Run(ExtractCommand(archive, target));
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    EXPECT_EQ(ListTree(target), (std::vector<std::string>{"a_\\", "a_\\b.txt"}));
}

// Names recorded in code page 1252 are converted; a letter code page 932
// lacks becomes '_' (never a best-fit look-alike).
TEST_F(Sjis, NamesFromAWesternCodePageAreConverted) {
    const std::string archive = dir_.Str() + "\\western.lzh";
    WriteBytes(archive, BuildArchive({Member("caf\xE9.txt").Level2().CodePage(1252), Member("plain.txt").Level2().CodePage(1252)}));
    const std::string target = dir_.Str() + "\\t\\";
    const CallResult r = library_.Run(ExtractCommand(archive, target));
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    EXPECT_EQ(ListTree(target), (std::vector<std::string>{"caf_.txt", "plain.txt"}));
}

TEST_F(Sjis, ResultTextIsNeverCutInsideACharacter) {
    const std::string missing = dir_.Str() + "\\" + kDisplay + ".lzh";
    const std::string command = ExtractCommand(missing, dir_.Str() + "\\t\\");
    char full[512];
    ASSERT_EQ(library_.Function()(nullptr, command.c_str(), full, sizeof full), UNLHA_ARCHIVE_ERROR);
    const std::size_t at = std::string(full).find(kDisplay);
    ASSERT_NE(at, std::string::npos) << full;
    char cut[512];
    std::memset(cut, '#', sizeof cut);
    // Room for the text up to and including the first byte of 表.
    library_.Function()(nullptr, command.c_str(), cut, static_cast<DWORD>(at + 2));
    EXPECT_EQ(std::string(cut), std::string(full).substr(0, at));
}

}  // namespace
