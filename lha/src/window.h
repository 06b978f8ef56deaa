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
#include "lha/error.h"

namespace lha::detail {

class WindowedDecoder : public Decoder {
public:
    static constexpr std::size_t kChunk = 256 * 1024;
    static constexpr std::size_t kSlack = 1024;  // longest match (514) + wide-copy overrun

    std::span<const std::uint8_t> next() final {
        if (remaining_ == 0) return {};
        if (pos_ > history_) {
            std::size_t shift = pos_ - history_;
            std::memmove(win_.get(), win_.get() + shift, history_);
            pos_ = history_;
            origin_ = origin_ > shift ? origin_ - shift : 0;
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
    // `history` bytes before the first output, initially `fill` (the LArc
    // methods address them as their initial ring contents).
    WindowedDecoder(std::size_t history, std::uint64_t originalSize, std::uint8_t fill = 0x20)
        : history_(history), remaining_(originalSize), win_(std::make_unique_for_overwrite<std::uint8_t[]>(history + kChunk + kSlack)) {
        std::memset(win_.get(), fill, history);
        pos_ = history;
        origin_ = history;
    }

    // A match may not reach before the first byte of the member: the initial
    // window contents are never referenced by a valid LZ77 stream.
    inline void checkDistance(std::size_t pos, std::size_t dist) const {
        if (dist > pos - origin_) [[unlikely]]
            throw Error(Errc::BadData, "match distance before the start of the data");
    }

    // Decodes into win_[pos_...] until pos_ >= target (at most kSlack - 8 past it).
    virtual void decode(std::size_t target) = 0;
    // Called once when the last byte has been handed out.
    virtual void finish() {}

    // Copies `len` bytes from `dist` back, byte by byte semantics (overlap repeats).
    static inline void copyMatch(std::uint8_t* dst, std::size_t dist, std::size_t len) {
        const std::uint8_t* src = dst - dist;
        if (dist >= 16) [[likely]] {
            // Whole 16-byte steps (the window has slack for the overrun); most
            // matches are short, so the first step is unconditional.
            std::memcpy(dst, src, 16);
            for (std::size_t i = 16; i < len; i += 16) std::memcpy(dst + i, src + i, 16);
        } else if (dist >= 8) {
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
    std::size_t origin_;  // window index of the member's first byte (0 once it slid out)
};

}  // namespace lha::detail
