#pragma once
// The output window shared by the LZ decoders. It is also the output buffer:
// a linear array of `history` bytes of past output followed by room for one
// chunk of new output. Matches copy inside it without masking; after a chunk
// is handed out, the last `history` bytes slide to the front.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>

#include "lha/decoder.h"

namespace lha::detail {

class WindowedDecoder : public Decoder {
public:
    static constexpr std::size_t kChunk = 256 * 1024;
    static constexpr std::size_t kSlack = 1024;  // longest match (514) + wide-copy overrun

    std::span<const std::uint8_t> next() final {
        if (remaining_ == 0) return {};
        if (pos_ > history_) {
            std::memmove(win_.get(), win_.get() + pos_ - history_, history_);
            pos_ = history_;
        }
        std::size_t start = pos_;
        std::size_t want = static_cast<std::size_t>(std::min<std::uint64_t>(kChunk, remaining_));
        decode(start + want);
        std::size_t got = static_cast<std::size_t>(std::min<std::uint64_t>(pos_ - start, remaining_));
        remaining_ -= got;
        if (remaining_ == 0) finish();
        return {win_.get() + start, got};
    }

protected:
    // `history` bytes before the first output, initially `fill` (the window
    // of an LHA stream starts as spaces: a distance before the start reads them).
    WindowedDecoder(std::size_t history, std::uint64_t originalSize, std::uint8_t fill = 0x20)
        : history_(history), remaining_(originalSize), win_(new std::uint8_t[history + kChunk + kSlack]) {
        std::memset(win_.get(), fill, history);
        pos_ = history;
    }

    // Decodes into win_[pos_...] until pos_ >= target (at most kSlack - 8 past it).
    virtual void decode(std::size_t target) = 0;
    // Called once when the last byte has been handed out.
    virtual void finish() {}

    // Copies `len` bytes from `dist` back, byte by byte semantics (overlap repeats).
    static inline void copyMatch(std::uint8_t* dst, std::size_t dist, std::size_t len) {
        const std::uint8_t* src = dst - dist;
        if (dist >= 8) {
            for (std::size_t i = 0; i < len; i += 8) std::memcpy(dst + i, src + i, 8);
        } else if (dist == 1) {
            std::memset(dst, src[0], len);
        } else {
            for (std::size_t i = 0; i < len; ++i) dst[i] = src[i];
        }
    }

    std::size_t history_;
    std::uint64_t remaining_;
    std::unique_ptr<std::uint8_t[]> win_;
    std::size_t pos_;
};

}  // namespace lha::detail
