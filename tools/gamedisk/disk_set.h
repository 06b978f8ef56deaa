#pragma once
// A disk set: the installer, its configuration, the archive library and the
// game's archive, whole or cut into one part per disk.
#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "disk_size.h"
#include "lha/writer.h"
#include "pack.h"

namespace gamedisk {

struct DiskSetRequest {
    std::filesystem::path gameFolder;
    std::filesystem::path output;
    std::filesystem::path installerFolder;  // holds Setup.exe and UNLHA32.DLL
    std::filesystem::path archiveStem;      // ProjectName as a local file name
    std::string projectName;                // ProjectName in the installer's code page
    std::string gameTitle;                  // GameTitle in the installer's code page
    std::optional<DiskSize> diskSize;
    lha::WriterOptions writer;
    bool replaceOutput = false;
    lzhpack::PackProgress progress;
};

struct DiskSetResult {
    unsigned disks = 0;                 // 0: one archive, not split
    std::uint64_t archiveBytes = 0;
    std::vector<std::filesystem::path> files;  // relative to the output folder
};

// Setup.ini as the installer reads it (CRLF lines, code page bytes).
std::string setupIni(const std::string& projectName, const std::string& gameTitle, unsigned diskNumber);

// Refuses, before any work, a disk too small for the first disk's fixed files.
void checkFirstDiskFits(const DiskSetRequest& request);

// Builds the set in a staging folder beside the output and moves it into
// place at the end; on failure nothing is left behind.
DiskSetResult makeDiskSet(const DiskSetRequest& request);

}  // namespace gamedisk
