// The window and shell half of winapi.h over the simulated window tree, and the sim::
// functions that build that tree, configure the shell and answer message boxes.
#include <algorithm>
#include <cstring>
#include <stdexcept>

#include "sim_world.h"

namespace {

using sim::detail::ScopeExit;
using sim::detail::TheWorld;
using sim::detail::Window;

constexpr int kIdOk = 1;
constexpr unsigned kSwpNoZOrder = 0x0004;  // SetWindowPos then ignores insertAfter

Window* LiveWindow(win::WindowHandle window) {
    return TheWorld().windows.Find(window);
}

std::string TextOrEmpty(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

}  // namespace

namespace win {

WindowHandle GetForegroundWindow() {
    const WindowHandle foreground = TheWorld().shell.foreground;
    return LiveWindow(foreground) != nullptr ? foreground : nullptr;
}

// Among the direct children of parent only, never deeper, as Win32 searches.
WindowHandle FindWindowExA(WindowHandle parent, WindowHandle childAfter, const char* className,
                           const char* windowName) {
    sim::detail::WindowTree& windows = TheWorld().windows;
    const std::vector<WindowHandle>* children = windows.Children(parent);
    if (children == nullptr) return nullptr;
    auto next = children->begin();
    if (childAfter != nullptr) {
        next = std::find(children->begin(), children->end(), childAfter);
        if (next == children->end()) return nullptr;  // not a child of parent: Win32 fails
        ++next;
    }
    for (; next != children->end(); ++next) {
        const Window& child = *windows.Find(*next);
        if (className != nullptr && !sim::detail::EqualIgnoringAsciiCase(child.className, className)) continue;
        if (windowName != nullptr && !sim::detail::EqualIgnoringAsciiCase(child.text, windowName)) continue;
        return *next;
    }
    return nullptr;
}

std::intptr_t SendMessageA(WindowHandle window, unsigned message, std::uintptr_t wParam, std::intptr_t lParam) {
    const Window* target = LiveWindow(window);
    if (target == nullptr || message != kWmGetText) return 0;
    char* buffer = reinterpret_cast<char*>(lParam);
    if (buffer == nullptr || wParam == 0) return 0;
    const std::size_t count = std::min<std::size_t>(target->text.size(), wParam - 1);
    std::memcpy(buffer, target->text.data(), count);
    buffer[count] = '\0';
    return static_cast<std::intptr_t>(count);
}

bool IsWindow(WindowHandle window) {
    return LiveWindow(window) != nullptr;
}

bool GetWindowRect(WindowHandle window, Rect* rect) {
    const Window* target = LiveWindow(window);
    if (target == nullptr || rect == nullptr) return false;
    *rect = target->rect;
    return true;
}

bool SetWindowPos(WindowHandle window, WindowHandle insertAfter, int x, int y, int cx, int cy, unsigned flags) {
    sim::detail::WindowTree& windows = TheWorld().windows;
    Window* target = windows.Find(window);
    if (target == nullptr) return false;
    if ((flags & kSwpNoSize) == 0) {
        target->rect.right = target->rect.left + cx;
        target->rect.bottom = target->rect.top + cy;
    }
    if ((flags & kSwpNoMove) == 0) {
        // x and y are relative to the parent's client area; screen pixels for a top-level window.
        const auto [originX, originY] = windows.ClientOrigin(target->parent);
        windows.MoveTo(window, originX + x, originY + y);
    }
    if ((flags & kSwpNoZOrder) == 0 && insertAfter == kHwndTopmost) {
        target->topmost = true;
        windows.BringToTop(window);
    }
    return true;
}

// The box's nested loop is the responder: whatever it does (tick a timer, say) happens while
// the box is open. A box whose owner is not a window fails, as on Win32, and shows nothing.
int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned type) {
    sim::detail::World& world = TheWorld();
    if (owner != nullptr && LiveWindow(owner) == nullptr) return 0;
    // A null caption shows as "Error" on Win32.
    const sim::MessageBoxRecord record{owner, TextOrEmpty(text), caption == nullptr ? "Error" : caption, type};
    world.shell.messageBoxes.push_back(record);
    const auto responder = world.shell.messageBoxResponder;  // it may replace itself
    world.toolkit.modalLoops.push_back(nullptr);
    ScopeExit closeBox([&world] { world.toolkit.modalLoops.pop_back(); });
    if (responder) responder(record);
    return kIdOk;
}

bool SHGetSpecialFolderPathA(WindowHandle /*owner*/, char* path, int csidl, bool /*create*/) {
    const std::map<int, std::string>& folders = TheWorld().shell.specialFolders;
    const auto found = folders.find(csidl);
    if (found == folders.end() || found->second.empty() || path == nullptr) return false;
    const std::size_t count = std::min(found->second.size(), kMaxPath - 1);
    std::memcpy(path, found->second.data(), count);
    path[count] = '\0';
    return true;
}

void PathRemoveBlanksA(char* text) {
    if (text == nullptr) return;
    const std::size_t length = std::strlen(text);
    std::size_t first = 0;
    while (first < length && text[first] == ' ') ++first;
    std::size_t end = length;
    while (end > first && text[end - 1] == ' ') --end;
    std::memmove(text, text + first, end - first);
    text[end - first] = '\0';
}

void ShellExecuteA(WindowHandle owner, const char* verb, const char* file, const char* parameters,
                   const char* directory, int showCommand) {
    TheWorld().shell.shellExecuteCalls.push_back({owner == nullptr, TextOrEmpty(verb), TextOrEmpty(file),
                                                  TextOrEmpty(parameters), TextOrEmpty(directory), showCommand});
}

const char* GetCommandLineA() {
    return TheWorld().shell.commandLine.c_str();
}

char* lstrcatA(char* text, const char* tail) {
    if (text == nullptr) return nullptr;
    if (tail != nullptr) std::strcat(text, tail);
    return text;
}

void Sleep(unsigned /*milliseconds*/) {
    ++TheWorld().shell.sleeps;
}

}  // namespace win

namespace sim {

win::WindowHandle MakeWindow(win::WindowHandle parent, const std::string& className, const std::string& text,
                               win::Rect rect) {
    return TheWorld().windows.Create(parent, className, text, rect);
}

void DestroyWindow(win::WindowHandle window) {
    TheWorld().windows.Destroy(window);
}

void SetText(win::WindowHandle window, const std::string& text) {
    if (Window* target = LiveWindow(window)) target->text = text;
}

void SetForegroundWindow(win::WindowHandle window) {
    TheWorld().shell.foreground = window;
    TheWorld().windows.BringToTop(window);
}

bool IsTopmost(win::WindowHandle window) {
    const Window* target = LiveWindow(window);
    return target != nullptr && target->topmost;
}

void SetScreenSize(int width, int height) {
    TheWorld().shell.screenWidth = width;
    TheWorld().shell.screenHeight = height;
}

void SetCommandLine(const std::string& commandLine) {
    TheWorld().shell.commandLine = commandLine;
}

void SetSpecialFolder(int csidl, const std::string& path) {
    TheWorld().shell.specialFolders[csidl] = path;
}

const std::vector<ShellExecuteCall>& ShellExecuteCalls() {
    return TheWorld().shell.shellExecuteCalls;
}

int BeepCount() {
    return TheWorld().shell.beeps;
}

int SleepCount() {
    return TheWorld().shell.sleeps;
}

const std::vector<MessageBoxRecord>& MessageBoxes() {
    return TheWorld().shell.messageBoxes;
}

void OnMessageBox(std::function<void(const MessageBoxRecord&)> responder) {
    TheWorld().shell.messageBoxResponder = std::move(responder);
}

}  // namespace sim
