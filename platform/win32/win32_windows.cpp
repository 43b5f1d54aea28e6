// The user32, shell32, shlwapi and kernel32 half of winapi.h on real Win32: plain forwards.
#include <windows.h>
// After <windows.h>, which they need.
#include <shellapi.h>
#include <shlobj.h>
#include <shlwapi.h>

#include "winapi.h"

static_assert(win::kSwpNoSize == SWP_NOSIZE);
static_assert(win::kSwpNoMove == SWP_NOMOVE);
static_assert(win::kMbOk == MB_OK);
static_assert(win::kWmGetText == WM_GETTEXT);
static_assert(win::kSwShowNormal == SW_SHOWNORMAL);
static_assert(win::kCsidlPersonal == CSIDL_PERSONAL);
static_assert(win::kCsidlDesktopDirectory == CSIDL_DESKTOPDIRECTORY);
static_assert(win::kMaxPath == MAX_PATH);

namespace win {

namespace {

HWND Native(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
WindowHandle Portable(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

}  // namespace

WindowHandle GetForegroundWindow() {
    return Portable(::GetForegroundWindow());
}

WindowHandle FindWindowExA(WindowHandle parent, WindowHandle childAfter, const char* className,
                           const char* windowName) {
    return Portable(::FindWindowExA(Native(parent), Native(childAfter), className, windowName));
}

std::intptr_t SendMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    return ::SendMessageA(Native(window), message, wParam, lParam);
}

bool IsWindow(WindowHandle window) {
    return ::IsWindow(Native(window)) != FALSE;
}

bool GetWindowRect(WindowHandle window, Rect* rect) {
    RECT native;
    if (!::GetWindowRect(Native(window), &native)) return false;
    *rect = {native.left, native.top, native.right, native.bottom};
    return true;
}

bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    return ::SetWindowPos(Native(window), Native(insertAfter), x, y, cx, cy, flags) != FALSE;
}

int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned type) {
    return ::MessageBoxA(Native(owner), text, caption, type);
}

bool SHGetSpecialFolderPathA(WindowHandle owner, char* path, int csidl, bool create) {
    return ::SHGetSpecialFolderPathA(Native(owner), path, csidl, create ? TRUE : FALSE) != FALSE;
}

bool PathIsDirectoryA(const char* path) {
    return ::PathIsDirectoryA(path) != FALSE;
}

void ShellExecuteA(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory, int showCommand) {
    ::ShellExecuteA(Native(owner), verb, file, parameters, directory, showCommand);
}

char* lstrcatA(char* text, const char* tail) {
    return ::lstrcatA(text, tail);
}

void Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

}  // namespace win
