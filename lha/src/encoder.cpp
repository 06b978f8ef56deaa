#include "lha/encoder.h"

#include <algorithm>
#include <exception>
#include <stdexcept>
#include <string>

#include "encoder_bits.h"
#include "encoder_format.h"
#include "encoder_lz.h"
#include "encoder_whole.h"
#include "ordered_work.h"

namespace lha {

using encoder_detail::BitWriter;
using encoder_detail::ChunkCompressor;
using encoder_detail::MethodShape;
using encoder_detail::SearchEffort;
using encoder_detail::kWholeMemberLimit;

namespace {

constexpr std::size_t kChunk = kWholeMemberLimit;

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

struct encoder_detail::WholeMemberCoder::State {
    explicit State(CompressionMethod method) : compressor(shapeOf(method), kEffort) {}
    ChunkCompressor compressor;
};

encoder_detail::WholeMemberCoder::WholeMemberCoder(CompressionMethod method) : state_(std::make_unique<State>(method)) {}
encoder_detail::WholeMemberCoder::~WholeMemberCoder() = default;

std::vector<std::uint8_t> encoder_detail::WholeMemberCoder::code(std::span<const std::uint8_t> data) {
    if (data.size() > kWholeMemberLimit) throw std::invalid_argument("member too large to code whole");
    if (data.empty()) return {};
    BitWriter out;
    state_->compressor.compress(data, 0, true, out);
    out.flushPartialByte();
    return out.takeBytes();
}

struct Encoder::State {
    // Chunks are coded by a pool of workers while the caller reads on, and
    // joined in input order as the oldest finish, so a slow chunk never holds
    // the other workers at a barrier. One spare chunk in flight keeps them
    // busy while the caller joins.
    State(const EncoderOptions& options, Sink s)
        : shape(shapeOf(options.method)),
          workers(detail::OrderedWork::workersFor(options.threads)),
          compressors(workers, [this] { return std::make_unique<ChunkCompressor>(shape, kEffort); }),
          sink(std::move(s)),
          work(workers, workers + 1) {}

    const MethodShape& shape;
    unsigned workers;
    detail::PerWorker<ChunkCompressor> compressors;
    Sink sink;
    std::vector<std::uint8_t> buffer;  // window of history, then pending input
    std::size_t history = 0;
    BitWriter out;
    std::uint64_t in = 0, emitted = 0;
    bool finished = false;
    detail::OrderedWork work;  // last: its threads stop before anything they use goes

    std::size_t window() const { return std::size_t{1} << shape.windowBits; }
    std::size_t pending() const { return buffer.size() - history; }

    void submitChunk(std::size_t length, bool final);
    void emitCompleteBytes();
};

// Queues the next `length` pending bytes with the window before them, then
// keeps one window of history.
void Encoder::State::submitChunk(std::size_t length, bool final) {
    struct Chunk {
        std::vector<std::uint8_t> text;  // window of history, then the chunk
        std::size_t history;
        BitWriter out;
    };
    const std::size_t end = history + length;
    auto chunk = std::make_shared<Chunk>(Chunk{{buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end)}, history, {}});
    const std::size_t keep = std::min(end, window());
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end - keep));
    history = keep;

    auto code = [this, chunk, final](unsigned worker) { compressors.of(worker).compress(chunk->text, chunk->history, final, chunk->out); };
    auto join = [this, chunk] {
        out.append(chunk->out);
        emitCompleteBytes();
    };
    if (final && !work.started()) {
        // A member of one chunk: no thread to start or hand over to.
        code(0);
        join();
    } else {
        work.submit(std::move(code), std::move(join));
    }
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
    // A chunk is queued only once more input shows it is not the last.
    while (!data.empty()) {
        if (s.pending() == kChunk) s.submitChunk(kChunk, false);
        const std::size_t take = std::min(data.size(), kChunk - s.pending());
        s.buffer.insert(s.buffer.end(), data.begin(), data.begin() + static_cast<std::ptrdiff_t>(take));
        data = data.subspan(take);
    }
}

void Encoder::finish() {
    State& s = *state_;
    if (s.finished) return;
    s.finished = true;
    if (s.pending()) s.submitChunk(s.pending(), true);
    s.work.finish();
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
