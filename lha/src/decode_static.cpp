// -lh4- .. -lh7- and -lk7-: LZ77 with static canonical Huffman codes sent
// per block (a code for the code lengths, the literal/length code, the
// position code).
#include <cstring>

#include "bitreader.h"
#include "decoders.h"
#include "huffman.h"
#include "window.h"

namespace lha::detail {
namespace {

constexpr int kNT = 19;     // code-length ("temp") alphabet
constexpr int kTBit = 5;
constexpr int kCBit = 9;

class StaticHuffmanDecoder final : public WindowedDecoder {
public:
    StaticHuffmanDecoder(ByteStream& in, int windowBits, bool lhark, std::uint64_t originalSize)
        : WindowedDecoder(historyFor(windowBits, lhark), originalSize),
          br_(in),
          lhark_(lhark),
          nc_(lhark ? 289 : 510),
          np_(lhark ? 64 : (windowBits <= 13 ? 14 : windowBits + 1)),
          pbit_(lhark ? 6 : (windowBits <= 13 ? 4 : 5)),
          c_(nc_, 11),
          p_(np_, 8),
          t_(kNT, 8) {}

private:
    // Every distance the stream can express fits in the history, so only the
    // start of the member (checkDistance) limits it.
    static std::size_t historyFor(int windowBits, bool lhark) {
        if (lhark) return std::size_t{1} << 16;
        int np = windowBits <= 13 ? 14 : windowBits + 1;
        return std::size_t{1} << (np - 1);
    }

    // A code-length list: the temp table (skipAt = 3) or the position table.
    void readLengths(HuffmanTable& table, int nmax, int nbit, int skipAt) {
        int n = static_cast<int>(br_.get(nbit));
        if (n == 0) {
            table.setSingle(static_cast<int>(br_.get(nbit)));
            return;
        }
        if (n > nmax) throw Error(Errc::BadData, "code-length count above the alphabet size");
        std::uint8_t len[64] = {};
        int i = 0;
        while (i < n) {
            br_.refill();
            int l = static_cast<int>(br_.get(3));
            if (l == 7) {
                while (br_.getBit()) {
                    if (++l > 16) throw Error(Errc::BadData, "code length over 16");
                }
            }
            len[i++] = static_cast<std::uint8_t>(l);
            if (i == skipAt) {
                int k = static_cast<int>(br_.get(2));
                if (i + k > n) throw Error(Errc::BadData, "zero run past the code-length count");
                i += k;  // len[] is already zero there
            }
        }
        table.build(len, nmax);
    }

    void readCTable() {
        int n = static_cast<int>(br_.get(kCBit));
        if (n == 0) {
            c_.setSingle(static_cast<int>(br_.get(kCBit)));
            return;
        }
        if (n > nc_) throw Error(Errc::BadData, "literal/length count above the alphabet size");
        std::uint8_t len[510] = {};
        int i = 0;
        while (i < n) {
            br_.refill();
            int t = t_.decode(br_);
            if (t > 2) {
                len[i++] = static_cast<std::uint8_t>(t - 2);
                continue;
            }
            int run = t == 0 ? 1 : t == 1 ? static_cast<int>(br_.get(4)) + 3 : static_cast<int>(br_.get(9)) + 20;
            if (i + run > n) throw Error(Errc::BadData, "zero run past the literal/length count");
            i += run;
        }
        c_.build(len, nc_);
    }

    void readBlock() {
        br_.checkNotOverrun();
        blockLeft_ = br_.get(16);
        if (blockLeft_ == 0) throw Error(Errc::BadData, "block of zero symbols");
        readLengths(t_, kNT, kTBit, 3);
        readCTable();
        readLengths(p_, np_, pbit_, -1);
        br_.checkNotOverrun();
    }

    void decode(std::size_t target) override {
        try {
            if (lhark_) return decodeLoop<true>(target);
            decodeLoop<false>(target);
        } catch (const Error& e) {
            // Garbage read past the end of the data is a truncation.
            if (e.code() == Errc::BadData) br_.checkNotOverrun();
            throw;
        }
    }

    template <bool Lhark>
    void decodeLoop(std::size_t target) {
        std::uint8_t* const w = win_.get();
        std::size_t pos = pos_;
        while (pos < target) {
            if (blockLeft_ == 0) readBlock();
            // Locals, so that stores into the window do not force reloads.
            BitState s = br_.s;
            const std::uint32_t* const ct = c_.data();
            const std::uint32_t* const pt = p_.data();
            const int cb = c_.tableBits(), pb = p_.tableBits();
            const std::size_t origin = origin_;
            std::uint32_t left = blockLeft_;
            while (left != 0 && pos < target) {
                if (!s.tryRefill()) {
                    br_.s = s;
                    br_.slowRefill();
                    s = br_.s;
                }
                int c = HuffmanTable::decode(ct, cb, s);
                --left;
                if (c < 256) {
                    w[pos++] = static_cast<std::uint8_t>(c);
                    // 40 bits are still there: a second symbol needs no refill.
                    if (left == 0 || pos >= target) break;
                    c = HuffmanTable::decode(ct, cb, s);
                    --left;
                    if (c < 256) {
                        w[pos++] = static_cast<std::uint8_t>(c);
                        continue;
                    }
                    if (s.count < (Lhark ? 40 : 32) && !s.tryRefill()) {
                        br_.s = s;
                        br_.slowRefill();
                        s = br_.s;
                    }
                }
                std::size_t len;
                if (!Lhark) {
                    len = static_cast<std::size_t>(c - 253);
                } else if (c < 264) {
                    len = static_cast<std::size_t>(c - 253);
                } else if (c < 288) {
                    int k = (c - 260) / 4;
                    len = (static_cast<std::size_t>(4 + c % 4) << k) + s.peek(k) + 3;
                    s.consume(k);
                } else {
                    len = 514;
                }
                int q = HuffmanTable::decode(pt, pb, s);
                std::size_t dist;
                if (!Lhark) {
                    if (q <= 1) {
                        dist = static_cast<std::size_t>(q) + 1;
                    } else {
                        dist = (std::size_t{1} << (q - 1)) + s.peek(q - 1) + 1;
                        s.consume(q - 1);
                    }
                } else if (q < 4) {
                    dist = static_cast<std::size_t>(q) + 1;
                } else {
                    int k = (q - 2) / 2;
                    if (k > 14) {
                        br_.s = s;
                        throw Error(Errc::BadData, "distance beyond the window");
                    }
                    dist = (static_cast<std::size_t>(2 + q % 2) << k) + s.peek(k) + 1;
                    s.consume(k);
                }
                if (dist > pos - origin) [[unlikely]] {
                    br_.s = s;
                    checkDistance(pos, dist);
                }
                copyMatch(w + pos, dist, len);
                pos += len;
            }
            blockLeft_ = left;
            br_.s = s;
        }
        pos_ = pos;
    }

    void finish() override { br_.checkNotOverrun(); }

    BitReader br_;
    bool lhark_;
    int nc_, np_, pbit_;
    HuffmanTable c_, p_, t_;
    std::uint32_t blockLeft_ = 0;
};

}  // namespace

std::unique_ptr<Decoder> makeStaticHuffmanDecoder(ByteStream& in, int windowBits, bool lhark,
                                                  std::uint64_t originalSize) {
    return std::make_unique<StaticHuffmanDecoder>(in, windowBits, lhark, originalSize);
}

}  // namespace lha::detail
