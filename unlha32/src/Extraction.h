#pragma once
// Extracting a whole archive into the target folder.
#include <string>

#include "Command.h"

namespace unlha {

// What the extraction tells whoever shows its progress. Called on the
// extracting thread.
class ProgressListener {
public:
    virtual ~ProgressListener() = default;
    virtual void memberStarted(const std::string& name) = 0;
    // `fraction` of the archive is done; false asks to stop.
    virtual bool advanced(double fraction) = 0;
};

struct ExtractionReport {
    unsigned filesWritten = 0;
    unsigned membersFailed = 0;
    std::string firstFailure;  // "name: reason"
};

// Extracts every member it can; a member that fails is recorded and the next
// one follows. Throws Failure for what ends the whole call: an archive that
// cannot be opened or walked, an unusable target folder, a cancel.
ExtractionReport extractArchive(const ExtractCommand& command, ProgressListener& progress);

}  // namespace unlha
