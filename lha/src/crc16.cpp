#include "lha/crc16.h"

#include <array>

namespace lha {
namespace {

// Slicing-by-8: table k gives the CRC contribution of a byte followed by k zero bytes.
constexpr std::array<std::array<std::uint16_t, 256>, 8> makeTables() {
    std::array<std::array<std::uint16_t, 256>, 8> t{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t r = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
        t[0][i] = r;
    }
    for (unsigned i = 0; i < 256; ++i)
        for (int k = 1; k < 8; ++k) t[k][i] = static_cast<std::uint16_t>((t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF]);
    return t;
}

constexpr auto kTables = makeTables();

}  // namespace

void Crc16::update(std::span<const std::uint8_t> bytes) noexcept {
    std::uint16_t crc = value_;
    const std::uint8_t* p = bytes.data();
    std::size_t n = bytes.size();
    const auto& t = kTables;
    for (; n >= 8; n -= 8, p += 8) {
        std::uint16_t lo = static_cast<std::uint16_t>(crc ^ (p[0] | p[1] << 8));
        crc = static_cast<std::uint16_t>(t[7][lo & 0xFF] ^ t[6][lo >> 8] ^ t[5][p[2]] ^ t[4][p[3]] ^ t[3][p[4]] ^
                                         t[2][p[5]] ^ t[1][p[6]] ^ t[0][p[7]]);
    }
    for (; n; --n, ++p) crc = static_cast<std::uint16_t>((crc >> 8) ^ t[0][(crc ^ *p) & 0xFF]);
    value_ = crc;
}

std::uint16_t crc16(std::span<const std::uint8_t> bytes) noexcept {
    Crc16 crc;
    crc.update(bytes);
    return crc.value();
}

}  // namespace lha
