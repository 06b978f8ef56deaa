#pragma once
// MSB-first bit output as the static-Huffman LHA methods expect it; blocks are
// not byte-aligned, so chunks produced in parallel are joined bit by bit.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace lha::encoder_detail {

class BitWriter {
public:
    void put(std::uint32_t value, unsigned count) {
        // count <= 24 and at most 31 bits pending keep the accumulator from
        // overflowing; whole 32-bit words go out at once.
        acc_ = (acc_ << count) | (value & ((1u << count) - 1u));
        pending_ += count;
        if (pending_ >= 32) {
            pending_ -= 32;
            const auto word = static_cast<std::uint32_t>(acc_ >> pending_);
            const std::uint8_t bytes[4] = {static_cast<std::uint8_t>(word >> 24), static_cast<std::uint8_t>(word >> 16),
                                           static_cast<std::uint8_t>(word >> 8), static_cast<std::uint8_t>(word)};
            bytes_.insert(bytes_.end(), bytes, bytes + 4);
        }
    }

    void putWide(std::uint32_t value, unsigned count) {
        if (count > 16) {
            put(value >> 16, count - 16);
            put(value & 0xFFFF, 16);
        } else {
            put(value, count);
        }
    }

    // Appends every bit another writer holds, including its unfinished word.
    // Joining is serial work between parallel chunks, so whole bytes are
    // shifted in one pass rather than put one at a time.
    void append(const BitWriter& other) {
        flushWholeBytes();
        const std::size_t at = bytes_.size();
        bytes_.insert(bytes_.end(), other.bytes_.begin(), other.bytes_.end());
        if (const unsigned shift = pending_) {
            std::uint8_t carry = static_cast<std::uint8_t>(acc_ << (8 - shift));
            for (std::size_t i = at; i < bytes_.size(); ++i) {
                const std::uint8_t b = bytes_[i];
                bytes_[i] = static_cast<std::uint8_t>(carry | (b >> shift));
                carry = static_cast<std::uint8_t>(b << (8 - shift));
            }
            acc_ = carry >> (8 - shift);
        }
        putPending(other);
    }

    std::uint64_t bitCount() const { return bytes_.size() * 8ull + pending_; }

    // Hands over the complete bytes and keeps the unfinished ones.
    std::vector<std::uint8_t> takeBytes() {
        flushWholeBytes();
        std::vector<std::uint8_t> out;
        out.swap(bytes_);
        return out;
    }

    // Pads the last byte with zero bits.
    void flushPartialByte() {
        if (pending_ % 8) put(0, 8 - pending_ % 8);
    }

private:
    void flushWholeBytes() {
        while (pending_ >= 8) {
            pending_ -= 8;
            bytes_.push_back(static_cast<std::uint8_t>(acc_ >> pending_));
        }
    }

    void putPending(const BitWriter& other) {
        unsigned left = other.pending_;
        while (left) {
            const unsigned count = std::min(left, 16u);
            left -= count;
            put(static_cast<std::uint32_t>(other.acc_ >> left), count);
        }
    }

    std::vector<std::uint8_t> bytes_;
    std::uint64_t acc_ = 0;
    unsigned pending_ = 0;
};

}  // namespace lha::encoder_detail
