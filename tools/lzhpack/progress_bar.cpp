#include "progress_bar.h"

#include <cstdio>

#ifdef _WIN32
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

namespace lzhpack {

void ProgressBar::update(std::uint64_t done, std::uint64_t total) {
    if (!enabled_) return;
    const auto now = std::chrono::steady_clock::now();
    if (shown_ && done < total && now - last_ < std::chrono::milliseconds(100)) return;
    last_ = now;
    constexpr int kWidth = 30;
    const double fraction = total ? static_cast<double>(done) / static_cast<double>(total) : 1.0;
    const int filled = static_cast<int>(fraction * kWidth);
    std::string bar(static_cast<std::size_t>(filled), '#');
    bar.resize(kWidth, '.');
    std::fprintf(stderr, "\r%s [%s] %3d%%  %.1f/%.1f MiB", label_.c_str(), bar.c_str(), static_cast<int>(fraction * 100),
                 static_cast<double>(done) / 1048576.0, static_cast<double>(total) / 1048576.0);
    std::fflush(stderr);
    shown_ = true;
}

void ProgressBar::clear() {
    if (!shown_) return;
    std::fprintf(stderr, "\r%*s\r", static_cast<int>(label_.size() + 64), "");
    std::fflush(stderr);
    shown_ = false;
}

bool progressWanted(int setting, bool quiet) {
    if (setting >= 0) return setting == 1;
    return !quiet && isatty(fileno(stderr));
}

}  // namespace lzhpack
