// Encoder round trip: any bytes, coded with -lh5-, -lh6- or -lh7-, must
// decode to themselves. The first byte picks the method and how many times
// the rest is repeated, so inputs also cross the parser's 64 KiB segments and
// reach the longest matches and distances.
#include <cstdint>
#include <span>
#include <vector>

#include "lha/decoder.h"
#include "lha/encoder.h"
#include "lha/error.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static constexpr struct {
        lha::CompressionMethod coded;
        lha::Method decoded;
    } methods[] = {{lha::CompressionMethod::lh5, lha::Method::Lh5},
                   {lha::CompressionMethod::lh6, lha::Method::Lh6},
                   {lha::CompressionMethod::lh7, lha::Method::Lh7}};
    const auto& method = methods[data[0] % 3];
    const unsigned copies = 1 + (data[0] >> 2) % 4;
    std::vector<std::uint8_t> original;
    for (unsigned k = 0; k < copies; ++k) original.insert(original.end(), data + 1, data + size);

    const std::vector<std::uint8_t> packed = lha::compress(original, {method.coded, 1});
    if (original.empty() != packed.empty()) __builtin_trap();
    if (original.empty()) return 0;

    lha::MemoryInput in(packed);
    lha::InputRange range(in, 0, packed.size());
    std::vector<std::uint8_t> decoded;
    try {
        auto decoder = lha::makeDecoder(method.decoded, range, packed.size(), original.size());
        for (auto piece = decoder->next(); !piece.empty(); piece = decoder->next()) decoded.insert(decoded.end(), piece.begin(), piece.end());
    } catch (const lha::Error&) {
        __builtin_trap();  // our own stream must always decode
    }
    if (decoded != original) __builtin_trap();
    return 0;
}
