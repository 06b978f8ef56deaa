#pragma once
// Path handling on the writing side: splitting a name in the archive's code
// page into folder components without mistaking a double-byte character's
// trail byte for a separator.
#include <string>
#include <string_view>
#include <vector>

namespace lha::writer_detail {

bool isLeadByte(unsigned char byte, unsigned codePage);

// Components of a relative path; empty components and "." are dropped, and
// ".." or a drive/absolute form is rejected with an exception.
std::vector<std::string> splitArchivePath(std::string_view path, unsigned codePage);

}  // namespace lha::writer_detail
