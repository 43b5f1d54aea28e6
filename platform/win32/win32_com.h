#pragma once
// COM and functions found at run time, for the parts of platform/win32 that load a DLL only when
// first needed (so that a start loads none of them) or call what not every Windows has.
#include <windows.h>

#include <objbase.h>

namespace win32 {

// Null when the module or the function is missing.
template <typename Function>
Function FindFunction(HMODULE module, const char* name) {
    return module ? reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(module, name))) : nullptr;
}

// ole32 and shell32, loaded when first asked, since they and what they load in turn would slow
// every start, and kept for the rest of the run; null where they cannot be loaded.
HMODULE Ole32();
HMODULE Shell32();

// Initialises COM in the GUI thread, apartment-threaded as ShellExecute and oleacc want it,
// once, when first asked; it stays. False when COM could not be had there.
bool GuiThreadCom();
// ole32's CoCreateInstance, loaded when first asked; null where it cannot be.
decltype(&::CoCreateInstance) CreateInstanceFunction();

// Owns one reference to a COM object.
template <typename Interface>
class ComPtr {
public:
    ComPtr() = default;
    ComPtr(const ComPtr&) = delete;
    ComPtr& operator=(const ComPtr&) = delete;
    ~ComPtr() {
        if (object_ != nullptr) object_->Release();
    }
    Interface* operator->() const { return object_; }
    Interface* get() const { return object_; }
    explicit operator bool() const { return object_ != nullptr; }
    // For a call that hands out a new reference.
    Interface** Out() { return &object_; }
    void** OutVoid() { return reinterpret_cast<void**>(&object_); }

private:
    Interface* object_ = nullptr;
};

}  // namespace win32
