#include "lha/encoder.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <mutex>
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

namespace {

// Chunks are coded by a pool of workers while the caller reads on; each keeps
// its compressor (trees, tables, buffers) for the whole member. Output is
// joined in input order as the oldest chunks finish, so a slow chunk never
// holds the other workers at a barrier.
class ChunkPipeline {
public:
    struct Job {
        std::vector<std::uint8_t> text;  // window of history, then the chunk
        std::size_t history = 0;
        bool final = false;
        BitWriter out;
        std::exception_ptr error;
        bool done = false;
    };

    ChunkPipeline(const MethodShape& shape, unsigned workers) : shape_(shape), workers_(workers) {}

    ~ChunkPipeline() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
        }
        jobReady_.notify_all();
    }

    // Queues a chunk; `collect` receives finished chunks in order. Waits while
    // more chunks are in flight than the workers and one spare can hold, which
    // bounds memory however fast the input comes.
    template <typename Collect>
    void submit(std::unique_ptr<Job> job, Collect&& collect) {
        if (workers_ <= 1 || (threads_.empty() && job->final)) {
            // One chunk in all, or no threads wanted: no handover to pay for.
            if (!inline_) inline_ = std::make_unique<ChunkCompressor>(shape_, kEffort);
            run(*job, *inline_);
            collect(*job);
            return;
        }
        startWorkers();
        {
            std::lock_guard lock(mutex_);
            jobs_.push_back(std::move(job));
        }
        jobReady_.notify_one();
        drain(workers_ + 1, collect);
    }

    // Waits for every queued chunk.
    template <typename Collect>
    void finish(Collect&& collect) { drain(0, collect); }

private:
    static void run(Job& job, ChunkCompressor& compressor) {
        try {
            compressor.compress(job.text, job.history, job.final, job.out);
        } catch (...) {
            job.error = std::current_exception();
        }
    }

    void startWorkers() {
        if (!threads_.empty()) return;
        for (unsigned k = 0; k < workers_; ++k) threads_.emplace_back([this] { work(); });
    }

    void work() {
        ChunkCompressor compressor(shape_, kEffort);
        for (;;) {
            Job* job;
            {
                std::unique_lock lock(mutex_);
                jobReady_.wait(lock, [&] { return stopping_ || started_ < jobs_.size(); });
                if (stopping_) return;
                job = jobs_[started_++].get();
            }
            run(*job, compressor);
            {
                std::lock_guard lock(mutex_);
                job->done = true;
            }
            jobDone_.notify_all();
        }
    }

    // Hands finished chunks to `collect` in order until at most `inFlight`
    // remain queued.
    template <typename Collect>
    void drain(std::size_t inFlight, Collect&& collect) {
        for (;;) {
            std::unique_ptr<Job> job;
            {
                std::unique_lock lock(mutex_);
                if (jobs_.size() <= inFlight && (jobs_.empty() || !jobs_.front()->done)) return;
                jobDone_.wait(lock, [&] { return jobs_.front()->done; });
                job = std::move(jobs_.front());
                jobs_.pop_front();
                --started_;
            }
            collect(*job);
        }
    }

    const MethodShape& shape_;
    unsigned workers_;
    std::unique_ptr<ChunkCompressor> inline_;
    std::mutex mutex_;
    std::condition_variable jobReady_, jobDone_;
    std::deque<std::unique_ptr<Job>> jobs_;  // in input order; the first `started_` are taken
    std::size_t started_ = 0;
    bool stopping_ = false;
    std::vector<std::jthread> threads_;  // last member: joined before the queue goes
};

}  // namespace

struct Encoder::State {
    State(const EncoderOptions& options, Sink s)
        : shape(shapeOf(options.method)), pipeline(shape, threadCount(options.threads)), sink(std::move(s)) {}

    const MethodShape& shape;
    ChunkPipeline pipeline;
    Sink sink;
    std::vector<std::uint8_t> buffer;  // window of history, then pending input
    std::size_t history = 0;
    BitWriter out;
    std::uint64_t in = 0, emitted = 0;
    bool finished = false;

    std::size_t window() const { return std::size_t{1} << shape.windowBits; }
    std::size_t pending() const { return buffer.size() - history; }

    void submitChunk(std::size_t length, bool final);
    void collect(ChunkPipeline::Job& job);
    void emitCompleteBytes();
};

// Queues the next `length` pending bytes with the window before them, then
// keeps one window of history.
void Encoder::State::submitChunk(std::size_t length, bool final) {
    auto job = std::make_unique<ChunkPipeline::Job>();
    const std::size_t end = history + length;
    job->text.assign(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end));
    job->history = history;
    job->final = final;
    const std::size_t keep = std::min(end, window());
    buffer.erase(buffer.begin(), buffer.begin() + static_cast<std::ptrdiff_t>(end - keep));
    history = keep;
    pipeline.submit(std::move(job), [this](ChunkPipeline::Job& done) { collect(done); });
}

void Encoder::State::collect(ChunkPipeline::Job& job) {
    if (job.error) std::rethrow_exception(job.error);
    out.append(job.out);
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
    s.pipeline.finish([&s](ChunkPipeline::Job& done) { s.collect(done); });
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
