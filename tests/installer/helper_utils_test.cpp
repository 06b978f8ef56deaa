// The installer's helper routines against the real system under Wine: the
// test prefix has floppies A: ("3.5 FD"), B: (no disk), E: ("FD"),
// F: ("3.5 Floppy"), a CD-ROM D: and a second fixed disk G:.
#include "HelperUtils.h"
#include "SetupMain.h"
#include "WinDriver.h"
#include "framework/Registry.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <thread>

namespace fs = std::filesystem;
using namespace windriver;

namespace {

struct PathCase {
    std::string in, out;
};

TEST(AddBackslash, AppendsOnlyWhenMissing) {
    const PathCase cases[] = {{"C:\\Games", "C:\\Games\\"}, {"C:\\Games\\", "C:\\Games\\"}, {"", "\\"}, {"C:", "C:\\"}};
    for (const auto& c : cases) EXPECT_EQ(AddBackslash(c.in), c.out) << c.in;
}

TEST(DriveRoot, TakesTheDrivePart) {
    const PathCase cases[] = {{"C:\\Games", "C:\\"},
                              {"a:", "a:\\"},
                              {"\\\\server\\share\\dir\\x", "\\\\server\\share\\"},
                              {"\\\\server\\share", "\\\\server\\share\\"},
                              {"Games\\x", "\\"},
                              {"", "\\"}};
    for (const auto& c : cases) EXPECT_EQ(DriveRoot(c.in), c.out) << c.in;
}

TEST(IsAsciiLetter, IsTrueForExactlyTheLatinLetters) {
    for (int b = 0; b < 256; ++b) {
        const bool letter = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
        EXPECT_EQ(IsAsciiLetter(static_cast<char>(b)), letter) << b;
    }
}

struct DriveCase {
    const char* path;
    bool ready;
    bool floppy;
};

TEST(DriveTests, ReadinessAndFloppyNamesFollowTheDrives) {
    const DriveCase cases[] = {
        {"A:\\x", true, true},         // removable, "3.5 FD (A:)"
        {"B:\\x", false, false},       // removable without a disk
        {"E:\\Games", true, false},    // "FD (E:)": the word must not come first
        {"F:\\", true, true},          // "3.5 Floppy (F:)"
        {"C:\\Games", true, false},    // fixed
        {"D:\\", true, false},         // CD-ROM
        {"Q:\\x", false, false},       // no drive
        {"\\\\nohost\\share\\x", false, false},
    };
    const UINT before = SetErrorMode(0);
    for (const auto& c : cases) {
        EXPECT_EQ(IsDriveReady(c.path), c.ready) << c.path;
        EXPECT_EQ(IsFloppyDrive(c.path), c.floppy) << c.path;
    }
    EXPECT_EQ(SetErrorMode(before), 0u) << "the error mode must be restored";
}

TEST(SystemFolders, EndWithABackslash) {
    EXPECT_EQ(CharUpperA(WindowsFolder().data()), std::string("C:\\WINDOWS\\"));
    EXPECT_TRUE(fs::is_directory(TempFolder()));
    EXPECT_EQ(TempFolder().back(), '\\');
    EXPECT_EQ(ProgramFilesFolder(), "C:\\Program Files\\");
    const std::string programs = ProgramsMenuFolder();
    EXPECT_TRUE(programs.ends_with("\\Start Menu\\Programs\\")) << programs;
}

// Puts a ProgramFilesDir value of its own and restores the real one.
class ProgramFilesValue {
public:
    ProgramFilesValue() : saved_(Read()) {}
    ~ProgramFilesValue() { Key().WriteString("ProgramFilesDir", saved_); }
    static TRegistry Key() {
        TRegistry r(HKEY_LOCAL_MACHINE);
        r.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion", false);
        return r;
    }
    static std::string Read() { return Key().ReadString("ProgramFilesDir"); }

private:
    std::string saved_;
};

TEST(SystemFolders, ProgramFilesFolderWithoutAUsableValue) {
    ProgramFilesValue restore;
    TRegistry key = ProgramFilesValue::Key();
    RegDeleteValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion\\ProgramFilesDir");
    RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir");
    EXPECT_EQ(ProgramFilesFolder(), "\\");
    const DWORD number = 5;
    RegSetKeyValueA(HKEY_LOCAL_MACHINE, "Software\\Microsoft\\Windows\\CurrentVersion", "ProgramFilesDir", REG_DWORD,
                    &number, sizeof number);
    try {
        ProgramFilesFolder();
        ADD_FAILURE() << "a number is no folder";
    } catch (const ERegistryException& e) {
        EXPECT_EQ(e.Message(), "Invalid data type for 'ProgramFilesDir'");
    }
}

class WithApplication : public ::testing::Test {
protected:
    void SetUp() override { app_.SetTitle("Installateur"); }
    TApplication app_;
};

struct PlacementCase {
    int left, width, expectedLeft;
};

TEST_F(WithApplication, KeepFormOnScreenPullsFormsBackInside) {
    const int maxX = GetSystemMetrics(SM_CXMAXIMIZED) - 2 * GetSystemMetrics(SM_CXFRAME);
    const PlacementCase cases[] = {{2000, 300, maxX - 300}, {2000, maxX + 76, 0}, {-50, 300, 0}, {10, 300, 10}};
    for (const auto& c : cases) {
        TForm form(nullptr);
        form.SetBounds(c.left, 5, c.width, 100);
        KeepFormOnScreen(form);
        EXPECT_EQ(form.Left(), c.expectedLeft) << c.left << " " << c.width;
        EXPECT_EQ(form.Top(), 5);
    }
}

TEST_F(WithApplication, CenterOnOwnerNeedsAFormAsOwner) {
    TForm owner(nullptr);
    owner.SetBounds(101, 100, 401, 301);
    TForm& form = owner.Create<TForm>();
    form.SetBounds(0, 0, 201, 101);
    CenterOnOwner(form);
    EXPECT_EQ(form.Left(), 200 + 101 - 100);
    EXPECT_EQ(form.Top(), 150 + 100 - 50);

    TForm orphan(&app_);
    EXPECT_THROW(CenterOnOwner(orphan), EInvalidCast);
}

struct BoxCase {
    const char* name;
    int (*show)(const std::string&, HWND);
    int press;
    std::vector<int> buttons;
    LPCSTR icon;
};

// Reads the box from a second thread, as the user would, and answers it.
MessageBoxInfo AnswerNextBox(int (*show)(const std::string&, HWND), int press, int& result) {
    MessageBoxInfo seen;
    std::thread reader([&] {
        seen = WaitForMessageBox(GetCurrentProcessId());
        PressButton(seen.window, press);
    });
    result = show("Texte \xE9", nullptr);
    reader.join();
    return seen;
}

TEST_F(WithApplication, MessageBoxesCarryTheTitleAndTheirButtons) {
    const BoxCase cases[] = {{"ShowError", ShowError, IDOK, {IDOK}, IDI_HAND},
                             {"ShowInformation", ShowInformation, IDOK, {IDOK}, IDI_ASTERISK},
                             {"AskYesNo", AskYesNo, IDNO, {IDYES, IDNO}, IDI_QUESTION}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        int result = 0;
        const MessageBoxInfo box = AnswerNextBox(c.show, c.press, result);
        EXPECT_EQ(result, c.press);
        EXPECT_EQ(box.caption, "Installateur");
        EXPECT_EQ(box.text, "Texte \xE9");
        EXPECT_EQ(box.buttons, c.buttons);
        EXPECT_EQ(box.icon, LoadIconA(nullptr, c.icon));
    }
}

class JoinSplitArchiveTest : public ::testing::Test {
protected:
    void Part(int i, const std::string& content) {
        char name[16];
        std::snprintf(name, sizeof name, "Quest.%.3d", i);
        WriteFile(src_.Path() / name, content);
    }
    std::string Archive() const { return (src_.Path() / "Quest.lzh").string(); }
    std::string Joined() const { return ReadFile(dst_.Path() / "Quest.lzh"); }
    TempDir src_, dst_;
};

TEST_F(JoinSplitArchiveTest, ConcatenatesThePartsInOrder) {
    std::string big(20000, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7);
    Part(1, "first-");
    Part(2, "");
    Part(3, big);
    Part(4, "-last");
    JoinSplitArchive(Archive(), dst_.Str(), 4);
    EXPECT_EQ(Joined(), "first-" + big + "-last");
    EXPECT_TRUE(fs::exists(src_.Path() / "Quest.001")) << "parts stay";
}

TEST_F(JoinSplitArchiveTest, MissingPartStopsAfterWhatWasWritten) {
    Part(1, "first");
    Part(3, "third");
    try {
        JoinSplitArchive(Archive(), dst_.Str() + "\\", 3);
        FAIL() << "a missing part must raise";
    } catch (const EFOpenError& e) {
        EXPECT_NE(e.Message().find("Quest.002"), std::string::npos) << e.Message();
    }
    EXPECT_EQ(Joined(), "first");
}

TEST_F(JoinSplitArchiveTest, NoPartsGiveAnEmptyArchive) {
    WriteFile(dst_.Path() / "Quest.lzh", "old content");
    JoinSplitArchive(Archive(), dst_.Str(), 0);
    EXPECT_EQ(Joined(), "");
}

TEST_F(JoinSplitArchiveTest, FourDigitPartNumbersFromOneThousand) {
    for (int i = 1; i <= 1000; ++i) Part(i, i == 1000 ? "Z" : "");
    JoinSplitArchive(Archive(), dst_.Str(), 1000);
    EXPECT_EQ(Joined(), "Z");
    EXPECT_TRUE(fs::exists(src_.Path() / "Quest.1000"));
}

struct DiskNumberCase {
    const char* value;
    std::int32_t expected;
};

TEST(SetupConfig, DiskNumberReadsLikeAnInteger) {
    const DiskNumberCase cases[] = {{"3", 3},   {"0x10", 16}, {"0X10", 16}, {"$10", 16},
                                    {"abc", 0}, {"-2", -2},   {"", 0},      {"12abc", 0}};
    TempDir dir;
    const std::string ini = (dir.Path() / "Setup.ini").string();
    for (const auto& c : cases) {
        WriteFile(ini, std::string("[Setup]\r\nProjectName=Quest\r\nGameTitle=The Quest\r\nDiskNumber=") + c.value +
                           "\r\n");
        const SetupConfig config = SetupConfig::Read(ini);
        EXPECT_EQ(config.DiskNumber, c.expected) << c.value;
        EXPECT_TRUE(config.Complete());
    }
    WriteFile(ini, "[setup]\r\nprojectname=Quest\r\ngametitle=The Quest\r\n");
    EXPECT_EQ(SetupConfig::Read(ini).DiskNumber, 0) << "absent";
    EXPECT_EQ(SetupConfig::Read(ini).GameTitle, "The Quest") << "keys are case-insensitive";
    EXPECT_EQ(SetupConfig::PathFor("E:\\SETUP.EXE"), "E:\\SETUP.ini");
}

// Shift-JIS: 表 is 0x95 0x5C, its second byte the backslash byte.
class Sjis : public ::testing::Test {
protected:
    void SetUp() override {
        if (GetACP() != 932) GTEST_SKIP() << "needs code page 932";
    }
};

TEST_F(Sjis, TrailBackslashByteIsPartOfTheCharacter) {
    const std::string hyo = "\x95\x5C";
    EXPECT_EQ(AddBackslash("C:\\" + hyo), "C:\\" + hyo + "\\");
    EXPECT_EQ(AddBackslash("C:\\" + hyo + "\\"), "C:\\" + hyo + "\\");
    EXPECT_EQ(ExtractFilePath("C:\\" + hyo), "C:\\");
    EXPECT_EQ(ChangeFileExt("C:\\" + hyo + ".exe", ".ini"), "C:\\" + hyo + ".ini");
}

TEST_F(Sjis, FoldersNamedWithTrailBackslashBytesWork) {
    TempDir dir;
    const std::string folder = AddBackslash(dir.Str()) + "\x95\x5C";  // 表
    const std::string nested = AddBackslash(folder) + "\x83\x51\x81\x5B\x83\x80";  // ゲーム
    ASSERT_TRUE(ForceDirectories(nested));
    EXPECT_TRUE(DirectoryExists(nested));
    EXPECT_TRUE(IsDriveReady(nested));
    // std::filesystem would take the bytes for another code page: stay with the ANSI calls.
    TFileStream(AddBackslash(nested) + "Quest.001", FileMode::Create).WriteBuffer("abc", 3);
    JoinSplitArchive(AddBackslash(nested) + "Quest.lzh", folder, 1);
    TFileStream joined(AddBackslash(folder) + "Quest.lzh", FileMode::OpenRead);
    char buffer[4] = {};
    joined.ReadBuffer(buffer, 3);
    EXPECT_STREQ(buffer, "abc");
    EXPECT_EQ(joined.Size(), 3);
}

}  // namespace
