#include "lha/reader.h"

#include <cstdio>

#include "lha/crc16.h"

namespace lha {

ArchiveReader::ArchiveReader(Input& in, const ReaderOptions& options) : in_(in), options_(options) {
    auto start = findArchiveStart(in_, options_.scanLimit, options_.header);
    if (!start) {
        // A lone end marker is an empty archive; anything else is not an archive.
        std::uint8_t probe[2];
        std::size_t n = in_.readAt(0, probe);
        if (!(n == 1 && probe[0] == 0)) throw Error(Errc::NotAnArchive, "no LHA member header found");
        ended_ = true;
    }
    start_ = start.value_or(0);
    nextOffset_ = start_;
}

bool ArchiveReader::next() {
    if (ended_) return false;
    auto header = readHeader(in_, nextOffset_, options_.header);
    started_ = true;
    if (!header) {
        ended_ = true;
        return false;
    }
    member_ = std::move(*header);
    nextOffset_ = member_.dataOffset + member_.compressedSize;
    return true;
}

void ArchiveReader::extract(Sink& sink, const ProgressFn& progress) {
    if (!started_ || ended_) throw Error(Errc::Io, "no current member");
    extractMember(in_, member_, sink, progress);
}

void ArchiveReader::test(const ProgressFn& progress) {
    NullSink sink;
    extract(sink, progress);
}

std::vector<std::uint8_t> ArchiveReader::readAll() {
    VectorSink sink;
    extract(sink);
    return std::move(sink.data);
}

void extractMember(Input& in, const MemberHeader& member, Sink& sink, const ProgressFn& progress) {
    if (progress && !progress(0, member.originalSize)) throw Error(Errc::Cancelled, "cancelled");
    if (member.isDirectory || member.isSymlink || member.method == Method::Lhd) return;
    if (!isSupported(member.method))
        throw Error(Errc::UnsupportedMethod,
                    "unsupported method " + std::string(member.methodId.data(), member.methodId.size()));

    InputRange range(in, member.dataOffset, member.compressedSize);
    auto decoder = makeDecoder(member.method, range, member.compressedSize, member.originalSize);
    Crc16 crc;
    std::uint64_t done = 0;
    for (;;) {
        auto piece = decoder->next();
        if (piece.empty()) break;
        crc.update(piece);
        sink.write(piece);
        done += piece.size();
        if (progress && !progress(done, member.originalSize)) throw Error(Errc::Cancelled, "cancelled");
    }
    if (done != member.originalSize)
        throw Error(Errc::LengthMismatch, "decoded " + std::to_string(done) + " bytes, expected " +
                                              std::to_string(member.originalSize));
    if (member.hasCrc && crc.value() != member.crc) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "CRC %04x, expected %04x", crc.value(), member.crc);
        throw Error(Errc::CrcMismatch, buf);
    }
}

}  // namespace lha
