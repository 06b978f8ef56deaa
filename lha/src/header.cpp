#include "lha/header.h"

#include <algorithm>
#include <cstring>
#include <vector>

#include "lha/crc16.h"
#include "lha/error.h"
#include "lha/path.h"

namespace lha {
namespace {

struct MethodName {
    Method method;
    const char* id;
};
constexpr MethodName kMethods[] = {
    {Method::Lh0, "-lh0-"}, {Method::Lh1, "-lh1-"}, {Method::Lh2, "-lh2-"}, {Method::Lh3, "-lh3-"},
    {Method::Lh4, "-lh4-"}, {Method::Lh5, "-lh5-"}, {Method::Lh6, "-lh6-"}, {Method::Lh7, "-lh7-"},
    {Method::Lhd, "-lhd-"}, {Method::Lzs, "-lzs-"}, {Method::Lz4, "-lz4-"}, {Method::Lz5, "-lz5-"},
    {Method::Lk7, "-lk7-"}, {Method::Pm0, "-pm0-"}, {Method::Pm1, "-pm1-"}, {Method::Pm2, "-pm2-"},
};

constexpr std::size_t kBaseSize = 22;            // bytes 0..21 are common to every level
constexpr std::size_t kMaxExtendedHeaders = 256;  // per member
constexpr std::uint64_t kUnixEpochFiletime = 116444736000000000ull;

std::uint16_t u16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t u32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
           static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t u64(const std::uint8_t* p) { return u32(p) | static_cast<std::uint64_t>(u32(p + 4)) << 32; }

[[noreturn]] void fail(Errc code, std::uint64_t offset, const std::string& what) {
    throw Error(code, what + " (header at offset " + std::to_string(offset) + ")");
}

// Reads exactly out.size() bytes or fails as truncated.
void readExact(Input& in, std::uint64_t offset, std::uint8_t* out, std::size_t n, std::uint64_t headerOffset) {
    std::size_t got = in.readAt(offset, std::span<std::uint8_t>(out, n));
    if (got != n) fail(Errc::Truncated, headerOffset, "archive ends inside a member header");
}

bool looksLikeHeader(const std::uint8_t* b) {
    auto idChar = [](std::uint8_t c) { return (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z'); };
    return b[2] == '-' && b[6] == '-' && idChar(b[3]) && idChar(b[4]) && idChar(b[5]) && b[20] <= 3;
}

// Cuts a name field at its first NUL; what follows is a comment.
void cutAtNul(std::string& name, std::string& comment) {
    std::size_t nul = name.find('\0');
    if (nul == std::string::npos) return;
    std::string rest = name.substr(nul + 1);
    while (!rest.empty() && rest.back() == '\0') rest.pop_back();
    if (!rest.empty() && comment.empty()) comment = rest;
    name.resize(nul);
}

struct Parsed {
    MemberHeader h;
    bool haveName = false;     // extended header 0x01 seen
    bool haveDir = false;      // extended header 0x02 seen
    bool have42 = false;
    std::size_t crcFieldAt = 0;  // offset in the header bytes of the 0x00 CRC field
    bool haveCrcField = false;
};

// Applies one extended header. `data` excludes the type byte and the next-size field.
void applyExtended(Parsed& p, std::uint8_t type, const std::uint8_t* data, std::size_t n, std::size_t dataPos) {
    MemberHeader& h = p.h;
    switch (type) {
    case 0x00:
        if (n >= 2 && !p.haveCrcField) {
            p.haveCrcField = true;
            p.crcFieldAt = dataPos;
            h.headerCrc = u16(data);
        }
        break;
    case 0x01:
        h.rawName.assign(reinterpret_cast<const char*>(data), n);
        p.haveName = true;
        break;
    case 0x02:
        h.rawDirectory.assign(reinterpret_cast<const char*>(data), n);
        p.haveDir = true;
        break;
    case 0x3F:
    case 0x71: h.comment.assign(reinterpret_cast<const char*>(data), n); break;
    case 0x40:
        if (n >= 1) {
            h.attributes = data[0];
            h.hasAttributes = true;
        }
        break;
    case 0x41:
        if (n >= 24) {
            h.creationTime = u64(data);
            h.modificationTime = u64(data + 8);
            h.accessTime = u64(data + 16);
        }
        break;
    case 0x42:
        if (n >= 16) {
            h.compressedSize = u64(data);
            h.originalSize = u64(data + 8);
            p.have42 = true;
        }
        break;
    case 0x44:
    case 0x45: {
        std::u16string s;
        for (std::size_t i = 0; i + 1 < n; i += 2) s.push_back(static_cast<char16_t>(u16(data + i)));
        while (!s.empty() && s.back() == 0) s.pop_back();
        (type == 0x44 ? h.utf16Name : h.utf16Directory) = std::move(s);
        break;
    }
    case 0x46:
        if (n >= 4) h.codePage = u32(data);
        else if (n >= 2) h.codePage = u16(data);
        break;
    case 0x50:
        if (n >= 2) h.unixMode = u16(data);
        break;
    case 0x51:
        if (n >= 4) {
            h.unixGid = u16(data);
            h.unixUid = u16(data + 2);
        }
        break;
    case 0x54:
        if (n >= 4) h.unixTime = u32(data);
        break;
    case 0x7F:  // OS/2 level 3: attributes, mode, gid, uid, creation time, access time
        if (n >= 16) {
            h.attributes = static_cast<std::uint8_t>(u16(data));
            h.hasAttributes = true;
            h.unixMode = u16(data + 2);
            h.unixGid = u16(data + 4);
            h.unixUid = u16(data + 6);
            h.creationTime = u32(data + 8) * 10000000ull + kUnixEpochFiletime;
            h.accessTime = u32(data + 12) * 10000000ull + kUnixEpochFiletime;
        }
        break;
    case 0xFF:  // level 3 Unix information: mode, gid, uid, creation time, access time
        if (n >= 20) {
            h.unixMode = static_cast<std::uint16_t>(u32(data));
            h.unixGid = static_cast<std::uint16_t>(u32(data + 4));
            h.unixUid = static_cast<std::uint16_t>(u32(data + 8));
            h.creationTime = u32(data + 12) * 10000000ull + kUnixEpochFiletime;
            h.accessTime = u32(data + 16) * 10000000ull + kUnixEpochFiletime;
        }
        break;
    default: break;  // unknown types are skipped by their size
    }
}

// Walks an extended-header chain inside `buf` from `pos`, the first size being
// `next`. `sizeBytes` is 2 (levels 1, 2) or 4 (level 3). Returns the end.
std::size_t walkChain(Parsed& p, const std::vector<std::uint8_t>& buf, std::size_t pos, std::uint64_t next,
                      std::size_t sizeBytes, std::size_t limit, std::uint64_t offset) {
    std::size_t count = 0;
    while (next != 0) {
        if (++count > kMaxExtendedHeaders) fail(Errc::BadHeader, offset, "too many extended headers");
        if (next < 1 + sizeBytes) fail(Errc::BadHeader, offset, "extended header smaller than its fields");
        if (next > limit || pos > limit - next) fail(Errc::BadHeader, offset, "extended header past the header end");
        const std::uint8_t* e = buf.data() + pos;
        std::size_t dataLen = static_cast<std::size_t>(next) - 1 - sizeBytes;
        applyExtended(p, e[0], e + 1, dataLen, pos + 1);
        const std::uint8_t* sz = e + 1 + dataLen;
        pos += static_cast<std::size_t>(next);
        next = sizeBytes == 2 ? u16(sz) : u32(sz);
    }
    return pos;
}

void checkHeaderCrc(Parsed& p, std::vector<std::uint8_t>& buf, std::uint64_t offset) {
    if (!p.haveCrcField) return;
    buf[p.crcFieldAt] = 0;
    buf[p.crcFieldAt + 1] = 0;
    std::uint16_t crc = crc16(buf);
    if (crc != *p.h.headerCrc) fail(Errc::BadHeaderCrc, offset, "header CRC mismatch");
}

// Directory then file name, separators unified, the result with '/' only
// between components (a leading '/' kept: the safe-path routine needs it).
void buildPath(Parsed& p, unsigned codePage) {
    MemberHeader& h = p.h;
    bool backslash = false;
    std::string dir = normalizeSeparators(h.rawDirectory, codePage, h.level >= 2 ? &backslash : nullptr);
    std::string name = normalizeSeparators(h.rawName, codePage, h.level >= 2 ? &backslash : nullptr);
    h.backslashInName = backslash;
    std::string full = dir;
    if (!full.empty() && !name.empty() && full.back() != '/') full += '/';
    full += name;

    // Symlinks: "name|target", the '|' found walking multibyte-aware.
    bool modeLink = h.unixMode && (*h.unixMode & 0170000) == 0120000;
    if (h.method == Method::Lhd) {
        std::size_t bar = findCharacter(full, '|', codePage);
        if (bar != std::string::npos) {
            h.symlinkTarget = full.substr(bar + 1);
            full.resize(bar);
            h.isSymlink = true;
        } else if (modeLink) {
            h.isSymlink = true;
        }
    }

    // Collapse doubled separators and drop a trailing one; keep one leading.
    std::string out;
    for (std::size_t i = 0; i < full.size(); ++i) {
        if (full[i] == '/' && !out.empty() && out.back() == '/') continue;
        out += full[i];
    }
    bool endsWithSeparator = out.size() > 1 && out.back() == '/';
    if (endsWithSeparator) out.pop_back();
    h.path = std::move(out);

    if (h.method == Method::Lhd) {
        h.isDirectory = !h.isSymlink;
    } else if (h.method == Method::Lh0 && h.originalSize == 0 &&
               ((h.os == 'A' && name.empty() && !dir.empty()) || (!name.empty() && name.back() == '/'))) {
        // Amiga LhA stores directories as empty -lh0- members.
        h.isDirectory = true;
    }
}

// Levels 0 and 1: a byte-sized header with an 8-bit checksum; level 1 adds
// extended headers after it, counted in the member's skip size. Returns where
// the data starts.
std::size_t parseLevel01(Parsed& p, Input& in, std::uint64_t offset, const std::uint8_t* base, const HeaderOptions& options,
                         std::vector<std::uint8_t>& buf) {
    MemberHeader& h = p.h;
    std::size_t H = base[0];
    std::size_t N = base[21];
    std::size_t minH = h.level == 0 ? 20 + N : 25 + N;
    if (H < minH || (h.level == 0 && H == 21 + N))
        fail(Errc::BadHeader, offset, "header size too small for its name");
    buf.resize(H + 2);
    readExact(in, offset, buf.data(), buf.size(), offset);
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < H + 2; ++i) sum = static_cast<std::uint8_t>(sum + buf[i]);
    if (sum != buf[1]) fail(Errc::BadHeader, offset, "header checksum mismatch");
    h.compressedSize = u32(&buf[7]);
    h.originalSize = u32(&buf[11]);
    h.dosTime = u32(&buf[15]);
    h.rawName.assign(reinterpret_cast<const char*>(&buf[22]), N);
    cutAtNul(h.rawName, h.comment);

    if (h.level == 0) {
        h.attributes = buf[19];
        h.hasAttributes = true;
        if (H >= 22 + N) {
            h.crc = u16(&buf[22 + N]);
            // Optional extended area up to H+2, led by an OS ID (other writers
            // keep comments there). 'U' holds time, mode, uid, gid; OS-9/68k
            // ('K') puts the last three at its end.
            std::size_t ext = 24 + N, end = H + 2;
            if (end > ext && (buf[ext] == 'U' || buf[ext] == 'K' || buf[ext] == '9')) h.os = buf[ext];
            if (end >= ext + 12 && (buf[ext] == 'U' || buf[ext] == 'K')) {
                h.unixTime = u32(&buf[ext + 2]);
                h.unixMode = u16(&buf[end - 6]);
                h.unixUid = u16(&buf[end - 4]);
                h.unixGid = u16(&buf[end - 2]);
            }
        } else {
            h.hasCrc = false;
        }
        return H + 2;
    }

    h.crc = u16(&buf[22 + N]);
    h.os = buf[24 + N];
    std::uint64_t skip = h.compressedSize;
    // Extended headers follow the base header; they count in the skip size.
    std::uint64_t next = u16(&buf[H]);
    std::size_t pos = H + 2;
    std::size_t count = 0;
    while (next != 0) {
        if (++count > kMaxExtendedHeaders) fail(Errc::BadHeader, offset, "too many extended headers");
        if (next < 3) fail(Errc::BadHeader, offset, "extended header smaller than its fields");
        if ((pos - (H + 2)) + next > skip) fail(Errc::BadHeader, offset, "extended headers exceed the skip size");
        if (pos + next > options.maxHeaderSize) fail(Errc::BadHeader, offset, "header too large");
        buf.resize(pos + next);
        readExact(in, offset + pos, buf.data() + pos, static_cast<std::size_t>(next), offset);
        const std::uint8_t* e = buf.data() + pos;
        std::size_t dataLen = static_cast<std::size_t>(next) - 3;
        applyExtended(p, e[0], e + 1, dataLen, pos + 1);
        pos += static_cast<std::size_t>(next);
        next = u16(&buf[pos - 2]);
    }
    std::uint64_t extTotal = pos - (H + 2);
    if (!p.have42) h.compressedSize = skip - extTotal;
    checkHeaderCrc(p, buf, offset);
    if (h.method == Method::Lh7 && h.os == 0x20) h.method = Method::Lk7;
    return pos;
}

// Levels 2 and 3 share one layout: a total header size, the fixed fields,
// then a chain of extended headers inside that size. They differ only in the
// width of the sizes: 16 bits at level 2, 32 at level 3.
std::size_t parseLevel23(Parsed& p, Input& in, std::uint64_t offset, const std::uint8_t* base, const HeaderOptions& options,
                         std::vector<std::uint8_t>& buf) {
    MemberHeader& h = p.h;
    const bool wide = h.level == 3;
    const std::size_t fixedSize = wide ? 32 : 26;
    if (wide && u16(base) != 4) fail(Errc::BadHeader, offset, "level-3 word size is not 4");
    std::uint8_t head[32];
    readExact(in, offset, head, fixedSize, offset);
    std::size_t T = wide ? u32(&head[24]) : u16(head);
    if (!wide && head[23] == 'K') T += 2;  // OS-9/68k writes a total size 2 bytes short
    if (T < fixedSize) fail(Errc::BadHeader, offset, wide ? "level-3 header size below 32" : "level-2 header size below 26");
    if (wide && T > options.maxHeaderSize) fail(Errc::BadHeader, offset, "level-3 header size too large");
    buf.resize(T);
    readExact(in, offset, buf.data(), T, offset);
    h.os = buf[23];
    h.compressedSize = u32(&buf[7]);
    h.originalSize = u32(&buf[11]);
    h.unixTime = u32(&buf[15]);
    h.crc = u16(&buf[21]);
    const std::uint64_t firstSize = wide ? u32(&buf[28]) : u16(&buf[24]);
    walkChain(p, buf, fixedSize, firstSize, wide ? 4 : 2, T, offset);
    checkHeaderCrc(p, buf, offset);
    return T;
}

MemberHeader parse(Input& in, std::uint64_t offset, const std::uint8_t* base, const HeaderOptions& options) {
    Parsed p;
    MemberHeader& h = p.h;
    std::memcpy(h.methodId.data(), base + 2, 5);
    h.method = methodFromId(std::string_view(h.methodId.data(), 5));
    h.level = base[20];
    h.headerOffset = offset;

    std::vector<std::uint8_t> buf;
    const std::size_t dataStart = h.level <= 1 ? parseLevel01(p, in, offset, base, options, buf)
                                               : parseLevel23(p, in, offset, base, options, buf);

    if (h.codePage == 0) h.codePage = options.codePage;
    h.headerSize = static_cast<std::uint32_t>(dataStart);
    h.dataOffset = offset + dataStart;
    buildPath(p, h.codePage);
    if (h.dataOffset + h.compressedSize < h.dataOffset) fail(Errc::BadHeader, offset, "member size overflows");
    return h;
}

}  // namespace

std::string_view methodId(Method m) noexcept {
    for (const auto& e : kMethods)
        if (e.method == m) return e.id;
    return "unknown";
}

Method methodFromId(std::string_view id) noexcept {
    for (const auto& e : kMethods)
        if (id == e.id) return e.method;
    return Method::Unknown;
}

std::optional<std::int64_t> MemberHeader::mtimeUnix(std::int64_t tzOffset) const {
    if (modificationTime) {
        return static_cast<std::int64_t>(*modificationTime / 10000000ull) -
               static_cast<std::int64_t>(kUnixEpochFiletime / 10000000ull);
    }
    if (unixTime) return unixTime;
    if (dosTime == 0) return std::nullopt;
    unsigned sec = (dosTime & 0x1F) * 2, min = (dosTime >> 5) & 0x3F, hour = (dosTime >> 11) & 0x1F;
    unsigned day = (dosTime >> 16) & 0x1F, mon = (dosTime >> 21) & 0x0F;
    int year = 1980 + static_cast<int>(dosTime >> 25);
    if (mon < 1) mon = 1;
    if (mon > 12) mon = 12;
    if (day < 1) day = 1;
    // days from civil (proleptic Gregorian)
    int y = year - (mon <= 2);
    int era = y / 400;
    unsigned yoe = static_cast<unsigned>(y - era * 400);
    unsigned doy = (153 * (mon + (mon > 2 ? -3 : 9)) + 2) / 5 + day - 1;
    unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    std::int64_t days = static_cast<std::int64_t>(era) * 146097 + doe - 719468;
    return days * 86400 + hour * 3600 + min * 60 + sec - tzOffset;
}

std::optional<MemberHeader> readHeader(Input& in, std::uint64_t offset, const HeaderOptions& options) {
    std::uint8_t base[kBaseSize];
    std::size_t got = in.readAt(offset, std::span<std::uint8_t>(base, kBaseSize));
    if (got == 0 || base[0] == 0) return std::nullopt;  // end of input or end marker
    if (got < kBaseSize) fail(Errc::Truncated, offset, "archive ends inside a member header");
    if (!looksLikeHeader(base)) fail(Errc::BadHeader, offset, "no member header where one should start");
    return parse(in, offset, base, options);
}

bool isHeaderAt(Input& in, std::uint64_t offset, const HeaderOptions& options) {
    std::uint8_t base[kBaseSize];
    if (in.readAt(offset, std::span<std::uint8_t>(base, kBaseSize)) != kBaseSize) return false;
    if (base[0] == 0 || !looksLikeHeader(base)) return false;
    try {
        parse(in, offset, base, options);
        return true;
    } catch (const Error&) {
        return false;
    }
}

std::optional<std::uint64_t> findArchiveStart(Input& in, std::uint64_t scanLimit, const HeaderOptions& options) {
    // An archive proper starts with a header: report its faults rather than
    // scan past them.
    std::uint8_t first[kBaseSize];
    if (in.readAt(0, std::span<std::uint8_t>(first, kBaseSize)) == kBaseSize && first[0] != 0 && looksLikeHeader(first))
        return 0;
    static constexpr std::string_view kAmigaSfx = "LhASFX V1.2,";
    std::vector<std::uint8_t> window(static_cast<std::size_t>(std::min<std::uint64_t>(scanLimit, 16u << 20)) + kBaseSize);
    std::size_t n = in.readAt(0, window);
    window.resize(n);
    auto sfx = std::search(window.begin(), window.end(), kAmigaSfx.begin(), kAmigaSfx.end());
    std::size_t decoyAfter = sfx == window.end() ? n : static_cast<std::size_t>(sfx - window.begin());
    bool decoySkipped = false;
    for (std::size_t pos = 1; pos + kBaseSize <= n && pos <= scanLimit; ++pos) {
        if (!looksLikeHeader(&window[pos]) || window[pos] == 0) continue;
        if (!isHeaderAt(in, pos, options)) continue;
        if (pos > decoyAfter && !decoySkipped) {
            // The Amiga self-extractor carries a complete decoy archive first.
            decoySkipped = true;
            continue;
        }
        return pos;
    }
    return std::nullopt;
}

}  // namespace lha
