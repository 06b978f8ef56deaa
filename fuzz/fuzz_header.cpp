// The header parser and the safe-path routine on arbitrary archive bytes.
#include <cstdint>

#include "lha/path.h"
#include "lha/reader.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    lha::MemoryInput in(std::span<const std::uint8_t>(data, size));
    try {
        lha::ArchiveReader reader(in);
        for (int i = 0; i < 1000 && reader.next(); ++i) {
            const auto& m = reader.member();
            lha::resolveSafePath(m);
            lha::resolveSafePath(m.rawName, {.codePage = 932, .refuse = 0});
            // Small stored members are read too: ranges and truncation.
            if (m.method == lha::Method::Lh0 && m.originalSize < 4096) {
                try {
                    reader.test();
                } catch (const lha::Error&) {
                }
            }
        }
    } catch (const lha::Error&) {
    }
    return 0;
}
