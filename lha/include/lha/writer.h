#pragma once
// Writes LHA archives: headers of level 0, 1 or 2, members compressed with
// -lh5-/-lh6-/-lh7- (or stored as -lh0- when that would not shrink them) and
// -lhd- folder entries. Names are bytes in the archive's code page.
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>

#include "lha/encoder.h"

namespace lha {

// Windows FILETIME: 100 ns ticks since 1601-01-01 UTC.
struct WindowsFileTimes {
    std::uint64_t creation = 0;
    std::uint64_t lastWrite = 0;
    std::uint64_t lastAccess = 0;
};

struct MemberInfo {
    // Relative path in the archive's code page; '/' and '\' both separate
    // (a '\' that is the trail byte of a double-byte character does not).
    std::string path;
    std::int64_t modified = 0;  // seconds since 1970-01-01 UTC
    std::optional<WindowsFileTimes> windowsTimes;
    std::uint8_t attributes = 0x20;  // MS-DOS attribute bits; 0x10 is added for folders
};

struct WriterOptions {
    CompressionMethod method = CompressionMethod::lh5;
    int headerLevel = 2;     // 0, 1 or 2
    unsigned codePage = 932;  // tells which bytes lead a double-byte character
    unsigned threads = 0;     // 0: one per hardware thread
};

// Where a member's data comes from. It is read once to compress and, when
// that does not shrink it, once more from the start to store it.
class MemberSource {
public:
    virtual ~MemberSource() = default;
    virtual std::uint64_t size() const = 0;
    virtual std::size_t read(std::span<std::uint8_t> buffer) = 0;  // 0 at the end
    virtual void rewind() = 0;
};

class FileSource : public MemberSource {
public:
    explicit FileSource(const std::filesystem::path& path);
    std::uint64_t size() const override { return size_; }
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void rewind() override;

private:
    std::filesystem::path path_;
    std::ifstream in_;
    std::uint64_t size_;
};

class MemorySource : public MemberSource {
public:
    explicit MemorySource(std::span<const std::uint8_t> data) : data_(data) {}
    std::uint64_t size() const override { return data_.size(); }
    std::size_t read(std::span<std::uint8_t> buffer) override;
    void rewind() override { offset_ = 0; }

private:
    std::span<const std::uint8_t> data_;
    std::size_t offset_ = 0;
};

// Members of up to 1 MiB are read at once and coded in parallel, many at a
// time; they are still written in the order they were added, and the archive
// is byte for byte the same whatever the thread count.
class ArchiveWriter {
public:
    using Progress = std::function<void(std::uint64_t bytesRead)>;

    ArchiveWriter(const std::filesystem::path& archive, const WriterOptions& options);
    // Unless finish() succeeded, the partial archive is removed.
    ~ArchiveWriter();
    ArchiveWriter(const ArchiveWriter&) = delete;
    ArchiveWriter& operator=(const ArchiveWriter&) = delete;

    // Reads `data` to its end before returning, so the source may go at once.
    // A name no reader could use is refused here; a failure to write a member
    // may be reported by a later call.
    void addFile(const MemberInfo& info, MemberSource& data);
    void addDirectory(const MemberInfo& info);
    // Writes what is still being coded, the end marker, and closes the archive.
    void finish();

    // Called with the running total of member bytes read so far.
    void onProgress(Progress progress) { progress_ = std::move(progress); }

private:
    struct Member;
    struct Parallel;
    void queueSmall(Member member, MemberSource& data);
    void queueWritten(Member member);
    void writeMember(Member& member, MemberSource* data);
    void writeCoded(Member& member, std::span<const std::uint8_t> data, std::span<const std::uint8_t> packed, std::uint16_t crc);
    bool tryCompress(Member& member, MemberSource& data);
    void store(Member& member, MemberSource& data);
    void reportProgress(std::uint64_t bytes);

    std::filesystem::path path_;
    WriterOptions options_;
    std::unique_ptr<Parallel> parallel_;
    std::fstream out_;
    std::uint64_t end_ = 0;
    std::uint64_t progressBase_ = 0;
    Progress progress_;
    bool finished_ = false;
};

}  // namespace lha
