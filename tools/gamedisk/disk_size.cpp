#include "disk_size.h"

#include <cctype>
#include <stdexcept>

namespace gamedisk {
namespace {

struct Format {
    const char* name;
    DiskSize size;
};

// FAT12 data areas: clusters times cluster size, after the boot sector, the
// two FATs and the root directory.
constexpr Format kFormats[] = {
    {"1440k", {2847 * 512, 512}},
    {"1200k", {2371 * 512, 512}},
    {"720k", {713 * 1024, 1024}},
    {"360k", {354 * 1024, 1024}},
};

}  // namespace

DiskSize parseDiskSize(const std::string& text) {
    std::string lower;
    for (char c : text) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    for (const auto& f : kFormats)
        if (lower == f.name) return f.size;
    std::size_t digits = 0;
    while (digits < lower.size() && std::isdigit(static_cast<unsigned char>(lower[digits]))) ++digits;
    const std::string suffix = lower.substr(digits);
    std::uint64_t unit = suffix.empty() || suffix == "b" ? 1 : suffix == "k" ? 1024 : suffix == "m" ? 1024 * 1024 : 0;
    if (digits == 0 || digits > 15 || unit == 0)
        throw std::invalid_argument("bad disk size '" + text + "' (use 1440k, 1200k, 720k, 360k or a byte count such as 1000000 or 650m)");
    const std::uint64_t bytes = std::stoull(lower.substr(0, digits)) * unit;
    if (bytes == 0) throw std::invalid_argument("disk size must be more than 0");
    return {bytes, 1};
}

}  // namespace gamedisk
