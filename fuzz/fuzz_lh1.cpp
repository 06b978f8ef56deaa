// -lh1- (adaptive Huffman).
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fuzz::decodeStream(lha::Method::Lh1, data, size);
    return 0;
}
