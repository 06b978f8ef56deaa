// Writes deterministic benchmark inputs: gendata KIND BYTES > file
//   text    English-like words with a skewed (Zipf-like) vocabulary, lines, punctuation
//   binary  executable-like data: opcode runs, address tables, small integers, padding
//   random  incompressible bytes
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

struct Rng {
    std::uint64_t s;
    std::uint64_t next() {
        s ^= s << 13, s ^= s >> 7, s ^= s << 17;
        return s;
    }
    unsigned below(unsigned n) { return static_cast<unsigned>(next() % n); }
};

void text(Rng& r, std::size_t size, std::string& out) {
    std::vector<std::string> words;
    const char* letters = "etaoinshrdlucmfwypvbgkjqxz";
    for (int i = 0; i < 5000; ++i) {
        std::string w;
        int len = 1 + static_cast<int>(r.below(5)) + static_cast<int>(r.below(6) * r.below(2));
        for (int k = 0; k < len; ++k) w += letters[std::min(r.below(26), r.below(26))];
        words.push_back(w);
    }
    // Zipf-like pick: index = floor(N^u) - 1 for uniform u.
    std::size_t col = 0;
    bool capital = true;
    while (out.size() < size) {
        double u = static_cast<double>(r.next() % 1000000) / 1000000.0;
        std::string w = words[static_cast<std::size_t>(std::pow(5000.0, u)) - 1];
        if (capital) w[0] = static_cast<char>(w[0] - 32), capital = false;
        out += w;
        col += w.size() + 1;
        unsigned p = r.below(20);
        if (p == 0) out += ".", capital = true;
        else if (p == 1) out += ",";
        if (col > 70) out += "\n", col = 0;
        else out += " ";
        if (r.below(400) == 0) out += "\n";
    }
}

void binary(Rng& r, std::size_t size, std::string& out) {
    std::vector<std::string> snippets;  // recurring instruction sequences
    for (int i = 0; i < 300; ++i) {
        std::string s;
        int len = 2 + static_cast<int>(r.below(14));
        for (int k = 0; k < len; ++k) s += static_cast<char>(r.below(4) ? "\x48\x89\x8b\xe8\x0f\x83\xc3\x55\x5d\xff"[r.below(10)] : r.below(256));
        snippets.push_back(s);
    }
    std::uint32_t address = 0x401000;
    while (out.size() < size) {
        switch (r.below(6)) {
        case 0:
        case 1:
        case 2:  // code: snippets with varying displacements
            for (int n = 0; n < 64; ++n) {
                out += snippets[std::min(r.below(300), r.below(300))];
                if (r.below(3) == 0) {
                    std::uint32_t d = r.below(4096);
                    out.append(reinterpret_cast<const char*>(&d), 4);
                }
            }
            break;
        case 3:  // address table
            for (int n = 0; n < 128; ++n) {
                address += 4 * (1 + r.below(64));
                out.append(reinterpret_cast<const char*>(&address), 4);
            }
            break;
        case 4:  // small integers
            for (int n = 0; n < 256; ++n) {
                std::uint16_t v = static_cast<std::uint16_t>(r.below(100) * r.below(3));
                out.append(reinterpret_cast<const char*>(&v), 2);
            }
            break;
        default:  // alignment padding
            out.append(r.below(512), '\0');
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: gendata text|binary|random BYTES > file\n");
        return 2;
    }
    std::size_t size = std::strtoull(argv[2], nullptr, 10);
    Rng r{0x9E3779B97F4A7C15ull};
    std::string out;
    out.reserve(size + 4096);
    if (std::strcmp(argv[1], "text") == 0) text(r, size, out);
    else if (std::strcmp(argv[1], "binary") == 0) binary(r, size, out);
    else
        while (out.size() < size) {
            std::uint64_t v = r.next();
            out.append(reinterpret_cast<const char*>(&v), 8);
        }
    out.resize(size);
    return std::fwrite(out.data(), 1, out.size(), stdout) == out.size() ? 0 : 1;
}
