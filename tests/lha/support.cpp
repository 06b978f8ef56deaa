#include "support.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

#include "lha/crc16.h"

namespace lhatest {

std::string corpus(const std::string& relative) { return std::string(LZH_CORPUS) + "/" + relative; }

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<Block> readHeaderListing(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot open " + path);
    std::vector<Block> blocks;
    Block current;
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line == "--") {
            blocks.push_back(std::move(current));
            current.clear();
            continue;
        }
        auto colon = line.find(": ");
        if (colon != std::string::npos) current[line.substr(0, colon)] = line.substr(colon + 2);
    }
    if (!current.empty()) blocks.push_back(std::move(current));
    return blocks;
}

std::vector<std::string> listedArchives() {
    namespace fs = std::filesystem;
    std::vector<std::string> out;
    const std::string suffix = "-hdr.txt";
    for (const auto& folder : fs::directory_iterator(corpus("output"))) {
        if (!folder.is_directory()) continue;
        for (const auto& f : fs::directory_iterator(folder.path())) {
            std::string name = f.path().filename().string();
            if (name.size() > suffix.size() && name.compare(name.size() - suffix.size(), suffix.size(), suffix) == 0)
                out.push_back(folder.path().filename().string() + "/" + name.substr(0, name.size() - suffix.size()));
        }
    }
    std::sort(out.begin(), out.end());
    return out;
}

std::vector<Decoded> decodeAll(const std::vector<std::uint8_t>& archive, const lha::ReaderOptions& options) {
    lha::MemoryInput input(archive);
    lha::ArchiveReader reader(input, options);
    std::vector<Decoded> out;
    while (reader.next()) {
        Decoded d;
        d.header = reader.member();
        class Keeper final : public lha::Sink {
        public:
            explicit Keeper(Decoded& d) : d_(d) {}
            void write(std::span<const std::uint8_t> bytes) override {
                crc_.update(bytes);
                d_.length += bytes.size();
                d_.crc = crc_.value();
                if (d_.length <= (64u << 20)) d_.data.insert(d_.data.end(), bytes.begin(), bytes.end());
            }

        private:
            Decoded& d_;
            lha::Crc16 crc_;
        } sink(d);
        try {
            reader.extract(sink);
            d.ok = true;
        } catch (const lha::Error& e) {
            d.error = e.code();
            d.message = e.what();
        }
        out.push_back(std::move(d));
    }
    return out;
}

void BitWriter::put(std::uint32_t value, int bits) {
    for (int i = bits - 1; i >= 0; --i) {
        acc_ = acc_ << 1 | ((value >> i) & 1);
        if (++used_ == 8) {
            bytes_.push_back(static_cast<std::uint8_t>(acc_));
            acc_ = 0;
            used_ = 0;
        }
    }
}

std::vector<std::uint8_t> BitWriter::finish() {
    if (used_) bytes_.push_back(static_cast<std::uint8_t>(acc_ << (8 - used_)));
    acc_ = 0;
    used_ = 0;
    return std::move(bytes_);
}

}  // namespace lhatest
