#include "lha/path.h"

#include <array>
#include <cstring>

#include "lha/header.h"

namespace lha {
namespace {

bool isSeparator(std::uint8_t b) { return b == '/' || b == '\\' || b == 0xFF; }

// Trail bytes of the double-byte code pages are all 0x40 or above, so a
// separator other than '\', a dot, a space, ':' or a control byte never
// hides inside a character; a lead byte followed by anything else stands alone.
bool isTrailByte(unsigned codePage, std::uint8_t b) {
    if (codePage == 932) return (b >= 0x40 && b <= 0x7E) || (b >= 0x80 && b <= 0xFC);
    return b >= 0x40 && b <= 0xFE && b != 0x7F;
}

// Calls f(offset, length) for each character: one byte, or a lead byte with
// its trail byte.
template <class F>
void forEachChar(std::string_view s, unsigned codePage, F&& f) {
    for (std::size_t i = 0; i < s.size();) {
        std::size_t n = (i + 1 < s.size() && isLeadByte(codePage, static_cast<std::uint8_t>(s[i])) &&
                         isTrailByte(codePage, static_cast<std::uint8_t>(s[i + 1])))
                            ? 2
                            : 1;
        f(i, n);
        i += n;
    }
}

char upper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }

// CON, PRN, AUX, NUL, COM0-9, LPT0-9 (and the superscript-digit forms in
// code page 1252: B9 B2 B3), CONIN$, CONOUT$: Windows maps these names to
// devices whatever follows the first dot, and ignores trailing spaces.
bool isDeviceName(std::string_view component) {
    std::size_t end = component.find('.');
    std::string_view stem = component.substr(0, end);
    while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
    std::string up;
    for (char c : stem) up += upper(c);
    static constexpr std::array<std::string_view, 6> plain = {"CON", "PRN", "AUX", "NUL", "CONIN$", "CONOUT$"};
    for (auto d : plain)
        if (up == d) return true;
    if (up.size() == 4 && (up.compare(0, 3, "COM") == 0 || up.compare(0, 3, "LPT") == 0)) {
        auto d = static_cast<std::uint8_t>(up[3]);
        return (d >= '0' && d <= '9') || d == 0xB9 || d == 0xB2 || d == 0xB3;
    }
    return false;
}

}  // namespace

bool isLeadByte(unsigned codePage, std::uint8_t b) noexcept {
    switch (codePage) {
    case 932: return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    case 936:
    case 949:
    case 950: return b >= 0x81 && b <= 0xFE;
    default: return false;
    }
}

std::string normalizeSeparators(std::string_view bytes, unsigned codePage, bool* sawBackslash) {
    std::string out(bytes);
    forEachChar(bytes, codePage, [&](std::size_t i, std::size_t n) {
        if (n == 1 && isSeparator(static_cast<std::uint8_t>(bytes[i]))) {
            if (bytes[i] == '\\' && sawBackslash) *sawBackslash = true;
            out[i] = '/';
        }
    });
    return out;
}

std::size_t findCharacter(std::string_view bytes, char c, unsigned codePage) noexcept {
    std::size_t found = std::string_view::npos;
    forEachChar(bytes, codePage, [&](std::size_t i, std::size_t n) {
        if (found == std::string_view::npos && n == 1 && bytes[i] == c) found = i;
    });
    return found;
}

std::vector<std::string> splitPath(std::string_view bytes, unsigned codePage) {
    std::vector<std::string> parts;
    std::string current;
    forEachChar(bytes, codePage, [&](std::size_t i, std::size_t n) {
        if (n == 1 && isSeparator(static_cast<std::uint8_t>(bytes[i]))) {
            if (!current.empty()) parts.push_back(std::move(current));
            current.clear();
        } else {
            current.append(bytes.substr(i, n));
        }
    });
    if (!current.empty()) parts.push_back(std::move(current));
    return parts;
}

const char* pathIssueName(std::uint32_t issue) noexcept {
    switch (issue) {
    case kPathAbsolute: return "absolute path";
    case kPathDrive: return "drive letter";
    case kPathUnc: return "UNC path";
    case kPathDotDot: return "dot component";
    case kPathEscape: return "path climbs out of the target";
    case kPathBackslash: return "backslash in a level 2/3 name";
    case kPathStream: return "alternate data stream";
    case kPathDevice: return "device name";
    case kPathBadChar: return "invalid character";
    case kPathTrailing: return "trailing dot or space";
    case kPathSymlink: return "symbolic link";
    case kPathEmpty: return "empty name";
    default: return "path issue";
    }
}

SafePath resolveSafePath(std::string_view name, const SafePathOptions& options, std::uint32_t knownIssues) {
    SafePath result;
    result.issues = knownIssues;
    const unsigned cp = options.codePage;

    // Leading separators: one means an absolute path, two or more a UNC or
    // device-namespace name.
    std::size_t lead = 0;
    while (lead < name.size() && isSeparator(static_cast<std::uint8_t>(name[lead]))) ++lead;
    if (lead == 1) result.issues |= kPathAbsolute;
    if (lead >= 2) result.issues |= kPathUnc;
    std::vector<std::string> parts = splitPath(name.substr(lead), cp);

    // "\\?\..." and "\\.\...": drop the namespace marker.
    if (lead >= 2 && !parts.empty() && (parts[0] == "?" || parts[0] == ".")) parts.erase(parts.begin());
    // A drive letter: "C:" alone as the first component, or leading "C:name".
    if (!parts.empty() && parts[0].size() >= 2 && parts[0][1] == ':' &&
        ((parts[0][0] >= 'A' && parts[0][0] <= 'Z') || (parts[0][0] >= 'a' && parts[0][0] <= 'z'))) {
        result.issues |= kPathDrive;
        parts[0].erase(0, 2);
        if (parts[0].empty()) parts.erase(parts.begin());
    }

    std::vector<std::string> out;
    for (std::string& part : parts) {
        if (part == ".") {
            result.issues |= kPathDotDot;
            continue;
        }
        if (part == "..") {
            if (out.empty()) {
                result.issues |= kPathEscape;
            } else {
                result.issues |= kPathDotDot;
                out.pop_back();
            }
            continue;
        }
        std::string clean;
        forEachChar(part, cp, [&](std::size_t i, std::size_t n) {
            if (n == 2) {
                clean.append(part, i, 2);
                return;
            }
            auto c = static_cast<std::uint8_t>(part[i]);
            if (c == ':') {
                result.issues |= kPathStream;
                clean += '_';
            } else if (c < 0x20 || c == '<' || c == '>' || c == '"' || c == '|' || c == '?' || c == '*') {
                result.issues |= kPathBadChar;
                clean += '_';
            } else {
                clean += static_cast<char>(c);
            }
        });
        // Trailing dots and spaces (never trail bytes, so plain bytes here).
        for (std::size_t i = clean.size(); i > 0 && (clean[i - 1] == '.' || clean[i - 1] == ' '); --i) {
            result.issues |= kPathTrailing;
            clean[i - 1] = '_';
        }
        if (isDeviceName(clean)) {
            result.issues |= kPathDevice;
            clean.insert(clean.begin(), '_');
        }
        out.push_back(std::move(clean));
    }
    if (out.empty()) result.issues |= kPathEmpty;

    if (result.issues & options.refuse) {
        result.refused = true;
        return result;
    }
    for (std::size_t i = 0; i < out.size(); ++i) {
        if (i) result.path += options.separator;
        result.path += out[i];
    }
    return result;
}

SafePath resolveSafePath(const MemberHeader& member, const SafePathOptions& options) {
    std::uint32_t known = 0;
    if (member.backslashInName) known |= kPathBackslash;
    if (member.isSymlink) known |= kPathSymlink;
    return resolveSafePath(member.path, options, known);
}

}  // namespace lha
