// -lh1-: LZ77 over a 4 KiB window with an adaptive Huffman code for
// literals and lengths and a fixed prefix code for the top bits of positions.
#include <cstring>

#include "bitreader.h"
#include "decoders.h"
#include "window.h"

namespace lha::detail {
namespace {

constexpr int kSymbols = 314;                // 256 literals + lengths 3..60
constexpr int kNodes = kSymbols * 2 - 1;     // 627
constexpr int kRoot = kNodes - 1;            // 626
constexpr std::uint16_t kMaxFreq = 0x8000;   // rebuild when the root reaches it

class Lh1Decoder final : public WindowedDecoder {
public:
    Lh1Decoder(ByteStream& in, std::uint64_t originalSize) : WindowedDecoder(4096, originalSize), br_(in) {
        for (int i = 0; i < kSymbols; ++i) {
            freq_[i] = 1;
            son_[i] = static_cast<std::uint16_t>(i + kNodes);
            parent_[i + kNodes] = static_cast<std::uint16_t>(i);
        }
        for (int i = 0, j = kSymbols; j <= kRoot; i += 2, ++j) {
            freq_[j] = static_cast<std::uint16_t>(freq_[i] + freq_[i + 1]);
            son_[j] = static_cast<std::uint16_t>(i);
            parent_[i] = parent_[i + 1] = static_cast<std::uint16_t>(j);
        }
        freq_[kNodes] = 0xFFFF;  // sentinel above the root
        parent_[kRoot] = 0;
        buildPositionTable();
    }

private:
    // Top six bits of a position: a fixed canonical prefix code of 3..8 bits.
    void buildPositionTable() {
        static constexpr int counts[9] = {0, 0, 0, 1, 3, 8, 12, 24, 16};
        int top = 0;
        unsigned code = 0;
        for (int len = 3; len <= 8; ++len) {
            for (int k = 0; k < counts[len]; ++k, ++top, ++code) {
                unsigned first = code << (8 - len);
                for (unsigned e = first; e < first + (1u << (8 - len)); ++e) {
                    posTop_[e] = static_cast<std::uint8_t>(top);
                    posLen_[e] = static_cast<std::uint8_t>(len);
                }
            }
            code <<= 1;
        }
    }

    void rebuild() {
        int j = 0;
        for (int i = 0; i < kNodes; ++i) {
            if (son_[i] >= kNodes) {
                freq_[j] = static_cast<std::uint16_t>((freq_[i] + 1) / 2);
                son_[j] = son_[i];
                ++j;
            }
        }
        for (int i = 0, j2 = kSymbols; j2 < kNodes; i += 2, ++j2) {
            std::uint16_t f = static_cast<std::uint16_t>(freq_[i] + freq_[i + 1]);
            int k = j2;
            while (k > 0 && freq_[k - 1] > f) --k;
            std::memmove(&freq_[k + 1], &freq_[k], sizeof(freq_[0]) * static_cast<std::size_t>(j2 - k));
            std::memmove(&son_[k + 1], &son_[k], sizeof(son_[0]) * static_cast<std::size_t>(j2 - k));
            freq_[k] = f;
            son_[k] = static_cast<std::uint16_t>(i);
        }
        for (int i = 0; i < kNodes; ++i) {
            int k = son_[i];
            if (k >= kNodes) {
                parent_[k] = static_cast<std::uint16_t>(i);
            } else {
                parent_[k] = parent_[k + 1] = static_cast<std::uint16_t>(i);
            }
        }
    }

    void update(int symbol) {
        if (freq_[kRoot] == kMaxFreq) rebuild();
        int c = parent_[symbol + kNodes];
        for (;;) {
            std::uint16_t k = ++freq_[c];
            if (k > freq_[c + 1]) {
                int l = c + 1;
                while (k > freq_[l + 1]) ++l;
                freq_[c] = freq_[l];
                freq_[l] = k;
                int i = son_[c];
                parent_[i] = static_cast<std::uint16_t>(l);
                if (i < kNodes) parent_[i + 1] = static_cast<std::uint16_t>(l);
                int j = son_[l];
                son_[l] = static_cast<std::uint16_t>(i);
                parent_[j] = static_cast<std::uint16_t>(c);
                if (j < kNodes) parent_[j + 1] = static_cast<std::uint16_t>(c);
                son_[c] = static_cast<std::uint16_t>(j);
                c = l;
            }
            if (c == kRoot) break;
            c = parent_[c];
        }
    }

    int decodeSymbol() {
        int c = son_[kRoot];
        int guard = 0;
        while (c < kNodes) {
            c = son_[c + static_cast<int>(br_.get(1))];
            if (++guard > kNodes) throw Error(Errc::BadData, "adaptive Huffman walk does not end");
        }
        c -= kNodes;
        update(c);
        return c;
    }

    void decode(std::size_t target) override {
        std::uint8_t* w = win_.get();
        std::size_t pos = pos_;
        while (pos < target) {
            int c = decodeSymbol();
            if (c < 256) {
                w[pos++] = static_cast<std::uint8_t>(c);
                continue;
            }
            std::size_t len = static_cast<std::size_t>(c - 253);
            br_.refill();
            unsigned peek = br_.peek(8);
            unsigned top = posTop_[peek];
            br_.consume(posLen_[peek]);
            std::size_t dist = ((top << 6) | br_.get(6)) + 1;
            // LHarc-era encoders match against the initial spaces: no start check.
            copyMatch(w + pos, dist, len);
            pos += len;
        }
        pos_ = pos;
    }

    void finish() override { br_.checkNotOverrun(); }

    BitReader br_;
    std::uint16_t freq_[kNodes + 1];
    std::uint16_t son_[kNodes];
    std::uint16_t parent_[kNodes + kSymbols];
    std::uint8_t posTop_[256];
    std::uint8_t posLen_[256];
};

}  // namespace

std::unique_ptr<Decoder> makeLh1Decoder(ByteStream& in, std::uint64_t originalSize) {
    return std::make_unique<Lh1Decoder>(in, originalSize);
}

}  // namespace lha::detail
