#pragma once
// Helpers for the UNLHA32.DLL tests: the library loaded as the installer
// loads it, paths into the corpus and fixtures, small archives built in the
// test, and looks at what landed on disk. Paths are ANSI strings.
#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "Unlha32.h"

namespace unlhatest {

// A Unix path as Windows programs see it (Z:\...).
std::string WinePath(const std::string& unixPath);
std::string CorpusArchive(const std::string& relative);  // under archives/
std::string CorpusFile(const std::string& relative);     // under the corpus root
std::string FixtureFile(const std::string& relative);    // the jlha-made game archive and its tree

struct CallResult {
    int code = -1;
    std::string text;
};

class Library {
public:
    Library();
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;
    CallResult Run(const std::string& command, HWND window = nullptr) const;
    UnlhaFunction Function() const noexcept { return unlha_; }

private:
    HMODULE module_ = nullptr;
    UnlhaFunction unlha_ = nullptr;
};

// `text` in double quotes.
std::string Quoted(const std::string& text);
// The installer's command: x -+ "archive" "folder" (folder as given).
std::string ExtractCommand(const std::string& archive, const std::string& folder);

// One stored (-lh0-) member for BuildArchive. Level 0 keeps the whole path
// in its name field ('\' separators); level 2 puts the name in extended
// header 0x01 and the directory, raw bytes with 0xFF separators, in 0x02.
struct Member {
    explicit Member(std::string memberName, std::string memberData = "payload")
        : name(std::move(memberName)), data(std::move(memberData)) {}
    Member& Level2(std::string dir = {}) {
        level = 2;
        directory = std::move(dir);
        return *this;
    }
    Member& Attributes(std::uint8_t dosAttributes) {
        attributes = dosAttributes;
        return *this;
    }
    Member& CodePage(std::uint32_t cp) {
        codePage = cp;
        return *this;
    }

    std::string name;
    std::string data;
    int level = 0;
    std::string directory;
    std::uint8_t attributes = 0x20;         // level 0
    std::uint32_t dosTime = 0x2A432020;     // level 0: 2001-02-03 04:01:00 local
    std::uint32_t unixTime = 981173106;     // level 2: 2001-02-03 04:05:06 UTC
    std::optional<std::uint32_t> codePage;  // level 2: extended header 0x46
};
std::string BuildArchive(const std::vector<Member>& members);

std::string ReadBytes(const std::string& path);
void WriteBytes(const std::string& path, const std::string& bytes);
bool Exists(const std::string& path);
// Every file and folder under `root`, relative, '\'-separated, folders with
// a trailing '\', sorted.
std::vector<std::string> ListTree(const std::string& root);
std::uint64_t LastWriteTicks(const std::string& path);  // FILETIME as a number; 0 when unreadable
DWORD Attributes(const std::string& path);
std::uint64_t TicksFromUnix(std::int64_t seconds);

}  // namespace unlhatest
