#include "framework/Classes.h"

#include <algorithm>
#include <cstring>

void TStream::ReadBuffer(void* buffer, std::size_t count) {
    if (count != 0 && Read(buffer, count) != count) throw EReadError("Stream read error");
}

void TStream::WriteBuffer(const void* buffer, std::size_t count) {
    if (count != 0 && Write(buffer, count) != count) throw EWriteError("Stream write error");
}

TFileStream::TFileStream(const std::string& fileName, FileMode mode, ShareMode share) : fileName_(fileName) {
    const DWORD shareFlags = share == ShareMode::Exclusive   ? 0
                             : share == ShareMode::DenyWrite ? FILE_SHARE_READ
                                                             : FILE_SHARE_READ | FILE_SHARE_WRITE;
    const DWORD access = mode == FileMode::OpenRead ? GENERIC_READ : GENERIC_READ | GENERIC_WRITE;
    const DWORD disposition = mode == FileMode::Create ? CREATE_ALWAYS : OPEN_EXISTING;
    handle_.reset(CreateFileA(fileName.c_str(), access, shareFlags, nullptr, disposition, FILE_ATTRIBUTE_NORMAL,
                              nullptr));
    if (!handle_) {
        const std::string reason = SysErrorMessage(GetLastError());
        if (mode == FileMode::Create) throw EFCreateError("Cannot create file \"" + fileName + "\". " + reason);
        throw EFOpenError("Cannot open file \"" + fileName + "\". " + reason);
    }
}

std::int64_t TFileStream::Size() const {
    LARGE_INTEGER size{};
    return GetFileSizeEx(handle_.get(), &size) ? size.QuadPart : 0;
}

std::int64_t TFileStream::Position() const {
    LARGE_INTEGER zero{}, position{};
    return SetFilePointerEx(handle_.get(), zero, &position, FILE_CURRENT) ? position.QuadPart : 0;
}

void TFileStream::SetPosition(std::int64_t position) {
    LARGE_INTEGER to{};
    to.QuadPart = position;
    SetFilePointerEx(handle_.get(), to, nullptr, FILE_BEGIN);
}

std::size_t TFileStream::Read(void* buffer, std::size_t count) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 0x7FFFFFFF));
    return ReadFile(handle_.get(), buffer, chunk, &done, nullptr) ? done : 0;
}

std::size_t TFileStream::Write(const void* buffer, std::size_t count) {
    DWORD done = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(count, 0x7FFFFFFF));
    return WriteFile(handle_.get(), buffer, chunk, &done, nullptr) ? done : 0;
}

TResourceStream::TResourceStream(HINSTANCE instance, const std::string& name, LPCSTR type) {
    HRSRC info = FindResourceA(instance, name.c_str(), type);
    HGLOBAL loaded = info ? LoadResource(instance, info) : nullptr;
    if (!loaded) throw EResNotFound("Resource " + name + " not found");
    // Resources of a loaded module stay mapped for its lifetime: nothing to free.
    data_ = static_cast<const std::uint8_t*>(LockResource(loaded));
    size_ = SizeofResource(instance, info);
}

void TResourceStream::SetPosition(std::int64_t position) {
    position_ = static_cast<std::size_t>(std::clamp<std::int64_t>(position, 0, static_cast<std::int64_t>(size_)));
}

std::size_t TResourceStream::Read(void* buffer, std::size_t count) {
    const std::size_t n = std::min(count, size_ - position_);
    std::memcpy(buffer, data_ + position_, n);
    position_ += n;
    return n;
}

std::size_t TResourceStream::Write(const void*, std::size_t) {
    throw EStreamError("Can't write to a read-only resource stream");
}

TComponent::TComponent(TComponent* owner) : owner_(owner) {
    if (owner_) owner_->components_.push_back(this);
}

TComponent::~TComponent() {
    // Owned components go first, while this object is still whole.
    while (!owned_.empty()) owned_.pop_back();
    if (owner_) std::erase(owner_->components_, this);
}

void TComponent::DestroyOwned(TComponent* component) {
    auto it = std::find_if(owned_.begin(), owned_.end(), [&](const auto& p) { return p.get() == component; });
    if (it == owned_.end()) return;
    auto doomed = std::move(*it);
    owned_.erase(it);
}
