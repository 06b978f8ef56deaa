#pragma once
// A non-visual component that has the shell copy files, with the shell's own
// progress, confirmation and error windows. Its result says only whether the
// user aborted: a copy that failed in another way is the shell's to report.
#include "framework/Classes.h"

#include <shellapi.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

enum TFileOperationOption {
    foMultiDestFiles,
    foSilent,
    foRenameOnCollision,
    foNoConfirmation,
    foAllowUndo,
    foFilesOnly,
    foNoConfirmMkdir,
    foNoErrorUI,
};

class TFileOperationOptions {
public:
    constexpr TFileOperationOptions() noexcept = default;
    constexpr TFileOperationOptions(std::initializer_list<TFileOperationOption> options) noexcept {
        for (TFileOperationOption option : options) bits_ = static_cast<std::uint8_t>(bits_ | Bit(option));
    }
    constexpr bool Contains(TFileOperationOption option) const noexcept { return (bits_ & Bit(option)) != 0; }
    constexpr bool operator==(const TFileOperationOptions&) const noexcept = default;

private:
    static constexpr std::uint8_t Bit(TFileOperationOption option) noexcept {
        return static_cast<std::uint8_t>(1u << option);
    }
    std::uint8_t bits_ = 0;
};

// The shell's double-NUL list: each entry followed by a NUL, then one more
// NUL. Entries are taken as they are, so an empty one ends the list early.
std::string MakeFileList(const std::vector<std::string>& list);

class TFileOperation : public TComponent {
public:
    explicit TFileOperation(TComponent* owner);

    TFileOperationOptions Options() const noexcept { return options_; }
    void SetOptions(TFileOperationOptions options) noexcept { options_ = options; }

    // Each replaces its whole list with the one path.
    void SetSource(const std::string& path);
    void SetDestination(const std::string& path);

    // Runs the shell operation `func` (FO_COPY, ...) over the lists; false
    // only when the shell reports that the user aborted it.
    virtual bool Execute(UINT func);
    bool Copy();

protected:
    // The record the shell receives; it points into `from` and `to`.
    SHFILEOPSTRUCTA Request(UINT func, const std::string& from, const std::string& to);

private:
    HWND OwnerWindow();
    FILEOP_FLAGS Flags() const noexcept;

    std::vector<std::string> FSourceList;
    std::vector<std::string> FDestinationList;
    TFileOperationOptions options_;
};
