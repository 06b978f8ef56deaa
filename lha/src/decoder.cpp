#include "lha/decoder.h"

#include <algorithm>
#include <vector>

#include "decoders.h"
#include "lha/error.h"

namespace lha {
namespace {

// -lh0-, -lz4-, -pm0-: the data is stored as is.
class StoredDecoder final : public Decoder {
public:
    StoredDecoder(ByteStream& in, std::uint64_t originalSize) : in_(in), remaining_(originalSize) {}

    std::span<const std::uint8_t> next() override {
        if (remaining_ == 0) return {};
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(buf_.size(), remaining_));
        std::size_t got = 0;
        while (got < want) {
            std::size_t n = in_.read(std::span<std::uint8_t>(buf_.data() + got, want - got));
            if (n == 0) throw Error(Errc::Truncated, "stored data ends before the member is complete");
            got += n;
        }
        remaining_ -= got;
        return {buf_.data(), got};
    }

private:
    ByteStream& in_;
    std::uint64_t remaining_;
    std::vector<std::uint8_t> buf_ = std::vector<std::uint8_t>(256 * 1024);
};

}  // namespace

std::size_t InputRange::read(std::span<std::uint8_t> out) {
    std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(out.size(), left_));
    if (want == 0) return 0;
    std::size_t n = in_.readAt(offset_, out.first(want));
    offset_ += n;
    left_ -= n;
    if (n == 0) left_ = 0;  // the input ended early: the decoder reports truncation
    return n;
}

bool isSupported(Method method) noexcept {
    switch (method) {
    case Method::Lh0: case Method::Lh1: case Method::Lh4: case Method::Lh5: case Method::Lh6:
    case Method::Lh7: case Method::Lhd: case Method::Lzs: case Method::Lz4: case Method::Lz5:
    case Method::Lk7: case Method::Pm0:
        return true;
    default:
        return false;
    }
}

std::unique_ptr<Decoder> makeDecoder(Method method, ByteStream& in, std::uint64_t compressedSize,
                                     std::uint64_t originalSize) {
    (void)compressedSize;  // the stream is already limited to it
    switch (method) {
    case Method::Lh0:
    case Method::Lz4:
    case Method::Pm0:
    case Method::Lhd: return std::make_unique<StoredDecoder>(in, method == Method::Lhd ? 0 : originalSize);
    case Method::Lh1: return detail::makeLh1Decoder(in, originalSize);
    case Method::Lh4: return detail::makeStaticHuffmanDecoder(in, 12, false, originalSize);
    case Method::Lh5: return detail::makeStaticHuffmanDecoder(in, 13, false, originalSize);
    case Method::Lh6: return detail::makeStaticHuffmanDecoder(in, 15, false, originalSize);
    case Method::Lh7: return detail::makeStaticHuffmanDecoder(in, 16, false, originalSize);
    case Method::Lk7: return detail::makeStaticHuffmanDecoder(in, 16, true, originalSize);
    case Method::Lzs: return detail::makeLzsDecoder(in, originalSize);
    case Method::Lz5: return detail::makeLz5Decoder(in, originalSize);
    default: throw Error(Errc::UnsupportedMethod, "unsupported method " + std::string(methodId(method)));
    }
}

}  // namespace lha
