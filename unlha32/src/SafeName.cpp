#include "SafeName.h"

#include <windows.h>

#include "lha/path.h"

namespace unlha {
namespace {

// Renamed names are kept; these have no safe reading inside the folder.
constexpr std::uint32_t kRefused = lha::kPathEscape | lha::kPathSymlink | lha::kPathEmpty;

// Names recorded in another code page (extended header 0x46) are converted,
// so that the ANSI file API sees the characters the archive meant. No
// best-fit mapping: it could turn a harmless character into a separator.
std::string recode(const std::string& bytes, unsigned from, unsigned to) {
    if (bytes.empty() || from == to) return bytes;
    const int wideLength = MultiByteToWideChar(from, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (wideLength <= 0) return bytes;
    std::wstring wide(static_cast<std::size_t>(wideLength), L'\0');
    MultiByteToWideChar(from, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), wideLength);
    const DWORD flags = to == CP_UTF8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const char* fallback = to == CP_UTF8 ? nullptr : "_";
    const int length = WideCharToMultiByte(to, flags, wide.data(), wideLength, nullptr, 0, fallback, nullptr);
    if (length <= 0) return bytes;
    std::string out(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(to, flags, wide.data(), wideLength, out.data(), length, fallback, nullptr);
    return out;
}

// Windows pairs a lead byte with whatever follows it, so a lead byte that
// ends a component would swallow the backslash joined after it.
void replaceDanglingLeadByte(std::string& component, unsigned codePage) {
    std::size_t i = 0;
    while (i < component.size()) {
        const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(component[i]));
        if (lead && i + 1 == component.size()) {
            component[i] = '_';
            return;
        }
        i += lead ? 2 : 1;
    }
}

std::vector<std::string> splitAtSlashes(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t slash; (slash = path.find('/', start)) != std::string::npos; start = slash + 1)
        parts.push_back(path.substr(start, slash - start));
    parts.push_back(path.substr(start));
    return parts;
}

std::string refusalText(std::uint32_t issues) {
    std::string text;
    for (std::uint32_t bit = 1; bit; bit <<= 1) {
        if (!(issues & kRefused & bit)) continue;
        if (!text.empty()) text += ", ";
        text += lha::pathIssueName(bit);
    }
    return text;
}

}  // namespace

std::string joinPath(const std::vector<std::string>& parts) {
    std::string joined;
    for (const std::string& part : parts) joined += (joined.empty() ? "" : "\\") + part;
    return joined;
}

MemberPath safeMemberPath(const lha::MemberHeader& member, unsigned systemCodePage) {
    const std::string name = recode(member.path, member.codePage, systemCodePage);
    std::uint32_t known = 0;
    if (member.backslashInName) known |= lha::kPathBackslash;
    if (member.isSymlink) known |= lha::kPathSymlink;
    // '/' is never the second byte of a double-byte character, so the
    // result splits back into its components byte by byte.
    const lha::SafePath safe = lha::resolveSafePath(name, {systemCodePage, kRefused, '/'}, known);

    MemberPath result;
    if (safe.refused) {
        result.shown = name;
        result.nothingToDo = member.isDirectory && (safe.issues & kRefused) == lha::kPathEmpty;
        result.refused = !result.nothingToDo;
        result.refusal = refusalText(safe.issues);
        return result;
    }
    result.components = splitAtSlashes(safe.path);
    for (std::string& part : result.components) replaceDanglingLeadByte(part, systemCodePage);
    result.shown = joinPath(result.components);
    return result;
}

}  // namespace unlha
