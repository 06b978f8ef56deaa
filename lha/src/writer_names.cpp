#include "writer_names.h"

#include <algorithm>

#include "lha/error.h"
#include "lha/path.h"

namespace lha::writer_detail {

std::vector<std::string> splitMemberPath(std::string_view path, unsigned codePage) {
    auto refuse = [&](const char* why) { return Error(Errc::BadHeader, std::string(why) + ": " + std::string(path)); };
    if (path.find('\0') != std::string_view::npos || path.find('\xFF') != std::string_view::npos)
        throw refuse("member name holds a byte that cannot be stored");
    if (path.size() >= 2 && path[1] == ':') throw refuse("member name has a drive letter");
    auto parts = splitPath(path, codePage);
    if (parts.empty()) throw refuse("empty member name");
    if (std::any_of(parts.begin(), parts.end(), [](const std::string& p) { return p == "." || p == ".."; }))
        throw refuse("member name has a \".\" or \"..\" component");
    return parts;
}

}  // namespace lha::writer_detail
