#include "pack.h"

#include <algorithm>

#include "lha/error.h"
#include "native_names.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace lzhpack {

namespace fs = std::filesystem;
using lha::Errc;
using lha::Error;

namespace {

constexpr std::uint8_t kAttrReadOnly = 0x01, kAttrArchive = 0x20;

#ifdef _WIN32

std::uint64_t ticks(const FILETIME& t) { return (std::uint64_t{t.dwHighDateTime} << 32) | t.dwLowDateTime; }

void readFileFacts(const fs::path& path, lha::MemberInfo& info) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!GetFileAttributesExW(path.c_str(), GetFileExInfoStandard, &data)) throw Error(Errc::Io, "cannot read the times of " + path.string());
    // The access time changes by reading the file; the last write stands in
    // for it so that packing the same files twice gives the same archive.
    info.windowsTimes = lha::WindowsFileTimes{ticks(data.ftCreationTime), ticks(data.ftLastWriteTime), ticks(data.ftLastWriteTime)};
    info.modified = static_cast<std::int64_t>((ticks(data.ftLastWriteTime) - 116444736000000000ull) / 10000000ull);
    info.attributes = static_cast<std::uint8_t>(data.dwFileAttributes & 0x27);  // read-only, hidden, system, archive
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) info.attributes |= kAttrArchive;
}

#else

std::uint64_t filetimeOf(const struct timespec& t) {
    return static_cast<std::uint64_t>(t.tv_sec) * 10000000ull + static_cast<std::uint64_t>(t.tv_nsec) / 100 + 116444736000000000ull;
}

void readFileFacts(const fs::path& path, lha::MemberInfo& info) {
    struct stat st{};
    if (::stat(path.c_str(), &st) != 0) throw Error(Errc::Io, "cannot read the times of " + path.string());
    info.modified = st.st_mtim.tv_sec;
    // No creation time here, and the access time changes by reading the file
    // (the same files packed twice must give the same archive): the last
    // write stands in for both.
    const std::uint64_t written = filetimeOf(st.st_mtim);
    info.windowsTimes = lha::WindowsFileTimes{written, written, written};
    info.attributes = S_ISDIR(st.st_mode) ? 0 : kAttrArchive;
    if (!(st.st_mode & S_IWUSR)) info.attributes |= kAttrReadOnly;
}

#endif

PackEntry entryFor(const fs::path& source, const fs::path& relative) {
    const auto status = fs::symlink_status(source);
    if (fs::is_symlink(status) && fs::is_directory(fs::status(source)))
        throw Error(Errc::Io, "folder link not archived: " + source.string());
    const auto target = fs::status(source);
    if (fs::is_directory(target)) return {source, relative, true, 0};
    if (!fs::is_regular_file(target)) throw Error(Errc::Io, "not a regular file: " + source.string());
    return {source, relative, false, fs::file_size(source)};
}

void addFolder(const fs::path& folder, const fs::path& prefix, std::vector<PackEntry>& out) {
    std::vector<fs::path> children;
    for (const auto& item : fs::directory_iterator(folder)) children.push_back(item.path());
    std::sort(children.begin(), children.end(), [](const fs::path& a, const fs::path& b) { return a.filename().native() < b.filename().native(); });
    for (const auto& child : children) {
        PackEntry e = entryFor(child, prefix / child.filename());
        const bool recurse = e.directory;
        out.push_back(std::move(e));
        if (recurse) addFolder(child, prefix / child.filename(), out);
    }
}

fs::path storedName(const fs::path& input) {
    const fs::path normal = input.lexically_normal();
    bool climbs = false;
    for (const auto& part : normal)
        if (part == "..") climbs = true;
    fs::path stored = normal.is_absolute() || normal.has_root_name() || climbs ? normal.filename() : normal.relative_path();
    if (stored.empty() || stored == ".") stored = fs::path();
    return stored;
}

}  // namespace

std::vector<PackEntry> folderContents(const fs::path& folder) {
    if (!fs::is_directory(folder)) throw Error(Errc::Io, "not a folder: " + folder.string());
    std::vector<PackEntry> out;
    addFolder(folder, fs::path(), out);
    return out;
}

std::vector<PackEntry> namedInputs(const std::vector<fs::path>& inputs) {
    std::vector<PackEntry> out;
    for (const auto& input : inputs) {
        if (!fs::exists(fs::symlink_status(input))) throw Error(Errc::Io, "no such file or folder: " + input.string());
        const fs::path name = storedName(input);
        if (name.empty()) {
            // "." or a drive root: its contents, with names relative to it.
            addFolder(input, fs::path(), out);
            continue;
        }
        PackEntry e = entryFor(input, name);
        const bool recurse = e.directory;
        out.push_back(std::move(e));
        if (recurse) addFolder(input, name, out);
    }
    return out;
}

std::uint64_t totalSize(const std::vector<PackEntry>& entries) {
    std::uint64_t total = 0;
    for (const auto& e : entries) total += e.size;
    return total;
}

PackResult writeArchive(const fs::path& archive, const std::vector<PackEntry>& entries, const lha::WriterOptions& options,
                        const PackProgress& progress) {
    const std::uint64_t total = totalSize(entries);
    lha::ArchiveWriter writer(archive, options);
    if (progress) writer.onProgress([&](std::uint64_t done) { progress(done, total); });
    PackResult result;
    for (const auto& e : entries) {
        lha::MemberInfo info;
        info.path = toCodePage(fs::path(e.relative.generic_string<fs::path::value_type>()), options.codePage);
        readFileFacts(e.source, info);
        if (e.directory) {
            writer.addDirectory(info);
        } else {
            lha::FileSource source(e.source);
            writer.addFile(info, source);
            result.originalBytes += source.size();
        }
        ++result.members;
    }
    writer.finish();
    if (progress) progress(total, total);
    result.archiveBytes = fs::file_size(archive);
    return result;
}

}  // namespace lzhpack
