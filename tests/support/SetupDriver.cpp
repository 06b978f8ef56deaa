// Installs a game with Setup.exe as a user who accepts every default would:
//   setup_driver <path of Setup.exe> [install base folder]
// Presses "Installer le jeu" in the first dialog (after typing nothing but,
// when given, writing the install base folder into the option store) and
// answers the final message. Prints the final message and exits 0 on the
// success message, 1 on any other outcome. Used by the demo without a
// display and by the install benchmark.
#include "WinDriver.h"

#include <cstdio>
#include <string>

using namespace windriver;

namespace {

constexpr char kOptionStore[] = "Software\\Quillforge\\Mythweave";
constexpr char kSuccess[] = "L'installation s'est termin\xE9" "e avec succ\xE8s";

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: setup_driver SETUP_EXE [INSTALL_FOLDER]\n");
        return 2;
    }
    if (argc > 2) {
        HKEY key;
        if (RegCreateKeyExA(HKEY_CURRENT_USER, kOptionStore, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
            ERROR_SUCCESS) {
            RegSetValueExA(key, "ApplicationPath", 0, REG_SZ, reinterpret_cast<const BYTE*>(argv[2]),
                           static_cast<DWORD>(std::string(argv[2]).size() + 1));
            RegCloseKey(key);
        }
    }
    const std::string exe = argv[1];
    Process setup(exe, exe.substr(0, exe.find_last_of('\\') + 1));
    HWND dialog = WaitForWindowTitled(setup.Id(), "Installation", std::chrono::seconds(60));
    if (!dialog) {
        std::fprintf(stderr, "setup_driver: the first dialog did not appear\n");
        return 1;
    }
    HWND start = FindChildByText(dialog, "Installer le jeu");
    if (!start) {
        std::fprintf(stderr, "setup_driver: no \"Installer le jeu\" button\n");
        return 1;
    }
    PressButton(dialog, GetDlgCtrlID(start));
    const MessageBoxInfo box = WaitForMessageBox(setup.Id(), std::chrono::minutes(10));
    std::printf("%s\n", box.text.c_str());
    const bool success = box.text == kSuccess;
    PressButton(box.window, IDOK);
    // A stop message follows any other outcome: answer it too.
    if (!success) {
        if (HWND next = WaitForWindow(setup.Id(), [&](HWND w) { return w != box.window && ClassName(w) == "#32770"; },
                                      std::chrono::seconds(5))) {
            if (auto stop = ReadMessageBox(next)) {
                std::printf("%s\n", stop->text.c_str());
                PressButton(next, IDOK);
            }
        }
    }
    setup.Wait(std::chrono::seconds(30));
    return success ? 0 : 1;
}
