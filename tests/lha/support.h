#pragma once
// Shared helpers of the LHA tests: the corpus location, its expected header
// listings (output/<folder>/<archive>-hdr.txt) and small byte utilities.
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "lha/reader.h"

namespace lhatest {

std::string corpus(const std::string& relative);
std::vector<std::uint8_t> readFile(const std::string& path);

// One member block of a -hdr.txt file: key -> value.
using Block = std::map<std::string, std::string>;
std::vector<Block> readHeaderListing(const std::string& path);

// Every output/<folder>/<archive>-hdr.txt, as "<folder>/<archive>".
std::vector<std::string> listedArchives();

// Every member of an in-memory archive with its decoded data or the error.
// The data of a member above 64 MiB is not kept; its length and CRC are.
struct Decoded {
    lha::MemberHeader header;
    std::vector<std::uint8_t> data;
    std::uint64_t length = 0;
    std::uint16_t crc = 0;
    bool ok = false;
    lha::Errc error{};
    std::string message;
};
std::vector<Decoded> decodeAll(const std::vector<std::uint8_t>& archive, const lha::ReaderOptions& options = {});

// MSB-first bit writer for crafting compressed streams.
class BitWriter {
public:
    void put(std::uint32_t value, int bits);
    std::vector<std::uint8_t> finish();

private:
    std::vector<std::uint8_t> bytes_;
    std::uint32_t acc_ = 0;
    int used_ = 0;
};

}  // namespace lhatest
