#pragma once
// Owners for the driver's handles: each closes its value exactly once and can only be moved.
#include <windows.h>

#include <utility>

template <typename T, auto Close>
class Owner {
public:
    Owner() = default;
    explicit Owner(T value) : value_(value) {}
    Owner(Owner&& other) noexcept : value_(std::exchange(other.value_, T{})) {}
    Owner& operator=(Owner&& other) noexcept {
        reset(std::exchange(other.value_, T{}));
        return *this;
    }
    Owner(const Owner&) = delete;
    Owner& operator=(const Owner&) = delete;
    ~Owner() { reset(); }

    T get() const { return value_; }
    explicit operator bool() const { return value_ != T{}; }

    void reset(T value = T{}) {
        if (value_ != T{}) Close(value_);
        value_ = value;
    }

private:
    T value_{};
};

using HandleOwner = Owner<HANDLE, &CloseHandle>;
using WindowOwner = Owner<HWND, &DestroyWindow>;

// A window class registered for the life of the owner. Declare it before the windows of the
// class, so that they are destroyed first: a class with windows cannot be unregistered.
class ClassRegistration {
public:
    ClassRegistration(const char* name, WNDPROC procedure) {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512));  // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = name;
        atom_ = RegisterClassA(&windowClass);
    }
    ClassRegistration(const ClassRegistration&) = delete;
    ClassRegistration& operator=(const ClassRegistration&) = delete;
    ~ClassRegistration() {
        if (atom_ != 0) UnregisterClassA(MAKEINTATOM(atom_), GetModuleHandleA(nullptr));
    }

private:
    ATOM atom_ = 0;
};
