#include "lha/io.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "lha/error.h"

namespace lha {
namespace {

int seekTo(std::FILE* f, std::uint64_t offset) {
#ifdef _WIN32
    return _fseeki64(f, static_cast<long long>(offset), SEEK_SET);
#else
    return fseeko(f, static_cast<off_t>(offset), SEEK_SET);
#endif
}

std::uint64_t tellEnd(std::FILE* f) {
#ifdef _WIN32
    if (_fseeki64(f, 0, SEEK_END) != 0) return 0;
    long long pos = _ftelli64(f);
#else
    if (fseeko(f, 0, SEEK_END) != 0) return 0;
    off_t pos = ftello(f);
#endif
    return pos < 0 ? 0 : static_cast<std::uint64_t>(pos);
}

}  // namespace

std::size_t MemoryInput::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset >= bytes_.size()) return 0;
    std::size_t n = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), bytes_.size() - offset));
    if (n) std::memcpy(out.data(), bytes_.data() + offset, n);
    return n;
}

FileInput::FileInput(const std::string& path) {
    file_ = std::fopen(path.c_str(), "rb");
    if (!file_) throw Error(Errc::Io, "cannot open " + path + ": " + std::strerror(errno));
    size_ = tellEnd(file_);
    position_ = size_;
}

FileInput::~FileInput() {
    if (file_) std::fclose(file_);
}

std::size_t FileInput::readAt(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset >= size_ || out.empty()) return 0;
    if (offset != position_) {
        if (seekTo(file_, offset) != 0) throw Error(Errc::Io, "seek failed");
        position_ = offset;
    }
    std::size_t n = std::fread(out.data(), 1, out.size(), file_);
    position_ += n;
    if (n < out.size() && std::ferror(file_)) {
        std::clearerr(file_);
        position_ = ~std::uint64_t{0};
        throw Error(Errc::Io, "read failed");
    }
    return n;
}

}  // namespace lha
