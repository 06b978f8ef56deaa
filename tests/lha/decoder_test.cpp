// The decoders on crafted streams (bad tables, bad distances, truncation)
// and the streaming interface (pieces, progress, cancel).
#include <gtest/gtest.h>

#include <functional>

#include "lha/crc16.h"
#include "support.h"

namespace {

using lhatest::BitWriter;
using Bytes = std::vector<std::uint8_t>;

// Decodes a raw stream; returns the data or throws lha::Error.
Bytes decode(lha::Method method, const Bytes& stream, std::uint64_t originalSize) {
    lha::MemoryInput in(stream);
    lha::InputRange range(in, 0, stream.size());
    auto decoder = lha::makeDecoder(method, range, stream.size(), originalSize);
    Bytes out;
    for (auto piece = decoder->next(); !piece.empty(); piece = decoder->next()) out.insert(out.end(), piece.begin(), piece.end());
    return out;
}

// -lh5- block pieces (temp code: 5-bit counts, C code: 9-bit, positions: 4-bit).
void singleTemp(BitWriter& w, unsigned symbol) { w.put(0, 5), w.put(symbol, 5); }
void singleC(BitWriter& w, unsigned symbol) { w.put(0, 9), w.put(symbol, 9); }
void singlePos(BitWriter& w, unsigned symbol) { w.put(0, 4), w.put(symbol, 4); }
// A code length in the 3-bit-or-unary form.
void length(BitWriter& w, unsigned len) {
    if (len < 7) return w.put(len, 3);
    w.put(7, 3);
    for (unsigned i = 7; i < len; ++i) w.put(1, 1);
    w.put(0, 1);
}
// A temp table given explicitly (skip field after the third length = 0).
void tempTable(BitWriter& w, std::initializer_list<unsigned> lengths) {
    w.put(static_cast<unsigned>(lengths.size()), 5);
    unsigned i = 0;
    for (unsigned l : lengths) {
        length(w, l);
        if (++i == 3) w.put(0, 2);
    }
}

TEST(CraftedLh5, SingleSymbolTablesDecodeWithZeroBits) {
    BitWriter w;
    w.put(5, 16);
    singleTemp(w, 0);
    singleC(w, 'A');
    singlePos(w, 0);
    EXPECT_EQ(decode(lha::Method::Lh5, w.finish(), 5), Bytes(5, 'A'));
}

TEST(CraftedLh5, ExplicitTablesDecode) {
    // Temp code: symbols 0..3 with lengths 2 (t = 3 is C length 1). C code:
    // two symbols of length 1: 'a' (97) and 256 (match of 3).
    BitWriter w;
    w.put(3, 16);
    tempTable(w, {2, 2, 2, 2});
    w.put(257, 9);                 // C lengths for symbols 0..256
    w.put(2, 2), w.put(97 - 20, 9);  // t=2: 97 zeros
    w.put(3, 2);                   // t=3: 'a' has length 1
    w.put(2, 2), w.put(158 - 20, 9);  // 158 zeros: symbols 98..255
    w.put(3, 2);                   // symbol 256: length 1
    singlePos(w, 0);               // every match at distance 1
    w.put(0, 1);                   // 'a'
    w.put(0, 1);                   // 'a'
    w.put(1, 1);                   // match 3 at distance 1
    EXPECT_EQ(decode(lha::Method::Lh5, w.finish(), 5), Bytes(5, 'a'));
}

struct BadStream {
    const char* name;
    std::function<void(BitWriter&)> write;
    lha::Errc expected;
};

class CraftedLh5Errors : public ::testing::TestWithParam<BadStream> {};

TEST_P(CraftedLh5Errors, EndAsError) {
    BitWriter w;
    GetParam().write(w);
    Bytes stream = w.finish();
    stream.resize(stream.size() + 8, 0);  // some zero bytes after: errors come from the stream, not its end
    try {
        decode(lha::Method::Lh5, stream, 100);
        FAIL() << "decoded without error";
    } catch (const lha::Error& e) {
        EXPECT_EQ(e.code(), GetParam().expected) << e.what();
    }
}

INSTANTIATE_TEST_SUITE_P(
    Table, CraftedLh5Errors,
    ::testing::Values(
        BadStream{"BlockOfZeroSymbols", [](BitWriter& w) { w.put(0, 16); }, lha::Errc::BadData},
        BadStream{"TempCountAboveAlphabet", [](BitWriter& w) { w.put(9, 16), w.put(20, 5); }, lha::Errc::BadData},
        BadStream{"TempSingleOutOfRange", [](BitWriter& w) { w.put(9, 16), singleTemp(w, 19); }, lha::Errc::BadData},
        BadStream{"LengthOver16",
                  [](BitWriter& w) {
                      w.put(9, 16), w.put(3, 5);
                      length(w, 17);
                  },
                  lha::Errc::BadData},
        BadStream{"TempSkipPastCount",
                  [](BitWriter& w) {
                      w.put(9, 16), w.put(3, 5);
                      length(w, 1), length(w, 1), length(w, 0), w.put(2, 2);
                  },
                  lha::Errc::BadData},
        BadStream{"IncompleteCode", [](BitWriter& w) { w.put(9, 16), tempTable(w, {1, 2, 0}); }, lha::Errc::BadData},
        BadStream{"OverFullCode", [](BitWriter& w) { w.put(9, 16), tempTable(w, {1, 1, 1}); }, lha::Errc::BadData},
        BadStream{"CCountAboveAlphabet", [](BitWriter& w) { w.put(9, 16), singleTemp(w, 0), w.put(511, 9); }, lha::Errc::BadData},
        BadStream{"CSingleOutOfRange", [](BitWriter& w) { w.put(9, 16), singleTemp(w, 0), singleC(w, 510); }, lha::Errc::BadData},
        BadStream{"CRunPastCount",
                  [](BitWriter& w) {
                      w.put(9, 16), singleTemp(w, 2);  // every temp symbol is "run of 20+"
                      w.put(10, 9), w.put(0, 9);         // 10 lengths, then a run of 20
                  },
                  lha::Errc::BadData},
        BadStream{"PositionSingleOutOfRange",
                  [](BitWriter& w) { w.put(9, 16), singleTemp(w, 0), singleC(w, 'x'), singlePos(w, 14); },
                  lha::Errc::BadData},
        BadStream{"PositionCountAboveAlphabet",
                  [](BitWriter& w) { w.put(9, 16), singleTemp(w, 0), singleC(w, 'x'), w.put(15, 4); },
                  lha::Errc::BadData},
        BadStream{"DistanceBeforeStart",
                  [](BitWriter& w) { w.put(9, 16), singleTemp(w, 0), singleC(w, 256), singlePos(w, 0); },
                  lha::Errc::BadData}),
    [](const ::testing::TestParamInfo<BadStream>& info) { return std::string(info.param.name); });

TEST(CraftedLh5, StreamEndingBeforeTheOutputIsTruncated) {
    BitWriter w;
    w.put(1, 16), singleTemp(w, 0), singleC(w, 'x'), singlePos(w, 0);  // one symbol, then nothing
    try {
        decode(lha::Method::Lh5, w.finish(), 100);
        FAIL() << "decoded without error";
    } catch (const lha::Error& e) {
        EXPECT_EQ(e.code(), lha::Errc::Truncated) << e.what();
    }
}

// Real streams cut short or with a changed bit never decode silently.
TEST(RealStreams, DamageIsAlwaysReported) {
    auto expected = lhatest::readFile(lhatest::corpus("compressed/lh0.bin"));
    for (auto [file, method] : {std::pair{"lh1.bin", lha::Method::Lh1}, std::pair{"lh5.bin", lha::Method::Lh5},
                                std::pair{"lh7.bin", lha::Method::Lh7}, std::pair{"lz5.bin", lha::Method::Lz5},
                                std::pair{"lzs.bin", lha::Method::Lzs}}) {
        SCOPED_TRACE(file);
        auto stream = lhatest::readFile(lhatest::corpus(std::string("compressed/") + file));
        Bytes cut(stream.begin(), stream.begin() + static_cast<std::ptrdiff_t>(stream.size() / 2));
        EXPECT_THROW(decode(method, cut, expected.size()), lha::Error);
        for (std::size_t at : {std::size_t{40}, stream.size() / 3, stream.size() - 20}) {
            Bytes changed = stream;
            changed[at] ^= 0x10;
            try {
                EXPECT_NE(decode(method, changed, expected.size()), expected) << at;
            } catch (const lha::Error&) {
            }
        }
    }
}

TEST(RealStreams, DistanceIntoThePresetRingIsValidForLArc) {
    // initial.lzs copies from the -lz5- preset dictionary; its CRC proves the contents.
    auto members = lhatest::decodeAll(lhatest::readFile(lhatest::corpus("archives/larc333/initial.lzs")));
    ASSERT_EQ(members.size(), 1u);
    EXPECT_TRUE(members[0].ok) << members[0].message;
    EXPECT_EQ(members[0].header.crc, 0x6005);
}

TEST(Streaming, ProgressReportsAndCancelStops) {
    auto bytes = lhatest::readFile(lhatest::corpus("archives/lha_unix114i/lh7_long.lzh"));
    lha::MemoryInput in(bytes);
    lha::ArchiveReader reader(in);
    ASSERT_TRUE(reader.next());
    const auto total = reader.member().originalSize;
    ASSERT_GT(total, 1000000u);
    std::vector<std::uint64_t> seen;
    reader.test([&](std::uint64_t done, std::uint64_t all) {
        EXPECT_EQ(all, total);
        seen.push_back(done);
        return true;
    });
    ASSERT_GE(seen.size(), 3u);
    EXPECT_EQ(seen.front(), 0u);
    EXPECT_EQ(seen.back(), total);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));

    std::uint64_t written = 0;
    class Counting : public lha::Sink {
    public:
        explicit Counting(std::uint64_t& n) : n_(n) {}
        void write(std::span<const std::uint8_t> b) override { n_ += b.size(); }
        std::uint64_t& n_;
    } sink(written);
    try {
        reader.extract(sink, [](std::uint64_t done, std::uint64_t) { return done == 0; });
        FAIL() << "not cancelled";
    } catch (const lha::Error& e) {
        EXPECT_EQ(e.code(), lha::Errc::Cancelled);
    }
    EXPECT_LT(written, total);
    // The reader stays usable after a cancelled member.
    EXPECT_EQ(lha::crc16(reader.readAll()), reader.member().crc);
}

}  // namespace

namespace {

TEST(Crc16, CheckValueAndPiecewiseUpdates) {
    const std::string check = "123456789";
    EXPECT_EQ(lha::crc16(std::span(reinterpret_cast<const std::uint8_t*>(check.data()), check.size())), 0xBB3D);
    // Pieces of every length through the 8-byte path and the byte path agree.
    std::vector<std::uint8_t> data(1000);
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<std::uint8_t>(i * 131 + 7);
    const std::uint16_t whole = lha::crc16(data);
    for (std::size_t cut : {1u, 7u, 8u, 9u, 500u, 999u}) {
        lha::Crc16 crc;
        crc.update(std::span(data).first(cut));
        crc.update(std::span(data).subspan(cut));
        EXPECT_EQ(crc.value(), whole) << cut;
    }
}

}  // namespace
