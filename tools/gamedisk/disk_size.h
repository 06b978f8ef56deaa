#pragma once
// Disk capacities: a floppy format by name, counted in whole clusters as its
// file system stores files, or a plain byte count.
#include <cstdint>
#include <string>

namespace gamedisk {

struct DiskSize {
    std::uint64_t capacity;  // bytes available to files
    std::uint64_t cluster;   // every file takes a multiple of this
    std::uint64_t usage(std::uint64_t fileBytes) const { return (fileBytes + cluster - 1) / cluster * cluster; }
};

// "1440k" (3.5-inch HD), "1200k", "720k", "360k", or a byte count with an
// optional k or m suffix (1024-based): "1000000", "650m". Throws
// std::invalid_argument otherwise.
DiskSize parseDiskSize(const std::string& text);

}  // namespace gamedisk
