// LArc methods: -lzs- (LZSS as a bit stream, 2 KiB ring) and -lz5- (LZSS
// with flag bytes, 4 KiB ring with a preset dictionary). Both address the
// ring by absolute position; the linear window turns that into a distance.
#include "bitreader.h"
#include "decoders.h"
#include "window.h"

namespace lha::detail {
namespace {

class RingDecoder : public WindowedDecoder {
protected:
    RingDecoder(ByteStream& in, std::size_t ringSize, std::size_t start, std::uint64_t originalSize)
        : WindowedDecoder(ringSize, originalSize), br_(in), mask_(ringSize - 1), ring_(start) {}

    // Sets the ring's initial contents: the window byte `d` back from the
    // first output is ring position (start - d).
    template <class F>
    void presetRing(F&& initial) {
        for (std::size_t d = 1; d <= history_; ++d) win_[history_ - d] = initial((ring_ - d) & mask_);
    }

    void copyFromRing(std::size_t& pos, std::size_t ringPos, std::size_t len) {
        std::size_t dist = ((ring_ - ringPos - 1) & mask_) + 1;
        copyMatch(win_.get() + pos, dist, len);
        pos += len;
        ring_ += len;
    }
    void literal(std::size_t& pos, std::uint8_t b) {
        win_[pos++] = b;
        ++ring_;
    }

    void finish() override { br_.checkNotOverrun(); }

    BitReader br_;
    std::size_t mask_;
    std::size_t ring_;  // ring position of the next output byte (unmasked)
};

class LzsDecoder final : public RingDecoder {
public:
    LzsDecoder(ByteStream& in, std::uint64_t originalSize) : RingDecoder(in, 2048, 2048 - 17, originalSize) {}

private:
    void decode(std::size_t target) override {
        std::size_t pos = pos_;
        while (pos < target) {
            br_.refill();
            if (br_.get(1)) {
                literal(pos, static_cast<std::uint8_t>(br_.get(8)));
            } else {
                std::size_t at = br_.get(11);
                std::size_t len = br_.get(4) + 2;
                copyFromRing(pos, at, len);
            }
        }
        pos_ = pos;
    }
};

class Lz5Decoder final : public RingDecoder {
public:
    Lz5Decoder(ByteStream& in, std::uint64_t originalSize) : RingDecoder(in, 4096, 4096 - 18, originalSize) {
        presetRing([](std::size_t i) -> std::uint8_t {
            if (i < 3328) return static_cast<std::uint8_t>(i / 13);
            if (i < 3584) return static_cast<std::uint8_t>(i - 3328);
            if (i < 3840) return static_cast<std::uint8_t>(255 - (i - 3584));
            if (i < 3968) return 0;
            if (i < 4078) return 0x20;
            return 0;
        });
    }

private:
    void decode(std::size_t target) override {
        std::size_t pos = pos_;
        while (pos < target) {
            if (flagsLeft_ == 0) {
                flags_ = br_.get(8);
                flagsLeft_ = 8;
            }
            br_.refill();
            bool isLiteral = flags_ & 1;
            flags_ >>= 1;
            --flagsLeft_;
            if (isLiteral) {
                literal(pos, static_cast<std::uint8_t>(br_.get(8)));
            } else {
                std::size_t b0 = br_.get(8), b1 = br_.get(8);
                copyFromRing(pos, b0 | (b1 & 0xF0) << 4, (b1 & 0x0F) + 3);
            }
        }
        pos_ = pos;
    }

    unsigned flags_ = 0;
    int flagsLeft_ = 0;
};

}  // namespace

std::unique_ptr<Decoder> makeLzsDecoder(ByteStream& in, std::uint64_t originalSize) {
    return std::make_unique<LzsDecoder>(in, originalSize);
}
std::unique_ptr<Decoder> makeLz5Decoder(ByteStream& in, std::uint64_t originalSize) {
    return std::make_unique<Lz5Decoder>(in, originalSize);
}

}  // namespace lha::detail
