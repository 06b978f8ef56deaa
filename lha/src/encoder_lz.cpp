#include "encoder_lz.h"

#include <algorithm>
#include <cstring>
#include <limits>

#include "encoder_blocks.h"
#include "encoder_huffman.h"

namespace lha::encoder_detail {
namespace {

constexpr unsigned kHashBits = 16;      // the nearest match of three bytes
constexpr unsigned kTreeHashBits = 17;  // the trees, one per four-byte hash
constexpr std::size_t kSegment = 1 << 16;
constexpr std::size_t kPrefetchAhead = 16;
constexpr std::uint32_t kUnreached = std::numeric_limits<std::uint32_t>::max();

inline std::uint32_t hash3(const std::uint8_t* p) {
    const std::uint32_t v = (std::uint32_t{p[0]} << 16) | (std::uint32_t{p[1]} << 8) | p[2];
    return (v * 0x9E3779B1u) >> (32 - kHashBits);
}

inline std::uint32_t hash4(const std::uint8_t* p) {
    std::uint32_t v;
    std::memcpy(&v, p, 4);
    return (v * 0x9E3779B1u) >> (32 - kTreeHashBits);
}

inline unsigned commonLength(const std::uint8_t* a, const std::uint8_t* b, unsigned limit) {
    unsigned n = 0;
    while (n + 8 <= limit) {
        std::uint64_t x, y;
        std::memcpy(&x, a + n, 8);
        std::memcpy(&y, b + n, 8);
        if (const std::uint64_t diff = x ^ y) return n + static_cast<unsigned>(__builtin_ctzll(diff) >> 3);
        n += 8;
    }
    while (n < limit && a[n] == b[n]) ++n;
    return n;
}

}  // namespace

ChunkCompressor::ChunkCompressor(const MethodShape& shape, const SearchEffort& effort)
    : shape_(shape),
      effort_(effort),
      head_(std::size_t{1} << kTreeHashBits),
      nearest_(std::size_t{1} << kHashBits),
      tree_(std::size_t{2} << shape.windowBits) {}

// Binary-tree match finder: the positions sharing a hash bucket form a
// search tree ordered by the text that follows them, so the longest matches
// are reached in a few steps however long the bucket is. Each call also
// re-roots the tree at `pos`.
unsigned ChunkCompressor::searchTree(std::size_t pos, unsigned treeLimit, Match* out) {
    const std::uint8_t* cur = data_ + pos;
    const std::size_t mask = tree_.size() / 2 - 1;
    unsigned best = kMinMatch - 1, found = 0;

    // Three-byte matches pay only when near, so the most recent one is kept
    // apart; the trees then sort four-byte buckets, which stay small.
    const std::uint32_t h3 = hash3(cur);
    const std::int32_t near = nearest_[h3];
    nearest_[h3] = static_cast<std::int32_t>(pos);
    if (out && near >= 0 && pos - static_cast<std::size_t>(near) <= mask && std::memcmp(data_ + near, cur, kMinMatch) == 0) {
        out[found++] = {static_cast<std::uint16_t>(kMinMatch), static_cast<std::uint16_t>(pos - static_cast<std::size_t>(near) - 1)};
        best = kMinMatch;
    }
    if (treeLimit <= kMinMatch) return found;

    const std::uint32_t h = hash4(cur);
    std::int32_t candidate = head_[h];
    head_[h] = static_cast<std::int32_t>(pos);
    std::int32_t* smaller = &tree_[2 * (pos & mask)];
    std::int32_t* larger = smaller + 1;
    unsigned smallerLen = 0, largerLen = 0;
    for (unsigned depth = effort_.chainDepth;; --depth) {
        const std::size_t distance = pos - static_cast<std::size_t>(candidate);
        if (candidate < 0 || depth == 0 || distance > mask) {
            *smaller = *larger = -1;
            break;
        }
        std::int32_t* node = &tree_[2 * (static_cast<std::size_t>(candidate) & mask)];
        const std::uint8_t* old = data_ + candidate;
        unsigned len = std::min(smallerLen, largerLen);
        if (old[len] == cur[len]) {
            len += commonLength(old + len + 1, cur + len + 1, treeLimit - len - 1) + 1;
            if (len > best) {
                best = len;
                if (out) out[found++] = {static_cast<std::uint16_t>(len), static_cast<std::uint16_t>(distance - 1)};
            }
            if (len >= treeLimit) {
                *smaller = node[0];
                *larger = node[1];
                break;
            }
        }
        if (old[len] < cur[len]) {
            *smaller = candidate;
            smaller = node + 1;
            candidate = *smaller;
            smallerLen = len;
        } else {
            *larger = candidate;
            larger = node;
            candidate = *larger;
            largerLen = len;
        }
    }
    return found;
}

// The hash heads are spread over more memory than the caches keep; asking for
// a later position's buckets early hides most of that wait (measured 3-6%).
void ChunkCompressor::prefetchBuckets(std::size_t pos) const {
    __builtin_prefetch(&head_[hash4(data_ + pos)], 1);
    __builtin_prefetch(&nearest_[hash3(data_ + pos)], 1);
}

void ChunkCompressor::insert(std::size_t pos) {
    const unsigned limit = static_cast<unsigned>(std::min<std::size_t>(effort_.niceLength, size_ - pos));
    searchTree(pos, limit, nullptr);
}

unsigned ChunkCompressor::findMatches(std::size_t pos, unsigned maxLength, Match* out) {
    const unsigned treeLimit = std::min(effort_.niceLength, maxLength);
    const unsigned found = searchTree(pos, treeLimit, out);
    // The tree compares no further than the nice length; a match that got
    // there is extended as far as it goes.
    if (found && out[found - 1].length == treeLimit && treeLimit < maxLength) {
        Match& m = out[found - 1];
        const std::size_t from = pos - m.distance - 1;
        m.length = static_cast<std::uint16_t>(treeLimit + commonLength(data_ + from + treeLimit, data_ + pos + treeLimit, maxLength - treeLimit));
    }
    return found;
}

// Forward shortest-path parse: a position's cost is final when it is reached,
// so its matches are searched right then and relaxed at once.
void ChunkCompressor::parse(std::size_t begin, std::size_t end, const Prices& prices, std::vector<Token>& tokens, bool endsStream) {
    const std::size_t n = end - begin;
    cost_.assign(n + 1, kUnreached);
    from_.resize(n + 1);
    cost_[0] = 0;
    std::uint32_t lastMatchCost = kUnreached;
    Match lastMatch{0, 0};
    std::uint32_t* const cost = cost_.data();
    Match* const from = from_.data();
    Match found[kMaxMatch];
    std::size_t searchFrom = 0;  // positions before it lie inside a long match taken whole
    for (std::size_t i = 0; i < n; ++i) {
        const std::uint32_t here = cost[i];
        const std::uint32_t literal = here + prices.symbol[data_[begin + i]];
        if (literal < cost[i + 1]) {
            cost[i + 1] = literal;
            from[i + 1] = {1, 0};
        }
        const unsigned maxLength = static_cast<unsigned>(std::min<std::size_t>(kMaxMatch, size_ - (begin + i)));
        if (i < searchFrom || maxLength < kMinMatch) continue;
        if (begin + i + kPrefetchAhead + 4 <= size_) prefetchBuckets(begin + i + kPrefetchAhead);
        const unsigned count = findMatches(begin + i, maxLength, found);
        if (count && found[count - 1].length >= effort_.niceLength) {
            // Long repeats are taken whole. The positions inside them are not
            // even added to the trees: the text they repeat is there already.
            searchFrom = i + found[count - 1].length;
        }
        unsigned shorter = kMinMatch - 1;
        for (unsigned m = 0; m < count; ++m) {
            const Match match = found[m];
            const unsigned longest = static_cast<unsigned>(std::min<std::size_t>(match.length, n - i));
            const std::uint32_t base = here + prices.position[positionSymbol(match.distance)];
            // Whether a length improves its target is data-dependent and
            // poorly predicted: select instead of branching.
            for (unsigned len = shorter + 1; len <= longest; ++len) {
                const std::uint32_t c = base + prices.symbol[lengthSymbol(len)];
                const bool better = c < cost[i + len];
                cost[i + len] = better ? c : cost[i + len];
                from[i + len] = better ? Match{static_cast<std::uint16_t>(len), match.distance} : from[i + len];
            }
            if (i + longest == n) {
                const std::uint32_t c = base + prices.symbol[lengthSymbol(longest)];
                if (c < lastMatchCost) {
                    lastMatchCost = c;
                    lastMatch = {static_cast<std::uint16_t>(longest), match.distance};
                }
            }
            shorter = std::max(shorter, longest);
        }
    }
    // Some readers decode one symbol too far after a final literal and then
    // run out of data; ending on a match, when one reaches the end, avoids
    // that for a few bits at most.
    if (endsStream && from_[n].length == 1 && lastMatch.length) from_[n] = lastMatch;
    const std::size_t first = tokens.size();
    for (std::size_t i = n; i > 0;) {
        const Match step = from_[i];
        if (step.length == 1) {
            tokens.push_back({data_[begin + i - 1], 0});
        } else {
            tokens.push_back({static_cast<std::uint16_t>(lengthSymbol(step.length)), step.distance});
        }
        i -= step.length;
    }
    std::reverse(tokens.begin() + static_cast<std::ptrdiff_t>(first), tokens.end());
}

ChunkCompressor::Prices ChunkCompressor::pricesFrom(std::span<const Token> tokens) const {
    TokenHistogram h;
    h.addAll(tokens);
    Prices p;
    estimateSymbolCosts(h.symbols, p.symbol);
    estimateSymbolCosts(std::span<const std::uint32_t>(h.positions).first(shape_.positionSymbols), p.position);
    for (unsigned q = 0; q < kMaxPositionSymbols; ++q) p.position[q] += q > 1 ? 16 * (q - 1) : 0;
    return p;
}

// Before any tokens exist: literals priced by byte frequency, matches by a
// flat length price and their distance's raw bits.
ChunkCompressor::Prices ChunkCompressor::initialPrices(std::size_t begin, std::size_t end) const {
    std::uint32_t bytes[256] = {};
    for (std::size_t i = begin; i < end; ++i) ++bytes[data_[i]];
    Prices p;
    estimateSymbolCosts(bytes, std::span<std::uint32_t>(p.symbol, 256));
    for (unsigned s = 256; s < kLiteralLengthSymbols; ++s) p.symbol[s] = 16 * (s < 256 + 16 ? 6 : 10);
    for (unsigned q = 0; q < kMaxPositionSymbols; ++q) p.position[q] = 16 * (3 + (q > 1 ? q - 1 : 0));
    return p;
}

void ChunkCompressor::compress(std::span<const std::uint8_t> data, std::size_t history, bool endsStream, BitWriter& out) {
    data_ = data.data();
    size_ = data.size();
    std::fill(head_.begin(), head_.end(), -1);
    std::fill(nearest_.begin(), nearest_.end(), -1);
    for (std::size_t pos = 0; pos < history && pos + kMinMatch <= size_; ++pos) insert(pos);

    std::vector<Token>& tokens = tokens_;
    tokens.clear();
    bool havePrices = false;
    Prices prices{};
    for (std::size_t begin = history, end = 0; begin < size_; begin = end) {
        // A short tail joins the segment before it: matches never cross a
        // segment's end, and the stream's last bytes should be able to match.
        end = size_ - begin < kSegment + kSegment / 4 ? size_ : begin + kSegment;
        if (!havePrices) prices = initialPrices(begin, end);
        const std::size_t first = tokens.size();
        parse(begin, end, prices, tokens, endsStream && end == size_);
        prices = pricesFrom(std::span<const Token>(tokens).subspan(first));
        havePrices = true;
    }
    writeBlocks(out, tokens, shape_);
}

}  // namespace lha::encoder_detail
