#pragma once
// Reading an archive: walk the members, then extract or test each one with
// its length and CRC-16 verified, streaming through a Sink with a progress
// and cancel callback.
//
//   lha::FileInput in(path);
//   lha::ArchiveReader reader(in);
//   while (reader.next()) {
//       auto safe = lha::resolveSafePath(reader.member(), {.codePage = acp, .separator = '\\'});
//       if (!safe.ok()) { report(safe.issues); continue; }
//       MySink out(target + "\\" + safe.path);   // or create a folder for isDirectory
//       reader.extract(out, [&](std::uint64_t done, std::uint64_t total) { return !cancelled; });
//   }
//
// One reader serves one thread; several readers may share nothing but
// separate Inputs.
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "lha/decoder.h"
#include "lha/error.h"
#include "lha/header.h"
#include "lha/io.h"

namespace lha {

struct ReaderOptions {
    HeaderOptions header;
    // How far into the input to look for the first header (self-extractors).
    std::uint64_t scanLimit = 256 * 1024;
};

// Called while a member is decoded: bytes produced so far and the member's
// original size. Return false to cancel: extract() then throws
// Error(Errc::Cancelled). Called with done = 0 first and, for a member with
// data, after every piece (at most 256 KiB apart) up to done = total.
using ProgressFn = std::function<bool(std::uint64_t done, std::uint64_t total)>;

class ArchiveReader {
public:
    // Locates the first member (throws Error(NotAnArchive) when there is none).
    explicit ArchiveReader(Input& in, const ReaderOptions& options = {});

    // Moves to the next member (the first one on the first call). Returns
    // false at the end of the archive. Throws Error on a malformed header;
    // after that the reader cannot go on.
    bool next();

    // The current member (valid after next() returned true).
    const MemberHeader& member() const { return member_; }

    // Decodes the current member into `sink`, verifying its length and CRC-16.
    // Directories and symlinks produce no data. Throws Error: UnsupportedMethod,
    // BadData, Truncated, CrcMismatch, LengthMismatch, Cancelled. A data error
    // does not stop the walk: next() still moves to the following member.
    void extract(Sink& sink, const ProgressFn& progress = {});

    // Decodes and verifies without keeping the data.
    void test(const ProgressFn& progress = {});

    // The current member's data in memory (tests and small members).
    std::vector<std::uint8_t> readAll();

    // Offset of the first member header (non-zero for a self-extractor).
    std::uint64_t archiveStart() const noexcept { return start_; }

private:
    Input& in_;
    ReaderOptions options_;
    std::uint64_t start_ = 0;
    std::uint64_t nextOffset_ = 0;
    bool started_ = false;
    bool ended_ = false;
    MemberHeader member_;
};

// Decodes one member's data from `in` into `sink` and verifies it: the
// building block under ArchiveReader::extract.
void extractMember(Input& in, const MemberHeader& member, Sink& sink, const ProgressFn& progress = {});

}  // namespace lha
