#pragma once
// The Windows services the window units use, under their Windows names, without <windows.h>.
// platform/win32 forwards each one to the real API.
#include <cstddef>
#include <cstdint>

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
constexpr unsigned kWmGetText = 0x000D;
constexpr int kSwShowNormal = 1;
constexpr int kCsidlPersonal = 5;
constexpr int kCsidlDesktopDirectory = 16;
constexpr std::size_t kMaxPath = 260;

// Window management (user32).
WindowHandle GetForegroundWindow();
WindowHandle FindWindowExA(WindowHandle parent, WindowHandle childAfter, const char* className,
                           const char* windowName);
// Only WM_GETTEXT is used: wParam is the buffer size, lParam the char buffer.
std::intptr_t SendMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam);
bool IsWindow(WindowHandle window);
bool GetWindowRect(WindowHandle window, Rect* rect);
bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy, unsigned flags);
int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned type);

// Shell (shell32, shlwapi).
bool SHGetSpecialFolderPathA(WindowHandle owner, char* path, int csidl, bool create);
bool PathIsDirectoryA(const char* path);
void ShellExecuteA(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory, int showCommand);

// Base services (kernel32).
char* lstrcatA(char* text, const char* tail);
void Sleep(unsigned milliseconds);

}  // namespace win
