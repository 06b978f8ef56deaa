#pragma once
// The file-system edge of the library: the archive as an lha::Input, folders,
// and member files that take their final name only once verified.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "framework/Handles.h"
#include "lha/io.h"

namespace unlha {

// The archive, read through a Win32 handle (ANSI path).
class ArchiveFile final : public lha::Input {
public:
    // Throws Failure(ARCHIVE_ERROR) when the file cannot be opened.
    explicit ArchiveFile(const std::string& path);
    std::size_t readAt(std::uint64_t offset, std::span<std::uint8_t> out) override;
    std::uint64_t size() const noexcept { return size_; }

private:
    fw::FileHandle file_;
    std::uint64_t size_ = 0;
};

// `folder` with a trailing backslash (a 0x5C trail byte does not count).
std::string withTrailingBackslash(std::string folder);

// Makes sure the extraction target exists as a folder: creates it with its
// parents when `create`, else requires it. Throws Failure(FOLDER_ERROR).
void prepareTargetFolder(const std::string& folder, bool create);

// Creates base + each leading part of `components` that is missing; base
// ends with a backslash and exists. Throws Failure(MEMBER_ERROR) when a part
// exists as a file or cannot be created.
void createSubFolders(const std::string& base, const std::vector<std::string>& components);

enum class PathKind { Missing, File, Folder };
PathKind pathKind(const std::string& path);

struct FileTimes {
    std::optional<FILETIME> creation, lastAccess, lastWrite;
};

// Sets the times of an existing folder, as far as the file system takes them.
void setFolderTimes(const std::string& folder, const FileTimes& times);

// A member's data on its way to its final name: written to a temporary file
// in the destination folder, it replaces the final name only in commit(), so
// a member that fails verification leaves nothing behind and keeps an older
// file of that name intact. Write failures throw Failure(MEMBER_ERROR).
class StagedFile final : public lha::Sink {
public:
    explicit StagedFile(const std::string& folder);
    ~StagedFile() override;
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    void write(std::span<const std::uint8_t> bytes) override;
    // Applies the times (as far as the file system takes them), moves the
    // file to `finalPath` (replacing an existing file, read-only or hidden
    // too, only when `replace`), then sets `attributes` (0 = the default).
    void commit(const std::string& finalPath, const FileTimes& times, DWORD attributes, bool replace);

private:
    std::string tempPath_;
    fw::FileHandle file_;
    bool committed_ = false;
};

// Windows' text for an error code, for messages.
std::string systemMessage(DWORD code);

}  // namespace unlha
