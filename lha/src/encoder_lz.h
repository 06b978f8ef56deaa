#pragma once
// LZ77 stage of the encoder: finds matches with binary trees and chooses the
// cheapest sequence of literals and matches under a per-symbol price model
// (a shortest-path parse), then hands the tokens to the block writer.
#include <cstdint>
#include <span>
#include <vector>

#include "encoder_bits.h"
#include "encoder_format.h"

namespace lha::encoder_detail {

struct SearchEffort {
    unsigned chainDepth;   // tree nodes visited per position
    unsigned niceLength;   // a match this long is taken without further search
};

class ChunkCompressor {
public:
    ChunkCompressor(const MethodShape& shape, const SearchEffort& effort);

    // Codes data[history, size) as whole blocks; data[0, history) is the text
    // that precedes it and may be referenced but is not coded again.
    // `endsStream`: this chunk ends the member's data.
    void compress(std::span<const std::uint8_t> data, std::size_t history, bool endsStream, BitWriter& out);

private:
    struct Match {
        std::uint16_t length;
        std::uint16_t distance;  // minus one, as tokens carry it
    };
    struct Prices {
        std::uint32_t symbol[kLiteralLengthSymbols];
        std::uint32_t position[kMaxPositionSymbols];  // extra bits included
    };

    unsigned searchTree(std::size_t pos, unsigned treeLimit, Match* out);
    void insert(std::size_t pos);
    void prefetchBuckets(std::size_t pos) const;

    unsigned findMatches(std::size_t pos, unsigned maxLength, Match* out);
    void parse(std::size_t begin, std::size_t end, const Prices& prices, std::vector<Token>& tokens, bool endsStream);
    Prices pricesFrom(std::span<const Token> tokens) const;
    Prices initialPrices(std::size_t begin, std::size_t end) const;

    MethodShape shape_;
    SearchEffort effort_;
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::vector<std::int32_t> head_;
    std::vector<std::int32_t> nearest_;
    std::vector<std::int32_t> tree_;
    std::vector<std::uint32_t> cost_;
    std::vector<Match> from_;
    std::vector<Token> tokens_;
};

}  // namespace lha::encoder_detail
