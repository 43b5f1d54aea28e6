#pragma once
// The Windows services the window units use, under their Windows names, without <windows.h>.
// platform/win32 forwards each one to the real API. Text is UTF-8, converted at the call.
#include <cstdint>
#include <string>

namespace win {

struct WindowObject;  // never defined: a window handle is opaque
using WindowHandle = WindowObject*;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// The few constants the program passes, with their Windows values.
inline const WindowHandle kHwndTopmost = reinterpret_cast<WindowHandle>(static_cast<std::intptr_t>(-1));
constexpr unsigned kSwpNoSize = 0x0001;
constexpr unsigned kSwpNoMove = 0x0002;
constexpr unsigned kMbOk = 0x0000;
constexpr unsigned kMbIconInformation = 0x0040;
constexpr int kSwShowNormal = 1;
constexpr int kCsidlPersonal = 5;
constexpr int kCsidlDesktopDirectory = 16;

// Window management (user32).
WindowHandle GetForegroundWindow();
WindowHandle FindWindowExW(WindowHandle parent, WindowHandle childAfter, const char* className,
                           const char* windowName);
// WM_GETTEXT sent with SendMessageTimeoutW: false when the window's thread does not answer
// within the time-out or is hung. A text that is not valid Unicode reads as empty.
bool GetWindowTextTimeout(WindowHandle window, std::string* text, unsigned timeoutMs);
bool IsWindow(WindowHandle window);
bool GetWindowRect(WindowHandle window, Rect* rect);
bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy, unsigned flags);
// The rectangle of the monitor that holds the largest part of `window`, or the nearest one.
Rect MonitorRectFromRect(const Rect& window);
int MessageBoxW(WindowHandle owner, const char* text, const char* caption, unsigned type);

// Shell (shell32, shlwapi).
bool SHGetSpecialFolderPathW(WindowHandle owner, std::string* path, int csidl, bool create);
bool PathIsDirectoryW(const char* path);
void ShellExecuteW(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory, int showCommand);

// Base services (kernel32, advapi32).
void Sleep(unsigned milliseconds);
std::string GetCommandLineW();
// Keys under HKEY_CURRENT_USER; a Windows error code, 0 on success.
std::uint32_t RegSetStringValueW(const char* key, const char* name, const char* value);  // "" names the default value
std::uint32_t RegDeleteTreeW(const char* key);  // the key and everything below it

}  // namespace win
