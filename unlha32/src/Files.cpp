#include "Files.h"

#include <algorithm>

#include "Failure.h"
#include "framework/SysUtils.h"
#include "lha/error.h"

namespace unlha {
namespace {

[[noreturn]] void failMember(const std::string& what, DWORD code) {
    throw Failure(UNLHA_MEMBER_ERROR, what + ": " + systemMessage(code));
}

// Best effort: a time the file system cannot hold (a damaged header's year
// 30000) is not worth failing an install for.
void applyTimes(HANDLE file, const FileTimes& times) {
    auto ptr = [](const std::optional<FILETIME>& t) { return t ? &*t : nullptr; };
    SetFileTime(file, ptr(times.creation), ptr(times.lastAccess), ptr(times.lastWrite));
}

}  // namespace

std::string systemMessage(DWORD code) {
    std::string text = SysErrorMessage(code);
    return text.empty() ? "system error " + std::to_string(code) : text;
}

ArchiveFile::ArchiveFile(const std::string& path)
    : file_(CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                        FILE_FLAG_SEQUENTIAL_SCAN, nullptr)) {
    if (!file_) throw Failure(UNLHA_ARCHIVE_ERROR, "cannot open " + path + ": " + systemMessage(GetLastError()));
    LARGE_INTEGER size;
    if (!GetFileSizeEx(file_.get(), &size))
        throw Failure(UNLHA_ARCHIVE_ERROR, "cannot read " + path + ": " + systemMessage(GetLastError()));
    size_ = static_cast<std::uint64_t>(size.QuadPart);
}

std::size_t ArchiveFile::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset >= size_ || out.empty()) return 0;
    LARGE_INTEGER where;
    where.QuadPart = static_cast<LONGLONG>(offset);
    if (!SetFilePointerEx(file_.get(), where, nullptr, FILE_BEGIN))
        throw lha::Error(lha::Errc::Io, "archive seek failed: " + systemMessage(GetLastError()));
    std::size_t total = 0;
    while (total < out.size()) {
        const DWORD want = static_cast<DWORD>(std::min<std::size_t>(out.size() - total, 1u << 24));
        DWORD got = 0;
        if (!ReadFile(file_.get(), out.data() + total, want, &got, nullptr))
            throw lha::Error(lha::Errc::Io, "archive read failed: " + systemMessage(GetLastError()));
        if (got == 0) break;
        total += got;
    }
    return total;
}

std::string withTrailingBackslash(std::string folder) {
    if (folder.empty() || !IsPathDelimiter(folder, folder.size() - 1)) folder += '\\';
    return folder;
}

PathKind pathKind(const std::string& path) {
    const DWORD attributes = GetFileAttributesA(path.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    return (attributes & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Folder : PathKind::File;
}

void prepareTargetFolder(const std::string& folder, bool create) {
    switch (pathKind(folder)) {
    case PathKind::Folder: return;
    case PathKind::File: throw Failure(UNLHA_FOLDER_ERROR, "target " + folder + " is a file");
    case PathKind::Missing: break;
    }
    if (!create) throw Failure(UNLHA_FOLDER_ERROR, "target folder " + folder + " does not exist (-+ creates it)");
    if (!ForceDirectories(folder))
        throw Failure(UNLHA_FOLDER_ERROR, "cannot create " + folder + ": " + systemMessage(GetLastError()));
}

void createSubFolders(const std::string& base, const std::vector<std::string>& components) {
    std::string path = base;
    for (const std::string& part : components) {
        path += part;
        if (!CreateDirectoryA(path.c_str(), nullptr)) {
            const DWORD error = GetLastError();
            if (pathKind(path) != PathKind::Folder) failMember("cannot create folder " + path, error);
        }
        path += '\\';
    }
}

void setFolderTimes(const std::string& folder, const FileTimes& times) {
    fw::FileHandle dir(CreateFileA(folder.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (dir) applyTimes(dir.get(), times);
}

StagedFile::StagedFile(const std::string& folder) {
    char temp[MAX_PATH];
    if (!GetTempFileNameA(folder.c_str(), "~ul", 0, temp))
        failMember("cannot create a file in " + folder, GetLastError());
    tempPath_ = temp;
    file_.reset(CreateFileA(temp, GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file_) {
        const DWORD error = GetLastError();
        DeleteFileA(temp);
        failMember("cannot write " + tempPath_, error);
    }
}

StagedFile::~StagedFile() {
    if (committed_) return;
    file_.reset();
    DeleteFileA(tempPath_.c_str());
}

void StagedFile::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 24));
        DWORD done = 0;
        if (!WriteFile(file_.get(), bytes.data(), chunk, &done, nullptr) || done == 0)
            failMember("cannot write " + tempPath_, GetLastError());
        bytes = bytes.subspan(done);
    }
}

void StagedFile::commit(const std::string& finalPath, const FileTimes& times, DWORD attributes, bool replace) {
    applyTimes(file_.get(), times);
    if (!CloseHandle(file_.release())) failMember("cannot write " + finalPath, GetLastError());
    if (replace && pathKind(finalPath) == PathKind::File) SetFileAttributesA(finalPath.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!MoveFileExA(tempPath_.c_str(), finalPath.c_str(), replace ? MOVEFILE_REPLACE_EXISTING : 0))
        failMember("cannot write " + finalPath, GetLastError());
    committed_ = true;
    if (attributes && !SetFileAttributesA(finalPath.c_str(), attributes))
        failMember("cannot set the attributes of " + finalPath, GetLastError());
}

}  // namespace unlha
