#pragma once
// The full-screen background form: the installer's main form, painted with
// a blue-to-white gradient, on which the whole install takes place.
#include "OpaquePaint.h"
#include "framework/Forms.h"

#include <cstdint>
#include <string>

// The archive library's one entry point.
using TUnlhaEntry = int(WINAPI*)(HWND window, LPCSTR command, LPSTR output, DWORD outputSize);

// The setup configuration file: the installer's path with the extension ".ini".
struct SetupConfig {
    std::string ProjectName;
    std::string GameTitle;
    std::int32_t DiskNumber = 0;

    static std::string PathFor(const std::string& exePath);
    static SetupConfig Read(const std::string& iniPath);
    bool Complete() const { return !ProjectName.empty() && !GameTitle.empty(); }
};

class TFormBackground : public TForm {
public:
    explicit TFormBackground(TComponent* owner);

    TOpaquePaintBox OpaquePaintBox1{this};

    std::string ProjectName;
    std::string GameTitle;
    std::int32_t DiskNumber = 0;
    fw::Module ArchiveLibrary;
    TUnlhaEntry UnlhaEntry = nullptr;

    void FormCreate(TObject* sender);
    void OpaquePaintBox1Paint(TObject* sender);
    void StartInstall(TObject* sender, bool& done);
    void AppException(TObject* sender, const Exception& error);
    void RunInstall();
};

// The pen colour of gradient line i (0 to 63): dark blue to nearly white.
COLORREF GradientColor(int line) noexcept;
