#pragma once
// The few file-system operations lzh needs, on POSIX and on Windows (ANSI
// API, so member names in the system code page map to the same bytes).
#include <cstdint>
#include <optional>
#include <string>

#include "lha/io.h"

namespace lzh {

enum class PathKind { Missing, File, Directory, Link, Other };

// What is at `path`, without following a final symbolic link or junction.
PathKind pathKind(const std::string& path);

// Creates one directory; true when it exists afterwards as a real directory.
bool makeDirectory(const std::string& path);

// Removes a file (best effort).
void removeFile(const std::string& path);

// Sets the modification time (Unix seconds); best effort.
void setModificationTime(const std::string& path, std::int64_t unixSeconds);

// Unix seconds for a DOS date/time taken as local time.
std::int64_t localDosTimeToUnix(std::uint32_t dosTime);

// A file being written: created fresh (never through a symbolic link);
// write() throws lha::Error(Io) on failure.
class OutputFile final : public lha::Sink {
public:
    // Opens `path` for writing; overwrite = replace an existing file.
    // Throws lha::Error(Io) with a message when it cannot.
    OutputFile(const std::string& path, bool overwrite);
    ~OutputFile() override;
    OutputFile(const OutputFile&) = delete;
    OutputFile& operator=(const OutputFile&) = delete;
    void write(std::span<const std::uint8_t> bytes) override;
    void close();  // flushes; throws on failure

private:
#ifdef _WIN32
    void* handle_ = nullptr;
#else
    int fd_ = -1;
#endif
};

// True when stderr is a terminal (progress is shown only there by default).
bool stderrIsTerminal();

}  // namespace lzh
