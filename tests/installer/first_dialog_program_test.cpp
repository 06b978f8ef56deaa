// The first dialog in the running Setup.exe, driven from outside as a user
// would: it reads the texts, ticks the options, presses a button, and checks
// what the installer left in the option store. The library beside Setup.exe
// has the entry point, so the install reaches its dialog.
#include "SetupFolder.h"
#include "WinDriver.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

using namespace windriver;

namespace {

constexpr char kIni[] = "[Setup]\r\nProjectName=Quest\r\nGameTitle=The Quest\r\n";
constexpr char kStoreKey[] = "Software\\Quillforge\\Mythweave";
constexpr char kRegister[] = "RegisterProgramOption";
constexpr char kPrepare[] = "PrepareUninstallOption";
constexpr char kPath[] = "ApplicationPath";

struct RegValue {
    DWORD type = 0;
    std::string data;
    bool operator==(const RegValue&) const = default;
};
std::ostream& operator<<(std::ostream& os, const RegValue& v) {
    os << "type " << v.type << " \"";
    for (char c : v.data) c ? os << c : os << "\\0";
    return os << '"';
}
RegValue Sz(const std::string& text) { return {REG_SZ, text + '\0'}; }

void SetValue(const char* name, const RegValue& v) {
    RegSetKeyValueA(HKEY_CURRENT_USER, kStoreKey, name, v.type, v.data.data(), static_cast<DWORD>(v.data.size()));
}
std::optional<RegValue> GetValue(const char* name) {
    DWORD type = 0, size = 0;
    if (RegGetValueA(HKEY_CURRENT_USER, kStoreKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, nullptr, &size) !=
        ERROR_SUCCESS)
        return std::nullopt;
    std::string data(size, '\0');
    RegGetValueA(HKEY_CURRENT_USER, kStoreKey, name, RRF_RT_ANY | RRF_NOEXPAND, &type, data.data(), &size);
    data.resize(size);
    return RegValue{type, data};
}
// The number of values in the store, or nothing when the key is absent.
std::optional<DWORD> StoredValueCount() {
    HKEY key = nullptr;
    if (RegOpenKeyExA(HKEY_CURRENT_USER, kStoreKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return std::nullopt;
    DWORD count = 0;
    RegQueryInfoKeyA(key, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, nullptr, nullptr, nullptr,
                     nullptr);
    RegCloseKey(key);
    return count;
}

// The dialog as the user sees it.
struct FirstDialogView {
    HWND window = nullptr;
    HWND folderBox = nullptr;
    HWND shortcut = nullptr;
    HWND uninstall = nullptr;

    static FirstDialogView Find(DWORD processId) {
        FirstDialogView view;
        view.window = WaitForWindowTitled(processId, "Installation");
        if (!view.window) return view;
        for (HWND child : ChildWindows(view.window))
            if (ClassName(child).rfind("Zorv.Control", 0) == 0) view.folderBox = child;
        view.shortcut = FindChildByText(view.window, "Créer un raccourci dans le menu démarrer");
        view.uninstall = FindChildByText(view.window, "Inclure l'option de désinstallation du jeu");
        return view;
    }
    std::string Folder() const { return WindowText(folderBox); }
    static bool Checked(HWND box) { return SendMessageA(box, BM_GETCHECK, 0, 0) == BST_CHECKED; }
    static void Toggle(HWND box) { PostMessageA(box, BM_CLICK, 0, 0); }
    void Press(const std::string& caption) const { PostMessageA(FindChildByText(window, caption), BM_CLICK, 0, 0); }
};

class FirstDialogProgram : public ::testing::Test {
protected:
    FirstDialogProgram() { DeleteStore(); }
    ~FirstDialogProgram() override { DeleteStore(); }
    static void DeleteStore() { RegDeleteTreeA(HKEY_CURRENT_USER, kStoreKey); }

    // Waits for Setup.exe to end, noting whether a message box came up meanwhile.
    static std::optional<DWORD> WaitForEnd(Process& setup, bool& sawMessageBox) {
        std::optional<DWORD> code;
        for (int i = 0; i < 500 && !(code = setup.Wait(10ms)); ++i)
            for (HWND wnd : TopLevelWindows(setup.Id())) sawMessageBox |= ClassName(wnd) == "#32770";
        return code;
    }
    void ExpectQuietEnd(Process& setup) {
        bool sawMessageBox = false;
        const auto code = WaitForEnd(setup, sawMessageBox);
        ASSERT_TRUE(code.has_value()) << "Setup.exe kept running";
        EXPECT_EQ(*code, 0u);
        EXPECT_FALSE(sawMessageBox);
    }

    SetupFolder folder{kIni, FAILING_UNLHA_DLL};
};

TEST_F(FirstDialogProgram, FirstRunShowsTheDefaultsOverTheBackgroundAndCancelWritesNothing) {
    Process setup(folder.Exe(), folder.Dir());
    const FirstDialogView dialog = FirstDialogView::Find(setup.Id());
    ASSERT_TRUE(dialog.window) << "no first dialog";

    bool background = false;
    for (HWND wnd : TopLevelWindows(setup.Id())) {
        RECT r{};
        GetWindowRect(wnd, &r);
        background |= wnd != dialog.window && r.left == 0 && r.top == 0 &&
                      r.right == GetSystemMetrics(SM_CXSCREEN) && r.bottom == GetSystemMetrics(SM_CYSCREEN);
    }
    EXPECT_TRUE(background) << "the dialog comes over the full-screen background";

    for (const char* text : {"Installation de The Quest", "Installer le projet Quest dans le répertoire : ",
                             "Répertoire d'installation : ", "Options : ", "Installer le jeu", "Annuler"})
        EXPECT_TRUE(FindChildByText(dialog.window, text)) << text;
    ASSERT_TRUE(dialog.folderBox && dialog.shortcut && dialog.uninstall);
    EXPECT_EQ(dialog.Folder(), "C:\\Program Files\\Quillforge\\Mythweave\\");
    EXPECT_FALSE(FirstDialogView::Checked(dialog.shortcut));
    EXPECT_FALSE(FirstDialogView::Checked(dialog.uninstall));

    FirstDialogView::Toggle(dialog.shortcut);
    dialog.Press("Annuler");
    ExpectQuietEnd(setup);
    EXPECT_EQ(StoredValueCount(), 0u) << "the key is made on showing, and nothing is written on cancel";
}

TEST_F(FirstDialogProgram, InstallStoresTheTickedOptionsAndTheNextRunShowsThem) {
    SetValue(kPath, Sz("D:\\Games"));
    SetValue(kRegister, Sz("0"));
    SetValue(kPrepare, {REG_DWORD, std::string("\1\0\0\0", 4)});
    {
        Process setup(folder.Exe(), folder.Dir());
        const FirstDialogView dialog = FirstDialogView::Find(setup.Id());
        ASSERT_TRUE(dialog.window && dialog.folderBox && dialog.shortcut && dialog.uninstall);
        EXPECT_EQ(dialog.Folder(), "D:\\Games\\");
        EXPECT_FALSE(FirstDialogView::Checked(dialog.shortcut));
        EXPECT_TRUE(FirstDialogView::Checked(dialog.uninstall));
        FirstDialogView::Toggle(dialog.shortcut);
        FirstDialogView::Toggle(dialog.uninstall);
        dialog.Press("Installer le jeu");
        // This library's Unlha always fails: the install stops after the options are written.
        const MessageBoxInfo stop = WaitForMessageBox(setup.Id());
        EXPECT_EQ(stop.text, "L'installation a \xE9t\xE9 stopp\xE9" "e");
        PressButton(stop.window, IDOK);
        ASSERT_TRUE(setup.Wait(10s).has_value());
    }
    EXPECT_EQ(GetValue(kRegister), Sz("1"));
    EXPECT_EQ(GetValue(kPrepare), Sz("0"));
    EXPECT_EQ(GetValue(kPath), Sz("D:\\Games")) << "the folder is never written";

    Process again(folder.Exe(), folder.Dir());
    const FirstDialogView dialog = FirstDialogView::Find(again.Id());
    ASSERT_TRUE(dialog.window && dialog.shortcut && dialog.uninstall);
    EXPECT_TRUE(FirstDialogView::Checked(dialog.shortcut));
    EXPECT_FALSE(FirstDialogView::Checked(dialog.uninstall));
    PostMessageA(dialog.window, WM_CLOSE, 0, 0);
    ExpectQuietEnd(again);
    EXPECT_EQ(GetValue(kRegister), Sz("1"));
}

TEST_F(FirstDialogProgram, AnOptionOfAnotherTypeEndsTheInstallerWithoutDialogOrMessage) {
    const RegValue binary{REG_BINARY, std::string("\1", 1)};
    SetValue(kRegister, binary);
    Process setup(folder.Exe(), folder.Dir());
    bool sawDialog = false, sawMessageBox = false;
    std::optional<DWORD> code;
    for (int i = 0; i < 500 && !(code = setup.Wait(10ms)); ++i)
        for (HWND wnd : TopLevelWindows(setup.Id())) {
            sawDialog |= WindowText(wnd) == "Installation";
            sawMessageBox |= ClassName(wnd) == "#32770";
        }
    ASSERT_TRUE(code.has_value()) << "Setup.exe kept running";
    EXPECT_EQ(*code, 0u);
    EXPECT_FALSE(sawDialog);
    EXPECT_FALSE(sawMessageBox);
    EXPECT_EQ(GetValue(kRegister), binary);
    EXPECT_EQ(GetValue(kPrepare), std::nullopt) << "nothing written";
}

}  // namespace
