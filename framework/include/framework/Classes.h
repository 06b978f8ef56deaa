#pragma once
// Streams over files and resources, and the component base class with
// ownership in the manner of the platform's component model.
#include "framework/Handles.h"
#include "framework/SysUtils.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

class EStreamError : public Exception {
    using Exception::Exception;
};
class EFOpenError : public EStreamError {
    using EStreamError::EStreamError;
};
class EFCreateError : public EStreamError {
    using EStreamError::EStreamError;
};
class EReadError : public EStreamError {
    using EStreamError::EStreamError;
};
class EWriteError : public EStreamError {
    using EStreamError::EStreamError;
};
class EResNotFound : public Exception {
    using Exception::Exception;
};

class TStream {
public:
    virtual ~TStream() = default;
    virtual std::int64_t Size() const = 0;
    virtual std::int64_t Position() const = 0;
    virtual void SetPosition(std::int64_t position) = 0;
    // Reads up to `count` bytes; returns how many were read (0 at the end).
    virtual std::size_t Read(void* buffer, std::size_t count) = 0;
    // Writes up to `count` bytes; returns how many were written.
    virtual std::size_t Write(const void* buffer, std::size_t count) = 0;

    // Exactly `count` bytes, or EReadError / EWriteError.
    void ReadBuffer(void* buffer, std::size_t count);
    void WriteBuffer(const void* buffer, std::size_t count);
};

enum class FileMode { Create, OpenRead, OpenReadWrite };
enum class ShareMode { Exclusive, DenyWrite, DenyNone };

class TFileStream : public TStream {
public:
    // Create replaces an existing file; the open modes need the file to exist.
    TFileStream(const std::string& fileName, FileMode mode, ShareMode share = ShareMode::DenyWrite);
    std::int64_t Size() const override;
    std::int64_t Position() const override;
    void SetPosition(std::int64_t position) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;
    HANDLE Handle() const noexcept { return handle_.get(); }
    const std::string& FileName() const noexcept { return fileName_; }

private:
    fw::FileHandle handle_;
    std::string fileName_;
};

// A read-only view of a resource in a loaded module.
class TResourceStream : public TStream {
public:
    TResourceStream(HINSTANCE instance, const std::string& name, LPCSTR type);
    std::int64_t Size() const override { return static_cast<std::int64_t>(size_); }
    std::int64_t Position() const override { return static_cast<std::int64_t>(position_); }
    void SetPosition(std::int64_t position) override;
    std::size_t Read(void* buffer, std::size_t count) override;
    std::size_t Write(const void* buffer, std::size_t count) override;

private:
    const std::uint8_t* data_ = nullptr;
    std::size_t size_ = 0;
    std::size_t position_ = 0;
};

// Root of the component model: an object that can be an event's sender.
class TObject {
public:
    virtual ~TObject() = default;
};

using TNotifyEvent = std::function<void(TObject* sender)>;

// A component belongs to an owner. Components that are plain members of
// their owner die with it by C++ rules; components made with Create() are
// held by the owner and destroyed with it.
class TComponent : public TObject {
public:
    explicit TComponent(TComponent* owner);
    ~TComponent() override;
    TComponent(const TComponent&) = delete;
    TComponent& operator=(const TComponent&) = delete;

    TComponent* Owner() const noexcept { return owner_; }
    const std::string& Name() const noexcept { return name_; }
    void SetName(std::string name) { name_ = std::move(name); }
    const std::vector<TComponent*>& Components() const noexcept { return components_; }

    // Creates a component that this one owns and destroys.
    template <typename T, typename... Args>
    T& Create(Args&&... args) {
        auto component = std::make_unique<T>(this, std::forward<Args>(args)...);
        T& ref = *component;
        owned_.push_back(std::move(component));
        return ref;
    }
    // Destroys an owned component now.
    void DestroyOwned(TComponent* component);

private:
    TComponent* owner_;
    std::string name_;
    std::vector<TComponent*> components_;
    std::vector<std::unique_ptr<TComponent>> owned_;
};
