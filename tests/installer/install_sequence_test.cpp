// The whole install as a user lives it: the real Setup.exe with our
// UNLHA32.DLL and an archive packed by our lzh.exe, driven through its first
// dialog, its disk prompts and its final messages; then what stays on disk
// and in the registry is checked.
#include "SetupFolder.h"
#include "WinDriver.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;
using namespace windriver;

namespace {

constexpr char kOptionStore[] = "Software\\Quillforge\\Mythweave";
constexpr char kDone[] = "L'installation s'est termin\xE9" "e avec succ\xE8s";
constexpr char kStopped[] = "L'installation a \xE9t\xE9 stopp\xE9" "e";
const std::string kRuntime = "ZORV_RT.exe";
const std::string kMap = std::string(4000, 'm') + "carte";

fs::path StagingFolder() {
    char temp[MAX_PATH];
    GetTempPathA(MAX_PATH, temp);
    return fs::path(temp) / "ZORV_TEMP" / "GameDisk";
}

std::string OptionValue(const char* name) {
    char buffer[64] = {};
    DWORD size = sizeof buffer;
    if (RegGetValueA(HKEY_CURRENT_USER, kOptionStore, name, RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
        return "<absent>";
    return buffer;
}

class InstallSequence : public ::testing::Test {
protected:
    void SetUp() override {
        RegDeleteTreeA(HKEY_CURRENT_USER, kOptionStore);
        fs::remove_all(StagingFolder());
        WriteFile(game_.Path() / kRuntime, "runtime");
        fs::create_directories(game_.Path() / "data");
        WriteFile(game_.Path() / "data" / "carte.txt", kMap);
        archive_ = packed_.Path() / "Quest.lzh";
        std::string arguments = "a -q --codepage=1252 -C \"";
        arguments += game_.Str();
        arguments += "\" \"";
        arguments += archive_.string();
        arguments += "\" " + kRuntime + " data";
        Process lzh(WinePath(LZH_EXE).string(), {}, arguments);
        ASSERT_EQ(lzh.Wait(std::chrono::seconds(60)), std::optional<DWORD>(0)) << arguments;
        HKEY key;
        RegCreateKeyExA(HKEY_CURRENT_USER, kOptionStore, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr);
        const std::string base = base_.Str() + "\\";
        RegSetValueExA(key, "ApplicationPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(base.c_str()),
                       static_cast<DWORD>(base.size() + 1));
        RegCloseKey(key);
    }

    // Starts Setup.exe from `folder` and presses `button` in its first dialog.
    void StartAndPress(const SetupFolder& folder, const std::string& button) {
        setup_ = std::make_unique<Process>(folder.Exe(), folder.Dir());
        HWND dialog = WaitForWindowTitled(setup_->Id(), "Installation");
        ASSERT_NE(dialog, nullptr);
        HWND target = FindChildByText(dialog, button);
        ASSERT_NE(target, nullptr) << button;
        PressButton(dialog, GetDlgCtrlID(target));
    }

    // Answers every message box with `answer` until Setup.exe ends; returns their texts.
    std::vector<std::string> AnswerUntilExit(int answer = IDOK) {
        std::vector<std::string> texts;
        for (;;) {
            if (auto code = setup_->Wait(std::chrono::milliseconds(50))) {
                EXPECT_EQ(*code, 0u);
                return texts;
            }
            HWND box = WaitForWindow(setup_->Id(), [](HWND w) { return ClassName(w) == "#32770"; },
                                     std::chrono::milliseconds(200));
            if (!box) continue;
            Sleep(100);
            const auto info = ReadMessageBox(box);
            if (!info) continue;
            texts.push_back(info->text);
            PressButton(box, std::find(info->buttons.begin(), info->buttons.end(), answer) != info->buttons.end()
                                 ? answer
                                 : info->buttons.front());
            WaitForWindow(setup_->Id(), [&](HWND w) { return w == box; }, std::chrono::milliseconds(1));
            while (IsWindow(box) && IsWindowVisible(box)) Sleep(20);
            if (texts.size() > 10) break;
        }
        return texts;
    }

    fs::path GameFolder() const { return base_.Path() / "Quest"; }
    void ExpectGameInstalled() const {
        EXPECT_EQ(ReadFile(GameFolder() / kRuntime), "runtime");
        EXPECT_EQ(ReadFile(GameFolder() / "data" / "carte.txt"), kMap);
    }

    TempDir game_, packed_, base_;
    fs::path archive_;
    std::unique_ptr<Process> setup_;
};

constexpr char kIni[] = "[Setup]\r\nProjectName=Quest\r\nGameTitle=The Quest\r\n";

TEST_F(InstallSequence, SuccessInstallsTheGameAndClearsALeftOverStagingFolder) {
    SetupFolder folder(kIni, UNLHA32_DLL);
    fs::copy_file(archive_, fs::path(folder.Dir()) / "Quest.lzh");
    fs::create_directories(StagingFolder() / "old");
    for (const char* name : {"Quest.lzh", "old\\stale.bin"}) {
        WriteFile(StagingFolder() / name, "stale");
        SetFileAttributesA((StagingFolder() / name).string().c_str(), FILE_ATTRIBUTE_READONLY);
    }
    StartAndPress(folder, "Installer le jeu");
    EXPECT_EQ(AnswerUntilExit(), std::vector<std::string>{kDone});
    ExpectGameInstalled();
    EXPECT_FALSE(fs::exists(StagingFolder()));
    EXPECT_TRUE(fs::exists(StagingFolder().parent_path())) << "ZORV_TEMP itself stays";
    EXPECT_EQ(OptionValue("RegisterProgramOption"), "0");
    EXPECT_EQ(OptionValue("PrepareUninstallOption"), "0");
}

TEST_F(InstallSequence, CancelInTheFirstDialogWritesNothing) {
    SetupFolder folder(kIni, UNLHA32_DLL);
    fs::copy_file(archive_, fs::path(folder.Dir()) / "Quest.lzh");
    StartAndPress(folder, "Annuler");
    EXPECT_EQ(AnswerUntilExit(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(GameFolder()));
    EXPECT_FALSE(fs::exists(StagingFolder()));
    EXPECT_EQ(OptionValue("RegisterProgramOption"), "<absent>");
}

TEST_F(InstallSequence, ACorruptArchiveEndsWithTheStopMessageOnly) {
    SetupFolder folder(kIni, UNLHA32_DLL);
    std::string bytes = ReadFile(archive_);
    // The runtime is stored as it is (too small to shrink): damage its data.
    const std::size_t at = bytes.find("runtime");
    ASSERT_NE(at, std::string::npos);
    bytes[at + 2] ^= 0x5A;
    WriteFile(fs::path(folder.Dir()) / "Quest.lzh", bytes);
    StartAndPress(folder, "Installer le jeu");
    EXPECT_EQ(AnswerUntilExit(), std::vector<std::string>{kStopped});
    EXPECT_FALSE(fs::exists(StagingFolder()));
    EXPECT_EQ(OptionValue("RegisterProgramOption"), "0") << "written before the copy";
}

TEST_F(InstallSequence, AMissingFirstPartShowsTheErrorThenTheStopMessage) {
    SetupFolder folder(std::string(kIni) + "DiskNumber=1\r\n", UNLHA32_DLL);
    StartAndPress(folder, "Installer le jeu");
    const auto texts = AnswerUntilExit();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0].rfind("Cannot open file \"" + folder.Dir() + "\\Quest.001\". ", 0), 0u) << texts[0];
    EXPECT_EQ(texts[0].back(), '.');
    EXPECT_EQ(texts[1], kStopped);
    EXPECT_FALSE(fs::exists(StagingFolder()));
}

// The parts of the archive, as a disk set has them beside the installer.
void SplitInto(const fs::path& archive, const fs::path& folder, int parts) {
    const std::string bytes = ReadFile(archive);
    const std::size_t size = (bytes.size() + parts - 1) / parts;
    for (int i = 1; i <= parts; ++i) {
        char name[16];
        std::snprintf(name, sizeof name, "Quest.%.3d", i);
        WriteFile(folder / name, bytes.substr((i - 1) * size, size));
    }
}

TEST_F(InstallSequence, ASplitArchiveAsksForEachLaterDiskAndInstalls) {
    SetupFolder folder(std::string(kIni) + "DiskNumber=3\r\n", UNLHA32_DLL);
    SplitInto(archive_, folder.Dir(), 3);
    StartAndPress(folder, "Installer le jeu");
    EXPECT_EQ(AnswerUntilExit(IDOK), (std::vector<std::string>{"Ins\xE9rez la disquette 2",
                                                                "Ins\xE9rez la disquette 3", kDone}));
    ExpectGameInstalled();
    EXPECT_FALSE(fs::exists(StagingFolder()));
}

TEST_F(InstallSequence, CancelAtADiskPromptStops) {
    SetupFolder folder(std::string(kIni) + "DiskNumber=2\r\n", UNLHA32_DLL);
    SplitInto(archive_, folder.Dir(), 2);
    StartAndPress(folder, "Installer le jeu");
    EXPECT_EQ(AnswerUntilExit(IDCANCEL), (std::vector<std::string>{"Ins\xE9rez la disquette 2", kStopped}));
    EXPECT_FALSE(fs::exists(GameFolder()));
    EXPECT_FALSE(fs::exists(StagingFolder()));
}

// A registry key that cannot take a lasting sub-key makes the option store
// fail after the dialog: an error before the protected block ends the
// installer without a word.
TEST_F(InstallSequence, AnErrorBeforeTheCopyEndsSilently) {
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillforge");
    HKEY vendor;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\Quillforge", 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                    nullptr, &vendor, nullptr);
    RegCloseKey(vendor);
    HKEY probe;
    const bool refused = RegCreateKeyExA(HKEY_CURRENT_USER, kOptionStore, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                         KEY_ALL_ACCESS, nullptr, &probe, nullptr) != ERROR_SUCCESS;
    if (!refused) {
        RegCloseKey(probe);
        RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillforge");
        GTEST_SKIP() << "this registry accepts lasting keys under volatile ones";
    }
    SetupFolder folder(kIni, UNLHA32_DLL);
    fs::copy_file(archive_, fs::path(folder.Dir()) / "Quest.lzh");
    StartAndPress(folder, "Installer le jeu");
    EXPECT_EQ(AnswerUntilExit(), std::vector<std::string>{});
    EXPECT_FALSE(fs::exists(GameFolder()));
    RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\Quillforge");
}

}  // namespace
