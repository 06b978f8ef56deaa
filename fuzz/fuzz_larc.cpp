// -lzs-, -lz5- and the stored methods.
#include "fuzz_input.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static constexpr lha::Method methods[] = {lha::Method::Lzs, lha::Method::Lz5, lha::Method::Lh0};
    fuzz::decodeStream(methods[data[0] % 3], data, size);
    return 0;
}
