#pragma once
// Streaming compressor for the -lh5-, -lh6- and -lh7- methods. Input is coded
// in fixed 1 MiB chunks, each seeded with the window of text before it, so the
// output depends only on the input and the method, never on how the input was
// fed or on the number of threads; memory stays bounded by the chunk size
// times the thread count.
#include <cstdint>
#include <functional>
#include <memory>
#include <span>
#include <string_view>
#include <vector>

namespace lha {

enum class CompressionMethod { lh5, lh6, lh7 };

// "-lh5-", "-lh6-" or "-lh7-".
std::string_view methodId(CompressionMethod method);

// Parses "lh5", "-lh5-" or "5" (and the same for 6 and 7); throws otherwise.
CompressionMethod parseCompressionMethod(std::string_view text);

struct EncoderOptions {
    CompressionMethod method = CompressionMethod::lh5;
    unsigned threads = 0;  // 0: one per hardware thread
};

class Encoder {
public:
    using Sink = std::function<void(std::span<const std::uint8_t>)>;

    Encoder(const EncoderOptions& options, Sink sink);
    ~Encoder();
    Encoder(const Encoder&) = delete;
    Encoder& operator=(const Encoder&) = delete;

    void write(std::span<const std::uint8_t> data);
    // Codes what is left and sends the last, zero-padded byte. An empty input
    // produces no bytes at all.
    void finish();

    std::uint64_t bytesIn() const;
    std::uint64_t bytesOut() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

// One-shot convenience for data already in memory.
std::vector<std::uint8_t> compress(std::span<const std::uint8_t> data, const EncoderOptions& options = {});

}  // namespace lha
