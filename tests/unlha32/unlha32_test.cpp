// Extraction through UNLHA32.DLL as the installer calls it: success with real
// archives, damaged and missing archives, the command line, -+, the result text.
#include <gtest/gtest.h>

#include <cstring>
#include <fstream>
#include <map>
#include <sstream>

#include "UnlhaTesting.h"
#include "WinDriver.h"
#include "lha/crc16.h"
#include "lha/reader.h"

using namespace unlhatest;

namespace {

const std::int64_t kFixtureTime = 981173106;  // 2001-02-03 04:05:06 UTC
const std::vector<std::string> kFixtureFiles = {"readme.txt", "data\\gpl-2", "data\\sub\\empty.dat",
                                                "data\\sub\\numbers.txt"};

class Extraction : public ::testing::Test {
protected:
    std::string Target() const { return dir_.Str() + "\\Game Folder\\"; }
    std::string InTarget(const std::string& relative) const { return Target() + relative; }
    std::string InDir(const std::string& name) const { return dir_.Str() + "\\" + name; }
    CallResult Extract(const std::string& archive) const { return library_.Run(ExtractCommand(archive, Target())); }

    Library library_;
    windriver::TempDir dir_;
};

void ExpectFixtureExtracted(const std::string& target) {
    for (const std::string& file : kFixtureFiles) {
        SCOPED_TRACE(file);
        std::string source = FixtureFile("tree/" + file);
        std::replace(source.begin(), source.end(), '/', '\\');
        EXPECT_EQ(ReadBytes(target + file), ReadBytes(source));
        EXPECT_EQ(LastWriteTicks(target + file), TicksFromUnix(kFixtureTime));
    }
    for (const char* folder : {"data", "data\\sub"}) {
        SCOPED_TRACE(folder);
        EXPECT_EQ(LastWriteTicks(target + folder), TicksFromUnix(kFixtureTime)) << "folder time";
    }
}

TEST_F(Extraction, CreatesTheFolderAndWritesEveryMemberWithItsTime) {
    const CallResult r = Extract(FixtureFile("game.lzh"));
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    EXPECT_EQ(r.text, "4 file(s) extracted");
    EXPECT_EQ(ListTree(Target()), (std::vector<std::string>{"data\\", "data\\gpl-2", "data\\sub\\",
                                                            "data\\sub\\empty.dat", "data\\sub\\numbers.txt",
                                                            "readme.txt"}));
    ExpectFixtureExtracted(Target());
}

TEST_F(Extraction, CreatesMissingParentsOfTheTarget) {
    const std::string deep = dir_.Str() + "\\Program Files\\Games\\Quest\\";
    EXPECT_EQ(library_.Run(ExtractCommand(FixtureFile("game.lzh"), deep)).code, UNLHA_OK);
    ExpectFixtureExtracted(deep);
}

// An install over an earlier one: changed, read-only and hidden files are replaced.
TEST_F(Extraction, ReplacesFilesOfAnEarlierInstall) {
    ASSERT_EQ(Extract(FixtureFile("game.lzh")).code, UNLHA_OK);
    WriteBytes(InTarget("readme.txt"), "changed by the player");
    SetFileAttributesA(InTarget("readme.txt").c_str(), FILE_ATTRIBUTE_READONLY);
    WriteBytes(InTarget("data\\gpl-2"), "x");
    SetFileAttributesA(InTarget("data\\gpl-2").c_str(), FILE_ATTRIBUTE_HIDDEN);
    const CallResult r = Extract(FixtureFile("game.lzh"));
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    ExpectFixtureExtracted(Target());
}

TEST_F(Extraction, TakesTheReadOnlyAttributeFromTheArchiveAndCanReplaceItLater) {
    const std::string archive = InDir("attributes.lzh");
    WriteBytes(archive, BuildArchive({Member("locked.dat", "L").Attributes(0x21), Member("hidden.dat", "H").Attributes(0x22),
                                      Member("system.dat", "S").Attributes(0x24)}));
    for (int round = 0; round < 2; ++round) {
        SCOPED_TRACE(round);
        const CallResult r = Extract(archive);
        ASSERT_EQ(r.code, UNLHA_OK) << r.text;
        EXPECT_TRUE(Attributes(InTarget("locked.dat")) & FILE_ATTRIBUTE_READONLY);
        EXPECT_TRUE(Attributes(InTarget("hidden.dat")) & FILE_ATTRIBUTE_HIDDEN);
        EXPECT_FALSE(Attributes(InTarget("system.dat")) & FILE_ATTRIBUTE_SYSTEM);
    }
}

// One block of a corpus listing: a member as an independent reader saw it.
struct ListedMember {
    std::string path;  // folder, '\'-separated, with a trailing '\' (may be empty)
    std::string filename;
    std::uint64_t length = 0;
    unsigned crc = 0;
    std::uint64_t ticks = 0;  // last-write time as FILETIME ticks
};

std::vector<ListedMember> ReadListing(const std::string& archive) {
    std::ifstream in(std::string(CORPUS_DIR) + "/output/" + archive + "-hdr.txt");
    std::vector<ListedMember> members;
    ListedMember m;
    for (std::string line; std::getline(in, line);) {
        if (line == "--") {
            members.push_back(m);
            m = {};
            continue;
        }
        const std::size_t colon = line.find(": ");
        if (colon == std::string::npos) continue;
        const std::string key = line.substr(0, colon), value = line.substr(colon + 2);
        if (key == "path") {
            m.path = value;
            std::replace(m.path.begin(), m.path.end(), '/', '\\');
        } else if (key == "filename") {
            m.filename = value;
        } else if (key == "length") {
            m.length = std::stoull(value);
        } else if (key == "crc") {
            m.crc = static_cast<unsigned>(std::stoul(value, nullptr, 16));
        } else if (key == "timestamp" && !m.ticks) {
            m.ticks = TicksFromUnix(std::stoll(value));
        } else if (key == "win_modification_time") {
            m.ticks = std::stoull(value);
        }
    }
    return members;
}

class CorpusArchive : public Extraction, public ::testing::WithParamInterface<const char*> {};

TEST_P(CorpusArchive, ExtractsWhatTheListingShows) {
    const std::vector<ListedMember> listed = ReadListing(GetParam());
    ASSERT_FALSE(listed.empty());
    const CallResult r = Extract(unlhatest::CorpusArchive(GetParam()));
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    for (const ListedMember& m : listed) {
        const std::string path = InTarget(m.path + m.filename);
        SCOPED_TRACE(path);
        EXPECT_EQ(LastWriteTicks(path), m.ticks);
        if (m.filename.empty()) {
            EXPECT_TRUE(Attributes(path) & FILE_ATTRIBUTE_DIRECTORY);
            continue;
        }
        const std::string data = ReadBytes(path);
        EXPECT_EQ(data.size(), m.length);
        EXPECT_EQ(lha::crc16({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()}), m.crc);
    }
}

INSTANTIATE_TEST_SUITE_P(Levels, CorpusArchive,
                         ::testing::Values("lharc113/lh1.lzh", "lha213/subdir.lzh", "explzh_723/h0_subdir.lzh",
                                           "explzh_723/h1_subdir.lzh", "explzh_723/h2_subdir.lzh",
                                           "lha_os2_208/h3_subdir.lzh", "larc333/subdir.lzs",
                                           "lha_unix114i/h2_lh7.lzh", "lh2_222/readonly.lzh"),
                         [](const auto& info) {
                             std::string name = info.param;
                             for (char& c : name)
                                 if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                             return name;
                         });

TEST_F(Extraction, WritesTheGplTextByteForByteFromEveryMethod) {
    const std::string gpl = ReadBytes(CorpusFile("compressed/lh0.bin"));
    for (const char* archive : {"lharc113/lh1.lzh", "lha213/lh5.lzh", "explzh_723/h2_lh6.lzh", "explzh_723/h2_lh7.lzh",
                                "larc333/lz5.lzs"}) {
        SCOPED_TRACE(archive);
        windriver::TempDir target;
        const CallResult r = library_.Run(ExtractCommand(unlhatest::CorpusArchive(archive), target.Str()));
        ASSERT_EQ(r.code, UNLHA_OK) << r.text;
        const std::vector<std::string> files = ListTree(target.Str());
        ASSERT_EQ(files.size(), 1u);
        EXPECT_TRUE(ReadBytes(target.Str() + "\\" + files[0]) == gpl) << files[0];
    }
}

// --- damaged and missing archives ---

// The fixture with one byte of data/gpl-2's compressed data changed.
std::string DamagedFixture() {
    std::string bytes = ReadBytes(FixtureFile("game.lzh"));
    lha::MemoryInput in({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()});
    lha::ArchiveReader reader(in);
    while (reader.next())
        if (reader.member().path == "data/gpl-2") {
            bytes[reader.member().dataOffset + reader.member().compressedSize / 2] ^= 0x55;
            return bytes;
        }
    ADD_FAILURE() << "no data/gpl-2 in the fixture";
    return bytes;
}

TEST_F(Extraction, DamagedMemberFailsAndLeavesNothingOfItButTheOthersAreWritten) {
    const std::string archive = InDir("damaged.lzh");
    WriteBytes(archive, DamagedFixture());
    const CallResult r = Extract(archive);
    EXPECT_EQ(r.code, UNLHA_MEMBER_ERROR);
    EXPECT_NE(r.text.find("data\\gpl-2"), std::string::npos) << r.text;
    EXPECT_EQ(ListTree(Target()), (std::vector<std::string>{"data\\", "data\\sub\\", "data\\sub\\empty.dat",
                                                            "data\\sub\\numbers.txt", "readme.txt"}));
}

TEST_F(Extraction, DamagedMemberKeepsTheFileOfAnEarlierInstall) {
    ASSERT_EQ(Extract(FixtureFile("game.lzh")).code, UNLHA_OK);
    const std::string archive = InDir("damaged.lzh");
    WriteBytes(archive, DamagedFixture());
    EXPECT_EQ(Extract(archive).code, UNLHA_MEMBER_ERROR);
    ExpectFixtureExtracted(Target());
    EXPECT_EQ(ListTree(Target()).size(), 6u) << "no temporary file left";
}

TEST_F(Extraction, TruncatedArchiveFails) {
    const CallResult r = Extract(unlhatest::CorpusArchive("regression/truncated.lzh"));
    EXPECT_NE(r.code, UNLHA_OK);
    EXPECT_EQ(ListTree(Target()), std::vector<std::string>{}) << "the cut member leaves no file";
}

TEST_F(Extraction, ArchiveThatCannotBeReadFailsWithoutCreatingTheFolder) {
    WriteBytes(InDir("text.lzh"), "this is not an archive at all, just text");
    for (const std::string& archive : {InDir("missing.lzh"), InDir("text.lzh"), dir_.Str()}) {
        SCOPED_TRACE(archive);
        const CallResult r = Extract(archive);
        EXPECT_EQ(r.code, UNLHA_ARCHIVE_ERROR);
        EXPECT_NE(r.text.find(archive), std::string::npos) << r.text;
        EXPECT_FALSE(Exists(Target()));
    }
}

// --- the command line ---

class Command : public Extraction {
protected:
    std::string Game() const { return FixtureFile("game.lzh"); }
};

TEST_F(Command, BadCommandsFailWithoutWritingAnything) {
    const std::string a = Quoted(Game()), f = Quoted(Target());
    auto words = [](std::initializer_list<std::string> parts) {
        std::string line;
        for (const std::string& part : parts) line += (line.empty() ? "" : " ") + part;
        return line;
    };
    const std::vector<std::string> commands = {
        "",                                    // nothing
        "   ",                                 // blanks only
        words({"e", "-+", a, f}),              // unknown command
        words({"xx", "-+", a, f}),             // unknown command
        words({"\"x\"", "-+", a, f}),          // a quoted word is no command
        "x",                                   // no archive
        "x -+",                                // no archive
        words({"x", "-+", a}),                 // no folder
        words({"x", "-+", a, f, "extra"}),     // one argument too many
        words({"x", "-y", a, f}),              // unknown switch
        words({"x", "-+", "\"\"", f}),         // empty archive name
        words({"x", "-+", a, "\"\""}),         // empty folder
        words({"x", "-+", a, Target().insert(0, 1, '"')}),  // unclosed quote
    };
    for (const std::string& command : commands) {
        SCOPED_TRACE(command);
        const CallResult r = library_.Run(command);
        EXPECT_EQ(r.code, UNLHA_BAD_COMMAND) << r.text;
        EXPECT_FALSE(r.text.empty());
        EXPECT_FALSE(Exists(Target()));
    }
    EXPECT_EQ(library_.Function()(nullptr, nullptr, nullptr, 0), UNLHA_BAD_COMMAND);
}

TEST_F(Command, AcceptsTheWaysAUserWritesIt) {
    const std::string spaced = dir_.Str() + "\\my game.lzh";
    WriteBytes(spaced, ReadBytes(Game()));
    const std::string plainTarget = dir_.Str() + "\\plain";
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"x -+ \"" + spaced + "\" \"" + Target() + "\"", Target()},                // the installer's form
        {"X -+ \"" + spaced + "\" \"" + Target() + "\"", Target()},                // upper-case command
        {"  x\t\"" + spaced + "\"   \"" + Target() + "\"  -+ ", Target()},        // blanks, switch last
        {"x -+ -+ " + Game() + " " + plainTarget, plainTarget + "\\"},             // unquoted, no backslash
        {"x -+ \"" + dir_.Str() + "\\my \"game.lzh \"" + dir_.Str() + "\"\\Joined\\", dir_.Str() + "\\Joined\\"},
    };
    for (const auto& [command, target] : cases) {
        SCOPED_TRACE(command);
        const CallResult r = library_.Run(command);
        EXPECT_EQ(r.code, UNLHA_OK) << r.text;
        ExpectFixtureExtracted(target);
    }
}

TEST_F(Command, WithoutPlusAMissingFolderIsNotCreated) {
    const CallResult r = library_.Run("x \"" + Game() + "\" \"" + Target() + "\"");
    EXPECT_EQ(r.code, UNLHA_FOLDER_ERROR);
    EXPECT_FALSE(Exists(Target()));
}

TEST_F(Command, WithoutPlusExistingFilesAreKeptAndTheOthersWritten) {
    CreateDirectoryA(Target().c_str(), nullptr);
    WriteBytes(InTarget("readme.txt"), "mine");
    const CallResult r = library_.Run("x \"" + Game() + "\" \"" + Target() + "\"");
    EXPECT_EQ(r.code, UNLHA_MEMBER_ERROR);
    EXPECT_NE(r.text.find("readme.txt"), std::string::npos) << r.text;
    EXPECT_EQ(ReadBytes(InTarget("readme.txt")), "mine");
    EXPECT_EQ(ReadBytes(InTarget("data\\gpl-2")), ReadBytes(CorpusFile("compressed/lh0.bin")));
}

TEST_F(Command, TargetThatIsAFileFails) {
    WriteBytes(InDir("file"), "x");
    EXPECT_EQ(library_.Run(ExtractCommand(Game(), InDir("file"))).code, UNLHA_FOLDER_ERROR);
    EXPECT_EQ(library_.Run(ExtractCommand(Game(), InDir("file") + "\\sub\\")).code, UNLHA_FOLDER_ERROR);
}

// --- the result text ---

TEST(ResultText, IsCutToTheBufferAndNulTerminated) {
    Library library;
    const std::string command = "q";  // "unknown command "q""
    char full[256];
    ASSERT_EQ(library.Function()(nullptr, command.c_str(), full, sizeof full), UNLHA_BAD_COMMAND);
    const std::string text = full;
    ASSERT_GT(text.size(), 8u);
    for (const std::size_t size : {std::size_t{1}, std::size_t{2}, std::size_t{8}, text.size(), text.size() + 1}) {
        SCOPED_TRACE(size);
        char buffer[300];
        std::memset(buffer, '#', sizeof buffer);
        EXPECT_EQ(library.Function()(nullptr, command.c_str(), buffer, static_cast<DWORD>(size)), UNLHA_BAD_COMMAND);
        EXPECT_EQ(std::string(buffer), text.substr(0, size - 1));
        EXPECT_EQ(buffer[size], '#') << "wrote beyond the size";
    }
    char untouched = '#';
    EXPECT_EQ(library.Function()(nullptr, command.c_str(), &untouched, 0), UNLHA_BAD_COMMAND);
    EXPECT_EQ(untouched, '#');
}

// A call that failed or was cut short leaves nothing that changes the next one.
TEST_F(Extraction, SecondCallBehavesLikeTheFirst) {
    EXPECT_EQ(library_.Run("x -q nothing nowhere").code, UNLHA_BAD_COMMAND);
    WriteBytes(InDir("damaged.lzh"), DamagedFixture());
    EXPECT_EQ(Extract(InDir("damaged.lzh")).code, UNLHA_MEMBER_ERROR);
    windriver::TempDir other;
    for (int call = 0; call < 2; ++call) {
        const CallResult r = library_.Run(ExtractCommand(FixtureFile("game.lzh"), other.Str() + "\\"));
        EXPECT_EQ(r.code, UNLHA_OK) << r.text;
        EXPECT_EQ(r.text, "4 file(s) extracted");
    }
}

}  // namespace

namespace {

// A name recorded in code page 932 (extended header 0x46) on a Western
// system: ソ (83 5C) is one character there, converted, not a folder "\x83".
TEST_F(Extraction, NamesFromAnotherCodePageAreConverted) {
    const std::string archive = InDir("japanese.lzh");
    WriteBytes(archive, BuildArchive({Member("\x83\x5C.txt").Level2().CodePage(932)}));
    const CallResult r = Extract(archive);
    EXPECT_EQ(r.code, UNLHA_OK) << r.text;
    EXPECT_EQ(ListTree(Target()), std::vector<std::string>{"_.txt"});
}

}  // namespace
