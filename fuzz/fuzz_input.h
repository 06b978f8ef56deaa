#pragma once
// Input layout of the decoder fuzzers: one byte choosing the method, the
// original size (u32, little-endian, kept under 1 MiB so a run stays fast),
// then the compressed stream.
#include <cstddef>
#include <cstdint>
#include <span>

#include "lha/decoder.h"
#include "lha/error.h"

namespace fuzz {

inline void decodeStream(lha::Method method, const std::uint8_t* data, std::size_t size) {
    if (size < 5) return;
    std::uint64_t originalSize = (data[1] | data[2] << 8 | data[3] << 16 | static_cast<std::uint32_t>(data[4]) << 24) % (1u << 20);
    lha::MemoryInput in(std::span<const std::uint8_t>(data + 5, size - 5));
    lha::InputRange range(in, 0, size - 5);
    try {
        auto decoder = lha::makeDecoder(method, range, size - 5, originalSize);
        std::uint64_t total = 0;
        for (auto piece = decoder->next(); !piece.empty(); piece = decoder->next()) total += piece.size();
        if (total != originalSize) __builtin_trap();  // a decoder must produce exactly the stated size
    } catch (const lha::Error&) {
    }
}

}  // namespace fuzz
