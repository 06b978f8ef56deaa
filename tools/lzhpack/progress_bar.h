#pragma once
// A one-line progress bar on stderr for long packing work.
#include <chrono>
#include <cstdint>
#include <string>

namespace lzhpack {

class ProgressBar {
public:
    ProgressBar(bool enabled, std::string label) : enabled_(enabled), label_(std::move(label)) {}
    ~ProgressBar() { clear(); }
    ProgressBar(const ProgressBar&) = delete;
    ProgressBar& operator=(const ProgressBar&) = delete;

    void update(std::uint64_t done, std::uint64_t total);
    void clear();

private:
    bool enabled_;
    bool shown_ = false;
    std::string label_;
    std::chrono::steady_clock::time_point last_{};
};

// Progress is shown on a terminal unless asked otherwise: -1 auto, 0 off, 1 on.
bool progressWanted(int setting, bool quiet);

}  // namespace lzhpack
