// The half of toolkit.h that is about other programs' windows, and message boxes: plain user32.
#include <windows.h>

#include <algorithm>

#include "toolkit.h"
#include "win32_native.h"
#include "win32_text.h"

win::WindowHandle ui::ForegroundWindow() {
    return win32::ToHandle(::GetForegroundWindow());
}

win::WindowHandle ui::FindChildWindow(win::WindowHandle parent, const char* className) {
    return win32::ToHandle(::FindWindowExW(win32::ToHwnd(parent), nullptr, win32::Wide(className).c_str(), nullptr));
}

bool ui::ReadWindowText(win::WindowHandle window, unsigned timeoutMs, std::string* text) {
    wchar_t buffer[MAX_PATH] = L"";
    DWORD_PTR copied = 0;
    if (!::SendMessageTimeoutW(win32::ToHwnd(window), WM_GETTEXT, MAX_PATH, reinterpret_cast<LPARAM>(buffer),
                               SMTO_ABORTIFHUNG | SMTO_BLOCK, timeoutMs, &copied)) {
        return false;
    }
    *text = win32::Utf8(std::wstring_view(buffer, std::min<DWORD_PTR>(copied, MAX_PATH - 1))).value_or(std::string());
    return true;
}

bool ui::WindowExists(win::WindowHandle window) {
    return ::IsWindow(win32::ToHwnd(window)) != FALSE;
}

bool ui::WindowRect(win::WindowHandle window, win::Rect* rect) {
    RECT native;
    if (!::GetWindowRect(win32::ToHwnd(window), &native)) return false;
    *rect = {native.left, native.top, native.right, native.bottom};
    return true;
}

win::Rect ui::MonitorRectHolding(const win::Rect& rect) {
    const RECT native{rect.left, rect.top, rect.right, rect.bottom};
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(::MonitorFromRect(&native, MONITOR_DEFAULTTONEAREST), &info);
    return {info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom};
}

void ui::ShowMessageBox(const Form* owner, const std::string& text, const std::string& caption, MessageIcon icon) {
    const UINT type = MB_OK | (icon == MessageIcon::Information ? MB_ICONINFORMATION : 0);
    ::MessageBoxW(owner != nullptr ? win32::ToHwnd(owner->Handle()) : nullptr, win32::Wide(text).c_str(),
                  win32::Wide(caption).c_str(), type);
}
