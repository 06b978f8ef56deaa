#include "disk_set.h"

#include <algorithm>
#include <fstream>
#include <stdexcept>
#include <vector>

#include "lha/error.h"

namespace gamedisk {

namespace fs = std::filesystem;

namespace {

const char* const kInstaller = "Setup.exe";
const char* const kConfiguration = "Setup.ini";
const char* const kLibrary = "UNLHA32.DLL";

// Removes the staging folder unless the set was moved into place.
class StagingFolder {
public:
    explicit StagingFolder(fs::path path) : path_(std::move(path)) {
        fs::remove_all(path_);
        fs::create_directories(path_);
    }
    ~StagingFolder() {
        if (keep_) return;
        std::error_code ignored;
        fs::remove_all(path_, ignored);
    }
    StagingFolder(const StagingFolder&) = delete;
    StagingFolder& operator=(const StagingFolder&) = delete;
    const fs::path& path() const { return path_; }
    void moveTo(const fs::path& target) {
        fs::rename(path_, target);
        keep_ = true;
    }

private:
    fs::path path_;
    bool keep_ = false;
};

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) throw lha::Error(lha::Errc::Io, "cannot write " + path.string());
}

fs::path numbered(const fs::path& stem, unsigned part) {
    std::string digits = std::to_string(part);
    if (digits.size() < 3) digits.insert(0, 3 - digits.size(), '0');
    fs::path name = stem;
    name += "." + digits;
    return name;
}

struct Plan {
    unsigned parts = 0;
    std::uint64_t firstPart = 0;  // bytes of the archive on disk 1
    std::uint64_t laterPart = 0;  // on every later disk
};

std::uint64_t fixedUsage(const DiskSetRequest& r, const DiskSize& disk, unsigned parts) {
    return disk.usage(fs::file_size(r.installerFolder / kInstaller)) + disk.usage(fs::file_size(r.installerFolder / kLibrary)) +
           disk.usage(setupIni(r.projectName, r.gameTitle, parts).size());
}

Plan planParts(const DiskSetRequest& r, const DiskSize& disk, std::uint64_t archiveBytes) {
    Plan plan;
    plan.laterPart = disk.capacity / disk.cluster * disk.cluster;
    // DiskNumber's digits change Setup.ini's size, which can change the
    // number of parts; a few rounds settle it.
    unsigned assumed = 1;
    for (int round = 0; round < 8; ++round) {
        const std::uint64_t fixed = fixedUsage(r, disk, assumed);
        if (fixed + disk.cluster > disk.capacity)
            throw lha::Error(lha::Errc::Limit, "disk size " + std::to_string(disk.capacity) + " bytes cannot hold the first disk's " +
                                                   "installer files (" + std::to_string(fixed) + " bytes) and a part of the archive");
        plan.firstPart = (disk.capacity - fixed) / disk.cluster * disk.cluster;
        const std::uint64_t rest = archiveBytes > plan.firstPart ? archiveBytes - plan.firstPart : 0;
        plan.parts = 1 + static_cast<unsigned>((rest + plan.laterPart - 1) / plan.laterPart);
        if (plan.parts == assumed) return plan;
        assumed = plan.parts;
    }
    throw std::logic_error("disk plan did not settle");
}

void copyPart(std::ifstream& in, const fs::path& to, std::uint64_t bytes) {
    std::ofstream out(to, std::ios::binary);
    std::vector<char> buffer(1 << 20);
    while (bytes > 0) {
        const auto n = static_cast<std::streamsize>(std::min<std::uint64_t>(bytes, buffer.size()));
        if (!in.read(buffer.data(), n)) throw lha::Error(lha::Errc::Io, "cannot read the archive back");
        out.write(buffer.data(), n);
        bytes -= static_cast<std::uint64_t>(n);
    }
    out.close();
    if (!out) throw lha::Error(lha::Errc::Io, "cannot write " + to.string());
}

void copyInstaller(const DiskSetRequest& r, const fs::path& folder, unsigned diskNumber, DiskSetResult& result, const fs::path& prefix) {
    fs::copy_file(r.installerFolder / kInstaller, folder / kInstaller);
    fs::copy_file(r.installerFolder / kLibrary, folder / kLibrary);
    writeBytes(folder / kConfiguration, setupIni(r.projectName, r.gameTitle, diskNumber));
    for (const char* name : {kInstaller, kConfiguration, kLibrary}) result.files.push_back(prefix / name);
}

}  // namespace

std::string setupIni(const std::string& projectName, const std::string& gameTitle, unsigned diskNumber) {
    return "[Setup]\r\nProjectName=" + projectName + "\r\nGameTitle=" + gameTitle + "\r\nDiskNumber=" + std::to_string(diskNumber) + "\r\n";
}

void checkFirstDiskFits(const DiskSetRequest& r) {
    for (const char* name : {kInstaller, kLibrary})
        if (!fs::is_regular_file(r.installerFolder / name))
            throw lha::Error(lha::Errc::Io, "installer build not found: " + (r.installerFolder / name).string() +
                                                " (build it with sh scripts/build.sh, or name its folder with --dist)");
    if (r.diskSize) planParts(r, *r.diskSize, 0);
}

DiskSetResult makeDiskSet(const DiskSetRequest& r) {
    checkFirstDiskFits(r);
    if (fs::exists(r.output) && !r.replaceOutput)
        throw lha::Error(lha::Errc::Io, "output folder " + r.output.string() + " already exists (use --force to replace it)");
    fs::path stagingPath = r.output;
    stagingPath += ".gamedisk-partial";
    StagingFolder staging(stagingPath);
    DiskSetResult result;

    fs::path archiveName = r.archiveStem;
    archiveName += ".lzh";
    const fs::path archive = staging.path() / archiveName;
    lzhpack::writeArchive(archive, lzhpack::folderContents(r.gameFolder), r.writer, r.progress);
    result.archiveBytes = fs::file_size(archive);

    if (!r.diskSize) {
        copyInstaller(r, staging.path(), 0, result, {});
        result.files.push_back(archiveName);
    } else {
        const Plan plan = planParts(r, *r.diskSize, result.archiveBytes);
        std::ifstream in(archive, std::ios::binary);
        std::uint64_t left = result.archiveBytes;
        for (unsigned part = 1; part <= plan.parts; ++part) {
            const fs::path disk = "Disk" + std::to_string(part);
            fs::create_directory(staging.path() / disk);
            if (part == 1) copyInstaller(r, staging.path() / disk, plan.parts, result, disk);
            const std::uint64_t bytes = std::min(left, part == 1 ? plan.firstPart : plan.laterPart);
            const fs::path name = disk / numbered(r.archiveStem, part);
            copyPart(in, staging.path() / name, bytes);
            result.files.push_back(name);
            left -= bytes;
        }
        in.close();
        fs::remove(archive);
        result.disks = plan.parts;
    }
    if (fs::exists(r.output)) fs::remove_all(r.output);
    staging.moveTo(r.output);
    return result;
}

}  // namespace gamedisk
