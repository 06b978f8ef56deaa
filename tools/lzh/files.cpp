#include "files.h"

#include <cerrno>
#include <cstring>
#include <ctime>

#include "lha/error.h"

#ifdef _WIN32
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/time.h>
#include <unistd.h>
#endif

namespace lzh {

using lha::Errc;
using lha::Error;

#ifdef _WIN32

PathKind pathKind(const std::string& path) {
    DWORD a = GetFileAttributesA(path.c_str());
    if (a == INVALID_FILE_ATTRIBUTES) return PathKind::Missing;
    if (a & FILE_ATTRIBUTE_REPARSE_POINT) return PathKind::Link;
    return (a & FILE_ATTRIBUTE_DIRECTORY) ? PathKind::Directory : PathKind::File;
}

bool makeDirectory(const std::string& path) {
    if (CreateDirectoryA(path.c_str(), nullptr)) return true;
    return pathKind(path) == PathKind::Directory;
}

void removeFile(const std::string& path) { DeleteFileA(path.c_str()); }

void setModificationTime(const std::string& path, std::int64_t unixSeconds) {
    HANDLE h = CreateFileA(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return;
    ULONGLONG t = static_cast<ULONGLONG>(unixSeconds) * 10000000ull + 116444736000000000ull;
    FILETIME ft{static_cast<DWORD>(t), static_cast<DWORD>(t >> 32)};
    SetFileTime(h, nullptr, nullptr, &ft);
    CloseHandle(h);
}

OutputFile::OutputFile(const std::string& path, bool overwrite) {
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, overwrite ? CREATE_ALWAYS : CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        DWORD e = GetLastError();
        if (e == ERROR_FILE_EXISTS) throw Error(Errc::Io, "already exists (use -f to overwrite)");
        throw Error(Errc::Io, "cannot create (Windows error " + std::to_string(e) + ")");
    }
    handle_ = h;
}

OutputFile::~OutputFile() {
    if (handle_) CloseHandle(static_cast<HANDLE>(handle_));
}

void OutputFile::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30)), done = 0;
        if (!WriteFile(static_cast<HANDLE>(handle_), bytes.data(), chunk, &done, nullptr) || done == 0)
            throw Error(Errc::Io, "write failed (Windows error " + std::to_string(GetLastError()) + ")");
        bytes = bytes.subspan(done);
    }
}

void OutputFile::close() {
    if (handle_ && !CloseHandle(static_cast<HANDLE>(handle_))) {
        handle_ = nullptr;
        throw Error(Errc::Io, "close failed");
    }
    handle_ = nullptr;
}

bool stderrIsTerminal() { return _isatty(_fileno(stderr)) != 0; }

#else

PathKind pathKind(const std::string& path) {
    struct stat st;
    if (lstat(path.c_str(), &st) != 0) return PathKind::Missing;
    if (S_ISLNK(st.st_mode)) return PathKind::Link;
    if (S_ISDIR(st.st_mode)) return PathKind::Directory;
    if (S_ISREG(st.st_mode)) return PathKind::File;
    return PathKind::Other;
}

bool makeDirectory(const std::string& path) {
    if (mkdir(path.c_str(), 0777) == 0) return true;
    return pathKind(path) == PathKind::Directory;
}

void removeFile(const std::string& path) { unlink(path.c_str()); }

void setModificationTime(const std::string& path, std::int64_t unixSeconds) {
    struct timeval tv[2];
    tv[0].tv_sec = tv[1].tv_sec = static_cast<time_t>(unixSeconds);
    tv[0].tv_usec = tv[1].tv_usec = 0;
    lutimes(path.c_str(), tv);
}

OutputFile::OutputFile(const std::string& path, bool overwrite) {
    int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_CLOEXEC | (overwrite ? O_TRUNC : O_EXCL);
    fd_ = ::open(path.c_str(), flags, 0666);
    if (fd_ < 0) {
        if (errno == EEXIST) throw Error(Errc::Io, "already exists (use -f to overwrite)");
        if (errno == ELOOP) throw Error(Errc::Io, "is a symbolic link, not written through");
        throw Error(Errc::Io, std::string("cannot create: ") + std::strerror(errno));
    }
}

OutputFile::~OutputFile() {
    if (fd_ >= 0) ::close(fd_);
}

void OutputFile::write(std::span<const std::uint8_t> bytes) {
    while (!bytes.empty()) {
        ssize_t n = ::write(fd_, bytes.data(), bytes.size());
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) throw Error(Errc::Io, std::string("write failed: ") + std::strerror(errno));
        bytes = bytes.subspan(static_cast<std::size_t>(n));
    }
}

void OutputFile::close() {
    int fd = fd_;
    fd_ = -1;
    if (fd >= 0 && ::close(fd) != 0) throw Error(Errc::Io, std::string("close failed: ") + std::strerror(errno));
}

bool stderrIsTerminal() { return isatty(STDERR_FILENO) != 0; }

#endif

std::int64_t localDosTimeToUnix(std::uint32_t dosTime) {
    std::tm tm{};
    tm.tm_sec = static_cast<int>((dosTime & 0x1F) * 2);
    tm.tm_min = static_cast<int>((dosTime >> 5) & 0x3F);
    tm.tm_hour = static_cast<int>((dosTime >> 11) & 0x1F);
    tm.tm_mday = static_cast<int>((dosTime >> 16) & 0x1F);
    tm.tm_mon = static_cast<int>((dosTime >> 21) & 0x0F) - 1;
    tm.tm_year = static_cast<int>(dosTime >> 25) + 80;
    tm.tm_isdst = -1;
    return static_cast<std::int64_t>(std::mktime(&tm));
}

}  // namespace lzh
