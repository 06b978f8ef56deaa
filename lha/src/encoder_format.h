#pragma once
// Constants of the -lh5-/-lh6-/-lh7- block format, as the encoder uses them.
#include <bit>
#include <cstdint>

namespace lha::encoder_detail {

inline constexpr unsigned kLiteralLengthSymbols = 510;  // NC
inline constexpr unsigned kTempSymbols = 19;            // NT
inline constexpr unsigned kTempCountBits = 5;           // TBIT
inline constexpr unsigned kCTableCountBits = 9;         // CBIT
inline constexpr unsigned kMinMatch = 3;
inline constexpr unsigned kMaxMatch = 256;
inline constexpr unsigned kMaxBlockSymbols = 65535;
inline constexpr unsigned kMaxPositionSymbols = 17;

struct MethodShape {
    unsigned windowBits;     // distances 1 .. 2^windowBits
    unsigned positionSymbols;  // NP
    unsigned positionCountBits;  // PBIT
};

inline constexpr MethodShape kLh5Shape{13, 14, 4};
inline constexpr MethodShape kLh6Shape{15, 16, 5};
inline constexpr MethodShape kLh7Shape{16, 17, 5};

// One coded item: a literal byte (symbol < 256) or a match whose symbol is
// length + 253 and whose distance is stored minus one.
struct Token {
    std::uint16_t symbol;
    std::uint16_t distanceMinusOne;
};

inline unsigned positionSymbol(std::uint32_t distanceMinusOne) {
    return static_cast<unsigned>(std::bit_width(distanceMinusOne));
}

inline unsigned lengthSymbol(unsigned length) { return length + 253; }

}  // namespace lha::encoder_detail
