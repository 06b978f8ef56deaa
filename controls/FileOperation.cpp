#include "FileOperation.h"

#include "framework/Forms.h"

namespace {

// Indexed by TFileOperationOption; only the low 16 bits reach the shell.
constexpr std::uint32_t kOptionFlags[] = {
    FOF_MULTIDESTFILES, FOF_SILENT,      FOF_RENAMEONCOLLISION, FOF_NOCONFIRMATION,
    FOF_ALLOWUNDO,      FOF_FILESONLY,   FOF_NOCONFIRMMKDIR,    FOF_NOERRORUI,
};
constexpr TFileOperationOption kAllOptions[] = {
    foMultiDestFiles, foSilent, foRenameOnCollision, foNoConfirmation,
    foAllowUndo,      foFilesOnly, foNoConfirmMkdir, foNoErrorUI,
};
static_assert(std::size(kOptionFlags) == std::size(kAllOptions));

}  // namespace

std::string MakeFileList(const std::vector<std::string>& list) {
    std::string result;
    for (const std::string& entry : list) {
        result += entry;
        result += '\0';
    }
    result += '\0';
    return result;
}

TFileOperation::TFileOperation(TComponent* owner) : TComponent(owner) {}

void TFileOperation::SetSource(const std::string& path) { FSourceList.assign(1, path); }

void TFileOperation::SetDestination(const std::string& path) { FDestinationList.assign(1, path); }

HWND TFileOperation::OwnerWindow() {
    // The shell's windows belong to the owning control, or else to the application.
    if (auto* control = dynamic_cast<TWinControl*>(Owner())) return control->Handle();
    return Application ? Application->Handle() : nullptr;
}

FILEOP_FLAGS TFileOperation::Flags() const noexcept {
    std::uint32_t flags = 0;
    for (TFileOperationOption option : kAllOptions)
        if (options_.Contains(option)) flags |= kOptionFlags[option];
    return static_cast<FILEOP_FLAGS>(flags & 0xFFFF);
}

SHFILEOPSTRUCTA TFileOperation::Request(UINT func, const std::string& from, const std::string& to) {
    SHFILEOPSTRUCTA request{};
    request.wFunc = func;
    request.pFrom = from.c_str();
    request.pTo = to.c_str();
    request.hwnd = OwnerWindow();
    request.fFlags = Flags();
    return request;
}

bool TFileOperation::Execute(UINT func) {
    const std::string from = MakeFileList(FSourceList);
    const std::string to = MakeFileList(FDestinationList);
    SHFILEOPSTRUCTA request = Request(func, from, to);
    // The return code also reports failures the shell has shown the user
    // already; only an abort changes what the caller does next.
    SHFileOperationA(&request);
    return !request.fAnyOperationsAborted;
}

bool TFileOperation::Copy() { return Execute(FO_COPY); }
