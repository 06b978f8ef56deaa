// gamedisk: makes the disk set of a game for the installer.
#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "command_line.h"
#include "disk_set.h"
#include "disk_size.h"
#include "lha/error.h"
#include "native_names.h"
#include "progress_bar.h"
#include "setup_names.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

namespace fs = std::filesystem;

enum Exit { kOk = 0, kRefused = 1, kUsage = 2 };

constexpr std::size_t kMaxProjectName = 100;  // a folder name inside the install path
constexpr std::size_t kMaxGameTitle = 200;    // the shortcut's file name, with ".lnk"
const char* const kGameRuntime = "ZORV_RT.exe";

void usage(std::FILE* out) {
    std::fputs(
        "usage: gamedisk [OPTIONS] GAME_FOLDER PROJECT_NAME GAME_TITLE\n"
        "\n"
        "Packs GAME_FOLDER into PROJECT_NAME.lzh and writes, into the output folder,\n"
        "what the installer needs: Setup.exe, Setup.ini, UNLHA32.DLL and the archive.\n"
        "With --disk-size the archive is cut into PROJECT_NAME.001, .002, ... and the\n"
        "set is written as one folder per disk (Disk1, Disk2, ...); the first disk also\n"
        "holds the installer's files, and no disk holds more than the size.\n"
        "\n"
        "options:\n"
        "  -o DIR, --output=DIR     where the set goes (default: PROJECT_NAME-disks)\n"
        "  -s SIZE, --disk-size=SIZE\n"
        "                           split for disks of SIZE: 1440k, 1200k, 720k or 360k\n"
        "                           (floppies, counted as their file system stores files),\n"
        "                           or a byte count with an optional k or m suffix\n"
        "  -t T, --target=T         installer build: win32 (default) or win64\n"
        "  --dist=DIR               folder with the installer builds, DIR/T/Setup.exe and\n"
        "                           DIR/T/UNLHA32.DLL (default: the dist folder this\n"
        "                           program was installed from)\n"
        "  -m M, --method=M         lh5 (default), lh6 or lh7\n"
        "  --codepage=N             code page of names and Setup.ini (default 932, Shift-JIS;\n"
        "                           1252 for Western European games)\n"
        "  -f, --force              replace the output folder if it exists\n"
        "  -q, --quiet              print only errors and warnings\n"
        "  --progress, --no-progress  force the progress bar on or off (default: on a terminal)\n"
        "  -h, --help               this text\n"
        "\n"
        "exit status: 0 the set was written; 1 refused or failed (nothing is left behind);\n"
        "2 usage error.\n",
        out);
}

struct Arguments {
    std::vector<std::string> positional;
    std::string output, diskSize, target = "win32", dist, method = "lh5";
    unsigned codePage = 932;
    bool force = false, quiet = false;
    int progress = -1;
};

// Returns false for --help.
bool parse(int argc, char** argv, Arguments& a) {
    bool endOfOptions = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string value;
        if (endOfOptions || arg.size() < 2 || arg[0] != '-') a.positional.push_back(arg);
        else if (arg == "--") endOfOptions = true;
        else if (arg == "-h" || arg == "--help") return false;
        else if (arg == "-f" || arg == "--force") a.force = true;
        else if (arg == "-q" || arg == "--quiet") a.quiet = true;
        else if (arg == "--progress" || arg == "--no-progress") a.progress = arg == "--progress";
        else if (lzhpack::optionValue(i, argc, argv, "-o", "--output", value)) a.output = value;
        else if (lzhpack::optionValue(i, argc, argv, "-s", "--disk-size", value)) a.diskSize = value;
        else if (lzhpack::optionValue(i, argc, argv, "-t", "--target", value)) a.target = value;
        else if (lzhpack::optionValue(i, argc, argv, nullptr, "--dist", value)) a.dist = value;
        else if (lzhpack::optionValue(i, argc, argv, "-m", "--method", value)) a.method = value;
        else if (lzhpack::optionValue(i, argc, argv, nullptr, "--codepage", value)) a.codePage = lzhpack::decimalOption(value, 1, 65535, "code page");
        else {
            throw std::invalid_argument("unknown option '" + arg + "' (gamedisk --help lists them)");
        }
    }
    if (a.positional.size() != 3) throw std::invalid_argument("expected GAME_FOLDER PROJECT_NAME GAME_TITLE (gamedisk --help)");
    if (a.target != "win32" && a.target != "win64") throw std::invalid_argument("target must be win32 or win64");
    return true;
}

fs::path programFolder() {
#ifdef _WIN32
    std::wstring path(32768, L'\0');
    path.resize(GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
    return fs::path(path).parent_path();
#else
    std::error_code ec;
    const fs::path self = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::current_path() : self.parent_path();
#endif
}

// The installer builds lie in dist/<target>/; this program is in dist/host/bin/
// (or dist/<flavour>/ for a Windows build of it).
fs::path installerFolder(const Arguments& a) {
    if (!a.dist.empty()) return lzhpack::localPath(a.dist) / a.target;
    const fs::path here = programFolder();
    for (const fs::path& dist : {here.parent_path().parent_path(), here.parent_path()})
        if (fs::is_regular_file(dist / a.target / "Setup.exe")) return dist / a.target;
    return here.parent_path().parent_path() / a.target;
}

bool hasGameRuntime(const fs::path& folder) {
    // Compared on the native names, ignoring ASCII case as Windows does.
    const auto expected = fs::path(kGameRuntime).native();
    auto lower = [](auto c) { return c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c; };
    for (const auto& item : fs::directory_iterator(folder)) {
        const auto name = item.path().filename().native();
        if (item.is_regular_file() && name.size() == expected.size() &&
            std::equal(name.begin(), name.end(), expected.begin(), [&](auto x, auto y) { return lower(x) == lower(y); }))
            return true;
    }
    return false;
}

std::string inCodePage(const std::string& text, unsigned codePage, const char* setting) {
    try {
        return lzhpack::textToCodePage(text, codePage);
    } catch (const lha::Error&) {
        throw std::invalid_argument(std::string(setting) + " cannot be written in code page " + std::to_string(codePage) +
                                    " (choose another with --codepage)");
    }
}

gamedisk::DiskSetRequest requestFrom(const Arguments& a) {
    gamedisk::DiskSetRequest r;
    r.gameFolder = lzhpack::localPath(a.positional[0]);
    r.projectName = inCodePage(a.positional[1], a.codePage, "ProjectName");
    r.gameTitle = inCodePage(a.positional[2], a.codePage, "GameTitle");
    gamedisk::checkSetupName(r.projectName, a.codePage, "ProjectName", kMaxProjectName);
    gamedisk::checkSetupName(r.gameTitle, a.codePage, "GameTitle", kMaxGameTitle);
    r.archiveStem = lzhpack::localPath(a.positional[1]);
    r.output = fs::absolute(lzhpack::localPath(a.output.empty() ? a.positional[1] + "-disks" : a.output)).lexically_normal();
    r.installerFolder = installerFolder(a);
    if (!a.diskSize.empty()) r.diskSize = gamedisk::parseDiskSize(a.diskSize);
    r.writer.method = lha::parseCompressionMethod(a.method);
    r.writer.codePage = a.codePage;
    r.replaceOutput = a.force;

    if (!fs::is_directory(r.gameFolder)) throw std::invalid_argument("game folder " + r.gameFolder.string() + " does not exist");
    const auto contents = lzhpack::folderContents(r.gameFolder);
    if (std::none_of(contents.begin(), contents.end(), [](const lzhpack::PackEntry& e) { return !e.directory; }))
        throw std::invalid_argument("game folder " + r.gameFolder.string() + " has no files");
    const fs::path game = fs::absolute(r.gameFolder).lexically_normal();
    const auto [g, o] = std::mismatch(game.begin(), game.end(), r.output.begin(), r.output.end());
    if (g == game.end()) throw std::invalid_argument("the output folder must not lie inside the game folder");
    return r;
}

}  // namespace

int main(int argc, char** argv) {
    Arguments a;
    try {
        if (!parse(argc, argv, a)) {
            usage(stdout);
            return kOk;
        }
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gamedisk: %s\n", e.what());
        return kUsage;
    }
    try {
        gamedisk::DiskSetRequest r = requestFrom(a);
        gamedisk::checkFirstDiskFits(r);
        if (!hasGameRuntime(r.gameFolder))
            std::fprintf(stderr, "gamedisk: warning: %s has no %s; the installed shortcut and uninstall entry point at it\n",
                         r.gameFolder.string().c_str(), kGameRuntime);
        lzhpack::ProgressBar bar(lzhpack::progressWanted(a.progress, a.quiet), "packing");
        r.progress = [&](std::uint64_t done, std::uint64_t total) { bar.update(done, total); };
        const auto result = gamedisk::makeDiskSet(r);
        bar.clear();
        if (!a.quiet) {
            std::printf("%s: %llu-byte archive, %s\n", r.output.string().c_str(), static_cast<unsigned long long>(result.archiveBytes),
                        result.disks ? (std::to_string(result.disks) + " disk(s)").c_str() : "one folder");
            for (const auto& f : result.files) std::printf("  %s\n", f.generic_string().c_str());
        }
        return kOk;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "gamedisk: %s\n", e.what());
        return kRefused;
    }
}
