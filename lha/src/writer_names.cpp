#include "writer_names.h"

#include <stdexcept>

namespace lha::writer_detail {

bool isLeadByte(unsigned char byte, unsigned codePage) {
    switch (codePage) {
        case 932: return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
        case 936:
        case 949:
        case 950: return byte >= 0x81 && byte <= 0xFE;
        default: return false;
    }
}

std::vector<std::string> splitArchivePath(std::string_view path, unsigned codePage) {
    if (path.size() >= 2 && path[1] == ':') throw std::invalid_argument("archive path has a drive letter: " + std::string(path));
    std::vector<std::string> parts;
    std::string current;
    auto endComponent = [&] {
        if (current == "..") throw std::invalid_argument("archive path leaves its folder: " + std::string(path));
        if (!current.empty() && current != ".") parts.push_back(current);
        current.clear();
    };
    for (std::size_t i = 0; i < path.size(); ++i) {
        const auto byte = static_cast<unsigned char>(path[i]);
        if (isLeadByte(byte, codePage) && i + 1 < path.size()) {
            current += path.substr(i, 2);
            ++i;
        } else if (byte == '/' || byte == '\\') {
            endComponent();
        } else if (byte == 0xFF || byte == 0) {
            throw std::invalid_argument("archive path holds a byte that cannot be stored: " + std::string(path));
        } else {
            current += static_cast<char>(byte);
        }
    }
    endComponent();
    if (parts.empty()) throw std::invalid_argument("empty archive path");
    return parts;
}

}  // namespace lha::writer_detail
