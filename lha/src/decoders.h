#pragma once
// Constructors of the method decoders (internal; use lha::makeDecoder).
#include <memory>

#include "lha/decoder.h"

namespace lha::detail {

// -lh4- .. -lh7- (windowBits 12, 13, 15, 16) and LHARK's -lk7- variant.
std::unique_ptr<Decoder> makeStaticHuffmanDecoder(ByteStream& in, int windowBits, bool lhark,
                                                  std::uint64_t originalSize);
std::unique_ptr<Decoder> makeLh1Decoder(ByteStream& in, std::uint64_t originalSize);
std::unique_ptr<Decoder> makeLzsDecoder(ByteStream& in, std::uint64_t originalSize);
std::unique_ptr<Decoder> makeLz5Decoder(ByteStream& in, std::uint64_t originalSize);

}  // namespace lha::detail
