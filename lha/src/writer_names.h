#pragma once
// Checks a member path before it is written into a header.
#include <string>
#include <string_view>
#include <vector>

namespace lha::writer_detail {

// Components of a relative member path (separators '/' and '\', split
// multibyte-aware); rejects what no reader could store safely: ".." or ".",
// a drive, a 0xFF or NUL byte, an empty path.
std::vector<std::string> splitMemberPath(std::string_view path, unsigned codePage);

}  // namespace lha::writer_detail
