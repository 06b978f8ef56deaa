// Every archive of the real-archive corpus against the expected header
// listings, plus the corpus's extra samples (self-extractors, Shift-JIS
// names, raw compressed streams, generated archives).
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "lha/crc16.h"
#include "lha/path.h"
#include "support.h"

namespace {

using lhatest::Block;
using lhatest::corpus;
using lhatest::Decoded;

std::string lower(std::string s) {
    for (char& c : s)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return s;
}

std::string hex4(unsigned v) {
    char buf[8];
    std::snprintf(buf, sizeof buf, "%04x", v);
    return buf;
}

std::string value(const Block& b, const std::string& key) {
    auto it = b.find(key);
    return it == b.end() ? std::string() : it->second;
}

// Archives whose member data must not decode, and why.
bool expectedToFail(const std::string& archive, const Block& b, lha::Errc& why) {
    std::string method = value(b, "compress_method");
    if (method == "-pm1-" || method == "-pm2-") {  // PMarc, not LHA proper
        why = lha::Errc::UnsupportedMethod;
        return true;
    }
    if (archive == "regression/truncated.lzh") {  // cut-off -lh5- member
        why = lha::Errc::Truncated;
        return true;
    }
    return false;
}

class CorpusArchive : public ::testing::TestWithParam<std::string> {};

TEST_P(CorpusArchive, MatchesItsHeaderListingAndDecodes) {
    const std::string archive = GetParam();
    auto blocks = lhatest::readHeaderListing(corpus("output/" + archive + "-hdr.txt"));
    auto members = lhatest::decodeAll(lhatest::readFile(corpus("archives/" + archive)));
    ASSERT_EQ(members.size(), blocks.size());
    for (std::size_t i = 0; i < blocks.size(); ++i) {
        const Block& b = blocks[i];
        const Decoded& d = members[i];
        const lha::MemberHeader& m = d.header;
        SCOPED_TRACE("member " + std::to_string(i) + " " + m.path);

        std::string path = value(b, "path") + value(b, "filename");
        while (path.size() > 1 && path.back() == '/') path.pop_back();
        // The listing lower-cases all-caps DOS names and escapes nothing.
        if (m.path.find('\n') == std::string::npos) {  // a listing line cannot hold a newline
            EXPECT_EQ(lower(m.path), lower(path));
        }
        // Amiga directories stored as -lh0- are listed as -lhd-.
        EXPECT_EQ(m.isDirectory ? std::string("-lhd-") : std::string(lha::methodId(m.method)), value(b, "compress_method"));
        EXPECT_EQ(std::to_string(m.compressedSize), value(b, "compressed_length"));
        EXPECT_EQ(std::to_string(m.originalSize), value(b, "length"));
        EXPECT_EQ(std::to_string(m.level), value(b, "header_level"));
        EXPECT_EQ(hex4(m.crc), value(b, "crc"));
        if (b.count("os_type")) {
            EXPECT_EQ(std::to_string(m.os), value(b, "os_type").substr(0, value(b, "os_type").find(' ')));
        }
        if (b.count("common_crc")) {
            ASSERT_TRUE(m.headerCrc.has_value());
            EXPECT_EQ(hex4(*m.headerCrc), value(b, "common_crc"));
        }
        bool pmarc = value(b, "compress_method").compare(0, 3, "-pm") == 0;  // its own date format
        if (b.count("timestamp") && !pmarc) {
            // Level 0/1 DOS times are local; the listing used UK time (UTC or UTC+1).
            std::int64_t expected = std::stoll(value(b, "timestamp"));
            std::int64_t got = m.mtimeUnix().value_or(-1);
            bool dos = !m.modificationTime && !m.unixTime;
            if (m.modificationTime && value(b, "win_modification_time").empty()) got = m.unixTime.value_or(got);
            if (dos) {
                EXPECT_TRUE(got == expected || got == expected + 3600) << got << " vs " << expected;
            } else if (!m.modificationTime) {
                EXPECT_EQ(got, expected);
            }
        }
        for (auto [key, field] : {std::pair{"win_creation_time", &m.creationTime},
                                  std::pair{"win_modification_time", &m.modificationTime},
                                  std::pair{"win_access_time", &m.accessTime}}) {
            if (b.count(key)) {
                EXPECT_EQ(std::to_string(field->value_or(0)), value(b, key)) << key;
            }
        }
        bool os9 = m.os == '9' || m.os == 'K';  // the listing maps OS-9 permissions
        if (b.count("unix_perms") && !os9) {
            ASSERT_TRUE(m.unixMode.has_value());
            EXPECT_EQ(std::stoul(value(b, "unix_perms"), nullptr, 8), *m.unixMode);
        }
        if (b.count("unix_uid")) {
            EXPECT_EQ(std::to_string(m.unixUid.value_or(0xFFFF)), value(b, "unix_uid"));
        }
        if (b.count("unix_gid")) {
            EXPECT_EQ(std::to_string(m.unixGid.value_or(0xFFFF)), value(b, "unix_gid"));
        }
        if (b.count("symlink_target")) {
            EXPECT_TRUE(m.isSymlink);
            EXPECT_EQ(m.symlinkTarget, value(b, "symlink_target"));
        }

        lha::Errc why{};
        if (expectedToFail(archive, b, why)) {
            EXPECT_FALSE(d.ok);
            EXPECT_EQ(d.error, why) << d.message;
            continue;
        }
        ASSERT_TRUE(d.ok) << d.message;
        EXPECT_EQ(std::to_string(d.length), value(b, "length"));
        EXPECT_EQ(hex4(d.crc), value(b, "crc"));
    }
}

INSTANTIATE_TEST_SUITE_P(Listed, CorpusArchive, ::testing::ValuesIn(lhatest::listedArchives()),
                         [](const ::testing::TestParamInfo<std::string>& info) {
                             std::string n;
                             for (char c : info.param) n += std::isalnum(static_cast<unsigned char>(c)) ? c : '_';
                             return n;
                         });

// The generated archives: every member of MANIFEST.tsv decodes to its length
// and CRC-16, except -lh3-, which this library reports as unsupported.
TEST(CorpusGenerated, ManifestMembersDecode) {
    std::ifstream in(corpus("extra-generated/MANIFEST.tsv"));
    ASSERT_TRUE(in);
    std::string line;
    std::getline(in, line);  // column names
    std::map<std::string, std::vector<Decoded>> cache;
    std::map<std::string, std::size_t> next;
    int checked = 0;
    while (std::getline(in, line)) {
        std::istringstream row(line);
        std::string archive, member, method, level, length, crc;
        std::getline(row, archive, '\t');
        std::getline(row, member, '\t');
        std::getline(row, method, '\t');
        std::getline(row, level, '\t');
        std::getline(row, length, '\t');
        std::getline(row, crc, '\t');
        SCOPED_TRACE(archive + " " + member);
        if (!cache.count(archive)) cache[archive] = lhatest::decodeAll(lhatest::readFile(corpus("extra-generated/" + archive)));
        auto& members = cache[archive];
        std::size_t index = next[archive]++;
        ASSERT_LT(index, members.size());
        const Decoded& d = members[index];
        EXPECT_EQ(std::string(d.header.methodId.data(), 5), method);
        EXPECT_EQ(std::to_string(d.header.level), level);
        if (method == "-lh3-") {
            EXPECT_EQ(d.error, lha::Errc::UnsupportedMethod);
            continue;
        }
        ASSERT_TRUE(d.ok) << d.message;
        EXPECT_EQ(std::to_string(d.data.size()), length);
        EXPECT_EQ(hex4(lha::crc16(d.data)), crc);
        ++checked;
    }
    EXPECT_GT(checked, 30);
}

// "ソフト\表示.txt" in Shift-JIS at levels 0, 1 and 2: the 0x5C trail bytes
// of ソ and 表 are part of their characters; the third 0x5C separates.
TEST(CorpusNames, ShiftJisTrailByte5CIsNotASeparator) {
    const std::string dir = "\x83\x5c\x83\x74\x83\x67";  // ソフト
    const std::string file = "\x95\x5c\x8e\xa6.txt";      // 表示.txt
    for (const char* name : {"h0_sjis_5c.lzh", "h1_sjis_5c.lzh", "h2_sjis_5c.lzh"}) {
        SCOPED_TRACE(name);
        auto members = lhatest::decodeAll(lhatest::readFile(corpus(std::string("extra-generated/") + name)));
        ASSERT_EQ(members.size(), 1u);
        EXPECT_EQ(members[0].header.path, dir + "/" + file);
        ASSERT_TRUE(members[0].ok) << members[0].message;
        EXPECT_EQ(std::string(members[0].data.begin(), members[0].data.end()), "hello sjis\n");
        auto safe = lha::resolveSafePath(members[0].header);
        EXPECT_TRUE(safe.ok());
        EXPECT_EQ(safe.path, dir + "/" + file);
        // At level 2 the '\' inside the name field is flagged, and still a separator.
        EXPECT_EQ(members[0].header.backslashInName, name[1] == '2');
        // Read as a single-byte code page, every 0x5C separates.
        lha::ReaderOptions cp1252;
        cp1252.header.codePage = 1252;
        auto single = lhatest::decodeAll(lhatest::readFile(corpus(std::string("extra-generated/") + name)), cp1252);
        EXPECT_EQ(lha::splitPath(single[0].header.path, 1252).size(), 4u);
    }
}

// Self-extracting files: the archive start found by the bounded scan.
TEST(CorpusSelfExtractors, ArchiveStartIsFound) {
    const std::pair<const char*, std::uint64_t> cases[] = {
        {"explzh_723/declha_sfx_ansi.exe", 36352}, {"lha213/sfx.exe", 1636},   {"lha255e/sfx.exe", 1702},
        {"lharc113/sfx.com", 1263},                {"larc333/sfx.com", 594},   {"lh2_222/sfx.exe", 22961},
        {"lha_x68k_213/sfx.x", 3422},              {"lharc_atari_313a/sfx.tos", 60},
        {"lha_amiga_122/sfx.run", 6112},  // after the decoy archive at 5596
    };
    for (auto [file, start] : cases) {
        SCOPED_TRACE(file);
        auto bytes = lhatest::readFile(corpus(std::string("archives/") + file));
        lha::MemoryInput in(bytes);
        lha::ArchiveReader reader(in);
        EXPECT_EQ(reader.archiveStart(), start);
    }
    // The scan is bounded: a header beyond the limit is not found.
    auto bytes = lhatest::readFile(corpus("archives/explzh_723/declha_sfx_ansi.exe"));
    lha::MemoryInput in(bytes);
    EXPECT_FALSE(lha::findArchiveStart(in, 36000).has_value());
}

// Raw compressed streams (no header) that each decode to the gpl-2 text.
TEST(CorpusStreams, RawStreamsDecodeToTheSameText) {
    auto expected = lhatest::readFile(corpus("compressed/lh0.bin"));
    ASSERT_EQ(expected.size(), 18092u);
    const std::pair<const char*, lha::Method> cases[] = {
        {"lh0.bin", lha::Method::Lh0}, {"lh0.bin", lha::Method::Lz4}, {"lh1.bin", lha::Method::Lh1},
        {"lh5.bin", lha::Method::Lh5}, {"lh6.bin", lha::Method::Lh6}, {"lh7.bin", lha::Method::Lh7},
        {"lzs.bin", lha::Method::Lzs}, {"lz5.bin", lha::Method::Lz5},
    };
    for (auto [file, method] : cases) {
        SCOPED_TRACE(file);
        auto stream = lhatest::readFile(corpus(std::string("compressed/") + file));
        lha::MemoryInput in(stream);
        lha::InputRange range(in, 0, stream.size());
        auto decoder = lha::makeDecoder(method, range, stream.size(), expected.size());
        std::vector<std::uint8_t> out;
        for (auto piece = decoder->next(); !piece.empty(); piece = decoder->next()) out.insert(out.end(), piece.begin(), piece.end());
        EXPECT_EQ(out, expected);
    }
}

}  // namespace
