#pragma once
// LHA member headers: levels 0, 1, 2 and 3 with their checksums, header CRCs
// and the extended headers real archives carry.
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "lha/io.h"

namespace lha {

enum class Method : std::uint8_t {
    Lh0, Lh1, Lh2, Lh3, Lh4, Lh5, Lh6, Lh7, Lhd,
    Lzs, Lz4, Lz5,
    Lk7,      // LHARK's incompatible "-lh7-" (level 1, OS byte 0x20)
    Pm0, Pm1, Pm2,
    Unknown,  // any other "-xxx-" identifier
};

// The five-character identifier ("-lh5-") for a known method.
std::string_view methodId(Method m) noexcept;
// The method named by a five-character identifier; Unknown when not known.
Method methodFromId(std::string_view id) noexcept;

// DOS attribute bits (level-0 byte 19, extended header 0x40).
enum : std::uint8_t {
    kAttrReadOnly = 0x01, kAttrHidden = 0x02, kAttrSystem = 0x04,
    kAttrDirectory = 0x10, kAttrArchive = 0x20,
};

// One member header as read from the archive. Names are bytes in the
// archive's code page, never converted.
struct MemberHeader {
    // Identification.
    std::array<char, 5> methodId{};    // as stored, e.g. "-lh5-"
    Method method = Method::Unknown;   // Lk7 when LHARK's "-lh7-" was detected
    int level = 0;                     // header level 0..3
    std::uint8_t os = 0;               // OS ID byte (levels 1..3; 0 at level 0)

    // Sizes (64-bit after extended header 0x42) and the data check.
    std::uint64_t compressedSize = 0;
    std::uint64_t originalSize = 0;
    std::uint16_t crc = 0;             // CRC-16 of the decoded data
    bool hasCrc = true;                // false for the level-0 form without a CRC field

    // Names. `path` is the full member path: directory then file name, every
    // separator (0xFF, '\', '/') turned into '/', walked multibyte-aware in
    // the code page (a Shift-JIS trail byte 0x5C is not a separator), the
    // name cut at its first NUL. It is NOT sanitised: see lha/path.h before
    // using it on a file system. A directory entry's path has no trailing '/'.
    std::string path;
    std::string rawName;               // the file-name bytes as stored (base field or 0x01)
    std::string rawDirectory;          // extended header 0x02 as stored (0xFF separators)
    std::u16string utf16Name;          // extended header 0x44, when present
    std::u16string utf16Directory;     // extended header 0x45, when present
    std::string comment;               // after a NUL in the name, 0x3F or 0x71
    unsigned codePage = 0;             // code page used for `path` (0x46 when present)
    bool backslashInName = false;      // a level 2/3 name held '\' separators

    // Kind.
    bool isDirectory = false;          // -lhd- (not a symlink), or an Amiga -lh0- directory
    bool isSymlink = false;            // -lhd- with a Unix mode of type 0120000 or a "|target"
    std::string symlinkTarget;         // bytes after '|' for a symlink

    // Attributes and times. Absent fields are std::nullopt.
    std::uint8_t attributes = 0;       // DOS attributes (level-0 byte 19, or 0x40)
    bool hasAttributes = false;
    std::uint32_t dosTime = 0;         // levels 0/1: date<<16 | time, local time; 0 = unset
    std::optional<std::int64_t> unixTime;        // levels 2/3 base field, or 0x54, or the 'U' area
    std::optional<std::uint64_t> creationTime;   // FILETIME, 0x41 (or 0x7F/0xFF converted)
    std::optional<std::uint64_t> modificationTime;
    std::optional<std::uint64_t> accessTime;
    std::optional<std::uint16_t> unixMode;       // 0x50 or the 'U' area (with S_IFMT bits)
    std::optional<std::uint16_t> unixUid;
    std::optional<std::uint16_t> unixGid;

    // Where it lies in the archive.
    std::uint64_t headerOffset = 0;    // first byte of the header
    std::uint64_t dataOffset = 0;      // first byte of the compressed data
    std::uint32_t headerSize = 0;      // dataOffset - headerOffset
    std::optional<std::uint16_t> headerCrc;  // extended header 0x00, verified when present

    // The modification time as Unix seconds: 0x41, then 0x54/base Unix time,
    // then the DOS time read as UTC-less local time converted with `tzOffset`
    // seconds east of UTC. nullopt when the header carries no time.
    std::optional<std::int64_t> mtimeUnix(std::int64_t tzOffset = 0) const;
};

struct HeaderOptions {
    // Code page of the names when the archive does not say (0x46): 932 walks
    // Shift-JIS, 936/949/950 the other double-byte code pages, anything else
    // is single-byte. A DLL passes the system's ANSI code page.
    unsigned codePage = 932;
    // Levels 2/3: the most bytes a header may take; the level-3 cap is 1 MiB.
    std::uint32_t maxHeaderSize = 1u << 20;
};

// Reads the member header at `offset`. Returns nullopt at the end of the
// archive: a 0x00 byte where a header would start, or the end of the input.
// Throws Error (BadHeader, BadHeaderCrc, Truncated) on a malformed header.
std::optional<MemberHeader> readHeader(Input& in, std::uint64_t offset, const HeaderOptions& options = {});

// True when a valid member header starts at `offset` (the self-extractor
// scan test: identifier, level, checksum or header CRC all good).
bool isHeaderAt(Input& in, std::uint64_t offset, const HeaderOptions& options = {});

// Finds the first member header: offset 0, or the first valid header within
// the first `scanLimit` bytes of a self-extracting file, skipping the decoy
// archive of an Amiga LhASFX stub. nullopt when there is none.
std::optional<std::uint64_t> findArchiveStart(Input& in, std::uint64_t scanLimit = 256 * 1024,
                                              const HeaderOptions& options = {});

}  // namespace lha
