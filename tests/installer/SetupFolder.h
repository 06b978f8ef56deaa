#pragma once
// A folder holding a copy of the built Setup.exe, as it is shipped: beside
// it its Setup.ini and, when given, a library in the place of UNLHA32.DLL.
#include "WinDriver.h"

#include <filesystem>
#include <string>

namespace windriver {

// A file of the build, named by its Unix path, as this Windows program sees it.
inline std::filesystem::path WinePath(const char* unixPath) {
    std::string p = std::string("Z:") + unixPath;
    for (char& c : p)
        if (c == '/') c = '\\';
    return p;
}

class SetupFolder {
public:
    explicit SetupFolder(const std::string& ini, const char* library = nullptr) {
        std::filesystem::copy_file(WinePath(SETUP_EXE), dir_.Path() / "Setup.exe");
        if (!ini.empty()) WriteFile(dir_.Path() / "Setup.ini", ini);
        if (library) std::filesystem::copy_file(WinePath(library), dir_.Path() / "UNLHA32.DLL");
    }
    std::string Exe() const { return (dir_.Path() / "Setup.exe").string(); }
    std::string Dir() const { return dir_.Str(); }

private:
    TempDir dir_;
};

}  // namespace windriver
