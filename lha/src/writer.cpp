#include "lha/writer.h"

#include <algorithm>
#include <stdexcept>
#include <system_error>
#include <vector>

#include "encoder_whole.h"
#include "lha/crc16.h"
#include "lha/error.h"
#include "ordered_work.h"
#include "writer_headers.h"

namespace lha {

using encoder_detail::kWholeMemberLimit;
using encoder_detail::WholeMemberCoder;
using writer_detail::HeaderFields;

namespace {

constexpr std::size_t kReadBlock = 256 * 1024;

Error ioError(const std::string& what, const std::filesystem::path& path) {
    return Error(Errc::Io, what + ": " + path.string());
}

}  // namespace

FileSource::FileSource(const std::filesystem::path& path) : path_(path), in_(path, std::ios::binary) {
    if (!in_) throw ioError("cannot open", path);
    size_ = std::filesystem::file_size(path);
}

std::size_t FileSource::read(std::span<std::uint8_t> buffer) {
    in_.read(reinterpret_cast<char*>(buffer.data()), static_cast<std::streamsize>(buffer.size()));
    if (in_.bad()) throw ioError("cannot read", path_);
    return static_cast<std::size_t>(in_.gcount());
}

void FileSource::rewind() {
    in_.clear();
    in_.seekg(0);
    if (!in_) throw ioError("cannot read", path_);
}

std::size_t MemorySource::read(std::span<std::uint8_t> buffer) {
    const std::size_t n = std::min(buffer.size(), data_.size() - offset_);
    std::copy_n(data_.begin() + static_cast<std::ptrdiff_t>(offset_), n, buffer.begin());
    offset_ += n;
    return n;
}

struct ArchiveWriter::Member {
    MemberInfo info;
    HeaderFields fields;
    std::uint64_t headerAt = 0;
    std::uint64_t dataAt = 0;
};

// Small members are coded by workers; everything is written on the caller's
// thread.
struct ArchiveWriter::Parallel {
    Parallel(CompressionMethod method, unsigned workers)
        : coders(workers, [method] { return std::make_unique<WholeMemberCoder>(method); }), work(workers, 2 * std::size_t{workers}) {}

    detail::PerWorker<WholeMemberCoder> coders;
    detail::OrderedWork work;  // after the coders: its threads stop first
};

ArchiveWriter::ArchiveWriter(const std::filesystem::path& archive, const WriterOptions& options)
    : path_(archive),
      options_(options),
      parallel_(std::make_unique<Parallel>(options.method, detail::OrderedWork::workersFor(options.threads))),
      out_(archive, std::ios::binary | std::ios::in | std::ios::out | std::ios::trunc) {
    if (options.headerLevel < 0 || options.headerLevel > 2) throw std::invalid_argument("header level must be 0, 1 or 2");
    if (!out_) throw ioError("cannot create", archive);
}

ArchiveWriter::~ArchiveWriter() {
    if (finished_) return;
    out_.close();
    std::error_code ignored;
    std::filesystem::remove(path_, ignored);
}

void ArchiveWriter::addDirectory(const MemberInfo& info) {
    // Refused here: a queued member would only fail when collected, maybe never.
    if (finished_) throw std::logic_error("archive already finished");
    Member m{info, {}, 0, 0};
    m.fields.method = "-lhd-";
    m.fields.directory = true;
    writer_detail::buildHeader(m.fields, m.info, options_);
    queueWritten(std::move(m));
}

void ArchiveWriter::addFile(const MemberInfo& info, MemberSource& data) {
    if (finished_) throw std::logic_error("archive already finished");
    Member m{info, {}, 0, 0};
    m.fields.method = data.size() ? std::string(methodId(options_.method)) : "-lh0-";
    m.fields.originalSize = data.size();
    m.fields.wide = data.size() > 0xFFFFFFFFull;
    if (m.fields.wide && options_.headerLevel != 2) throw Error(Errc::Limit, "files of 4 GiB or more need header level 2: " + info.path);
    writer_detail::buildHeader(m.fields, m.info, options_);  // refuses a bad name now, not members later
    if (data.size() == 0) {
        queueWritten(std::move(m));
    } else if (data.size() <= kWholeMemberLimit) {
        queueSmall(std::move(m), data);
    } else {
        // Streamed through the encoder, whose chunks use the workers in turn.
        parallel_->work.finish();
        writeMember(m, &data);
    }
}

// A member with no data to code keeps its place behind the members still
// being coded.
void ArchiveWriter::queueWritten(Member member) {
    auto m = std::make_shared<Member>(std::move(member));
    parallel_->work.submit([](unsigned) {}, [this, m] { writeMember(*m, nullptr); });
}

void ArchiveWriter::queueSmall(Member member, MemberSource& source) {
    struct Job {
        Member member;
        std::vector<std::uint8_t> data;
        std::vector<std::uint8_t> packed;
        std::uint16_t crc = 0;
    };
    auto job = std::make_shared<Job>(Job{std::move(member), std::vector<std::uint8_t>(source.size() + 1), {}, 0});
    // One byte more than announced is asked for, to notice a file that grew.
    std::size_t read = 0;
    while (const std::size_t n = source.read(std::span(job->data).subspan(read))) {
        read += n;
        if (read == job->data.size()) break;
    }
    if (read != source.size()) throw ioError("file changed while being archived", job->member.info.path);
    job->data.pop_back();
    progressBase_ += read;
    reportProgress(0);
    parallel_->work.submit(
        [parallel = parallel_.get(), job](unsigned worker) {
            Crc16 crc;
            crc.update(job->data);
            job->crc = crc.value();
            job->packed = parallel->coders.of(worker).code(job->data);
        },
        [this, job] { writeCoded(job->member, job->data, job->packed, job->crc); });
}

// Writes a member coded whole, stored instead when coding did not shrink it.
void ArchiveWriter::writeCoded(Member& m, std::span<const std::uint8_t> data, std::span<const std::uint8_t> packed, std::uint16_t crc) {
    const bool shrunk = packed.size() < data.size();
    const auto bytes = shrunk ? packed : data;
    if (!shrunk) m.fields.method = "-lh0-";
    m.fields.compressedSize = bytes.size();
    m.fields.crc = crc;
    m.headerAt = end_;
    const auto header = writer_detail::buildHeader(m.fields, m.info, options_);
    m.dataAt = m.headerAt + header.size();
    out_.seekp(static_cast<std::streamoff>(m.headerAt));
    out_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    if (!out_) throw ioError("cannot write", path_);
    end_ = m.dataAt + m.fields.compressedSize;
}

void ArchiveWriter::writeMember(Member& m, MemberSource* data) {
    if (finished_) throw std::logic_error("archive already finished");
    m.headerAt = end_;
    const auto header = writer_detail::buildHeader(m.fields, m.info, options_);
    out_.seekp(static_cast<std::streamoff>(m.headerAt));
    out_.write(reinterpret_cast<const char*>(header.data()), static_cast<std::streamsize>(header.size()));
    m.dataAt = m.headerAt + header.size();

    if (data && m.fields.originalSize) {
        if (!tryCompress(m, *data)) store(m, *data);
    }
    const auto finalHeader = writer_detail::buildHeader(m.fields, m.info, options_);
    out_.seekp(static_cast<std::streamoff>(m.headerAt));
    out_.write(reinterpret_cast<const char*>(finalHeader.data()), static_cast<std::streamsize>(finalHeader.size()));
    if (!out_) throw ioError("cannot write", path_);
    end_ = m.dataAt + m.fields.compressedSize;
    progressBase_ += m.fields.originalSize;
}

// Compresses the member after its header; false when the result would not
// be smaller than the data, which is then stored instead.
bool ArchiveWriter::tryCompress(Member& m, MemberSource& data) {
    const std::uint64_t limit = m.fields.originalSize;
    Crc16 crc;
    std::uint64_t read = 0;
    bool tooBig = false;
    out_.seekp(static_cast<std::streamoff>(m.dataAt));
    Encoder encoder({options_.method, options_.threads}, [&](std::span<const std::uint8_t> bytes) {
        out_.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (!out_) throw ioError("cannot write", path_);
    });
    std::vector<std::uint8_t> buffer(kReadBlock);
    while (const std::size_t n = data.read(buffer)) {
        read += n;
        if (read > limit) break;
        crc.update(std::span(buffer).first(n));
        encoder.write(std::span(buffer).first(n));
        reportProgress(read);
        if (encoder.bytesOut() >= limit) {
            tooBig = true;
            break;
        }
    }
    if (read != limit && !tooBig) throw ioError("file changed while being archived", m.info.path);
    if (!tooBig) encoder.finish();
    if (tooBig || encoder.bytesOut() >= limit) return false;
    m.fields.compressedSize = encoder.bytesOut();
    m.fields.crc = crc.value();
    return true;
}

void ArchiveWriter::store(Member& m, MemberSource& data) {
    data.rewind();
    Crc16 crc;
    std::uint64_t read = 0;
    out_.seekp(static_cast<std::streamoff>(m.dataAt));
    std::vector<std::uint8_t> buffer(kReadBlock);
    while (const std::size_t n = data.read(buffer)) {
        read += n;
        if (read > m.fields.originalSize) break;
        crc.update(std::span(buffer).first(n));
        out_.write(reinterpret_cast<const char*>(buffer.data()), static_cast<std::streamsize>(n));
        reportProgress(read);
    }
    if (read != m.fields.originalSize) throw ioError("file changed while being archived", m.info.path);
    m.fields.method = "-lh0-";
    m.fields.compressedSize = read;
    m.fields.crc = crc.value();
}

void ArchiveWriter::reportProgress(std::uint64_t bytes) {
    if (progress_) progress_(progressBase_ + bytes);
}

void ArchiveWriter::finish() {
    if (finished_) return;
    parallel_->work.finish();
    out_.seekp(static_cast<std::streamoff>(end_));
    out_.put(0);
    out_.close();
    if (out_.fail()) throw ioError("cannot write", path_);
    // A member stored after a failed compression attempt may leave bytes of
    // that attempt past the real end.
    std::filesystem::resize_file(path_, end_ + 1);
    finished_ = true;
}

}  // namespace lha
