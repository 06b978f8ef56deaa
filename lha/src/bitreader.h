#pragma once
// MSB-first bit reader over a ByteStream: a 64-bit bit buffer refilled from a
// large input buffer. Past the end of the stream it reads zero bits, and
// throws Error(Truncated) as soon as more bits were consumed than exist.
//
// Hot loops copy the BitState into a local (so the compiler keeps it in
// registers across byte stores into the output window) and hand it back
// for the slow refill path.
#include <cstdint>
#include <cstring>
#include <memory>

#include "lha/decoder.h"
#include "lha/error.h"

namespace lha::detail {

struct BitState {
    std::uint64_t bits = 0;  // next bits, MSB-aligned
    int count = 0;           // valid bits in `bits`
    const std::uint8_t* p = nullptr;
    const std::uint8_t* limit = nullptr;  // the fast refill may read 8 bytes below it

    // Tops the buffer up to at least 56 bits; false when the slow path is needed.
    inline bool tryRefill() {
        if (p + 8 > limit) [[unlikely]]
            return false;
        std::uint64_t v;
        std::memcpy(&v, p, 8);
        v = __builtin_bswap64(v);
        bits |= v >> count;
        p += (63 - count) >> 3;
        count |= 56;
        return true;
    }
    // The next n bits (1..32) without consuming them; needs n <= count.
    inline std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(bits >> (64 - n)); }
    inline void consume(int n) {
        bits <<= n;
        count -= n;
    }
};

class BitReader {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    static constexpr std::size_t kPad = 16;

    explicit BitReader(ByteStream& in)
        : in_(in), buf_(std::make_unique_for_overwrite<std::uint8_t[]>(kBufferSize + kPad)) {
        s.p = end_ = buf_.get();
        fill();
        refill();
    }

    inline void refill() {
        if (!s.tryRefill()) slowRefill();
    }
    inline std::uint32_t peek(int n) const { return s.peek(n); }
    inline void consume(int n) { s.consume(n); }
    // Reads n bits (0..16) with its own refill.
    inline std::uint32_t get(int n) {
        if (n == 0) return 0;
        if (s.count < n) refill();
        std::uint32_t v = s.peek(n);
        s.consume(n);
        return v;
    }
    inline std::uint32_t getBit() { return get(1); }

    // Bits consumed from the start of the stream.
    std::uint64_t consumedBits() const {
        return (consumedBefore_ + static_cast<std::uint64_t>(s.p - buf_.get())) * 8 - static_cast<unsigned>(s.count);
    }
    // Throws when the decoder consumed bits past the stream's end.
    void checkNotOverrun() const {
        if (eof_ && consumedBits() > totalBytes_ * 8)
            throw Error(Errc::Truncated, "compressed data ends before the member is complete");
    }

    void slowRefill() {
        if (!eof_) {
            fill();
            if (s.tryRefill()) return;
        }
        // At the end: the zero padding gives the decoder its last bits; once it
        // is used up, the stream has certainly been overrun.
        checkNotOverrun();
        while (s.count <= 56) {
            if (s.p >= s.limit) throw Error(Errc::Truncated, "compressed data ends before the member is complete");
            s.bits |= static_cast<std::uint64_t>(*s.p++) << (56 - s.count);
            s.count += 8;
        }
    }

    BitState s;

private:
    // Moves the unread tail to the front and reads more input.
    void fill() {
        std::uint8_t* base = buf_.get();
        std::size_t keep = static_cast<std::size_t>(end_ - s.p);
        consumedBefore_ += static_cast<std::uint64_t>(s.p - base);
        std::memmove(base, s.p, keep);
        s.p = base;
        end_ = base + keep;
        while (!eof_ && end_ < base + kBufferSize) {
            std::size_t n = in_.read(std::span<std::uint8_t>(end_, base + kBufferSize - end_));
            if (n == 0) eof_ = true;
            end_ += n;
            totalBytes_ += n;
        }
        if (eof_) {
            std::memset(end_, 0, kPad);
            s.limit = end_ + kPad;
        } else {
            s.limit = end_;
        }
    }

    ByteStream& in_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::uint8_t* end_;
    bool eof_ = false;
    std::uint64_t consumedBefore_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace lha::detail
