#include "writer_headers.h"

#include <algorithm>
#include <ctime>
#include <stdexcept>

#include "lha/crc16.h"
#include "lha/error.h"
#include "writer_names.h"

namespace lha::writer_detail {
namespace {

constexpr std::uint8_t kOsId = 'M';
constexpr std::uint8_t kDirectoryAttribute = 0x10;
constexpr std::uint8_t kPathSeparator = 0xFF;
constexpr std::uint32_t kMaxLevel0Name = 221;  // the smallest limit among common readers
constexpr std::uint64_t k32BitLimit = 0xFFFFFFFFull;

class Bytes {
public:
    void u8(std::uint8_t v) { data.push_back(v); }
    void u16(std::uint32_t v) {
        u8(static_cast<std::uint8_t>(v));
        u8(static_cast<std::uint8_t>(v >> 8));
    }
    void u32(std::uint64_t v) {
        u16(static_cast<std::uint32_t>(v & 0xFFFF));
        u16(static_cast<std::uint32_t>((v >> 16) & 0xFFFF));
    }
    void u64(std::uint64_t v) {
        u32(v & k32BitLimit);
        u32(v >> 32);
    }
    void text(const std::string& s) { data.insert(data.end(), s.begin(), s.end()); }
    void put16At(std::size_t offset, std::uint32_t v) {
        data[offset] = static_cast<std::uint8_t>(v);
        data[offset + 1] = static_cast<std::uint8_t>(v >> 8);
    }
    std::vector<std::uint8_t> data;
};

std::uint32_t to32(std::uint64_t v, const char* what) {
    if (v > k32BitLimit) throw Error(Errc::Limit, std::string(what) + " does not fit this header level (use level 2)");
    return static_cast<std::uint32_t>(v);
}

std::uint8_t attributesOf(const HeaderFields& f, const MemberInfo& info) {
    return f.directory ? static_cast<std::uint8_t>(info.attributes | kDirectoryAttribute) : info.attributes;
}

struct SplitName {
    std::string folder;  // components joined by 0xFF, with a trailing 0xFF; empty at top level
    std::string file;    // empty for folders
    std::string dosPath; // components joined by '\'; folders end in '\'
};

SplitName splitName(const HeaderFields& f, const MemberInfo& info, unsigned codePage) {
    const auto parts = splitMemberPath(info.path, codePage);
    SplitName n;
    const std::size_t folderParts = f.directory ? parts.size() : parts.size() - 1;
    for (std::size_t i = 0; i < folderParts; ++i) {
        n.folder += parts[i];
        n.folder += static_cast<char>(kPathSeparator);
        n.dosPath += parts[i] + "\\";
    }
    if (!f.directory) {
        n.file = parts.back();
        n.dosPath += parts.back();
    }
    return n;
}

// Extended headers shared by levels 1 and 2: type, data and, filled in by
// the caller's chain, the size of the next one.
struct Extension {
    std::uint8_t type;
    std::vector<std::uint8_t> data;
};

std::vector<Extension> commonExtensions(const HeaderFields& f, const MemberInfo& info) {
    std::vector<Extension> ext;
    const std::uint8_t attributes = attributesOf(f, info);
    if (f.directory || attributes != 0x20) {
        Bytes b;
        b.u16(attributes);
        ext.push_back({0x40, b.data});
    }
    if (info.windowsTimes) {
        Bytes b;
        b.u64(info.windowsTimes->creation);
        b.u64(info.windowsTimes->lastWrite);
        b.u64(info.windowsTimes->lastAccess);
        ext.push_back({0x41, b.data});
    }
    return ext;
}

Extension textExtension(std::uint8_t type, const std::string& s) { return {type, std::vector<std::uint8_t>(s.begin(), s.end())}; }

void appendChain(Bytes& b, const std::vector<Extension>& ext) {
    for (std::size_t i = 0; i < ext.size(); ++i) {
        b.u8(ext[i].type);
        b.data.insert(b.data.end(), ext[i].data.begin(), ext[i].data.end());
        b.u16(i + 1 < ext.size() ? static_cast<std::uint32_t>(ext[i + 1].data.size() + 3) : 0);
    }
}

std::uint8_t checksum(const std::vector<std::uint8_t>& data, std::size_t from, std::size_t to) {
    unsigned sum = 0;
    for (std::size_t i = from; i < to; ++i) sum += data[i];
    return static_cast<std::uint8_t>(sum);
}

std::vector<std::uint8_t> level0(const HeaderFields& f, const MemberInfo& info, const WriterOptions& o) {
    const SplitName n = splitName(f, info, o.codePage);
    if (n.dosPath.size() > kMaxLevel0Name) throw Error(Errc::Limit, "name too long for a level-0 header: " + info.path);
    Bytes b;
    b.u8(0);  // header size, set below
    b.u8(0);  // checksum, set below
    b.text(f.method);
    b.u32(to32(f.compressedSize, "compressed size"));
    b.u32(to32(f.originalSize, "file size"));
    b.u32(dosTimestamp(info.modified));
    b.u8(attributesOf(f, info));
    b.u8(0);
    b.u8(static_cast<std::uint8_t>(n.dosPath.size()));
    b.text(n.dosPath);
    b.u16(f.crc);
    b.data[0] = static_cast<std::uint8_t>(b.data.size() - 2);
    b.data[1] = checksum(b.data, 2, b.data.size());
    return b.data;
}

std::vector<std::uint8_t> level1(const HeaderFields& f, const MemberInfo& info, const WriterOptions& o) {
    const SplitName n = splitName(f, info, o.codePage);
    if (n.file.size() > kMaxLevel0Name) throw Error(Errc::Limit, "file name too long for a level-1 header: " + info.path);
    std::vector<Extension> ext;
    if (!n.folder.empty()) ext.push_back(textExtension(0x02, n.folder));
    for (auto& e : commonExtensions(f, info)) ext.push_back(std::move(e));
    std::uint64_t extSize = 0;
    for (const auto& e : ext) extSize += e.data.size() + 3;

    Bytes b;
    b.u8(0);
    b.u8(0);
    b.text(f.method);
    b.u32(to32(f.compressedSize + extSize, "compressed size"));
    b.u32(to32(f.originalSize, "file size"));
    b.u32(dosTimestamp(info.modified));
    b.u8(0x20);
    b.u8(1);
    b.u8(static_cast<std::uint8_t>(n.file.size()));
    b.text(n.file);
    b.u16(f.crc);
    b.u8(kOsId);
    b.u16(ext.empty() ? 0 : static_cast<std::uint32_t>(ext.front().data.size() + 3));
    b.data[0] = static_cast<std::uint8_t>(b.data.size() - 2);
    b.data[1] = checksum(b.data, 2, b.data.size());
    appendChain(b, ext);
    return b.data;
}

std::vector<std::uint8_t> level2(const HeaderFields& f, const MemberInfo& info, const WriterOptions& o) {
    const SplitName n = splitName(f, info, o.codePage);
    std::vector<Extension> ext;
    ext.push_back({0x00, {0, 0}});  // header CRC, computed last
    ext.push_back(textExtension(0x01, n.file));
    if (!n.folder.empty()) ext.push_back(textExtension(0x02, n.folder));
    for (auto& e : commonExtensions(f, info)) ext.push_back(std::move(e));
    if (f.wide) {
        Bytes b;
        b.u64(f.compressedSize);
        b.u64(f.originalSize);
        ext.push_back({0x42, b.data});
    }

    Bytes b;
    b.u16(0);  // total header size, set below
    b.text(f.method);
    b.u32(f.wide ? f.compressedSize & k32BitLimit : to32(f.compressedSize, "compressed size"));
    b.u32(f.wide ? f.originalSize & k32BitLimit : to32(f.originalSize, "file size"));
    b.u32(static_cast<std::uint32_t>(std::clamp<std::int64_t>(info.modified, 0, 0xFFFFFFFFll)));
    b.u8(0x20);
    b.u8(2);
    b.u16(f.crc);
    b.u8(kOsId);
    b.u16(static_cast<std::uint32_t>(ext.front().data.size() + 3));
    const std::size_t crcOffset = b.data.size() + 1;
    appendChain(b, ext);
    // A total size that is a multiple of 256 would start with the byte that
    // marks the end of the archive.
    if (b.data.size() % 256 == 0) b.u8(0);
    if (b.data.size() > 0xFFFF) throw Error(Errc::Limit, "header too large: " + info.path);
    b.put16At(0, static_cast<std::uint32_t>(b.data.size()));
    b.put16At(crcOffset, crc16(b.data));
    return b.data;
}

}  // namespace

std::uint32_t dosTimestamp(std::int64_t unixSeconds) {
    const std::time_t t = static_cast<std::time_t>(unixSeconds);
    std::tm local{};
#ifdef _WIN32
    if (localtime_s(&local, &t) != 0) return 0;
#else
    if (!localtime_r(&t, &local)) return 0;
#endif
    const int year = local.tm_year + 1900;
    if (year < 1980) return (1u << 21) | (1u << 16);  // 1980-01-01, the earliest date the field holds
    if (year > 2107) throw Error(Errc::Limit, "date past 2107 cannot be stored at header levels 0 and 1");
    const std::uint32_t date = (static_cast<std::uint32_t>(year - 1980) << 9) | (static_cast<std::uint32_t>(local.tm_mon + 1) << 5) |
                               static_cast<std::uint32_t>(local.tm_mday);
    const std::uint32_t time = (static_cast<std::uint32_t>(local.tm_hour) << 11) | (static_cast<std::uint32_t>(local.tm_min) << 5) |
                               static_cast<std::uint32_t>(local.tm_sec / 2);
    return date << 16 | time;
}

std::vector<std::uint8_t> buildHeader(const HeaderFields& fields, const MemberInfo& info, const WriterOptions& options) {
    switch (options.headerLevel) {
        case 0: return level0(fields, info, options);
        case 1: return level1(fields, info, options);
        case 2: return level2(fields, info, options);
        default: throw std::invalid_argument("header level must be 0, 1 or 2");
    }
}

}  // namespace lha::writer_detail
