// The sample game's runtime, ZORV_RT.exe: the program the Start-menu
// shortcut and the uninstall entry point at. It shows one window that names
// the game and lists what was installed beside it.
#include "framework/StdCtrls.h"

#include <string>

namespace {

std::string InstalledFiles(const std::string& folder) {
    std::string list;
    WIN32_FIND_DATAA entry;
    fw::FindHandle find(FindFirstFileA((folder + "*").c_str(), &entry));
    if (!find) return list;
    do {
        if (entry.cFileName[0] != '.') list += std::string(entry.cFileName) + "\r\n";
    } while (FindNextFileA(find.get(), &entry));
    return list;
}

class TFormGame : public TForm {
public:
    explicit TFormGame(TComponent* owner) : TForm(owner) {
        SetCaption("La Qu\xEAte d'exemple");
        SetBorderStyle(TFormBorderStyle::Dialog);
        SetPosition(TPosition::ScreenCenter);
        SetClientSize(360, 200);
        Label.SetParent(this);
        Label.SetAutoSize(false);
        Label.SetBounds(12, 12, 336, 176);
        const std::string folder = ExtractFilePath(Application->ExeName());
        Label.SetCaption("Le jeu est install\xE9 dans " + folder + "\r\n\r\n" + InstalledFiles(folder));
    }

    TLabel Label{this};
};

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    TApplication application;
    application.Initialize();
    application.SetTitle("La Qu\xEAte d'exemple");
    application.CreateForm<TFormGame>();
    application.Run();
    return 0;
}
