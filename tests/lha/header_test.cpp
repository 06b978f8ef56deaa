// Malformed headers made by damaging real archives: each ends as an error
// with the right code, never a crash or a read out of bounds.
#include <gtest/gtest.h>

#include <functional>
#include <string_view>

#include "lha/crc16.h"
#include "support.h"

namespace {

using Bytes = std::vector<std::uint8_t>;

void put16(Bytes& b, std::size_t at, unsigned v) {
    b[at] = static_cast<std::uint8_t>(v);
    b[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
void put32(Bytes& b, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}
// Level 0/1: the checksum over bytes 2..H+1 of the header at offset 0.
void fixChecksum(Bytes& b) {
    std::uint8_t sum = 0;
    for (std::size_t i = 2; i < b[0] + 2u; ++i) sum = static_cast<std::uint8_t>(sum + b[i]);
    b[1] = sum;
}

// Reads every header of `archive`; returns the error code of the first
// failure (a header or a member's data), or nothing when all is well.
std::optional<lha::Errc> firstError(const Bytes& archive) {
    try {
        for (const auto& d : lhatest::decodeAll(archive))
            if (!d.ok) return d.error;
        return std::nullopt;
    } catch (const lha::Error& e) {
        return e.code();
    }
}

struct Damage {
    const char* name;
    const char* archive;
    std::function<void(Bytes&)> damage;
    lha::Errc expected;
};

class DamagedHeader : public ::testing::TestWithParam<Damage> {};

TEST_P(DamagedHeader, EndsAsTheExpectedError) {
    const Damage& c = GetParam();
    Bytes bytes = lhatest::readFile(lhatest::corpus(std::string("archives/") + c.archive));
    ASSERT_FALSE(firstError(bytes).has_value()) << "the undamaged archive must be good";
    c.damage(bytes);
    auto error = firstError(bytes);
    ASSERT_TRUE(error.has_value());
    EXPECT_EQ(*error, c.expected);
}

const Damage kDamages[] = {
    // A file that starts like an archive reports its first header's fault.
    {"L0ChecksumWrong", "lharc113/lh1.lzh", [](Bytes& b) { b[1] ^= 0x40; }, lha::Errc::BadHeader},
    {"L0NameLongerThanHeader", "lharc113/lh1.lzh", [](Bytes& b) { b[21] = 250; fixChecksum(b); }, lha::Errc::BadHeader},
    {"L1NameLongerThanHeader", "lha213/lh5.lzh", [](Bytes& b) { b[21] = 10; fixChecksum(b); }, lha::Errc::BadHeader},
    {"L1SkipBelowExtendedHeaders", "lha_unix114i/h1_lh5.lzh", [](Bytes& b) { put32(b, 7, 4); fixChecksum(b); }, lha::Errc::BadHeader},
    {"L1ExtendedHeaderBelow3", "lha_unix114i/h1_lh5.lzh", [](Bytes& b) { put16(b, b[0], 2); fixChecksum(b); }, lha::Errc::BadHeader},
    {"L1HeaderCrcWrong", "lha213/subdir.lzh", [](Bytes& b) { b[b[0] + 3u] ^= 1; }, lha::Errc::BadHeaderCrc},
    {"L2SizeBelowBase", "explzh_723/h2_lh5.lzh", [](Bytes& b) { put16(b, 0, 20); }, lha::Errc::BadHeader},
    {"L2ExtendedPastHeader", "explzh_723/h2_lh5.lzh", [](Bytes& b) { put16(b, 24, 0xFFFF); }, lha::Errc::BadHeader},
    {"L2HeaderCrcWrong", "explzh_723/h2_lh5.lzh", [](Bytes& b) { b[27] ^= 0x20; }, lha::Errc::BadHeaderCrc},
    {"L3WordSizeNot4", "lha_os2_208/h3_lh5.lzh", [](Bytes& b) { put16(b, 0, 2); }, lha::Errc::BadHeader},
    {"L3SizeBelowBase", "lha_os2_208/h3_lh5.lzh", [](Bytes& b) { put32(b, 24, 20); }, lha::Errc::BadHeader},
    {"L3SizeAbsurd", "lha_os2_208/h3_lh5.lzh", [](Bytes& b) { put32(b, 24, 0xFFFFFFF0u); }, lha::Errc::BadHeader},
    {"L3ExtendedHeaderBelow5", "lha_os2_208/h3_lh5.lzh", [](Bytes& b) { put32(b, 28, 4); }, lha::Errc::BadHeader},
    {"CutInsideHeader", "explzh_723/h2_lh5.lzh", [](Bytes& b) { b.resize(40); }, lha::Errc::Truncated},
    // The first member is good; the damage is in the second header.
    {"NotAnArchiveAtAll", "lha213/lh5.lzh", [](Bytes& b) { b[2] = 'x'; b.resize(4000); }, lha::Errc::NotAnArchive},
    {"SecondHeaderCut", "regression/multiple.lzh", [](Bytes& b) { b.resize(66 + 30); }, lha::Errc::Truncated},
    {"SecondHeaderChecksum", "regression/multiple.lzh", [](Bytes& b) { b[66 + 1] ^= 1; }, lha::Errc::BadHeader},
    {"SecondHeaderNotAHeader", "regression/multiple.lzh", [](Bytes& b) { b[66 + 2] = 'x'; }, lha::Errc::BadHeader},
    // Member data.
    {"StoredDataCut", "regression/multiple.lzh", [](Bytes& b) { b.resize(60); }, lha::Errc::Truncated},
    {"StoredDataChanged", "regression/multiple.lzh", [](Bytes& b) { b[60] ^= 1; }, lha::Errc::CrcMismatch},
    {"UnknownMethod", "lha213/lh5.lzh", [](Bytes& b) { b[5] = 'x'; fixChecksum(b); }, lha::Errc::UnsupportedMethod},
    {"Lh5DataCut", "lha213/lh5.lzh", [](Bytes& b) { b.resize(2000); }, lha::Errc::Truncated},
};

INSTANTIATE_TEST_SUITE_P(Table, DamagedHeader, ::testing::ValuesIn(kDamages),
                         [](const ::testing::TestParamInfo<Damage>& info) { return std::string(info.param.name); });

// The first-header damages of the table are also rejected where the header is
// read directly (not through the scan), with the same cause.
TEST(HeaderErrors, DirectReadReportsTheCause) {
    for (const Damage& c : kDamages) {
        if (c.name[0] != 'L' || c.name[1] < '0' || c.name[1] > '3') continue;
        SCOPED_TRACE(c.name);
        Bytes b = lhatest::readFile(lhatest::corpus(std::string("archives/") + c.archive));
        c.damage(b);
        lha::MemoryInput in(b);
        try {
            lha::readHeader(in, 0);
            ADD_FAILURE() << "no error";
        } catch (const lha::Error& e) {
            EXPECT_EQ(e.code(), c.expected);
            if (std::string_view(c.name) == "L3SizeBelowBase") {
                EXPECT_NE(std::string(e.what()).find("below 32"), std::string::npos) << e.what();
            }
        }
    }
}

// A level-2 header chaining more extended headers than any writer uses.
TEST(HeaderErrors, ExtendedHeaderCountIsCapped) {
    Bytes real = lhatest::readFile(lhatest::corpus("archives/explzh_723/h2_lh5.lzh"));
    Bytes b(real.begin(), real.begin() + 24);
    b[23] = 'M';
    const int count = 300;
    b.resize(26 + 3 * count + 1, 0);
    put16(b, 24, 3);
    for (int i = 0; i < count; ++i) {
        std::size_t at = 26 + 3 * i;
        b[at] = 0x3F;  // comment, empty
        put16(b, at + 1, i + 1 < count ? 3 : 0);
    }
    put16(b, 0, static_cast<unsigned>(b.size()));
    put32(b, 7, 0);
    lha::MemoryInput in(b);
    EXPECT_THROW(lha::readHeader(in, 0), lha::Error);
}

// A data error fails that member only; the walk goes on.
TEST(HeaderErrors, DataErrorDoesNotStopTheWalk) {
    Bytes b = lhatest::readFile(lhatest::corpus("archives/regression/multiple.lzh"));
    b[60] ^= 1;
    auto members = lhatest::decodeAll(b);
    ASSERT_EQ(members.size(), 5u);
    EXPECT_FALSE(members[0].ok);
    EXPECT_EQ(members[0].error, lha::Errc::CrcMismatch);
    for (std::size_t i = 1; i < members.size(); ++i) EXPECT_TRUE(members[i].ok) << i;
}

}  // namespace
