#pragma once
// CRC-16 as LHA archives use it (reflected polynomial 0xA001, initial value 0),
// for member data and for level-2/3 header checks.
#include <cstddef>
#include <cstdint>
#include <span>

namespace lha {

class Crc16 {
public:
    void update(std::span<const std::uint8_t> bytes) noexcept;
    std::uint16_t value() const noexcept { return value_; }

private:
    std::uint16_t value_ = 0;
};

std::uint16_t crc16(std::span<const std::uint8_t> bytes) noexcept;

}  // namespace lha
