#pragma once
// File names between the file system and an archive's code page: the
// platform's own conversion (iconv, or the Win32 code page functions).
#include <filesystem>
#include <string>

namespace lzhpack {

// The bytes of `name` in `codePage` (65001 = UTF-8). Throws lha::Error when a
// character has no exact equivalent there.
std::string toCodePage(const std::filesystem::path& name, unsigned codePage);

// The same for text given on the command line in the local encoding.
std::string textToCodePage(const std::string& localText, unsigned codePage);

// A path given on the command line (the local encoding: ANSI code page on
// Windows, bytes elsewhere).
std::filesystem::path localPath(const std::string& text);

}  // namespace lzhpack
