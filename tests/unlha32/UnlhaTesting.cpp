#include "UnlhaTesting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>

#include "lha/crc16.h"

namespace unlhatest {
namespace {

void PutU16(std::string& out, std::uint16_t v) {
    out += static_cast<char>(v & 0xFF);
    out += static_cast<char>(v >> 8);
}
void PutU32(std::string& out, std::uint32_t v) {
    PutU16(out, static_cast<std::uint16_t>(v));
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
}

std::uint16_t DataCrc(const std::string& data) {
    return lha::crc16({reinterpret_cast<const std::uint8_t*>(data.data()), data.size()});
}

// Method, sizes, time and the two bytes before the level (offsets 2..20).
std::string CommonFields(const Member& m, std::uint32_t time, std::uint8_t attributeByte) {
    std::string out = "-lh0-";
    PutU32(out, static_cast<std::uint32_t>(m.data.size()));
    PutU32(out, static_cast<std::uint32_t>(m.data.size()));
    PutU32(out, time);
    out += static_cast<char>(attributeByte);
    out += static_cast<char>(m.level);
    return out;
}

std::string Level0(const Member& m) {
    std::string body = CommonFields(m, m.dosTime, m.attributes);
    body += static_cast<char>(m.name.size());
    body += m.name;
    PutU16(body, DataCrc(m.data));
    std::uint8_t sum = 0;
    for (char c : body) sum = static_cast<std::uint8_t>(sum + static_cast<std::uint8_t>(c));
    return std::string(1, static_cast<char>(body.size())) + static_cast<char>(sum) + body + m.data;
}

void PutExtended(std::string& out, std::uint8_t type, const std::string& data) {
    PutU16(out, static_cast<std::uint16_t>(data.size() + 3));
    out += static_cast<char>(type);
    out += data;
}

std::string Level2(const Member& m) {
    std::string out = CommonFields(m, m.unixTime, 0x20);
    PutU16(out, DataCrc(m.data));
    out += 'M';
    // Each extended header's size precedes it: the base header ends with the
    // first one's, each header ends with the next one's.
    PutExtended(out, 0x01, m.name);
    if (!m.directory.empty()) PutExtended(out, 0x02, m.directory);
    if (m.codePage) {
        std::string cp;
        PutU32(cp, *m.codePage);
        PutExtended(out, 0x46, cp);
    }
    PutU16(out, 0);
    std::size_t total = out.size() + 2;
    if (total % 256 == 0) {
        out += '\0';
        ++total;
    }
    std::string header;
    PutU16(header, static_cast<std::uint16_t>(total));
    return header + out + m.data;
}

HANDLE OpenForReading(const std::string& path, DWORD flags = 0) {
    return CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, flags,
                       nullptr);
}

void ListInto(const std::string& root, const std::string& prefix, std::vector<std::string>& out) {
    WIN32_FIND_DATAA found;
    HANDLE find = FindFirstFileA((root + prefix + "*").c_str(), &found);
    if (find == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = found.cFileName;
        if (name == "." || name == "..") continue;
        if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            out.push_back(prefix + name + "\\");
            ListInto(root, prefix + name + "\\", out);
        } else {
            out.push_back(prefix + name);
        }
    } while (FindNextFileA(find, &found));
    FindClose(find);
}

}  // namespace

std::string WinePath(const std::string& unixPath) {
    std::string p = "Z:" + unixPath;
    std::replace(p.begin(), p.end(), '/', '\\');
    return p;
}

std::string CorpusArchive(const std::string& relative) { return CorpusFile("archives/" + relative); }
std::string CorpusFile(const std::string& relative) { return WinePath(std::string(CORPUS_DIR) + "/" + relative); }
std::string FixtureFile(const std::string& relative) { return WinePath(std::string(FIXTURE_DIR) + "/" + relative); }

Library::Library() {
    module_ = LoadLibraryA(WinePath(UNLHA32_DLL).c_str());
    if (!module_) ADD_FAILURE() << "cannot load " << UNLHA32_DLL << ": error " << GetLastError();
    if (module_)
        unlha_ = reinterpret_cast<UnlhaFunction>(reinterpret_cast<void*>(GetProcAddress(module_, "Unlha")));
    if (module_ && !unlha_) ADD_FAILURE() << "no export named Unlha";
}

Library::~Library() {
    if (module_) FreeLibrary(module_);
}

CallResult Library::Run(const std::string& command, HWND window) const {
    if (!unlha_) return {};
    char text[512];
    CallResult result;
    result.code = unlha_(window, command.c_str(), text, sizeof text);
    result.text = text;
    return result;
}

std::string Quoted(const std::string& text) {
    std::string quoted(1, '"');
    quoted.append(text).push_back('"');
    return quoted;
}

std::string ExtractCommand(const std::string& archive, const std::string& folder) {
    return "x -+ " + Quoted(archive) + " " + Quoted(folder);
}

std::string BuildArchive(const std::vector<Member>& members) {
    std::string out;
    for (const Member& m : members) out += m.level == 2 ? Level2(m) : Level0(m);
    return out + '\0';
}

std::string ReadBytes(const std::string& path) {
    HANDLE file = OpenForReading(path);
    if (file == INVALID_HANDLE_VALUE) return "<cannot open " + path + ">";
    std::string bytes;
    char buffer[65536];
    DWORD got = 0;
    while (ReadFile(file, buffer, sizeof buffer, &got, nullptr) && got) bytes.append(buffer, got);
    CloseHandle(file);
    return bytes;
}

void WriteBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    ASSERT_EQ(written, bytes.size()) << path;
}

bool Exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

std::vector<std::string> ListTree(const std::string& root) {
    std::vector<std::string> out;
    ListInto(root.back() == '\\' ? root : root + "\\", "", out);
    std::sort(out.begin(), out.end());
    return out;
}

std::uint64_t LastWriteTicks(const std::string& path) {
    HANDLE file = OpenForReading(path, FILE_FLAG_BACKUP_SEMANTICS);
    if (file == INVALID_HANDLE_VALUE) return 0;
    FILETIME written{};
    GetFileTime(file, nullptr, nullptr, &written);
    CloseHandle(file);
    return (static_cast<std::uint64_t>(written.dwHighDateTime) << 32) | written.dwLowDateTime;
}

DWORD Attributes(const std::string& path) { return GetFileAttributesA(path.c_str()); }

std::uint64_t TicksFromUnix(std::int64_t seconds) {
    return static_cast<std::uint64_t>(seconds) * 10'000'000ull + 116'444'736'000'000'000ull;
}

}  // namespace unlhatest
