#pragma once
// Owners for Win32 handles, COM interfaces and shell allocations.
#include <windows.h>
#include <objbase.h>

#include <utility>

namespace fw {

template <typename Traits>
class UniqueHandle {
public:
    using Type = typename Traits::Type;

    UniqueHandle() noexcept = default;
    explicit UniqueHandle(Type h) noexcept : h_(h) {}
    UniqueHandle(UniqueHandle&& o) noexcept : h_(o.release()) {}
    UniqueHandle& operator=(UniqueHandle&& o) noexcept {
        if (this != &o) reset(o.release());
        return *this;
    }
    UniqueHandle(const UniqueHandle&) = delete;
    UniqueHandle& operator=(const UniqueHandle&) = delete;
    ~UniqueHandle() { reset(); }

    Type get() const noexcept { return h_; }
    explicit operator bool() const noexcept { return h_ != Traits::invalid(); }
    Type release() noexcept { return std::exchange(h_, Traits::invalid()); }
    void reset(Type h = Traits::invalid()) noexcept {
        if (h_ != Traits::invalid()) Traits::close(h_);
        h_ = h;
    }
    // For out-parameters of creating calls.
    Type* put() noexcept {
        reset();
        return &h_;
    }

private:
    Type h_ = Traits::invalid();
};

struct KernelHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { CloseHandle(h); }
};
struct FileHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { CloseHandle(h); }
};
struct FindHandleTraits {
    using Type = HANDLE;
    static Type invalid() noexcept { return INVALID_HANDLE_VALUE; }
    static void close(Type h) noexcept { FindClose(h); }
};
struct RegKeyTraits {
    using Type = HKEY;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { RegCloseKey(h); }
};
struct ModuleTraits {
    using Type = HMODULE;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { FreeLibrary(h); }
};
struct GdiObjectTraits {
    using Type = HGDIOBJ;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { DeleteObject(h); }
};
struct WindowTraits {
    using Type = HWND;
    static Type invalid() noexcept { return nullptr; }
    static void close(Type h) noexcept { DestroyWindow(h); }
};

using KernelHandle = UniqueHandle<KernelHandleTraits>;
using FileHandle = UniqueHandle<FileHandleTraits>;
using FindHandle = UniqueHandle<FindHandleTraits>;
using RegKey = UniqueHandle<RegKeyTraits>;
using Module = UniqueHandle<ModuleTraits>;
using GdiObject = UniqueHandle<GdiObjectTraits>;
using WindowHandle = UniqueHandle<WindowTraits>;

// A device context from GetDC, released to its window.
class WindowDC {
public:
    explicit WindowDC(HWND wnd) noexcept : wnd_(wnd), dc_(GetDC(wnd)) {}
    ~WindowDC() {
        if (dc_) ReleaseDC(wnd_, dc_);
    }
    WindowDC(const WindowDC&) = delete;
    WindowDC& operator=(const WindowDC&) = delete;
    HDC get() const noexcept { return dc_; }

private:
    HWND wnd_;
    HDC dc_;
};

// Selects a GDI object into a DC for the lifetime of the guard.
class SelectGuard {
public:
    SelectGuard(HDC dc, HGDIOBJ obj) noexcept : dc_(dc), old_(SelectObject(dc, obj)) {}
    ~SelectGuard() { SelectObject(dc_, old_); }
    SelectGuard(const SelectGuard&) = delete;
    SelectGuard& operator=(const SelectGuard&) = delete;

private:
    HDC dc_;
    HGDIOBJ old_;
};

// A COM interface pointer that releases its reference.
template <typename T>
class ComPtr {
public:
    ComPtr() noexcept = default;
    ComPtr(ComPtr&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    ComPtr& operator=(ComPtr&& o) noexcept {
        if (this != &o) {
            reset();
            p_ = std::exchange(o.p_, nullptr);
        }
        return *this;
    }
    ComPtr(const ComPtr& o) noexcept : p_(o.p_) {
        if (p_) p_->AddRef();
    }
    ComPtr& operator=(const ComPtr& o) noexcept {
        ComPtr copy(o);
        std::swap(p_, copy.p_);
        return *this;
    }
    ~ComPtr() { reset(); }

    T* get() const noexcept { return p_; }
    T* operator->() const noexcept { return p_; }
    explicit operator bool() const noexcept { return p_ != nullptr; }
    void reset() noexcept {
        if (p_) std::exchange(p_, nullptr)->Release();
    }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** putVoid() noexcept { return reinterpret_cast<void**>(put()); }

private:
    T* p_ = nullptr;
};

// Memory from the COM task allocator (shell item-ID lists and strings).
template <typename T>
class CoTaskMem {
public:
    CoTaskMem() noexcept = default;
    explicit CoTaskMem(T* p) noexcept : p_(p) {}
    CoTaskMem(CoTaskMem&& o) noexcept : p_(std::exchange(o.p_, nullptr)) {}
    CoTaskMem& operator=(CoTaskMem&& o) noexcept {
        if (this != &o) reset(std::exchange(o.p_, nullptr));
        return *this;
    }
    CoTaskMem(const CoTaskMem&) = delete;
    CoTaskMem& operator=(const CoTaskMem&) = delete;
    ~CoTaskMem() { reset(); }

    T* get() const noexcept { return p_; }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void reset(T* p = nullptr) noexcept {
        if (p_) CoTaskMemFree(p_);
        p_ = p;
    }

private:
    T* p_ = nullptr;
};

}  // namespace fw
