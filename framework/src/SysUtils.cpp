#include "framework/SysUtils.h"

#include <climits>

namespace {

std::string TrimLineBreaks(std::string text) {
    while (!text.empty() && (text.back() == '\r' || text.back() == '\n' || text.back() == ' '))
        text.pop_back();
    return text;
}

bool IsLeadByte(char c) { return IsDBCSLeadByte(static_cast<BYTE>(c)) != FALSE; }

// Visits the characters of `s` in order, giving each one's first byte index
// and length (1 or 2). A lead byte at the very end counts as one byte.
template <typename Visit>
void ForEachChar(std::string_view s, Visit visit) {
    for (std::size_t i = 0; i < s.size();) {
        const std::size_t len = (IsLeadByte(s[i]) && i + 1 < s.size()) ? 2 : 1;
        visit(i, len);
        i += len;
    }
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

std::string SysErrorMessage(DWORD code) {
    char* text = nullptr;
    const DWORD len = FormatMessageA(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
        code, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string result = len && text ? std::string(text, len) : std::string();
    if (text) LocalFree(text);
    return TrimLineBreaks(result);
}

EOSError::EOSError(DWORD code) : Exception(SysErrorMessage(code)), code_(code) {}

EOleSysError::EOleSysError(HRESULT hr) : Exception(SysErrorMessage(static_cast<DWORD>(hr))), hr_(hr) {}

std::optional<std::int32_t> TryStrToInt(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ') ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    int base = 10;
    if (i < text.size() && text[i] == '$') {
        base = 16;
        ++i;
    } else if (i + 1 < text.size() && text[i] == '0' && (text[i + 1] == 'x' || text[i + 1] == 'X')) {
        base = 16;
        i += 2;
    }
    if (i == text.size()) return std::nullopt;
    std::uint64_t value = 0;
    for (; i < text.size(); ++i) {
        const int digit = base == 16 ? HexDigit(text[i]) : (text[i] >= '0' && text[i] <= '9' ? text[i] - '0' : -1);
        if (digit < 0) return std::nullopt;
        value = value * base + digit;
        if (value > 0xFFFFFFFFull) return std::nullopt;
    }
    // Hexadecimal may spell the full 32-bit pattern; decimal must fit a signed value.
    if (base == 10 && value > (negative ? 0x80000000ull : 0x7FFFFFFFull)) return std::nullopt;
    const auto bits = static_cast<std::uint32_t>(value);
    const auto magnitude = static_cast<std::int32_t>(bits);
    return negative ? static_cast<std::int32_t>(0u - bits) : magnitude;
}

std::int32_t StrToIntDef(std::string_view text, std::int32_t fallback) {
    return TryStrToInt(text).value_or(fallback);
}

bool IsPathDelimiter(std::string_view s, std::size_t index) {
    bool result = false;
    ForEachChar(s, [&](std::size_t i, std::size_t len) {
        if (i == index) result = len == 1 && s[i] == '\\';
    });
    return result;
}

std::size_t LastDelimiter(std::string_view chars, std::string_view s) {
    std::size_t found = std::string_view::npos;
    ForEachChar(s, [&](std::size_t i, std::size_t len) {
        if (len == 1 && chars.find(s[i]) != std::string_view::npos) found = i;
    });
    return found;
}

std::string ExtractFilePath(std::string_view path) {
    const std::size_t i = LastDelimiter("\\:", path);
    return std::string(path.substr(0, i == std::string_view::npos ? 0 : i + 1));
}

std::string ExtractFileName(std::string_view path) {
    const std::size_t i = LastDelimiter("\\:", path);
    return std::string(i == std::string_view::npos ? path : path.substr(i + 1));
}

std::string ChangeFileExt(std::string_view path, std::string_view ext) {
    const std::size_t i = LastDelimiter(".\\:", path);
    const std::size_t stem = (i == std::string_view::npos || path[i] != '.') ? path.size() : i;
    return std::string(path.substr(0, stem)) + std::string(ext);
}

bool DirectoryExists(const std::string& path) {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && (attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool FileExists(const std::string& path) {
    const DWORD attr = GetFileAttributesA(path.c_str());
    return attr != INVALID_FILE_ATTRIBUTES && !(attr & FILE_ATTRIBUTE_DIRECTORY);
}

bool ForceDirectories(std::string path) {
    while (!path.empty() && IsPathDelimiter(path, path.size() - 1)) path.pop_back();
    if (path.empty()) return false;
    if (DirectoryExists(path) || path.back() == ':') return DirectoryExists(path + "\\");
    const std::string parent = ExtractFilePath(path);
    if (!parent.empty() && parent != path) ForceDirectories(parent);
    return CreateDirectoryA(path.c_str(), nullptr) || DirectoryExists(path);
}
