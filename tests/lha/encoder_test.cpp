// The encoder and archive writer, checked through the project's own reader:
// every method and header level round-trips byte for byte, tables stay
// within the format's limits, and the output is deterministic.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <numeric>
#include <random>
#include <stdexcept>
#include <string>
#include <string_view>
#include <fstream>
#include <vector>

#include "encoder_bits.h"
#include "encoder_blocks.h"
#include "encoder_huffman.h"
#include "lha/encoder.h"
#include "lha/error.h"
#include "lha/reader.h"
#include "lha/writer.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

Bytes textLike(std::size_t size, unsigned seed) {
    static const char* words[] = {"the ", "quest ", "dragon ", "of ", "a ", "castle ", "sword ", "\r\n", "ソ", "表示 "};
    std::mt19937 rng(seed);
    Bytes out;
    while (out.size() < size) {
        const std::string_view w = words[std::min<unsigned>(9, static_cast<unsigned>(std::geometric_distribution<>(0.3)(rng)))];
        out.insert(out.end(), w.begin(), w.end());
    }
    out.resize(size);
    return out;
}

Bytes randomBytes(std::size_t size, unsigned seed) {
    std::mt19937 rng(seed);
    Bytes out(size);
    for (auto& b : out) b = static_cast<std::uint8_t>(rng());
    return out;
}

struct Member {
    std::string path;
    Bytes data;
    bool directory = false;
};

// Writes the members with the given options into a temporary archive and
// returns its bytes; the file is removed afterwards.
class TempArchive {
public:
    TempArchive() : path_(fs::temp_directory_path() / ("enc-test-" + std::to_string(counter_++) + ".lzh")) {}
    ~TempArchive() {
        std::error_code ignored;
        fs::remove(path_, ignored);
    }
    const fs::path& path() const { return path_; }

    Bytes write(const std::vector<Member>& members, const lha::WriterOptions& options) {
        lha::ArchiveWriter w(path_, options);
        for (const Member& m : members) {
            lha::MemberInfo info;
            info.path = m.path;
            info.modified = 1262304000;  // 2010-01-01 00:00 UTC
            info.windowsTimes = lha::WindowsFileTimes{130000000000000000ull, 129067776000000000ull, 130000000010000000ull};
            if (m.directory) {
                w.addDirectory(info);
            } else {
                lha::MemorySource source(m.data);
                w.addFile(info, source);
            }
        }
        w.finish();
        return read();
    }

    Bytes read() const {
        std::ifstream in(path_, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), {});
    }

private:
    fs::path path_;
    static inline int counter_ = 0;
};

struct ReadBack {
    lha::MemberHeader header;
    Bytes data;
};

std::vector<ReadBack> readArchive(const Bytes& archive) {
    lha::MemoryInput in(archive);
    lha::ArchiveReader reader(in);
    std::vector<ReadBack> out;
    while (reader.next()) out.push_back({reader.member(), reader.readAll()});
    return out;
}

const lha::CompressionMethod kMethods[] = {lha::CompressionMethod::lh5, lha::CompressionMethod::lh6, lha::CompressionMethod::lh7};

TEST(EncoderRoundTrip, EveryMethodAndLevelReadsBackIdentically) {
    const std::vector<Member> members = {
        {"docs", {}, true},
        {"docs/readme.txt", textLike(40000, 1)},
        {"empty.dat", {}},
        {"one.bin", {'x'}},
        {"two.bin", {'a', 'a'}},
        {"zeros.bin", Bytes(300000, 0)},
        {"noise.bin", randomBytes(70000, 2)},
        {"docs/deep/mixed.bin", [] {
             Bytes b = textLike(100000, 3);
             const Bytes r = randomBytes(20000, 4);
             b.insert(b.begin() + 50000, r.begin(), r.end());
             return b;
         }()},
    };
    for (auto method : kMethods) {
        for (int level = 0; level <= 2; ++level) {
            SCOPED_TRACE(std::string(lha::methodId(method)) + " level " + std::to_string(level));
            TempArchive archive;
            const auto read = readArchive(archive.write(members, {method, level, 932, 0}));
            ASSERT_EQ(read.size(), members.size());
            for (std::size_t i = 0; i < members.size(); ++i) {
                const auto& h = read[i].header;
                EXPECT_EQ(h.path, members[i].path);
                EXPECT_EQ(h.level, level);
                EXPECT_EQ(h.isDirectory, members[i].directory);
                EXPECT_EQ(read[i].data, members[i].data) << members[i].path;
                const std::string id(h.methodId.begin(), h.methodId.end());
                const bool stored = members[i].path == "noise.bin" || members[i].data.size() <= 2;
                const std::string expected = members[i].directory ? "-lhd-" : stored ? "-lh0-" : std::string(lha::methodId(method));
                EXPECT_EQ(id, expected) << members[i].path;
                EXPECT_EQ(h.os, level > 0 ? 'M' : 0);
                EXPECT_EQ(h.headerCrc.has_value(), level == 2);
            }
        }
    }
}

TEST(EncoderRoundTrip, LargeInputCrossesChunkWindowAndBlockEdges) {
    // More than two 1 MiB chunks, long runs and repeats farther than the
    // lh5 window, with data that changes character mid-way.
    Bytes data = textLike(1500000, 5);
    const Bytes noise = randomBytes(300000, 6);
    data.insert(data.begin() + 1048570, noise.begin(), noise.end());
    data.insert(data.end(), 70000, 'z');
    data.insert(data.end(), data.begin(), data.begin() + 100000);
    for (auto method : kMethods) {
        SCOPED_TRACE(std::string(lha::methodId(method)));
        TempArchive archive;
        const auto read = readArchive(archive.write({{"big.bin", data}}, {method, 2, 932, 2}));
        ASSERT_EQ(read.size(), 1u);
        EXPECT_EQ(read[0].data, data);
        EXPECT_LT(read[0].header.compressedSize, data.size() / 2);
    }
}

TEST(EncoderRoundTrip, ShiftJisNamesKeepTheirTrailBackslash) {
    // ソ (83 5C) and 表 (95 5C) end in the byte of '\'; neither is a separator.
    const std::string folder = "\x83\x5C\x83\x74\x83\x67";        // ソフト
    const std::string file = "\x95\x5C\x8E\xA6.txt";               // 表示.txt
    for (int level = 0; level <= 2; ++level) {
        SCOPED_TRACE(level);
        TempArchive archive;
        const auto read = readArchive(archive.write({{folder, {}, true}, {folder + "\\" + file, textLike(500, 7)}}, {lha::CompressionMethod::lh5, level, 932, 0}));
        ASSERT_EQ(read.size(), 2u);
        EXPECT_EQ(read[0].header.path, folder);
        EXPECT_EQ(read[1].header.path, folder + "/" + file);
        if (level == 2) {
            EXPECT_EQ(read[1].header.rawName, file);
            EXPECT_EQ(read[1].header.rawDirectory, folder + "\xFF");
        }
    }
}

TEST(EncoderRoundTrip, WindowsTimesAndAttributesAreKept) {
    TempArchive path;
    lha::MemberInfo info;
    info.path = "save.dat";
    info.modified = 1700000000;
    info.windowsTimes = lha::WindowsFileTimes{130000000000000000ull, 133000000000000000ull, 133100000000000000ull};
    info.attributes = 0x21;  // read-only, archive
    const Bytes data = textLike(1000, 8);
    for (int level = 0; level <= 2; ++level) {
        SCOPED_TRACE(level);
        {
            lha::ArchiveWriter w(path.path(), {lha::CompressionMethod::lh7, level, 932, 0});
            lha::MemorySource source(data);
            w.addFile(info, source);
            w.finish();
        }
        const auto read = readArchive(path.read());
        ASSERT_EQ(read.size(), 1u);
        const auto& h = read[0].header;
        EXPECT_EQ(h.attributes, 0x21);
        if (level > 0) {
            ASSERT_TRUE(h.modificationTime.has_value());
            EXPECT_EQ(*h.creationTime, info.windowsTimes->creation);
            EXPECT_EQ(*h.modificationTime, info.windowsTimes->lastWrite);
            EXPECT_EQ(*h.accessTime, info.windowsTimes->lastAccess);
        }
        if (level == 2) {
            EXPECT_EQ(h.unixTime, 1700000000);
        }
    }
}

TEST(EncoderDeterminism, SameBytesWhateverTheThreadsOrFeeding) {
    const Bytes data = textLike(2200000, 9);
    for (auto method : kMethods) {
        SCOPED_TRACE(std::string(lha::methodId(method)));
        const Bytes reference = lha::compress(data, {method, 1});
        EXPECT_EQ(lha::compress(data, {method, 3}), reference);
        Bytes pieces;
        lha::Encoder encoder({method, 2}, [&](std::span<const std::uint8_t> b) { pieces.insert(pieces.end(), b.begin(), b.end()); });
        for (std::size_t at = 0, step = 1; at < data.size(); at += step, step = step * 7 % 100003 + 1)
            encoder.write(std::span(data).subspan(at, std::min(step, data.size() - at)));
        encoder.finish();
        EXPECT_EQ(pieces, reference);
    }
}

TEST(EncoderDeterminism, FailingSinkStopsTheWorkersWithoutLosingTheError) {
    // The sink fails while later chunks are still being coded: the error must
    // reach the caller and the encoder must stop its threads when destroyed.
    const Bytes data = textLike(6000000, 10);
    int calls = 0;
    auto failing = [&](std::span<const std::uint8_t>) {
        if (++calls == 2) throw std::runtime_error("disk full");
    };
    bool thrown = false;
    try {
        lha::Encoder encoder({lha::CompressionMethod::lh5, 3}, failing);
        for (std::size_t at = 0; at < data.size(); at += 65536)
            encoder.write(std::span(data).subspan(at, std::min<std::size_t>(65536, data.size() - at)));
        encoder.finish();
    } catch (const std::runtime_error& e) {
        thrown = std::string(e.what()) == "disk full";
    }
    EXPECT_TRUE(thrown);
    EXPECT_EQ(calls, 2);
}

TEST(EncoderDeterminism, ArchiveOfManyMembersIsTheSameWhateverTheThreads) {
    // Small members are coded in parallel and large ones streamed; around the
    // 1 MiB edge between the two, with folders, empty and incompressible
    // members in between, the order and every byte must not change.
    std::vector<Member> members{{"d", {}, true}};
    for (unsigned k = 0; k < 30; ++k) members.push_back({"d/t" + std::to_string(k), textLike(k * k * 97 % 70000, k), false});
    members.push_back({"empty", {}, false});
    members.push_back({"noise", randomBytes(5000, 11), false});
    members.push_back({"edge", textLike(std::size_t{1} << 20, 12), false});
    members.push_back({"over", textLike((std::size_t{1} << 20) + 1, 13), false});
    members.push_back({"after", textLike(3000, 14), false});
    TempArchive one, three;
    const Bytes reference = one.write(members, {lha::CompressionMethod::lh6, 2, 932, 1});
    EXPECT_EQ(three.write(members, {lha::CompressionMethod::lh6, 2, 932, 3}), reference);
    const auto read = readArchive(reference);
    ASSERT_EQ(read.size(), members.size());
    for (std::size_t k = 0; k < members.size(); ++k) {
        SCOPED_TRACE(members[k].path);
        EXPECT_EQ(read[k].header.path, members[k].path);
        EXPECT_EQ(read[k].data, members[k].data);
    }
    const auto noise = std::find_if(read.begin(), read.end(), [](const ReadBack& r) { return r.header.path == "noise"; });
    ASSERT_NE(noise, read.end());
    EXPECT_EQ(std::string(noise->header.methodId.data(), 5), "-lh0-");

    // A member coded whole is the stream the streaming encoder makes of it.
    const Bytes data = textLike(50000, 15);
    TempArchive single;
    const Bytes archive = single.write({{"t", data, false}}, {lha::CompressionMethod::lh7, 2, 932, 2});
    const Bytes stream = lha::compress(data, {lha::CompressionMethod::lh7, 1});
    ASSERT_GT(archive.size(), stream.size());
    EXPECT_EQ(Bytes(archive.end() - 1 - static_cast<std::ptrdiff_t>(stream.size()), archive.end() - 1), stream);
}

// A source whose size changes between listing and reading.
class LyingSource : public lha::MemberSource {
public:
    LyingSource(std::uint64_t announced, Bytes data) : announced_(announced), data_(std::move(data)), source_(data_) {}
    std::uint64_t size() const override { return announced_; }
    std::size_t read(std::span<std::uint8_t> buffer) override { return source_.read(buffer); }
    void rewind() override { source_.rewind(); }

private:
    std::uint64_t announced_;
    Bytes data_;
    lha::MemorySource source_;
};

TEST(EncoderWriter, FileThatChangedWhileReadIsRefusedAndLeavesNoPartialFile) {
    const std::size_t big = (std::size_t{1} << 20) + 5000;
    const struct {
        std::size_t announced, actual;
    } cases[] = {{1000, 999}, {1000, 1001}, {big, big - 1}, {big, big + 1}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.announced) + " announced, " + std::to_string(c.actual) + " read");
        TempArchive archive;
        {
            lha::ArchiveWriter w(archive.path(), {lha::CompressionMethod::lh5, 2, 932, 2});
            lha::MemberInfo info;
            info.path = "first";
            const Bytes first = textLike(2000, 16);
            lha::MemorySource ok(first);
            w.addFile(info, ok);
            info.path = "changing";
            LyingSource source(c.announced, textLike(c.actual, 17));
            try {
                w.addFile(info, source);
                ADD_FAILURE() << "no error";
            } catch (const lha::Error& e) {
                EXPECT_EQ(e.code(), lha::Errc::Io);
                EXPECT_NE(std::string(e.what()).find("changing"), std::string::npos);
            }
        }
        EXPECT_FALSE(fs::exists(archive.path()));
    }
}

TEST(EncoderWriter, AddingAfterFinishIsRefused) {
    TempArchive archive;
    lha::ArchiveWriter w(archive.path(), {lha::CompressionMethod::lh5, 2, 932, 2});
    lha::MemberInfo info;
    info.path = "a";
    const Bytes data = textLike(3000, 18);
    lha::MemorySource source(data);
    w.addFile(info, source);  // starts the workers
    w.finish();
    info.path = "b";
    source.rewind();
    EXPECT_THROW(w.addFile(info, source), std::logic_error);
    EXPECT_THROW(w.addDirectory(info), std::logic_error);
    EXPECT_EQ(readArchive(archive.read()).size(), 1u);
}

TEST(EncoderWriter, RefusesNamesNoReaderCouldUseAndLeavesNoPartialFile) {
    const struct {
        std::string path;
        int level;
    } cases[] = {
        {"../evil.txt", 2}, {"a/../../b", 2}, {"C:\\win.ini", 2}, {"", 2}, {"///", 1},
        {"bad\xFFname", 2}, {std::string(230, 'n'), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.path);
        TempArchive archive;
        {
            lha::ArchiveWriter w(archive.path(), {lha::CompressionMethod::lh5, c.level, 1252, 0});
            lha::MemberInfo info;
            info.path = c.path;
            const Bytes data = {1, 2, 3};
            lha::MemorySource source(data);
            EXPECT_THROW(w.addFile(info, source), lha::Error);
        }
        EXPECT_FALSE(fs::exists(archive.path()));
    }
}

TEST(EncoderWriter, HeaderPadByteKeepsTheEndMarkerUnambiguous) {
    // A level-2 header whose size would be a multiple of 256 gets one more byte.
    bool padded = false;
    for (std::size_t length = 180; length < 220; ++length) {
        TempArchive archive;
        const std::string name(length, 'n');
        const auto read = readArchive(archive.write({{name, {1, 2, 3}}}, {lha::CompressionMethod::lh5, 2, 932, 0}));
        ASSERT_EQ(read.size(), 1u);
        EXPECT_NE(read[0].header.headerSize % 256, 0u);
        EXPECT_EQ(read[0].data, (Bytes{1, 2, 3}));
        padded = padded || read[0].header.headerSize == 257;
    }
    EXPECT_TRUE(padded) << "no name length hit the padded header size";
}

std::uint64_t kraftSum(const std::vector<std::uint8_t>& lengths) {
    std::uint64_t sum = 0;
    for (auto len : lengths)
        if (len) sum += std::uint64_t{1} << (lha::encoder_detail::kMaxCodeLength - len);
    return sum;
}

TEST(EncoderHuffman, CodesAreCompleteAndNoLongerThanSixteenBits) {
    std::vector<std::vector<std::uint32_t>> cases;
    std::vector<std::uint32_t> fibonacci(30);  // would need 29-bit codes unlimited
    fibonacci[0] = fibonacci[1] = 1;
    for (std::size_t i = 2; i < fibonacci.size(); ++i) fibonacci[i] = fibonacci[i - 1] + fibonacci[i - 2];
    cases.push_back(fibonacci);
    cases.push_back(std::vector<std::uint32_t>(510, 7));
    cases.push_back({0, 5, 0, 0, 9});
    std::vector<std::uint32_t> skewed(510, 0);
    for (std::size_t i = 0; i < skewed.size(); i += 3) skewed[i] = 1u << (i % 20);
    cases.push_back(skewed);
    for (const auto& freq : cases) {
        const auto lengths = lha::encoder_detail::buildCodeLengths(freq);
        EXPECT_EQ(kraftSum(lengths), std::uint64_t{1} << lha::encoder_detail::kMaxCodeLength);
        EXPECT_LE(*std::max_element(lengths.begin(), lengths.end()), lha::encoder_detail::kMaxCodeLength);
        for (std::size_t s = 0; s < freq.size(); ++s) EXPECT_EQ(lengths[s] == 0, freq[s] == 0);
    }
    EXPECT_EQ(kraftSum(lha::encoder_detail::buildCodeLengths(std::vector<std::uint32_t>{0, 3, 0})), 0u)
        << "a lone symbol is written in the single-symbol form";
}

// Block boundaries: where the statistics change, a cut pays for its tables;
// where they do not, the blocks together never cost more than one block.
TEST(EncoderBlocks, CutsWhereStatisticsChangeAndNeverCostMoreThanOneBlock) {
    namespace ed = lha::encoder_detail;
    std::mt19937 rng(11);
    auto literals = [&](std::size_t count, unsigned first, unsigned span) {
        std::vector<ed::Token> t(count);
        for (auto& token : t) token = {static_cast<std::uint16_t>(first + rng() % span), 0};
        return t;
    };
    auto bits = [](std::span<const ed::Token> tokens, bool split) {
        ed::BitWriter out;
        if (split) ed::writeBlocks(out, tokens, ed::kLh5Shape);
        else ed::writeBlock(out, tokens, ed::kLh5Shape);
        return out.bitCount();
    };
    auto changing = literals(30000, 'a', 8);   // three bits a symbol
    const auto binary = literals(30000, 0x80, 128);  // seven
    changing.insert(changing.end(), binary.begin(), binary.end());
    EXPECT_LT(bits(changing, true), bits(changing, false) * 85 / 100);

    const auto steady = literals(60000, 'a', 26);
    EXPECT_LE(bits(steady, true), bits(steady, false));
}

}  // namespace
