// The exported entry point: parses the command, runs the extraction and turns
// every outcome, errors included, into a result code and a result text.
#include <new>

#include "Command.h"
#include "Extraction.h"
#include "Failure.h"
#include "Progress.h"
#include "Unlha32.h"

namespace unlha {
namespace {

Outcome outcomeOfCurrentException() noexcept {
    try {
        throw;
    } catch (const Failure& e) {
        return {e.result(), e.what()};
    } catch (const std::bad_alloc&) {
        return {UNLHA_INTERNAL_ERROR, "out of memory"};
    } catch (const std::exception& e) {
        return {UNLHA_INTERNAL_ERROR, e.what()};
    } catch (...) {
        return {UNLHA_INTERNAL_ERROR, "unexpected error"};
    }
}

Outcome extract(const ExtractCommand& command, ProgressListener& progress) noexcept {
    try {
        const ExtractionReport report = extractArchive(command, progress);
        if (report.membersFailed)
            return {UNLHA_MEMBER_ERROR, std::to_string(report.membersFailed) + " member(s) not extracted, first " +
                                            report.firstFailure};
        return {UNLHA_OK, std::to_string(report.filesWritten) + " file(s) extracted"};
    } catch (...) {
        return outcomeOfCurrentException();
    }
}

// Whole characters only: a double-byte character is never cut in two.
void writeResultText(LPSTR output, DWORD size, const std::string& text) noexcept {
    if (!output || size == 0) return;
    std::size_t length = 0;
    while (length < text.size()) {
        const std::size_t next =
            length + (IsDBCSLeadByte(static_cast<BYTE>(text[length])) && length + 1 < text.size() ? 2 : 1);
        if (next > size - 1) break;
        length = next;
    }
    text.copy(output, length);
    output[length] = '\0';
}

}  // namespace
}  // namespace unlha

extern "C" __declspec(dllexport) int WINAPI Unlha(HWND window, LPCSTR command, LPSTR output, DWORD outputSize) {
    using namespace unlha;
    Outcome outcome;
    try {
        if (!command) throw Failure(UNLHA_BAD_COMMAND, "no command");
        const ExtractCommand parsed = parseCommand(command);
        outcome = runWithProgressWindow(window, parsed.archive,
                                        [&](ProgressListener& progress) { return extract(parsed, progress); });
    } catch (...) {
        outcome = outcomeOfCurrentException();
    }
    writeResultText(output, outputSize, outcome.text);
    return outcome.result;
}
