#pragma once
// Writing files and folders of the file system into a new archive.
#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "lha/writer.h"

namespace lzhpack {

struct PackEntry {
    std::filesystem::path source;    // on the file system
    std::filesystem::path relative;  // the member name, before code page conversion
    bool directory = false;
    std::uint64_t size = 0;
};

// Everything inside `folder` (not the folder itself), folders before their
// contents, in byte order of the names so that output is reproducible.
// Throws lha::Error for a missing folder, a folder link or a special file.
std::vector<PackEntry> folderContents(const std::filesystem::path& folder);

// Command-line inputs: a file is stored under the name given, a folder with
// everything in it. A name that is absolute or climbs with ".." is stored
// from its last component on.
std::vector<PackEntry> namedInputs(const std::vector<std::filesystem::path>& inputs);

std::uint64_t totalSize(const std::vector<PackEntry>& entries);

using PackProgress = std::function<void(std::uint64_t done, std::uint64_t total)>;

struct PackResult {
    std::uint64_t members = 0;
    std::uint64_t originalBytes = 0;
    std::uint64_t archiveBytes = 0;
};

// Writes a new archive; on any error the partial archive is removed.
PackResult writeArchive(const std::filesystem::path& archive, const std::vector<PackEntry>& entries,
                        const lha::WriterOptions& options, const PackProgress& progress = {});

}  // namespace lzhpack
