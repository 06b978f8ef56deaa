#pragma once
// Turns a token sequence into static-Huffman blocks: chooses where blocks
// end, builds each block's three tables and writes the block.
#include <array>
#include <cstdint>
#include <span>

#include "encoder_bits.h"
#include "encoder_format.h"

namespace lha::encoder_detail {

struct TokenHistogram {
    std::array<std::uint32_t, kLiteralLengthSymbols> symbols{};
    std::array<std::uint32_t, kMaxPositionSymbols> positions{};

    void add(const Token& t) {
        ++symbols[t.symbol];
        if (t.symbol >= 256) ++positions[positionSymbol(t.distanceMinusOne)];
    }
    void addAll(std::span<const Token> tokens) {
        for (const Token& t : tokens) add(t);
    }
};

// Writes one block holding all of `tokens` (1 .. kMaxBlockSymbols of them).
void writeBlock(BitWriter& out, std::span<const Token> tokens, const MethodShape& shape);

// Writes `tokens` as a series of blocks whose boundaries minimise the
// estimated size.
void writeBlocks(BitWriter& out, std::span<const Token> tokens, const MethodShape& shape);

// Estimated size in bits of one block with this histogram, tables included.
double estimateBlockBits(const TokenHistogram& h, const MethodShape& shape);

}  // namespace lha::encoder_detail
