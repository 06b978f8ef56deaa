#pragma once
// MSB-first bit reader over a ByteStream: a 64-bit bit buffer refilled from a
// large input buffer. Past the end of the stream it reads zero bits, and
// throws Error(Truncated) as soon as more bits were consumed than exist.
#include <cstdint>
#include <cstring>
#include <memory>

#include "lha/decoder.h"
#include "lha/error.h"

namespace lha::detail {

class BitReader {
public:
    static constexpr std::size_t kBufferSize = 64 * 1024;
    static constexpr std::size_t kPad = 16;

    explicit BitReader(ByteStream& in) : in_(in), buf_(new std::uint8_t[kBufferSize + kPad]) {
        p_ = end_ = buf_.get();
        fill();
        refill();
    }

    // Guarantees at least 56 valid bits in the buffer.
    inline void refill() {
        if (p_ + 8 <= limit_) [[likely]] {
            std::uint64_t v;
            std::memcpy(&v, p_, 8);
            v = __builtin_bswap64(v);
            bits_ |= v >> count_;
            p_ += (63 - count_) >> 3;
            count_ |= 56;
        } else {
            slowRefill();
        }
    }
    // The next n bits (1..32) without consuming them; needs n <= count.
    inline std::uint32_t peek(int n) const { return static_cast<std::uint32_t>(bits_ >> (64 - n)); }
    inline void consume(int n) {
        bits_ <<= n;
        count_ -= n;
    }
    // Reads n bits (0..16) with its own refill.
    inline std::uint32_t get(int n) {
        if (n == 0) return 0;
        if (count_ < n) refill();
        std::uint32_t v = peek(n);
        consume(n);
        return v;
    }
    inline std::uint32_t getBit() { return get(1); }

    // Bits consumed from the start of the stream.
    std::uint64_t consumedBits() const {
        return (consumedBefore_ + static_cast<std::uint64_t>(p_ - buf_.get())) * 8 - static_cast<unsigned>(count_);
    }
    // Throws when the decoder consumed bits past the stream's end.
    void checkNotOverrun() const {
        if (eof_ && consumedBits() > totalBytes_ * 8)
            throw Error(Errc::Truncated, "compressed data ends before the member is complete");
    }

private:
    // Moves the unread tail to the front and reads more input.
    void fill() {
        std::size_t keep = static_cast<std::size_t>(end_ - p_);
        consumedBefore_ += static_cast<std::uint64_t>(p_ - buf_.get());
        std::memmove(buf_.get(), p_, keep);
        p_ = buf_.get();
        end_ = p_ + keep;
        while (!eof_ && end_ < buf_.get() + kBufferSize) {
            std::size_t n = in_.read(std::span<std::uint8_t>(end_, buf_.get() + kBufferSize - end_));
            if (n == 0) eof_ = true;
            end_ += n;
            totalBytes_ += n;
        }
        if (eof_) {
            std::memset(end_, 0, kPad);
            limit_ = end_ + kPad;
        } else {
            limit_ = end_;
        }
    }

    void slowRefill() {
        if (!eof_) {
            fill();
            if (p_ + 8 <= limit_) return refill();
        }
        // At the end: the zero padding gives the decoder its last bits; once it
        // is used up, the stream has certainly been overrun.
        checkNotOverrun();
        while (count_ <= 56) {
            if (p_ >= limit_) throw Error(Errc::Truncated, "compressed data ends before the member is complete");
            bits_ |= static_cast<std::uint64_t>(*p_++) << (56 - count_);
            count_ += 8;
        }
    }

    ByteStream& in_;
    std::unique_ptr<std::uint8_t[]> buf_;
    std::uint8_t* p_;
    std::uint8_t* end_;
    std::uint8_t* limit_ = nullptr;
    std::uint64_t bits_ = 0;
    int count_ = 0;
    bool eof_ = false;
    std::uint64_t consumedBefore_ = 0;
    std::uint64_t totalBytes_ = 0;
};

}  // namespace lha::detail
