#include "encoder_huffman.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <numeric>

namespace lha::encoder_detail {
namespace {

constexpr std::size_t kMaxAlphabet = 512;  // the literal/length alphabet has 510 symbols

// In-place minimum-redundancy code lengths (Moffat and Katajainen): `a` holds
// frequencies in ascending order and receives the matching code lengths.
void minimumRedundancyLengths(std::span<std::uint32_t> a) {
    const int n = static_cast<int>(a.size());
    a[0] += a[1];
    int root = 0, leaf = 2;
    for (int next = 1; next < n - 1; ++next) {
        if (leaf >= n || a[root] < a[leaf]) {
            a[next] = a[root];
            a[root++] = static_cast<std::uint32_t>(next);
        } else {
            a[next] = a[leaf++];
        }
        if (leaf >= n || (root < next && a[root] < a[leaf])) {
            a[next] += a[root];
            a[root++] = static_cast<std::uint32_t>(next);
        } else {
            a[next] += a[leaf++];
        }
    }
    a[n - 2] = 0;
    for (int next = n - 3; next >= 0; --next) a[next] = a[a[next]] + 1;
    int avail = 1, used = 0, depth = 0;
    root = n - 2;
    int next = n - 1;
    while (avail > 0) {
        while (root >= 0 && static_cast<int>(a[root]) == depth) {
            ++used;
            --root;
        }
        while (avail > used) {
            a[next--] = static_cast<std::uint32_t>(depth);
            --avail;
        }
        avail = 2 * used;
        ++depth;
        used = 0;
    }
}

// Moves leaves between depths until none is deeper than the limit and the
// Kraft sum is exactly one again.
void limitDepths(std::array<unsigned, 64>& count) {
    constexpr std::uint32_t kFull = 1u << kMaxCodeLength;
    for (unsigned len = kMaxCodeLength + 1; len < count.size(); ++len) {
        count[kMaxCodeLength] += count[len];
        count[len] = 0;
    }
    std::uint64_t kraft = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) kraft += std::uint64_t{count[len]} << (kMaxCodeLength - len);
    while (kraft > kFull) {
        unsigned len = kMaxCodeLength - 1;
        while (count[len] == 0) --len;
        --count[len];
        ++count[len + 1];
        kraft -= 1u << (kMaxCodeLength - len - 1);
    }
    while (kraft < kFull) {
        const std::uint64_t deficit = kFull - kraft;
        unsigned len = kMaxCodeLength;
        while (count[len] == 0 || (1u << (kMaxCodeLength - len)) > deficit) --len;
        --count[len];
        ++count[len - 1];
        kraft += 1u << (kMaxCodeLength - len);
    }
}

}  // namespace

std::vector<std::uint8_t> buildCodeLengths(std::span<const std::uint32_t> freq) {
    std::vector<std::uint8_t> lengths(freq.size(), 0);
    // Symbols ordered by (frequency, symbol), packed into one key so that the
    // sort compares plain integers; block splitting calls this a lot.
    std::array<std::uint64_t, kMaxAlphabet> keys;
    std::size_t used = 0;
    for (std::uint32_t s = 0; s < freq.size(); ++s)
        if (freq[s]) keys[used++] = (std::uint64_t{freq[s]} << 16) | s;
    if (used < 2) return lengths;
    std::sort(keys.begin(), keys.begin() + static_cast<std::ptrdiff_t>(used));

    std::array<std::uint32_t, kMaxAlphabet> work;
    for (std::size_t i = 0; i < used; ++i) work[i] = static_cast<std::uint32_t>(keys[i] >> 16);
    minimumRedundancyLengths(std::span(work).first(used));

    std::array<unsigned, 64> count{};
    for (std::size_t i = 0; i < used; ++i) ++count[std::min<std::uint32_t>(work[i], 63)];
    limitDepths(count);

    // Least frequent symbols (front of `keys`) take the longest codes.
    std::size_t i = 0;
    for (unsigned len = kMaxCodeLength; len >= 1; --len)
        for (unsigned k = 0; k < count[len]; ++k) lengths[keys[i++] & 0xFFFF] = static_cast<std::uint8_t>(len);
    return lengths;
}

std::vector<std::uint16_t> canonicalCodes(std::span<const std::uint8_t> lengths) {
    std::array<unsigned, kMaxCodeLength + 2> count{};
    for (std::uint8_t len : lengths) ++count[len];
    count[0] = 0;
    std::array<std::uint32_t, kMaxCodeLength + 2> next{};
    std::uint32_t code = 0;
    for (unsigned len = 1; len <= kMaxCodeLength; ++len) {
        code = (code + count[len - 1]) << 1;
        next[len] = code;
    }
    std::vector<std::uint16_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); ++s)
        if (lengths[s]) codes[s] = static_cast<std::uint16_t>(next[lengths[s]]++);
    return codes;
}

void estimateSymbolCosts(std::span<const std::uint32_t> freq, std::span<std::uint32_t> cost) {
    const double total = std::accumulate(freq.begin(), freq.end(), 0.0) + 1.0;
    const double unused = 16.0 * (std::log2(total) + 2.0);
    for (std::size_t s = 0; s < freq.size(); ++s) {
        const double bits = freq[s] ? 16.0 * std::log2(total / freq[s]) : unused;
        cost[s] = static_cast<std::uint32_t>(std::clamp(bits, 16.0, 16.0 * 24.0));
    }
}

}  // namespace lha::encoder_detail
