#include "HelperUtils.h"

#include "framework/Classes.h"
#include "framework/Registry.h"

#include <shellapi.h>
#include <shlobj.h>

#include <cstdio>
#include <vector>

namespace {

std::string FromBuffer(const char* buffer) { return std::string(buffer); }

fw::Module g_preloadedArchiveLibrary;

class ErrorModeScope {
public:
    explicit ErrorModeScope(UINT mode) : previous_(SetErrorMode(mode)) {}
    ~ErrorModeScope() { SetErrorMode(previous_); }
    ErrorModeScope(const ErrorModeScope&) = delete;
    ErrorModeScope& operator=(const ErrorModeScope&) = delete;

private:
    UINT previous_;
};

}  // namespace

HMODULE LoadArchiveLibrary() {
    // The current folder leaves the search for good; the flags keep it to the
    // installer's folder and the system folder where the system knows them.
    SetDllDirectoryA("");
    HMODULE library = LoadLibraryExA(kArchiveLibraryName, nullptr,
                                     LOAD_LIBRARY_SEARCH_APPLICATION_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32);
    if (!library && GetLastError() == ERROR_INVALID_PARAMETER) library = LoadLibraryA(kArchiveLibraryName);
    return library;
}

void PreloadArchiveLibrary() { g_preloadedArchiveLibrary.reset(LoadArchiveLibrary()); }

std::string PartExtension(int part) {
    char ext[16];
    std::snprintf(ext, sizeof ext, ".%.3d", part);
    return ext;
}

std::string ExeFolder() {
    char path[MAX_PATH];
    const DWORD len = GetModuleFileNameA(nullptr, path, MAX_PATH);
    return ExtractFilePath(std::string_view(path, len));
}

std::string AddBackslash(std::string_view path) {
    if (!path.empty() && IsPathDelimiter(path, path.size() - 1)) return std::string(path);
    return std::string(path) + "\\";
}

std::string WindowsFolder() {
    char buffer[MAX_PATH] = {};
    GetWindowsDirectoryA(buffer, MAX_PATH);
    return AddBackslash(FromBuffer(buffer));
}

std::string TempFolder() {
    char buffer[MAX_PATH] = {};
    GetTempPathA(MAX_PATH, buffer);
    return AddBackslash(FromBuffer(buffer));
}

std::string ProgramFilesFolder() {
    TRegistry registry(HKEY_LOCAL_MACHINE);
    registry.OpenKey("Software\\Microsoft\\Windows\\CurrentVersion", false);
    const std::string folder = registry.ReadString("ProgramFilesDir");
    registry.CloseKey();
    return AddBackslash(folder);
}

std::string SpecialFolder(int csidl) {
    fw::ComPtr<IMalloc> malloc;
    if (HRESULT hr = SHGetMalloc(malloc.put()); FAILED(hr)) throw EOleSysError(hr);
    LPITEMIDLIST list = nullptr;
    HWND owner = Application ? Application->Handle() : nullptr;
    if (HRESULT hr = SHGetSpecialFolderLocation(owner, csidl, &list); FAILED(hr)) throw EOleSysError(hr);
    char buffer[MAX_PATH] = {};
    SHGetPathFromIDListA(list, buffer);
    if (list) malloc->Free(list);
    return AddBackslash(FromBuffer(buffer));
}

std::string ProgramsMenuFolder() { return SpecialFolder(CSIDL_PROGRAMS); }

void KeepFormOnScreen(TForm& form) {
    const int maxX = GetSystemMetrics(SM_CXMAXIMIZED) - 2 * GetSystemMetrics(SM_CXFRAME);
    const int maxY = GetSystemMetrics(SM_CYMAXIMIZED) - 2 * GetSystemMetrics(SM_CYFRAME);
    int left = std::min(form.Left(), maxX - form.Width());
    int top = std::min(form.Top(), maxY - form.Height());
    left = std::max(left, 0);
    top = std::max(top, 0);
    form.SetBounds(left, top, form.Width(), form.Height());
}

void CenterOnOwner(TForm& form) {
    auto* owner = dynamic_cast<TForm*>(form.Owner());
    if (!owner) throw EInvalidCast();
    const int left = owner->Width() / 2 + owner->Left() - form.Width() / 2;
    const int top = owner->Height() / 2 + owner->Top() - form.Height() / 2;
    form.SetBounds(left, top, form.Width(), form.Height());
    KeepFormOnScreen(form);
}

int ShowMessageBox(const std::string& text, UINT flags, HWND owner) {
    const std::string title = Application ? Application->Title() : std::string();
    if (Application) return Application->MessageBox(text, title, flags, owner);
    return MessageBoxA(owner, text.c_str(), title.c_str(), flags);
}

int ShowError(const std::string& text, HWND owner) { return ShowMessageBox(text, MB_ICONERROR, owner); }

int ShowInformation(const std::string& text, HWND owner) { return ShowMessageBox(text, MB_ICONINFORMATION, owner); }

int AskYesNo(const std::string& text, HWND owner) { return ShowMessageBox(text, MB_YESNO | MB_ICONQUESTION, owner); }

bool IsAsciiLetter(char c) noexcept {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z');
}

std::string DriveRoot(std::string_view path) {
    if (path.size() >= 2 && path[1] == ':') return std::string(path.substr(0, 2)) + "\\";
    if (path.size() >= 2 && path[0] == '\\' && path[1] == '\\') {
        // \\server\share: up to the backslash after the share name.
        std::size_t slashes = 0, i = 2;
        for (; i < path.size(); ++i) {
            if (IsPathDelimiter(path, i) && ++slashes == 2) break;
        }
        return std::string(path.substr(0, i)) + "\\";
    }
    return "\\";
}

bool IsDriveReady(const std::string& path) {
    ErrorModeScope quiet(SEM_FAILCRITICALERRORS);
    return DirectoryExists(DriveRoot(path));
}

bool IsFloppyDrive(const std::string& path) {
    const std::string root = DriveRoot(path);
    if (GetDriveTypeA(root.c_str()) != DRIVE_REMOVABLE) return false;
    SHFILEINFOA info{};
    if (!SHGetFileInfoA(root.c_str(), 0, &info, sizeof info, SHGFI_DISPLAYNAME)) return false;
    const std::string_view name(info.szDisplayName);
    // A name that starts with the word is not a floppy's: the shell puts the
    // size or kind first ("3.5 FD", "3.5 Floppy").
    const auto startsAfterFirst = [&](std::string_view word) {
        const std::size_t at = name.find(word);
        return at != std::string_view::npos && at >= 1;
    };
    return startsAfterFirst("FD") || startsAfterFirst("Floppy");
}

void JoinSplitArchive(const std::string& archive, const std::string& destination, int count) {
    constexpr std::size_t kBufferSize = 8192;
    std::vector<char> buffer(kBufferSize);
    TFileStream output(AddBackslash(destination) + ExtractFileName(archive), FileMode::Create, ShareMode::Exclusive);
    for (int i = 1; i <= count; ++i) {
        TFileStream part(ChangeFileExt(archive, PartExtension(i)), FileMode::OpenRead, ShareMode::DenyWrite);
        while (part.Position() < part.Size()) {
            const std::size_t got = part.Read(buffer.data(), kBufferSize);
            // A read that makes no progress would loop for ever.
            if (got == 0) throw EReadError("Stream read error");
            output.WriteBuffer(buffer.data(), got);
        }
    }
}
