#include "lha/encoder.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>
#include <thread>

#include "encoder_bits.h"
#include "encoder_format.h"
#include "encoder_lz.h"

namespace lha {

using encoder_detail::BitWriter;
using encoder_detail::ChunkCompressor;
using encoder_detail::MethodShape;
using encoder_detail::SearchEffort;

namespace {

constexpr std::size_t kChunk = std::size_t{1} << 20;

const MethodShape& shapeOf(CompressionMethod method) {
    switch (method) {
        case CompressionMethod::lh5: return encoder_detail::kLh5Shape;
        case CompressionMethod::lh6: return encoder_detail::kLh6Shape;
        case CompressionMethod::lh7: return encoder_detail::kLh7Shape;
    }
    throw std::invalid_argument("unknown compression method");
}

// Measured with bench/encode.sh: twice the tree depth, or a second parse with
// prices from the first, shrank the output by about 0.2% for about 15% more
// time.
constexpr SearchEffort kEffort{12, 32};

unsigned threadCount(unsigned requested) {
    if (requested) return requested;
    return std::max(1u, std::thread::hardware_concurrency());
}

}  // namespace

std::string_view methodId(CompressionMethod method) {
    switch (method) {
        case CompressionMethod::lh5: return "-lh5-";
        case CompressionMethod::lh6: return "-lh6-";
        case CompressionMethod::lh7: return "-lh7-";
    }
    throw std::invalid_argument("unknown compression method");
}

CompressionMethod parseCompressionMethod(std::string_view text) {
    for (auto m : {CompressionMethod::lh5, CompressionMethod::lh6, CompressionMethod::lh7}) {
        const std::string_view id = methodId(m);
        if (text == id || text == id.substr(1, 3) || text == id.substr(3, 1)) return m;
    }
    throw std::invalid_argument("unknown compression method \"" + std::string(text) + "\" (use lh5, lh6 or lh7)");
}

struct Encoder::State {
    State(const EncoderOptions& options, Sink s)
        : shape(shapeOf(options.method)),
          effort(kEffort),
          threads(threadCount(options.threads)),
          sink(std::move(s)) {}

    // One compressor per chunk coded at once, kept for the whole member:
    // tables and buffers are reused from chunk to chunk instead of being
    // allocated and faulted in again each time. Made before the threads start.
    void ensureCompressors(std::size_t count) {
        while (compressors.size() < count) compressors.push_back(std::make_unique<ChunkCompressor>(shape, effort));
    }

    const MethodShape& shape;
    SearchEffort effort;
    unsigned threads;
    Sink sink;
    std::vector<std::unique_ptr<ChunkCompressor>> compressors;
    std::vector<std::uint8_t> buffer;  // window of history, then pending input
    std::size_t history = 0;
    BitWriter out;
    std::uint64_t in = 0, emitted = 0;
    bool finished = false;

    std::size_t window() const { return std::size_t{1} << shape.windowBits; }
    std::size_t pending() const { return buffer.size() - history; }

    void codeChunks(std::size_t count, std::size_t lastLength, bool final);
    void emitCompleteBytes();
};

// Codes `count` consecutive chunks of pending input in parallel (the last one
// `lastLength` bytes long, and the end of the input when `final`), then keeps
// one window of history.
void Encoder::State::codeChunks(std::size_t count, std::size_t lastLength, bool final) {
    std::vector<BitWriter> outputs(count);
    std::vector<std::exception_ptr> errors(count);
    ensureCompressors(count);
    auto job = [&](std::size_t k) {
        try {
            const std::size_t start = history + k * kChunk;
            const std::size_t length = k + 1 == count ? lastLength : kChunk;
            const std::size_t from = start - std::min(start, window());
            compressors[k]->compress(std::span<const std::uint8_t>(buffer).subspan(from, start + length - from), start - from,
                                     final && k + 1 == count, outputs[k]);
        } catch (...) {
            errors[k] = std::current_exception();
        }
    };
    {
        std::vector<std::jthread> workers;
        for (std::size_t k = 1; k < count; ++k) workers.emplace_back(job, k);
        job(0);
    }
    for (auto& e : errors)
        if (e) std::rethrow_exception(e);
    for (const BitWriter& o : outputs) out.append(o);

    const std::size_t end = history + (count - 1) * kChunk + lastLength;
    const std::size_t keep = std::min(end, window());
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end - keep));
    history = keep;
    emitCompleteBytes();
}

void Encoder::State::emitCompleteBytes() {
    const auto bytes = out.takeBytes();
    if (bytes.empty()) return;
    emitted += bytes.size();
    sink(bytes);
}

Encoder::Encoder(const EncoderOptions& options, Sink sink) : state_(std::make_unique<State>(options, std::move(sink))) {}

Encoder::~Encoder() = default;

void Encoder::write(std::span<const std::uint8_t> data) {
    State& s = *state_;
    if (s.finished) throw std::logic_error("Encoder::write after finish");
    s.in += data.size();
    // A full round is coded only once more input shows it is not the last.
    const std::size_t round = s.threads * kChunk;
    while (!data.empty()) {
        if (s.pending() == round) s.codeChunks(s.threads, kChunk, false);
        const std::size_t take = std::min(data.size(), round - s.pending());
        s.buffer.insert(s.buffer.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
    }
}

void Encoder::finish() {
    State& s = *state_;
    if (s.finished) return;
    s.finished = true;
    if (const std::size_t rest = s.pending()) {
        const std::size_t chunks = (rest + kChunk - 1) / kChunk;
        s.codeChunks(chunks, rest - (chunks - 1) * kChunk, true);
    }
    s.out.flushPartialByte();
    s.emitCompleteBytes();
}

std::uint64_t Encoder::bytesIn() const { return state_->in; }
std::uint64_t Encoder::bytesOut() const { return state_->emitted; }

std::vector<std::uint8_t> compress(std::span<const std::uint8_t> data, const EncoderOptions& options) {
    std::vector<std::uint8_t> result;
    Encoder encoder(options, [&](std::span<const std::uint8_t> bytes) { result.insert(result.end(), bytes.begin(), bytes.end()); });
    encoder.write(data);
    encoder.finish();
    return result;
}

}  // namespace lha
