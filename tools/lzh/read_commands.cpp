// list, test, extract and print.
#include <chrono>
#include <cinttypes>
#include <cstdio>
#include <ctime>
#include <memory>

#include "commands.h"
#include "files.h"
#include "lha/path.h"
#include "lha/reader.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace lzh {
namespace {

#ifdef _WIN32
constexpr char kSep = '\\';
#else
constexpr char kSep = '/';
#endif

// '*' and '?' wildcards over the whole path ('*' crosses '/').
bool wildcard(const char* p, const char* s) {
    const char* star = nullptr;
    const char* resume = nullptr;
    while (*s) {
        if (*p == '?' || (*p && *p == *s)) {
            ++p, ++s;
        } else if (*p == '*') {
            star = p++;
            resume = s;
        } else if (star) {
            p = star + 1;
            s = ++resume;
        } else {
            return false;
        }
    }
    while (*p == '*') ++p;
    return *p == 0;
}

// True when `path` is selected; marks the patterns that selected it.
bool selected(const Options& o, const std::string& path, std::vector<bool>& used) {
    if (o.names.empty()) return true;
    bool any = false;
    for (std::size_t i = 0; i < o.names.size(); ++i) {
        std::string pat = o.names[i];
        for (char& c : pat)
            if (c == '\\') c = '/';
        while (pat.size() > 1 && pat.back() == '/') pat.pop_back();
        bool match = wildcard(pat.c_str(), path.c_str()) ||
                     (path.size() > pat.size() && path[pat.size()] == '/' &&
                      wildcard(pat.c_str(), path.substr(0, pat.size()).c_str()));
        if (match) used[i] = any = true;
    }
    return any;
}

lha::ReaderOptions readerOptions(const Options& o) {
    lha::ReaderOptions r;
    r.header.codePage = o.codePage;
    return r;
}

std::string methodText(const lha::MemberHeader& m) { return std::string(m.methodId.data(), m.methodId.size()); }

std::string displayName(const lha::MemberHeader& m) {
    std::string s = printable(m.path);
    if (m.isDirectory) s += '/';
    if (m.isSymlink) s += " -> " + printable(m.symlinkTarget);
    return s;
}

std::string timeText(const lha::MemberHeader& m) {
    char buf[32];
    if (!m.modificationTime && !m.unixTime && m.dosTime) {
        std::uint32_t t = m.dosTime;
        std::snprintf(buf, sizeof buf, "%04u-%02u-%02u %02u:%02u", 1980 + (t >> 25), (t >> 21) & 15, (t >> 16) & 31,
                      (t >> 11) & 31, (t >> 5) & 63);
        return buf;
    }
    auto secs = m.mtimeUnix();
    if (!secs) return "                ";
    std::time_t tt = static_cast<std::time_t>(*secs);
    std::tm* tm = std::localtime(&tt);
    if (!tm) return "                ";
    std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M", tm);
    return buf;
}

std::int64_t modificationSeconds(const lha::MemberHeader& m) {
    if (m.modificationTime || m.unixTime) return *m.mtimeUnix();
    return m.dosTime ? localDosTimeToUnix(m.dosTime) : -1;
}

// Opens the archive and reports fatal errors; nullptr after printing one.
struct Opened {
    std::unique_ptr<lha::FileInput> input;
    std::unique_ptr<lha::ArchiveReader> reader;
};

bool open(const Options& o, Opened& out) {
    try {
        out.input = std::make_unique<lha::FileInput>(o.archive);
        out.reader = std::make_unique<lha::ArchiveReader>(*out.input, readerOptions(o));
        return true;
    } catch (const lha::Error& e) {
        std::fprintf(stderr, "lzh: %s: %s\n", o.archive.c_str(), e.what());
        return false;
    }
}

// Shows "name  NN%" on stderr for members over 1 MiB, at most ten times a second.
class Progress {
public:
    Progress(const Options& o) : enabled_(o.progress == 1 || (o.progress == -1 && !o.quiet && stderrIsTerminal())) {}

    lha::ProgressFn forMember(const lha::MemberHeader& m) {
        if (!enabled_ || m.originalSize < (1u << 20)) return {};
        name_ = printable(m.path);
        shown_ = false;
        last_ = std::chrono::steady_clock::now();
        return [this](std::uint64_t done, std::uint64_t total) {
            auto now = std::chrono::steady_clock::now();
            if (done < total && now - last_ < std::chrono::milliseconds(100)) return true;
            last_ = now;
            int pct = total ? static_cast<int>(done * 100 / total) : 100;
            std::fprintf(stderr, "\r%s  %3d%%", name_.c_str(), pct);
            std::fflush(stderr);
            shown_ = true;
            return true;
        };
    }
    void clear() {
        if (shown_) std::fprintf(stderr, "\r%*s\r", static_cast<int>(name_.size() + 6), "");
        shown_ = false;
    }

private:
    bool enabled_;
    bool shown_ = false;
    std::string name_;
    std::chrono::steady_clock::time_point last_;
};

// Walks the selected members; `each` returns false when the member failed.
// Returns the exit status.
template <class F>
int walk(const Options& o, F&& each) {
    Opened a;
    if (!open(o, a)) return kExitFatal;
    bool failed = false;
    std::vector<bool> used(o.names.size());
    try {
        while (a.reader->next()) {
            const auto& m = a.reader->member();
            if (!selected(o, m.path, used)) continue;
            if (!each(*a.reader, m)) failed = true;
        }
    } catch (const lha::Error& e) {
        std::fprintf(stderr, "lzh: %s: %s\n", o.archive.c_str(), e.what());
        return kExitFatal;
    }
    for (std::size_t i = 0; i < used.size(); ++i) {
        if (!used[i]) {
            std::fprintf(stderr, "lzh: %s: no member matches\n", o.names[i].c_str());
            failed = true;
        }
    }
    return failed ? kExitMemberFailed : kExitOk;
}

}  // namespace

std::string printable(const std::string& bytes) {
    std::string out;
    for (unsigned char c : bytes) {
        if (c < 0x20 || c == 0x7F) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\x%02X", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out;
}

int runList(const Options& o, bool verbose) {
    std::uint64_t totalOrig = 0, totalPacked = 0, count = 0;
    auto ratio = [](std::uint64_t packed, std::uint64_t orig) {
        return orig ? 100.0 * static_cast<double>(packed) / static_cast<double>(orig) : 0.0;
    };
    const char* rule = verbose ? "------------ ---------- ------ ------ -- ---- ---- ---- ------------ ----------------\n"
                               : "------------ ---------- ------ ------ ----------------\n";
    if (!o.quiet) {
        if (verbose)
            std::printf("%12s %10s %6s %-6s %2s %-4s %-4s %-4s %12s %-16s %s\n", "Original", "Packed", "Ratio", "Method",
                        "Lv", "OS", "CRC", "Attr", "Header at", "Date", "Name");
        else
            std::printf("%12s %10s %6s %-6s %-16s %s\n", "Original", "Packed", "Ratio", "Method", "Date", "Name");
        std::fputs(rule, stdout);
    }
    int status = walk(o, [&](lha::ArchiveReader&, const lha::MemberHeader& m) {
        ++count;
        totalOrig += m.originalSize;
        totalPacked += m.compressedSize;
        if (verbose) {
            char os[8];
            if (m.level == 0) std::snprintf(os, sizeof os, "-");
            else if (m.os >= 0x21 && m.os < 0x7F) std::snprintf(os, sizeof os, "%c", m.os);
            else std::snprintf(os, sizeof os, "%02X", m.os);
            std::printf("%12" PRIu64 " %10" PRIu64 " %5.1f%% %-6s %2d %-4s %04x %02x   %12" PRIu64 " %s %s%s\n",
                        m.originalSize, m.compressedSize, ratio(m.compressedSize, m.originalSize),
                        methodText(m).c_str(), m.level, os, m.crc, m.attributes, m.headerOffset,
                        timeText(m).c_str(), displayName(m).c_str(),
                        lha::isSupported(m.method) ? "" : "  [unsupported method]");
        } else {
            std::printf("%12" PRIu64 " %10" PRIu64 " %5.1f%% %-6s %s %s\n", m.originalSize, m.compressedSize,
                        ratio(m.compressedSize, m.originalSize), methodText(m).c_str(), timeText(m).c_str(),
                        displayName(m).c_str());
        }
        return true;
    });
    if (!o.quiet && status != kExitFatal) {
        std::fputs(rule, stdout);
        std::printf("%12" PRIu64 " %10" PRIu64 " %5.1f%% %" PRIu64 " member(s)\n", totalOrig, totalPacked,
                    ratio(totalPacked, totalOrig), count);
    }
    return status;
}

int runTest(const Options& o) {
    Progress progress(o);
    std::uint64_t tested = 0, failures = 0;
    int status = walk(o, [&](lha::ArchiveReader& r, const lha::MemberHeader& m) {
        ++tested;
        try {
            r.test(progress.forMember(m));
            progress.clear();
            if (!o.quiet) std::printf("  OK  %s\n", displayName(m).c_str());
            return true;
        } catch (const lha::Error& e) {
            progress.clear();
            ++failures;
            std::printf("FAIL  %s: %s\n", displayName(m).c_str(), e.what());
            return false;
        }
    });
    if (status != kExitFatal && !o.quiet)
        std::printf("%" PRIu64 " member(s) tested, %" PRIu64 " failed\n", tested, failures);
    return status;
}

int runPrint(const Options& o) {
#ifdef _WIN32
    _setmode(_fileno(stdout), _O_BINARY);
#endif
    class StdoutSink final : public lha::Sink {
    public:
        void write(std::span<const std::uint8_t> b) override {
            if (std::fwrite(b.data(), 1, b.size(), stdout) != b.size()) throw lha::Error(lha::Errc::Io, "write to standard output failed");
        }
    } sink;
    return walk(o, [&](lha::ArchiveReader& r, const lha::MemberHeader& m) {
        try {
            r.extract(sink);
            return true;
        } catch (const lha::Error& e) {
            std::fflush(stdout);
            std::fprintf(stderr, "lzh: %s: %s\n", displayName(m).c_str(), e.what());
            return false;
        }
    });
}

int runExtract(const Options& o) {
    Progress progress(o);
    std::string root = o.targetDir.empty() ? "." : o.targetDir;
    while (root.size() > 1 && (root.back() == '/' || root.back() == '\\')) root.pop_back();
    // The target folder itself may need creating (with its parents).
    for (std::size_t i = 1; i <= root.size(); ++i) {
        if (i == root.size() || root[i] == '/' || root[i] == '\\') {
            std::string prefix = root.substr(0, i);
            if (pathKind(prefix) == PathKind::Missing) makeDirectory(prefix);
        }
    }
    if (pathKind(root) != PathKind::Directory && pathKind(root) != PathKind::Link) {
        std::fprintf(stderr, "lzh: cannot use target folder %s\n", root.c_str());
        return kExitFatal;
    }

    lha::SafePathOptions safe;
    safe.codePage = o.codePage;
    safe.separator = kSep;
    std::uint64_t done = 0, failures = 0;
    std::vector<std::pair<std::string, std::int64_t>> dirTimes;

    int status = walk(o, [&](lha::ArchiveReader& r, const lha::MemberHeader& m) {
        auto fail = [&](const std::string& why) {
            ++failures;
            std::printf("FAIL  %s: %s\n", displayName(m).c_str(), why.c_str());
            return false;
        };
        lha::SafePath sp = lha::resolveSafePath(m, safe);
        if (m.isDirectory && (sp.issues & lha::kPathEmpty)) return true;  // nameless folder entry: nothing to do
        if (sp.refused) {
            std::string why;
            for (std::uint32_t bit = 1; bit; bit <<= 1)
                if (sp.issues & safe.refuse & bit) why += std::string(why.empty() ? "" : ", ") + lha::pathIssueName(bit);
            return fail("skipped: " + why);
        }
        std::string rel = sp.path;
        if (o.flat && !m.isDirectory) {
            std::size_t cut = rel.rfind(kSep);
            if (cut != std::string::npos) rel = rel.substr(cut + 1);
        } else if (o.flat) {
            return true;
        }
        // Create the folders on the way, never through a link.
        std::string path = root;
        std::size_t start = 0;
        for (;;) {
            std::size_t cut = rel.find(kSep, start);
            bool last = cut == std::string::npos;
            path += kSep;
            path += rel.substr(start, last ? std::string::npos : cut - start);
            if (last && !m.isDirectory) break;
            PathKind k = pathKind(path);
            if (k == PathKind::Link) return fail("folder " + printable(path) + " is a link, not followed");
            if (k == PathKind::Missing && !makeDirectory(path)) return fail("cannot create folder " + printable(path));
            if (k == PathKind::File || k == PathKind::Other) return fail(printable(path) + " exists and is not a folder");
            if (last) break;
            start = cut + 1;
        }
        if (m.isDirectory) {
            std::int64_t t = modificationSeconds(m);
            if (t >= 0) dirTimes.emplace_back(path, t);
            if (!o.quiet) std::printf("  OK  %s\n", displayName(m).c_str());
            ++done;
            return true;
        }
        try {
            OutputFile out(path, o.overwrite);
            try {
                r.extract(out, progress.forMember(m));
                out.close();
            } catch (...) {
                progress.clear();
                try {
                    out.close();
                } catch (...) {
                }
                removeFile(path);
                throw;
            }
        } catch (const lha::Error& e) {
            progress.clear();
            return fail(e.what());
        }
        progress.clear();
        std::int64_t t = modificationSeconds(m);
        if (t >= 0) setModificationTime(path, t);
        ++done;
        if (!o.quiet) {
            std::printf("  OK  %s", displayName(m).c_str());
            if (sp.issues) std::printf("  (as %s)", printable(rel).c_str());
            std::printf("\n");
        }
        return true;
    });
    // Folder times last: writing their contents changed them.
    for (auto it = dirTimes.rbegin(); it != dirTimes.rend(); ++it) setModificationTime(it->first, it->second);
    if (status != kExitFatal && !o.quiet)
        std::printf("%" PRIu64 " member(s) extracted, %" PRIu64 " failed\n", done, failures);
    return status;
}

#ifndef LZH_HAVE_CREATE
int runCreate(int, char**) { return kExitFatal; }
#endif

}  // namespace lzh
