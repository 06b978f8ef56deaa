#pragma once
// The lzh commands. Each returns the process exit status:
//   0  every member was handled
//   1  at least one member failed or was skipped (data error, CRC error,
//      unsupported method, unsafe name refused, file not written)
//   2  nothing could be done: usage error, unreadable or corrupt archive
#include <string>
#include <vector>

namespace lzh {

enum ExitCode { kExitOk = 0, kExitMemberFailed = 1, kExitFatal = 2 };

struct Options {
    std::string command;             // list, verbose, test, extract, print
    std::string archive;
    std::vector<std::string> names;  // wildcard patterns selecting members
    std::string targetDir = ".";
    bool overwrite = false;
    bool quiet = false;
    int progress = -1;               // -1: when stderr is a terminal
    unsigned codePage = 932;         // names and the file system's reading of them
    bool flat = false;               // extract without folder names
};

int runList(const Options& o, bool verbose);
int runTest(const Options& o);
int runExtract(const Options& o);
int runPrint(const Options& o);

// The archive creator (encoder side), with the arguments after the command.
int runCreate(int argc, char** argv);

// Escapes control bytes for display (names can hold terminal escapes).
std::string printable(const std::string& bytes);

}  // namespace lzh
