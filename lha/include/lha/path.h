#pragma once
// Member names and safe extraction paths. Pure functions: no OS call, so the
// same answer on every flavour, and a DLL can apply them before touching disk.
//
// Member names are bytes in the archive's code page. Splitting them is
// multibyte-aware: in Shift-JIS (932) a lead byte 0x81..0x9F or 0xE0..0xFC
// takes the next byte with it, so the 0x5C trail byte of ソ (83 5C) or 表
// (95 5C) is part of the character, not a separator. 0xFF and '/' are never
// trail bytes and always separate.
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lha {

struct MemberHeader;

// True when `byte` starts a two-byte character in `codePage` (932, 936, 949,
// 950); every other code page is treated as single-byte (1252, 437, 65001...).
bool isLeadByte(unsigned codePage, std::uint8_t byte) noexcept;

// Turns every separator (0xFF, '\', '/') into '/', multibyte-aware. Sets
// *sawBackslash when a '\' separator was seen.
std::string normalizeSeparators(std::string_view bytes, unsigned codePage, bool* sawBackslash = nullptr);

// Offset of the first `c` that stands as a character of its own (not the
// trail byte of a double-byte character); npos when there is none.
std::size_t findCharacter(std::string_view bytes, char c, unsigned codePage) noexcept;

// Splits a name at its separators (0xFF, '\', '/'), multibyte-aware. Empty
// components (doubled or leading separators) are dropped.
std::vector<std::string> splitPath(std::string_view bytes, unsigned codePage);

// What resolveSafePath found in a member name. Each case is listed with what
// the routine does about it and the default policy (kDefaultRefuse) a caller
// such as the DLL applies: "rename" keeps the member under the rewritten
// name inside the target folder, "refuse" skips the member and reports it.
enum PathIssue : std::uint32_t {
    // Leading separator ("/etc/x", 0xFF-led directory, "\x"): the leading
    // separators are removed, the rest is kept.                      rename
    kPathAbsolute = 1u << 0,
    // Drive letter ("C:\x", "C:x"): the "C:" is removed.              rename
    kPathDrive = 1u << 1,
    // UNC or device namespace ("\\server\share\x", "\\?\C:\x", "//x"): the
    // leading separators (and a "?" or "." namespace part) are removed, the
    // server and share become ordinary folders inside the target.    rename
    kPathUnc = 1u << 2,
    // A ".." or "." component that stays inside the target ("a/../b"): the
    // name is collapsed lexically ("b").                              rename
    kPathDotDot = 1u << 3,
    // A ".." that would climb above the target ("../x", "a/../../x"): such
    // ".." components are dropped ("x").                              refuse
    kPathEscape = 1u << 4,
    // A '\' separator inside a level 2/3 name field, where only 0xFF is the
    // standard separator: it is taken as a separator (real archivers write
    // such names, e.g. "ソフト\表示.txt").                              rename
    kPathBackslash = 1u << 5,
    // An alternate data stream or other ':' ("file:stream", "a:b"): every
    // ':' becomes '_'.                                                rename
    kPathStream = 1u << 6,
    // A Windows device name as a component, with or without an extension or
    // trailing dots/spaces (CON, PRN, AUX, NUL, COM1..COM9, LPT1..LPT9,
    // CONIN$, CONOUT$, also COM¹²³ forms): the component gets a '_' prefix
    // ("_NUL.txt").                                                   rename
    kPathDevice = 1u << 7,
    // Characters Windows refuses in names (< > " | ? * and control bytes
    // 0x01..0x1F): each becomes '_'.                                  rename
    kPathBadChar = 1u << 8,
    // A component ending in '.' or ' ' (Windows would silently strip them and
    // merge "a." with "a"): each trailing dot or space becomes '_'.   rename
    kPathTrailing = 1u << 9,
    // A symbolic link entry (-lhd- with a link target): never created, so no
    // later member can be written through it.                         refuse
    kPathSymlink = 1u << 10,
    // Nothing is left of the name (empty, or only separators, "." and ".."):
    // there is no file to write.                                      refuse
    kPathEmpty = 1u << 11,
};

constexpr std::uint32_t kDefaultRefuse = kPathEscape | kPathSymlink | kPathEmpty;

// Returns a short English name of one PathIssue bit ("absolute", "drive"...).
const char* pathIssueName(std::uint32_t issue) noexcept;

struct SafePath {
    std::string path;          // relative path, components joined by the separator; empty when refused
    std::uint32_t issues = 0;  // every PathIssue found, whether renamed or refused
    bool refused = false;      // an issue in the policy's refuse set was found
    bool ok() const noexcept { return !refused; }
};

struct SafePathOptions {
    // The code page in which the file system will read the bytes (the DLL:
    // GetACP(), as the ANSI API does). Safety is judged as the OS will split
    // the name, whatever code page the archive was written in.
    unsigned codePage = 932;
    std::uint32_t refuse = kDefaultRefuse;  // issues that refuse instead of renaming
    char separator = '/';              // joins the output components ('\\' for Windows)
};

// Maps a member name (separators 0xFF, '\' or '/') to a relative path that
// stays inside any target folder, and classifies what it had to change.
// `knownIssues` adds issues the header told (kPathBackslash, kPathSymlink).
SafePath resolveSafePath(std::string_view name, const SafePathOptions& options = {}, std::uint32_t knownIssues = 0);

// Same for a member: uses its path, its symlink flag and its level-2
// backslash flag.
SafePath resolveSafePath(const MemberHeader& member, const SafePathOptions& options = {});

}  // namespace lha
