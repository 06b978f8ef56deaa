#pragma once
// Length-limited canonical Huffman codes for the encoder's per-block tables.
#include <cstdint>
#include <span>
#include <vector>

namespace lha::encoder_detail {

inline constexpr unsigned kMaxCodeLength = 16;

// Code lengths for the given frequencies, none longer than kMaxCodeLength,
// forming a complete code whenever two or more symbols are used. Unused
// symbols get length 0; a lone used symbol gets length 0 too, since the
// format writes such a table in its single-symbol form.
std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> freq);

// Canonical codes (ascending by length, then symbol) for the lengths.
std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths);

// Estimated cost in 1/16 bit of each symbol under the given frequencies;
// unused symbols are priced as rarer than any used one.
void estimateSymbolCosts(std::span<const std::uint32_t> freq, std::span<std::uint32_t> cost);

}  // namespace lha::encoder_detail
