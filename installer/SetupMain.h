#pragma once
// The full-screen background form: the installer's main form, painted with
// a blue-to-white gradient, on which the whole install takes place.
#include "FileOperation.h"
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
    TFileOperation FileOperation{this};

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

    // Copies the game's archive into the staging folder: the whole archive
    // beside the installer, or its parts disk by disk joined into one. False
    // when the user stopped (an aborted copy, Cancel at a disk prompt).
    bool StageArchive(const std::string& stagingFolder, const std::string& stagedArchive);

    // Has the archive library extract the staged archive into the game folder; false when it failed.
    bool ExtractArchive(const std::string& stagedArchive, const std::string& gameFolder);

private:
    bool CopyToStaging(const std::string& source, const std::string& stagingFolder);
    bool StageArchiveParts(const std::string& stagingFolder, const std::string& stagedArchive);
    bool WaitForDisk(int disk, const std::string& part);
};

// The pen colour of gradient line i (0 to 63): dark blue to nearly white.
COLORREF GradientColor(int line) noexcept;

// Deletes a folder with everything below it, read-only, hidden and system
// files included. Sub-folders whose names begin with a dot stay, and with
// them the folders above them. Nothing is reported.
void DeleteFolderTree(const std::string& folder);
