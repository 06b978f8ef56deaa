// lzh a: creates an archive from files and folders (the encoder side of lzh).
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "command_line.h"
#include "commands.h"
#include "lha/error.h"
#include "native_names.h"
#include "pack.h"
#include "progress_bar.h"

namespace lzh {
namespace {

namespace fs = std::filesystem;

void createUsage(std::FILE* out) {
    std::fputs(
        "usage: lzh a [OPTIONS] ARCHIVE FILE|FOLDER...\n"
        "\n"
        "Creates ARCHIVE from the files and folders named; a folder is stored with\n"
        "everything in it. Members that would not shrink are stored (-lh0-).\n"
        "\n"
        "options:\n"
        "  -m M, --method=M      lh5 (default), lh6 or lh7\n"
        "  -l N, --level=N       header level 0, 1 or 2 (default 2)\n"
        "  --codepage=N          code page of the stored names (default 932, Shift-JIS)\n"
        "  -C DIR, --dir=DIR     take the names relative to DIR\n"
        "  -f, --force           replace ARCHIVE if it exists\n"
        "  -q, --quiet           print only errors\n"
        "  --progress, --no-progress  force the progress bar on or off (default: on a terminal)\n"
        "  --threads=N           compress with N threads (default: one per processor)\n"
        "  -h, --help            this text\n"
        "\n"
        "The same input and options always give the same archive.\n"
        "exit status: 0 archive written; 2 usage error or nothing written.\n",
        out);
}

struct CreateOptions {
    lha::WriterOptions writer;
    std::string archive;
    std::vector<std::string> inputs;
    std::string baseDir;
    bool force = false;
    bool quiet = false;
    int progress = -1;
};

// Returns false when --help was asked for.
bool parse(int argc, char** argv, CreateOptions& o) {
    bool endOfOptions = false;
    for (int i = 0; i < argc; ++i) {
        const std::string a = argv[i];
        std::string value;
        if (endOfOptions || a.size() < 2 || a[0] != '-') {
            (o.archive.empty() ? o.archive : o.inputs.emplace_back()) = a;
        } else if (a == "--") {
            endOfOptions = true;
        } else if (a == "-h" || a == "--help") {
            return false;
        } else if (a == "-f" || a == "--force") {
            o.force = true;
        } else if (a == "-q" || a == "--quiet") {
            o.quiet = true;
        } else if (a == "--progress" || a == "--no-progress") {
            o.progress = a == "--progress";
        } else if (lzhpack::optionValue(i, argc, argv, "-m", "--method", value)) {
            o.writer.method = lha::parseCompressionMethod(value);
        } else if (lzhpack::optionValue(i, argc, argv, "-l", "--level", value)) {
            o.writer.headerLevel = static_cast<int>(lzhpack::decimalOption(value, 0, 2, "header level"));
        } else if (lzhpack::optionValue(i, argc, argv, nullptr, "--codepage", value)) {
            o.writer.codePage = lzhpack::decimalOption(value, 0, 65535, "code page");
        } else if (lzhpack::optionValue(i, argc, argv, "-C", "--dir", value)) {
            o.baseDir = value;
        } else if (lzhpack::optionValue(i, argc, argv, nullptr, "--threads", value)) {
            o.writer.threads = lzhpack::decimalOption(value, 0, 256, "thread count");
        } else {
            throw lha::Error(lha::Errc::Limit, "unknown option '" + a + "' (lzh a --help lists them)");
        }
    }
    if (o.archive.empty() || o.inputs.empty()) throw lha::Error(lha::Errc::Limit, "name an archive and what to put in it (lzh a --help)");
    return true;
}

int create(const CreateOptions& o) {
    const fs::path archive = fs::absolute(lzhpack::localPath(o.archive));
    if (fs::exists(archive) && !o.force) throw lha::Error(lha::Errc::Io, o.archive + " already exists (use -f to replace it)");
    std::vector<fs::path> inputs;
    for (const auto& input : o.inputs) inputs.push_back(lzhpack::localPath(input));
    if (!o.baseDir.empty()) fs::current_path(lzhpack::localPath(o.baseDir));
    auto entries = lzhpack::namedInputs(inputs);
    // An archive replaced inside a folder being packed does not pack itself.
    std::erase_if(entries, [&](const lzhpack::PackEntry& e) {
        std::error_code ec;
        return !e.directory && fs::equivalent(e.source, archive, ec);
    });

    // Written beside the target and renamed at the end, so a failure leaves an
    // existing archive as it was.
    fs::path partial = archive;
    partial += ".partial";
    lzhpack::ProgressBar bar(lzhpack::progressWanted(o.progress, o.quiet), archive.filename().string());
    const auto result = lzhpack::writeArchive(partial, entries, o.writer, [&](std::uint64_t done, std::uint64_t total) { bar.update(done, total); });
    bar.clear();
    fs::rename(partial, archive);
    if (!o.quiet)
        std::printf("%s: %llu members, %llu bytes in %llu bytes (%s)\n", o.archive.c_str(), static_cast<unsigned long long>(result.members),
                    static_cast<unsigned long long>(result.originalBytes), static_cast<unsigned long long>(result.archiveBytes),
                    std::string(lha::methodId(o.writer.method)).c_str());
    return kExitOk;
}

}  // namespace

int runCreate(int argc, char** argv) {
    CreateOptions o;
    try {
        if (!parse(argc, argv, o)) {
            createUsage(stdout);
            return kExitOk;
        }
        return create(o);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "lzh: %s\n", e.what());
        return kExitFatal;
    }
}

}  // namespace lzh
