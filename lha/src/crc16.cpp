#include "lha/crc16.h"

#include <array>

namespace lha {
namespace {

constexpr std::array<std::uint16_t, 256> makeTable() {
    std::array<std::uint16_t, 256> table{};
    for (unsigned i = 0; i < 256; ++i) {
        std::uint16_t r = static_cast<std::uint16_t>(i);
        for (int bit = 0; bit < 8; ++bit) r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
        table[i] = r;
    }
    return table;
}

constexpr auto kTable = makeTable();

}  // namespace

void Crc16::update(std::span<const std::uint8_t> bytes) noexcept {
    std::uint16_t crc = value_;
    for (std::uint8_t b : bytes) crc = static_cast<std::uint16_t>((crc >> 8) ^ kTable[(crc ^ b) & 0xFF]);
    value_ = crc;
}

std::uint16_t crc16(std::span<const std::uint8_t> bytes) noexcept {
    Crc16 crc;
    crc.update(bytes);
    return crc.value();
}

}  // namespace lha
