#include "Extraction.h"

#include <windows.h>

#include <set>
#include <vector>

#include "Failure.h"
#include "Files.h"
#include "SafeName.h"
#include "lha/reader.h"

namespace unlha {
namespace {

FILETIME fileTimeFromTicks(std::uint64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

FILETIME fileTimeFromUnix(std::int64_t seconds) {
    constexpr std::int64_t kTicksPerSecond = 10'000'000, kUnixEpoch = 116'444'736'000'000'000;
    return fileTimeFromTicks(static_cast<std::uint64_t>(seconds * kTicksPerSecond + kUnixEpoch));
}

// DOS times are local wall-clock times: converted with the time-zone rules
// in force on that date, not today's offset.
std::optional<FILETIME> fileTimeFromDos(std::uint32_t dosTime) {
    FILETIME local, utc;
    SYSTEMTIME wall, universal;
    if (!DosDateTimeToFileTime(static_cast<WORD>(dosTime >> 16), static_cast<WORD>(dosTime), &local) ||
        !FileTimeToSystemTime(&local, &wall) || !TzSpecificLocalTimeToSystemTime(nullptr, &wall, &universal) ||
        !SystemTimeToFileTime(&universal, &utc))
        return std::nullopt;
    return utc;
}

FileTimes timesOf(const lha::MemberHeader& m) {
    FileTimes times;
    if (m.modificationTime) {
        times.lastWrite = fileTimeFromTicks(*m.modificationTime);
        if (m.creationTime) times.creation = fileTimeFromTicks(*m.creationTime);
        if (m.accessTime) times.lastAccess = fileTimeFromTicks(*m.accessTime);
    } else if (m.unixTime) {
        times.lastWrite = fileTimeFromUnix(*m.unixTime);
    } else if (m.dosTime) {
        times.lastWrite = fileTimeFromDos(m.dosTime);
    }
    return times;
}

// Read-only and hidden travel with a game's files; system and the rest do not.
DWORD attributesOf(const lha::MemberHeader& m) {
    if (!m.hasAttributes) return 0;
    return m.attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_HIDDEN);
}

[[noreturn]] void failMember(const std::string& why) { throw Failure(UNLHA_MEMBER_ERROR, why); }

class Extractor {
public:
    Extractor(const ExtractCommand& command, ProgressListener& progress)
        : command_(command), progress_(progress), archive_(command.archive), reader_(openReader()) {}

    ExtractionReport run() {
        prepareTargetFolder(command_.folder, command_.unattended);
        target_ = withTrailingBackslash(command_.folder);
        while (nextMember()) extractCurrent();
        for (auto it = folderTimes_.rbegin(); it != folderTimes_.rend(); ++it) setFolderTimes(it->first, it->second);
        progress_.advanced(1.0);
        return report_;
    }

private:
    lha::ArchiveReader openReader() {
        try {
            return lha::ArchiveReader(archive_, {{.codePage = GetACP()}});
        } catch (const lha::Error& e) {
            throw Failure(UNLHA_ARCHIVE_ERROR, command_.archive + ": " + e.what());
        }
    }

    bool nextMember() {
        try {
            return reader_.next();
        } catch (const lha::Error& e) {
            throw Failure(UNLHA_ARCHIVE_ERROR, command_.archive + ": damaged member header: " + e.what());
        }
    }

    void extractCurrent() {
        const lha::MemberHeader& m = reader_.member();
        const MemberPath path = safeMemberPath(m, GetACP());
        progress_.memberStarted(path.shown);
        checkCancel(m.dataOffset, 0);
        if (path.nothingToDo) return;
        try {
            if (path.refused) failMember("refused (" + path.refusal + ")");
            if (m.isDirectory)
                extractFolder(m, path);
            else
                extractFile(m, path);
        } catch (const Failure& e) {
            if (e.result() != UNLHA_MEMBER_ERROR) throw;  // a cancel ends the call
            recordFailure(path.shown, e.what());
        } catch (const lha::Error& e) {  // damaged or unsupported data
            recordFailure(path.shown, e.what());
        }
    }

    void extractFolder(const lha::MemberHeader& m, const MemberPath& path) {
        ensureFolder(path.components);
        folderTimes_.emplace_back(target_ + joinPath(path.components), timesOf(m));
    }

    void extractFile(const lha::MemberHeader& m, const MemberPath& path) {
        const std::vector<std::string> folders(path.components.begin(), path.components.end() - 1);
        ensureFolder(folders);
        const std::string finalPath = target_ + joinPath(path.components);
        switch (pathKind(finalPath)) {
        case PathKind::Folder: failMember("a folder of that name exists");
        case PathKind::File:
            if (!command_.unattended) failMember("exists, not replaced without -+");
            break;
        case PathKind::Missing: break;
        }
        StagedFile staged(folders.empty() ? target_ : target_ + joinPath(folders));
        reader_.extract(staged, [&](std::uint64_t done, std::uint64_t total) {
            return checkCancel(m.dataOffset, total ? static_cast<double>(m.compressedSize) * done / total : 0);
        });
        staged.commit(finalPath, timesOf(m), attributesOf(m), command_.unattended);
        ++report_.filesWritten;
    }

    // Members of one folder usually follow each other: its parts are created
    // (or found) once per call.
    void ensureFolder(const std::vector<std::string>& components) {
        if (components.empty() || !readyFolders_.insert(joinPath(components)).second) return;
        try {
            createSubFolders(target_, components);
        } catch (...) {
            readyFolders_.erase(joinPath(components));
            throw;
        }
    }

    bool checkCancel(std::uint64_t dataOffset, double compressedDone) {
        const double size = static_cast<double>(archive_.size());
        if (!progress_.advanced(size > 0 ? (static_cast<double>(dataOffset) + compressedDone) / size : 1.0))
            throw Failure(UNLHA_CANCELLED, "cancelled");
        return true;
    }

    void recordFailure(const std::string& name, const std::string& why) {
        if (report_.membersFailed++ == 0) report_.firstFailure = name + ": " + why;
    }

    const ExtractCommand& command_;
    ProgressListener& progress_;
    ArchiveFile archive_;
    lha::ArchiveReader reader_;
    std::string target_;
    std::vector<std::pair<std::string, FileTimes>> folderTimes_;
    std::set<std::string> readyFolders_;
    ExtractionReport report_;
};

}  // namespace

ExtractionReport extractArchive(const ExtractCommand& command, ProgressListener& progress) {
    return Extractor(command, progress).run();
}

}  // namespace unlha
