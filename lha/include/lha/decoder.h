#pragma once
// Member data decoders. A decoder pulls compressed bytes from a ByteStream and
// hands out decoded data in pieces, with memory bounded by the method's window
// plus fixed buffers (independent of the member or archive size).
#include <cstddef>
#include <cstdint>
#include <memory>
#include <span>

#include "lha/header.h"
#include "lha/io.h"

namespace lha {

// A sequential source of compressed bytes. read returns fewer bytes than
// asked only at the end of the stream (0 = end).
class ByteStream {
public:
    virtual ~ByteStream() = default;
    virtual std::size_t read(std::span<std::uint8_t> out) = 0;
};

// ByteStream over `length` bytes of an Input starting at `offset`.
class InputRange final : public ByteStream {
public:
    InputRange(Input& in, std::uint64_t offset, std::uint64_t length) : in_(in), offset_(offset), left_(length) {}
    std::size_t read(std::span<std::uint8_t> out) override;

private:
    Input& in_;
    std::uint64_t offset_;
    std::uint64_t left_;
};

class Decoder {
public:
    virtual ~Decoder() = default;
    // The next piece of decoded data; the view stays valid until the next
    // call. Empty once `originalSize` bytes have been produced. Throws
    // Error(BadData) on an invalid stream and Error(Truncated) when the
    // compressed data ends before the output is complete.
    virtual std::span<const std::uint8_t> next() = 0;
};

// True when makeDecoder accepts the method: lh0, lh1, lh4..lh7, lhd, lzs,
// lz4, lz5, lk7 and pm0.
bool isSupported(Method method) noexcept;

// A decoder producing exactly `originalSize` bytes from at most
// `compressedSize` bytes of `in`. Throws Error(UnsupportedMethod) for any
// other method. The stream must outlive the decoder.
std::unique_ptr<Decoder> makeDecoder(Method method, ByteStream& in, std::uint64_t compressedSize,
                                     std::uint64_t originalSize);

}  // namespace lha
