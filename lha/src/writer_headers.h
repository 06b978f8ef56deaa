#pragma once
// Byte layout of member headers at levels 0, 1 and 2.
#include <cstdint>
#include <string>
#include <vector>

#include "lha/writer.h"

namespace lha::writer_detail {

struct HeaderFields {
    std::string method;  // five characters, e.g. "-lh5-"
    std::uint64_t compressedSize = 0;
    std::uint64_t originalSize = 0;
    std::uint16_t crc = 0;
    bool directory = false;
    bool wide = false;  // sizes need the 64-bit extension (level 2 only)
};

// The complete header; its length depends only on the member's names,
// times, attributes and `wide`, never on method, sizes or CRC.
std::vector<std::uint8_t> buildHeader(const HeaderFields& fields, const MemberInfo& info, const WriterOptions& options);

// MS-DOS date and time in the local time zone, as levels 0 and 1 store it.
std::uint32_t dosTimestamp(std::int64_t unixSeconds);

}  // namespace lha::writer_detail
