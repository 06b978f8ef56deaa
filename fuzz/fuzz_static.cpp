// -lh4- .. -lh7- and -lk7- (static Huffman blocks).
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static constexpr lha::Method methods[] = {lha::Method::Lh4, lha::Method::Lh5, lha::Method::Lh6, lha::Method::Lh7,
                                              lha::Method::Lk7};
    fuzz::decodeStream(methods[data[0] % 5], data, size);
    return 0;
}
