#pragma once
// Canonical Huffman decoding through a direct lookup table of `tableBits`
// bits, with second-level tables for longer codes (up to 16 bits). Only
// complete codes are accepted: over-full or incomplete tables are errors.
#include <algorithm>
#include <cstdint>
#include <vector>

#include "bitreader.h"

namespace lha::detail {

class HuffmanTable {
public:
    static constexpr int kMaxLength = 16;

    HuffmanTable(int symbols, int tableBits)
        : symbols_(symbols), bits_(tableBits),
          table_((std::size_t{1} << tableBits) + static_cast<std::size_t>(symbols) * (std::size_t{1} << (kMaxLength - tableBits))) {}

    // Every code decodes to `symbol` with 0 bits (the n = 0 form).
    void setSingle(int symbol) {
        if (symbol < 0 || symbol >= symbols_) throw Error(Errc::BadData, "single-symbol table value out of range");
        std::uint32_t e = static_cast<std::uint32_t>(symbol);
        std::fill(table_.begin(), table_.begin() + (std::ptrdiff_t{1} << bits_), e);
    }

    // Builds the table from code lengths (0 = unused) of symbols 0..n-1.
    void build(const std::uint8_t* lengths, int n) {
        if (n > symbols_) throw Error(Errc::BadData, "table larger than its alphabet");
        int count[kMaxLength + 1] = {};
        for (int s = 0; s < n; ++s) {
            if (lengths[s] > kMaxLength) throw Error(Errc::BadData, "code length over 16");
            ++count[lengths[s]];
        }
        std::uint32_t kraft = 0;
        int maxLen = 0;
        for (int l = 1; l <= kMaxLength; ++l) {
            kraft += static_cast<std::uint32_t>(count[l]) << (kMaxLength - l);
            if (count[l]) maxLen = l;
        }
        if (kraft != (1u << kMaxLength)) throw Error(Errc::BadData, kraft > (1u << kMaxLength) ? "over-full Huffman code" : "incomplete Huffman code");

        // First code of each length, as DEFLATE assigns them.
        std::uint32_t next[kMaxLength + 1] = {};
        std::uint32_t code = 0;
        for (int l = 1; l <= kMaxLength; ++l) {
            code = (code + static_cast<std::uint32_t>(l > 1 ? count[l - 1] : 0)) << 1;
            next[l] = code;
        }
        const int tb = bits_;
        const int subBits = maxLen > tb ? maxLen - tb : 0;
        std::size_t nextSub = std::size_t{1} << tb;
        if (maxLen > tb) std::fill(table_.begin(), table_.begin() + static_cast<std::ptrdiff_t>(nextSub), 0u);
        for (int s = 0; s < n; ++s) {
            int l = lengths[s];
            if (!l) continue;
            std::uint32_t c = next[l]++;
            if (l <= tb) {
                std::uint32_t e = static_cast<std::uint32_t>(s) | static_cast<std::uint32_t>(l) << 16;
                std::size_t first = static_cast<std::size_t>(c) << (tb - l);
                std::fill(table_.begin() + static_cast<std::ptrdiff_t>(first),
                          table_.begin() + static_cast<std::ptrdiff_t>(first + (std::size_t{1} << (tb - l))), e);
            } else {
                std::size_t prefix = c >> (l - tb);
                std::uint32_t& head = table_[prefix];
                if (!(head & kSub)) {
                    head = kSub | static_cast<std::uint32_t>(nextSub) | static_cast<std::uint32_t>(subBits) << 16;
                    nextSub += std::size_t{1} << subBits;
                }
                std::size_t base = head & 0xFFFF;
                std::uint32_t low = c & ((1u << (l - tb)) - 1);
                std::uint32_t e = static_cast<std::uint32_t>(s) | static_cast<std::uint32_t>(l - tb) << 16;
                std::size_t first = base + (static_cast<std::size_t>(low) << (maxLen - l));
                std::fill(table_.begin() + static_cast<std::ptrdiff_t>(first),
                          table_.begin() + static_cast<std::ptrdiff_t>(first + (std::size_t{1} << (maxLen - l))), e);
            }
        }
    }

    // Decodes one symbol; the bits must hold at least 16 valid bits.
    static inline int decode(const std::uint32_t* table, int tableBits, BitState& s) {
        std::uint32_t e = table[s.peek(tableBits)];
        if (e & kSub) [[unlikely]] {
            s.consume(tableBits);
            e = table[(e & 0xFFFF) + s.peek(static_cast<int>((e >> 16) & 0xFF))];
        }
        s.consume(static_cast<int>((e >> 16) & 0xFF));
        return static_cast<int>(e & 0xFFFF);
    }
    inline int decode(BitReader& br) const { return decode(table_.data(), bits_, br.s); }
    const std::uint32_t* data() const { return table_.data(); }
    int tableBits() const { return bits_; }

private:
    static constexpr std::uint32_t kSub = 0x80000000u;
    int symbols_;
    int bits_;
    std::vector<std::uint32_t> table_;
};

}  // namespace lha::detail
