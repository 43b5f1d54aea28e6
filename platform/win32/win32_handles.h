#pragma once
// Owners for the Win32 handles of platform/win32, after wil's unique_any: one non-copyable
// owner parameterised by a traits type that knows the empty value and the close function,
// plus scope_exit for one-off cleanups. Private to platform/win32.
#include <windows.h>

#include <utility>

namespace win32 {

template <typename Traits>
class UniqueAny {
public:
    using Value = typename Traits::Value;

    UniqueAny() = default;
    explicit UniqueAny(Value value) : value_(value) {}
    UniqueAny(const UniqueAny&) = delete;
    UniqueAny& operator=(const UniqueAny&) = delete;
    UniqueAny(UniqueAny&& other) noexcept : value_(other.release()) {}
    UniqueAny& operator=(UniqueAny&& other) noexcept {
        if (this != &other) reset(other.release());
        return *this;
    }
    ~UniqueAny() { reset(); }

    Value get() const { return value_; }
    explicit operator bool() const { return value_ != Traits::Empty(); }
    Value release() { return std::exchange(value_, Traits::Empty()); }
    void reset(Value value = Traits::Empty()) {
        const Value old = std::exchange(value_, value);
        if (old != Traits::Empty()) Traits::Close(old);
    }

private:
    Value value_ = Traits::Empty();
};

struct WindowTraits {
    using Value = HWND;
    static HWND Empty() { return nullptr; }
    static void Close(HWND window) { ::DestroyWindow(window); }
};

struct FontTraits {
    using Value = HFONT;
    static HFONT Empty() { return nullptr; }
    static void Close(HFONT font) { ::DeleteObject(font); }
};

// CreateFileA reports failure with INVALID_HANDLE_VALUE, not null.
struct FileTraits {
    using Value = HANDLE;
    static HANDLE Empty() { return INVALID_HANDLE_VALUE; }
    static void Close(HANDLE file) { ::CloseHandle(file); }
};

using UniqueWindow = UniqueAny<WindowTraits>;
using UniqueFont = UniqueAny<FontTraits>;
using UniqueFile = UniqueAny<FileTraits>;

template <typename Cleanup>
class ScopeExit {
public:
    explicit ScopeExit(Cleanup cleanup) : cleanup_(std::move(cleanup)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() {
        if (active_) cleanup_();
    }
    void Dismiss() { active_ = false; }

private:
    Cleanup cleanup_;
    bool active_ = true;
};

}  // namespace win32

namespace win32 {

// Process and thread handles: null when empty, unlike the file handles above.
struct KernelHandleTraits {
    using Value = HANDLE;
    static HANDLE Empty() { return nullptr; }
    static void Close(HANDLE handle) { ::CloseHandle(handle); }
};

// A window class registered for the life of the owner: declare it before the windows of the
// class, so that they are destroyed first (a class with windows cannot be unregistered).
struct WindowClassTraits {
    using Value = ATOM;
    static ATOM Empty() { return 0; }
    static void Close(ATOM atom) {
        ::UnregisterClassW(reinterpret_cast<LPCWSTR>(static_cast<ULONG_PTR>(atom)), ::GetModuleHandleW(nullptr));
    }
};

using UniqueHandle = UniqueAny<KernelHandleTraits>;
using UniqueWindowClass = UniqueAny<WindowClassTraits>;

}  // namespace win32
