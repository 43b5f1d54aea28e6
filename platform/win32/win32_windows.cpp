// The user32, shell32, kernel32 and advapi32 half of winapi.h on real Win32: plain forwards.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlobj.h>

#include <algorithm>

#include "win32_text.h"
#include "winapi.h"

static_assert(win::kSwpNoSize == SWP_NOSIZE);
static_assert(win::kSwpNoMove == SWP_NOMOVE);
static_assert(win::kMbOk == MB_OK);
static_assert(win::kMbIconInformation == MB_ICONINFORMATION);
static_assert(win::kSwShowNormal == SW_SHOWNORMAL);
static_assert(win::kCsidlPersonal == CSIDL_PERSONAL);
static_assert(win::kCsidlDesktopDirectory == CSIDL_DESKTOPDIRECTORY);

namespace win {

namespace {

HWND Native(WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
WindowHandle Portable(HWND window) {
    return reinterpret_cast<WindowHandle>(window);
}

// shell32 is loaded only when the help page, the site or a shell folder is asked for: it and
// what it loads in turn would otherwise slow every start.
template <typename Function>
Function Shell32Function(const char* name) {
    static const HMODULE shell = ::LoadLibraryW(L"shell32.dll");  // kept for the rest of the run
    return reinterpret_cast<Function>(reinterpret_cast<void*>(::GetProcAddress(shell, name)));
}

}  // namespace

WindowHandle GetForegroundWindow() {
    return Portable(::GetForegroundWindow());
}

WindowHandle FindWindowExW(WindowHandle parent, WindowHandle childAfter, const char* className,
                           const char* windowName) {
    return Portable(::FindWindowExW(Native(parent), Native(childAfter), win32::Wide(className).c_str(),
                                    windowName != nullptr ? win32::Wide(windowName).c_str() : nullptr));
}

bool GetWindowTextTimeout(WindowHandle window, std::string* text, unsigned timeoutMs) {
    wchar_t buffer[MAX_PATH] = L"";
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(Native(window), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(buffer),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &copied)) {
        return false;
    }
    *text = win32::Utf8(std::wstring_view(buffer, std::min<DWORD_PTR>(copied, MAX_PATH - 1))).value_or(std::string());
    return true;
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

Rect MonitorRectFromRect(const Rect& window) {
    const RECT native{window.left, window.top, window.right, window.bottom};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromRect(&native, MONITOR_DEFAULTTONEAREST), &info);
    return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

int MessageBoxW(WindowHandle owner, const char* text, const char* caption, unsigned type) {
    return ::MessageBoxW(Native(owner), win32::Wide(text).c_str(), win32::Wide(caption).c_str(), type);
}

bool SHGetSpecialFolderPathW(WindowHandle owner, std::string* path, int csidl, bool create) {
    using Function = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
    const auto getPath = Shell32Function<Function>("SHGetSpecialFolderPathW");
    wchar_t buffer[MAX_PATH] = L"";
    if (getPath == nullptr || !getPath(Native(owner), buffer, csidl, create ? TRUE : FALSE)) return false;
    *path = win32::Utf8(buffer).value_or(std::string());
    return true;
}

bool PathIsDirectoryW(const char* path) {
    const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

void ShellExecuteW(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory, int showCommand) {
    using Function = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    const auto execute = Shell32Function<Function>("ShellExecuteW");
    if (execute == nullptr) return;  // as a failed open: nothing is reported
    execute(Native(owner), win32::Wide(verb).c_str(), win32::Wide(file).c_str(), win32::Wide(parameters).c_str(),
            win32::Wide(directory).c_str(), showCommand);
}

void Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

std::string GetCommandLineW() {
    return win32::Utf8(::GetCommandLineW()).value_or(std::string());
}

std::uint32_t RegSetStringValueW(const char* key, const char* name, const char* value) {
    HKEY opened = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, win32::Wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<std::uint32_t>(status);
    const std::wstring data = win32::Wide(value);
    status = ::RegSetValueExW(opened, name[0] != '\0' ? win32::Wide(name).c_str() : nullptr, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(opened);
    return static_cast<std::uint32_t>(status);
}

std::uint32_t RegDeleteTreeW(const char* key) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(key).c_str());
    return status == ERROR_FILE_NOT_FOUND ? ERROR_SUCCESS : static_cast<std::uint32_t>(status);  // nothing to remove
}

}  // namespace win
