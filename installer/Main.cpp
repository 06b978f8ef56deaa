// Program entry of the installer. It reads no command-line argument and sets
// no exit code of its own.
#include "FirstDialog.h"
#include "HelperUtils.h"
#include "SetupMain.h"
#include "framework/Forms.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    PreloadArchiveLibrary();
    char exePath[MAX_PATH];
    const DWORD len = GetModuleFileNameA(nullptr, exePath, MAX_PATH);
    // Without a project and a game there is nothing to install: end silently.
    if (!SetupConfig::Read(SetupConfig::PathFor(std::string(exePath, len))).Complete()) return 0;

    TApplication application;
    application.Initialize();
    application.SetTitle("Installateur");
    application.CreateForm<TFormBackground>();
    FormFirstDialog = &application.CreateForm<TFormFirstDialog>();
    application.Run();
    return 0;
}
