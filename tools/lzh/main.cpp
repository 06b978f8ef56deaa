// lzh: the project's LHA archiver. See usage() for the commands.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "commands.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

void usage(std::FILE* out) {
    std::fputs(
        "usage: lzh COMMAND [OPTIONS] ARCHIVE [NAME...]\n"
        "\n"
        "commands:\n"
        "  l, list      list the members\n"
        "  v, verbose   list with method, header level, OS, CRC and offsets\n"
        "  t, test      decode every member and check its length and CRC-16\n"
        "  x, extract   extract into the target folder, keeping folder names\n"
        "  e            extract without folder names\n"
        "  p, print     write member data to standard output\n"
#ifdef LZH_HAVE_CREATE
        "  a, create    create an archive (lzh a --help)\n"
#endif
        "\n"
        "options:\n"
        "  -C DIR, -w DIR, --dir=DIR  target folder for x/e (created if missing; default .)\n"
        "  -f, --force                overwrite existing files\n"
        "  -q, --quiet                print only errors\n"
        "  --progress, --no-progress  force progress display on or off (default: on a terminal)\n"
        "  --codepage=N               code page of member names (default: 932 here, the ANSI code\n"
        "                             page on Windows; an archive's code-page header wins)\n"
        "  -h, --help                 this text\n"
        "\n"
        "NAME selects members by path, with * and ? wildcards; a folder name selects its contents.\n"
        "Member names are made safe before extraction: nothing is written outside the target\n"
        "folder, and symbolic links are never created.\n"
        "\n"
        "exit status: 0 all done; 1 some member failed or was skipped; 2 usage error or\n"
        "unreadable archive.\n",
        out);
}

bool takeValue(int& i, int argc, char** argv, const char* shortOpt, const char* longOpt, std::string& value) {
    const char* a = argv[i];
    std::size_t longLen = std::strlen(longOpt);
    if (std::strcmp(a, shortOpt) == 0 || std::strcmp(a, longOpt) == 0) {
        if (i + 1 >= argc) {
            std::fprintf(stderr, "lzh: %s needs a value\n", a);
            std::exit(lzh::kExitFatal);
        }
        value = argv[++i];
        return true;
    }
    if (std::strncmp(a, longOpt, longLen) == 0 && a[longLen] == '=') {
        value = a + longLen + 1;
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        usage(stderr);
        return lzh::kExitFatal;
    }
    std::string cmd = argv[1];
    if (cmd == "-h" || cmd == "--help" || cmd == "help") {
        usage(stdout);
        return lzh::kExitOk;
    }
#ifdef LZH_HAVE_CREATE
    if (cmd == "a" || cmd == "c" || cmd == "create") return lzh::runCreate(argc - 2, argv + 2);
#endif
    lzh::Options o;
#ifdef _WIN32
    o.codePage = GetACP();  // names go to the ANSI API, which reads them in this code page
#endif
    if (cmd == "l" || cmd == "list") o.command = "list";
    else if (cmd == "v" || cmd == "verbose") o.command = "verbose";
    else if (cmd == "t" || cmd == "test") o.command = "test";
    else if (cmd == "x" || cmd == "extract") o.command = "extract";
    else if (cmd == "e") o.command = "extract", o.flat = true;
    else if (cmd == "p" || cmd == "print") o.command = "print";
    else {
        std::fprintf(stderr, "lzh: unknown command '%s' (lzh --help lists them)\n", cmd.c_str());
        return lzh::kExitFatal;
    }

    bool endOfOptions = false;
    for (int i = 2; i < argc; ++i) {
        std::string a = argv[i], value;
        if (!endOfOptions && a.size() > 1 && a[0] == '-') {
            if (a == "--") endOfOptions = true;
            else if (a == "-f" || a == "--force") o.overwrite = true;
            else if (a == "-q" || a == "--quiet") o.quiet = true;
            else if (a == "--progress") o.progress = 1;
            else if (a == "--no-progress") o.progress = 0;
            else if (a == "-h" || a == "--help") {
                usage(stdout);
                return lzh::kExitOk;
            } else if (takeValue(i, argc, argv, "-C", "--dir", value) || takeValue(i, argc, argv, "-w", "--dir", value))
                o.targetDir = value;
            else if (takeValue(i, argc, argv, "--codepage", "--codepage", value)) {
                char* end = nullptr;
                unsigned long cp = std::strtoul(value.c_str(), &end, 10);
                if (!end || *end || cp > 65535) {
                    std::fprintf(stderr, "lzh: bad code page '%s'\n", value.c_str());
                    return lzh::kExitFatal;
                }
                o.codePage = static_cast<unsigned>(cp);
            } else {
                std::fprintf(stderr, "lzh: unknown option '%s' (lzh --help lists them)\n", a.c_str());
                return lzh::kExitFatal;
            }
            continue;
        }
        if (o.archive.empty()) o.archive = a;
        else o.names.push_back(a);
    }
    if (o.archive.empty()) {
        std::fprintf(stderr, "lzh: no archive named (lzh --help)\n");
        return lzh::kExitFatal;
    }
    if (o.command == "list") return lzh::runList(o, false);
    if (o.command == "verbose") return lzh::runList(o, true);
    if (o.command == "test") return lzh::runTest(o);
    if (o.command == "print") return lzh::runPrint(o);
    return lzh::runExtract(o);
}
