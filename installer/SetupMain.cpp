#include "SetupMain.h"

#include "FirstDialog.h"
#include "HelperUtils.h"
#include "framework/Registry.h"

#include <cstdio>

namespace {

constexpr char kLibraryMissing[] = "UNLHA32.DLL n'a pas pu être chargée";
constexpr char kLibraryCorrupt[] = "UNLHA32.DLL est un fichier corrompu";
constexpr int kGradientLines = 64;
constexpr char kInsertDisk[] = "Insérez la disquette %d";
constexpr char kInstallDone[] = "L'installation s'est terminée avec succès";
constexpr char kInstallStopped[] = "L'installation a été stoppée";
constexpr char kStagingSubfolder[] = "ZORV_TEMP\\GameDisk";

}  // namespace

std::string SetupConfig::PathFor(const std::string& exePath) { return ChangeFileExt(exePath, ".ini"); }

SetupConfig SetupConfig::Read(const std::string& iniPath) {
    const TIniFile ini(iniPath);
    SetupConfig config;
    config.ProjectName = ini.ReadString("Setup", "ProjectName", "");
    config.GameTitle = ini.ReadString("Setup", "GameTitle", "");
    config.DiskNumber = ini.ReadInteger("Setup", "DiskNumber", 0);
    return config;
}

COLORREF GradientColor(int line) noexcept {
    const auto level = static_cast<BYTE>(4 * line);
    return RGB(level, level, static_cast<BYTE>(128 + 2 * line));
}

TFormBackground::TFormBackground(TComponent* owner) : TForm(owner) {
    SetName("FormBackground");
    SetBorderStyle(TFormBorderStyle::None);
    SetCaption("FormBackground");
    SetColor(clBtnFace);
    Font.SetName("Comic sans ms");
    Font.SetHeight(-12);
    Font.SetCharset(DEFAULT_CHARSET);
    Font.SetColor(clWindowText);
    SetClientSize(688, 453);

    OpaquePaintBox1.SetParent(this);
    OpaquePaintBox1.SetAlign(TAlign::Client);
    OpaquePaintBox1.SetOpaque(true);
    OpaquePaintBox1.SetColor(clAppWorkSpace);
    OpaquePaintBox1.OnPaint = [this](TObject* sender) { OpaquePaintBox1Paint(sender); };

    OnCreate = [this](TObject* sender) { FormCreate(sender); };
    DoCreate();
}

void TFormBackground::FormCreate(TObject*) {
    // The size is taken once: a later change of resolution leaves the form as it is.
    SetBounds(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    const SetupConfig config = SetupConfig::Read(SetupConfig::PathFor(Application->ExeName()));
    ProjectName = config.ProjectName;
    GameTitle = config.GameTitle;
    DiskNumber = config.DiskNumber;
    Application->OnIdle = [this](TObject* sender, bool& done) { StartInstall(sender, done); };
}

void TFormBackground::OpaquePaintBox1Paint(TObject*) {
    TCanvas& canvas = OpaquePaintBox1.PaintCanvas();
    const int width = ClientWidth();
    const int height = ClientHeight();
    // Wide, overlapping lines cover every pixel, so nothing is erased first.
    canvas.Pen.SetStyle(TPenStyle::InsideFrame);
    canvas.Pen.SetWidth(height / kGradientLines + 2);
    for (int i = 0; i < kGradientLines; ++i) {
        canvas.Pen.SetColor(static_cast<TColor>(GradientColor(i)));
        const int y = i * height / (kGradientLines - 1);
        canvas.MoveTo(0, y);
        canvas.LineTo(width, y);
    }
}

void TFormBackground::StartInstall(TObject*, bool&) {
    Application->OnIdle = nullptr;
    Application->OnException = [this](TObject* sender, const Exception& error) { AppException(sender, error); };

    // Whatever happens below, the library goes and the form closes, which ends the program.
    struct CloseAtEnd {
        TFormBackground& form;
        ~CloseAtEnd() {
            form.UnlhaEntry = nullptr;
            form.ArchiveLibrary.reset();
            form.Close();
        }
    } closeAtEnd{*this};

    if (ProjectName.empty() || GameTitle.empty()) return;
    ArchiveLibrary.reset(LoadArchiveLibrary());
    if (!ArchiveLibrary) {
        Application->ShowException(Exception(kLibraryMissing));
        return;
    }
    UnlhaEntry = reinterpret_cast<TUnlhaEntry>(
        reinterpret_cast<void*>(GetProcAddress(ArchiveLibrary.get(), "Unlha")));
    if (!UnlhaEntry) {
        Application->ShowException(Exception(kLibraryCorrupt));
        return;
    }
    RunInstall();
}

void TFormBackground::AppException(TObject*, const Exception&) { Close(); }

void TFormBackground::RunInstall() {
    FormFirstDialog->ProjectName = ProjectName;
    FormFirstDialog->GameTitle = GameTitle;
    if (FormFirstDialog->ShowModal() == mrCancel) return;
    // What the dialog covered is drawn again before the long work blocks the thread.
    RedrawWindow(Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    Screen.SetCursor(crHourGlass);
    TOptionStore options;
    options.WriteBool(kRegisterProgramValue, FormFirstDialog->RegisterProgram);
    options.WriteBool(kPrepareUninstallValue, FormFirstDialog->PrepareUninstall);

    const std::string gameFolder = FormFirstDialog->InstallFolder + ProjectName + "\\";
    const std::string stagingFolder = TempFolder() + kStagingSubfolder;
    DeleteFolderTree(stagingFolder);
    ForceDirectories(stagingFolder);
    EnableWindow(Handle(), FALSE);

    try {
        const std::string stagedArchive = stagingFolder + "\\" + ProjectName + ".lzh";
        if (StageArchive(stagingFolder, stagedArchive) && ExtractArchive(stagedArchive, gameFolder)) {
            // Registering the uninstaller and the Start-menu shortcut join here, in that order.
            Screen.SetCursor(crDefault);
            ShowInformation(kInstallDone);
            SetModalResult(mrOk);
        }
    } catch (const Exception& error) {
        Screen.SetCursor(crDefault);
        Application->ShowException(error);
    } catch (const std::exception& error) {
        Screen.SetCursor(crDefault);
        Application->ShowException(Exception(error.what()));
    }

    Screen.SetCursor(crDefault);
    DeleteFolderTree(stagingFolder);
    if (ModalResult() != mrOk) ShowError(kInstallStopped);
}

bool TFormBackground::ExtractArchive(const std::string& stagedArchive, const std::string& gameFolder) {
    const std::string command = "x -+ \"" + stagedArchive + "\" \"" + gameFolder + "\"";
    return UnlhaEntry(Handle(), command.c_str(), nullptr, 0) == 0;
}

void DeleteFolderTree(const std::string& folder) {
    const std::string prefix = AddBackslash(folder);
    WIN32_FIND_DATAA entry;
    fw::FindHandle find(FindFirstFileA((prefix + "*").c_str(), &entry));
    if (find) {
        do {
            const std::string path = prefix + entry.cFileName;
            const bool directory = entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY;
            if (directory && entry.cFileName[0] == '.') continue;
            if (directory) {
                DeleteFolderTree(path);
            } else {
                SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
                DeleteFileA(path.c_str());
            }
        } while (FindNextFileA(find.get(), &entry));
    }
    find.reset();
    RemoveDirectoryA(prefix.substr(0, prefix.size() - 1).c_str());
}

bool TFormBackground::StageArchive(const std::string& stagingFolder, const std::string& stagedArchive) {
    if (DiskNumber > 0) return StageArchiveParts(stagingFolder, stagedArchive);
    return CopyToStaging(ExeFolder() + ProjectName + ".lzh", stagingFolder);
}

bool TFormBackground::CopyToStaging(const std::string& source, const std::string& stagingFolder) {
    FileOperation.SetOptions({foNoConfirmation});
    FileOperation.SetSource(source);
    FileOperation.SetDestination(stagingFolder);
    return FileOperation.Copy();
}

bool TFormBackground::StageArchiveParts(const std::string& stagingFolder, const std::string& stagedArchive) {
    for (int disk = 1; disk <= DiskNumber; ++disk) {
        const std::string part = ExeFolder() + ProjectName + PartExtension(disk);
        // The first part must be beside the installer: its absence is the
        // file-open error, which names the file.
        if (disk == 1 && !FileExists(part)) TFileStream(part, FileMode::OpenRead);
        if (!WaitForDisk(disk, part)) return false;
        if (!CopyToStaging(part, stagingFolder)) return false;
    }
    JoinSplitArchive(stagedArchive, stagingFolder, DiskNumber);
    return true;
}

bool TFormBackground::WaitForDisk(int disk, const std::string& part) {
    // Every disk from the second on is confirmed, even one already in the
    // drive. The first disk is asked for only when it was taken out after
    // its part was found, so the wait can never loop without the user.
    bool prompt = disk >= 2;
    for (;;) {
        if (prompt) {
            char text[64];
            std::snprintf(text, sizeof text, kInsertDisk, disk);
            if (ShowMessageBox(text, MB_OKCANCEL) == IDCANCEL) return false;
        }
        if (IsDriveReady(ExeFolder()) && FileExists(part)) return true;
        prompt = true;
    }
}
