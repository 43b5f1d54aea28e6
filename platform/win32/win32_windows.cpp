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

// The whole text, whatever its length: first its length, then the text, each within what is
// left of the time.
ui::TextRead ui::ReadWindowText(win::WindowHandle window, unsigned timeoutMs, std::string* text) {
    const DWORD start = ::GetTickCount();
    const auto ask = [&](UINT message, WPARAM wParam, LPARAM lParam, DWORD_PTR* answer) {
        const DWORD spent = ::GetTickCount() - start;
        const UINT left = spent < timeoutMs ? timeoutMs - spent : 1;
        return ::SendMessageTimeoutW(win32::ToHwnd(window), message, wParam, lParam, SMTO_ABORTIFHUNG | SMTO_BLOCK,
                                     left, answer) != 0;
    };
    // User Interface Privilege Isolation blocks the message and sets ERROR_ACCESS_DENIED.
    const auto failure = [] {
        return ::GetLastError() == ERROR_ACCESS_DENIED ? TextRead::Refused : TextRead::NotAnswering;
    };
    DWORD_PTR length = 0, copied = 0;
    if (!ask(WM_GETTEXTLENGTH, 0, 0, &length)) return failure();
    std::wstring buffer(length + 1, L'\0');
    if (!ask(WM_GETTEXT, buffer.size(), reinterpret_cast<LPARAM>(buffer.data()), &copied)) return failure();
    buffer.resize(std::min<DWORD_PTR>(copied, length));
    *text = win32::Utf8(buffer).value_or(std::string());
    return TextRead::Read;
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

ui::Monitor ui::MonitorHolding(const win::Rect& rect) {
    const RECT native{rect.left, rect.top, rect.right, rect.bottom};
    const HMONITOR monitor = ::MonitorFromRect(&native, MONITOR_DEFAULTTONEAREST);
    MONITORINFO info{};
    info.cbSize = sizeof info;
    ::GetMonitorInfoW(monitor, &info);
    return {{info.rcMonitor.left, info.rcMonitor.top, info.rcMonitor.right, info.rcMonitor.bottom},
            win32::MonitorDpi(monitor)};
}

void ui::ShowMessageBox(const Form* owner, const std::string& text, const std::string& caption, MessageIcon icon) {
    const UINT type = MB_OK | (icon == MessageIcon::Information ? MB_ICONINFORMATION : 0);
    ::MessageBoxW(owner != nullptr ? win32::ToHwnd(owner->Handle()) : nullptr, win32::Wide(text).c_str(),
                  win32::Wide(caption).c_str(), type);
}
