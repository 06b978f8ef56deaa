// Writes the encode benchmark's inputs: deterministic text-like and
// binary-like data of a given size, so every run measures the same bytes.
//   encode_corpus text|binary SIZE OUTPUT
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <string>
#include <vector>

namespace {

class Random {
public:
    explicit Random(std::uint64_t seed) : state_(seed) {}
    std::uint64_t next() {
        std::uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
    double unit() { return static_cast<double>(next() >> 11) / 9007199254740992.0; }
    // Zipf-like rank in [0, n): small ranks are much more likely.
    unsigned zipf(unsigned n) { return static_cast<unsigned>(std::pow(n + 1.0, unit())) - 1; }

private:
    std::uint64_t state_;
};

// Sentences over a vocabulary of syllable-built words with Zipf frequencies
// and per-word preferred followers, so phrases recur as they do in prose.
std::string makeText(std::size_t size, Random& r) {
    const char* syllables[] = {"ka", "to", "ri", "an", "el", "mo", "sur", "the", "in", "ver", "la", "dor", "en",
                               "qu", "is", "ta", "ne", "om", "pre", "sta", "lo", "ch", "ar", "mi", "de", "un"};
    std::vector<std::string> words(20000);
    for (auto& w : words) {
        const unsigned n = 1 + r.below(3) + (r.below(4) == 0);
        for (unsigned k = 0; k < n; ++k) w += syllables[r.zipf(26)];
    }
    std::vector<std::vector<unsigned>> followers(words.size());
    for (auto& f : followers)
        for (unsigned k = 0; k < 6; ++k) f.push_back(r.zipf(static_cast<unsigned>(words.size())));
    std::string out;
    out.reserve(size + 256);
    unsigned word = 0, inParagraph = 0;
    while (out.size() < size) {
        const unsigned length = 4 + r.below(20);
        for (unsigned i = 0; i < length; ++i) {
            word = r.below(3) ? followers[word][r.zipf(6)] : r.zipf(static_cast<unsigned>(words.size()));
            std::string w = words[word];
            if (i == 0) w[0] = static_cast<char>(w[0] - 'a' + 'A');
            out += w;
            if (i + 1 < length) out += r.below(12) ? " " : (r.below(3) ? ", " : " " + std::to_string(r.zipf(2000)) + " ");
        }
        out += r.below(8) ? ". " : "? ";
        if (++inParagraph > 3 + r.below(6)) {
            out += "\r\n\r\n";
            inParagraph = 0;
        }
    }
    out.resize(size);
    return out;
}

void put16(std::string& out, unsigned v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>((v >> 8) & 0xFF);
}
void put32(std::string& out, std::uint32_t v) {
    put16(out, v & 0xFFFF);
    put16(out, v >> 16);
}

// Game-data-like binary: record tables, 16-bit audio, paletted tiles,
// code-like byte patterns and already-compressed noise, interleaved.
std::string makeBinary(std::size_t size, Random& r) {
    std::string out;
    out.reserve(size + 65536);
    std::vector<std::string> opcodes;
    for (unsigned k = 0; k < 300; ++k) {
        std::string op;
        for (unsigned b = 0, n = 1 + r.below(4); b < n; ++b) op += static_cast<char>(r.zipf(256));
        opcodes.push_back(op);
    }
    std::uint32_t recordId = 1000;
    while (out.size() < size) {
        switch (r.below(10)) {
            case 0:
            case 1:
                for (unsigned i = 0, n = 200 + r.below(2000); i < n; ++i) {  // records
                    put32(out, recordId++);
                    put16(out, r.zipf(64));
                    put16(out, 100 * r.zipf(50));
                    float f = static_cast<float>(r.zipf(1000)) * 0.25f;
                    std::uint32_t bits;
                    std::memcpy(&bits, &f, 4);
                    put32(out, bits);
                    out += std::string(4, static_cast<char>(r.below(4) ? 0 : r.below(256)));
                }
                break;
            case 2:
            case 3: {  // audio: a few sine voices plus noise
                double phase = r.unit() * 6.28, step = 0.01 + r.unit() * 0.2;
                for (unsigned i = 0, n = 4000 + r.below(30000); i < n; ++i) {
                    phase += step;
                    const int sample = static_cast<int>(9000 * std::sin(phase) + 3000 * std::sin(phase * 2.7)) +
                                       static_cast<int>(r.below(200)) - 100;
                    put16(out, static_cast<unsigned>(sample) & 0xFFFF);
                }
                break;
            }
            case 4:
            case 5:
            case 6:
                for (unsigned t = 0, n = 16 + r.below(200); t < n; ++t) {  // 16x16 tiles, runs of palette indices
                    const unsigned base = r.below(240);
                    for (unsigned p = 0; p < 256;) {
                        const unsigned run = 1 + r.zipf(12);
                        const char c = static_cast<char>(base + r.zipf(16));
                        for (unsigned k = 0; k < run && p < 256; ++k, ++p) out += c;
                    }
                }
                break;
            case 7:
            case 8:
                for (unsigned i = 0, n = 2000 + r.below(20000); i < n; ++i) {  // code-like
                    out += opcodes[r.zipf(300)];
                    if (r.below(3) == 0) put32(out, 0x401000 + 4 * r.zipf(4096));
                }
                break;
            default:
                for (unsigned i = 0, n = 1000 + r.below(30000); i < n; ++i) out += static_cast<char>(r.next());
        }
    }
    out.resize(size);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::cerr << "usage: encode_corpus text|binary SIZE OUTPUT\n";
        return 2;
    }
    const std::string kind = argv[1];
    const std::size_t size = std::strtoull(argv[2], nullptr, 10);
    Random r(kind == "text" ? 1 : 2);
    const std::string data = kind == "text" ? makeText(size, r) : makeBinary(size, r);
    std::ofstream(argv[3], std::ios::binary).write(data.data(), static_cast<std::streamsize>(data.size()));
    return 0;
}
