// The end-to-end rig (rig.h): the stand-in Explorer window and Quillet's start, found windows and
// close, built once for the end-to-end driver and the benchmark's driver.
#include "rig.h"

#include <commctrl.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <fstream>

namespace rig {
namespace {

constexpr const wchar_t* StandInClasses[] = {L"CabinetWClass", L"WorkerW", L"ReBarWindow32"};

// A window that looks to Quillet like an Explorer window: a top-level "CabinetWClass" with the
// tree the set-up names below it. The address bar, where it has one, shows `barText`.
void ShowStandIn(Scene& scene, const std::string& barText) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    // Registered for the life of the driver: the second time round this fails, harmlessly.
    for (const wchar_t* name : StandInClasses) {
        const auto background = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        const WNDCLASSW windowClass{0, DefWindowProcW, 0, 0, instance, nullptr, nullptr, background, nullptr, name};
        RegisterClassW(&windowClass);
    }
    const RECT& bounds = scene.setup.standIn;
    const int width = bounds.right - bounds.left, height = bounds.bottom - bounds.top;
    scene.standIn.reset(CreateWindowExW(0, StandInClasses[0], Wide(scene.setup.folder).c_str(),
                                        WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | WS_VISIBLE, bounds.left, bounds.top,
                                        width, height, nullptr, nullptr, instance, nullptr));
    const auto child = [&](const wchar_t* className, HWND parent, int x, int y, int childHeight, DWORD style = 0) {
        return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, x, y, width - 2 * x, childHeight,
                               parent, nullptr, instance, nullptr);
    };
    if (!scene.standIn) return;
    const HWND worker = child(L"WorkerW", scene.standIn.get(), 0, 0, height);
    if (scene.setup.tree == Setup::Tree::NoAddressBar) return;
    const HWND rebar = child(L"ReBarWindow32", worker, 0, 0, 30);
    // A drop-down combo box is created with the height of its list added.
    child(WC_COMBOBOXEXW, rebar, 10, 4, 200, CBS_DROPDOWN);
    const HWND addressBar = FindChild(scene.standIn.get(), "Edit", nullptr);
    SendMessageW(addressBar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(barText).c_str()));
}

}  // namespace

// Starts a program with this command line and current folder (the driver's when null). A Linux
// program under Wine may come without a process handle.
bool Spawn(const wchar_t* program, std::wstring line, const wchar_t* current, HandleOwner& process, DWORD& id) {
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(program, &line[0], nullptr, nullptr, FALSE, 0, nullptr, current, &startup, &created))
        return false;
    CloseHandle(created.hThread);
    process.reset(created.hProcess);
    id = created.dwProcessId;
    return true;
}

// Starts Quillet and waits for its first tick: that makes the window topmost and then looks up
// the address bar in the same handler, so the steps start once the handler is done (or waits in
// the box it opened). With arguments, Quillet has a command to carry out, and no window is awaited.
std::string Launch(Scene& scene, const std::string& arguments) {
    const std::string& startFolder = scene.setup.startFolder;
    const std::string given =
        arguments.empty() && !startFolder.empty() ? "\"" + PathText(scene.root / Wide(startFolder)) + "\"" : arguments;
    if (!Start(scene, given)) return "start " + PathText(scene.programFolder / L"Quillet.exe");
    if (!arguments.empty()) return "";
    // Its caption changes when it goes to the desktop.
    const auto shown = [&] {
        return (scene.main = FindTopWindow(scene.processId, "Quillet")) ||
               (scene.main = FindTopWindow(scene.processId, "Quillet on desktop"));
    };
    if (!WaitUntil(shown, StartMs)) return "a window captioned \"Quillet\" appears";
    scene.combo = FindChild(scene.main, "ComboBox", nullptr);
    const DWORD visible = GetTickCount();
    const auto topmost = [&] { return (GetWindowLongW(scene.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    // A box about the options file holds the first tick back.
    const auto ticked = [&] { return topmost() || FindTopWindow(scene.processId, ErrorBox); };
    scene.topmostMs = WaitUntil(ticked, ShowMs) && topmost() ? static_cast<long long>(GetTickCount() - visible) : -1;
    Settle(scene);
    return scene.combo != nullptr ? "" : "the main window holds a combo box";
}

std::wstring Wide(const std::string& text) {
    return fs::path(std::u8string(text.begin(), text.end())).wstring();
}

std::string Utf8(const std::wstring& text) {
    const std::u8string bytes = fs::path(text).u8string();
    return {bytes.begin(), bytes.end()};
}

std::string Format(const char* format, ...) {
    char text[1024];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs, DWORD pollMs) {
    for (const DWORD start = GetTickCount();;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (ready()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, pollMs, QS_ALLINPUT);
    }
}

std::string PathText(fs::path path) {
    return Utf8(path.make_preferred().wstring());
}

LRESULT Ask(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, ShowMs, &result);
    return static_cast<LRESULT>(result);
}

std::string WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(Ask(window, WM_GETTEXTLENGTH)) + 1, L'\0');
    text.resize(std::min<std::size_t>(text.size() - 1,
                                      Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return Utf8(text);
}

// The caption is kept by the window manager, so no message goes to the other process.
HWND FindTopWindow(DWORD processId, const std::string& name, HWND except, const std::wstring& windowClass) {
    const wchar_t* const ofClass = windowClass.empty() ? nullptr : windowClass.c_str();
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, ofClass, nullptr)) != nullptr;) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != processId || !IsWindowVisible(window) || window == except) continue;
        wchar_t text[256] = L"", className[64] = L"";
        GetWindowTextW(window, text, 256);
        GetClassNameW(window, className, 64);
        if (name.empty() || Utf8(text) == name || Utf8(className) == name) return window;
    }
    return nullptr;
}

HWND FindUnder(HWND parent, const std::function<bool(HWND)>& match) {
    for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child != nullptr;
         child = FindWindowExW(parent, child, nullptr, nullptr)) {
        if (match(child)) return child;
        if (HWND found = FindUnder(child, match)) return found;
    }
    return nullptr;
}

HWND FindChild(HWND parent, const std::string& className, const char* text) {
    return parent == nullptr ? nullptr : FindUnder(parent, [&](HWND window) {
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        return _wcsicmp(name, Wide(className).c_str()) == 0 && (text == nullptr || WindowText(window) == text);
    });
}

// A message posted to Quillet is handled only when its thread next takes one from its queue,
// whereas a sent one may be answered in the middle of a handler that itself sends messages.
// Once this marker shows, what was posted or under way before it is done, or waits in a box.
bool Settle(const Scene& scene) {
    const HWND marker = FindChild(scene.main, "Button", nullptr);
    PostMessageW(marker, BM_SETSTATE, TRUE, 0);
    const auto shown = [marker] { return !IsWindow(marker) || (Ask(marker, BM_GETSTATE) & BST_PUSHED) != 0; };
    const bool settled = WaitUntil(shown, ShowMs);
    Ask(marker, BM_SETSTATE, FALSE);
    return settled;
}

bool BringToFront(HWND window) {
    SetForegroundWindow(window);
    return WaitUntil([window] { return GetForegroundWindow() == window; }, ShowMs);
}

bool Start(Scene& scene, const std::string& arguments, const std::string& program) {
    using enum Setup::Start;
    const Setup::Start start = scene.setup.start;
    const std::wstring exe = fs::path(scene.programFolder / Wide(program)).make_preferred().wstring();
    std::wstring commandLine = start == ByName ? Wide(program) : L"\"" + exe + L"\"";
    if (!arguments.empty()) commandLine += L" " + Wide(arguments);
    const fs::path current = start == ByName ? scene.root : scene.programFolder;
    return Spawn(exe.c_str(), commandLine, current.c_str(), scene.process, scene.processId);
}

std::string Open(Scene& scene, const fs::path& root) {
    const Setup& setup = scene.setup;
    scene.root = root;
    scene.programFolder = root / Wide(setup.program);
    scene.explorerFolder = root / Wide(setup.folder);
    wchar_t driver[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    std::error_code error;
    for (const std::string& made : setup.made) fs::create_directories(root / Wide(made), error);
    for (const fs::path& folder : {scene.explorerFolder, scene.programFolder}) fs::create_directories(folder, error);
    for (const wchar_t* file : {L"Quillet.exe", L"Help_Quillet.htm"})
        if (!error) fs::copy_file(fs::path(driver).parent_path() / file, scene.programFolder / file, error);
    if (error) return "make the folders and copy the program into " + PathText(scene.programFolder);
    const fs::path options = scene.programFolder / L"QuilletOptions.dat";
    if (setup.options && !(std::ofstream(options, std::ios::binary) << *setup.options)) return "write the options file";
    for (const auto& [name, bytes] : setup.besideProgram) {
        if (!(std::ofstream(scene.programFolder / Wide(name), std::ios::binary) << bytes)) return "write " + name;
    }
    ShowStandIn(scene, setup.barText.empty() ? PathText(scene.explorerFolder) : setup.barText);
    if (!BringToFront(scene.standIn.get())) return "the stand-in Explorer window comes to the front";
    return Launch(scene);
}

bool Close(Scene& scene) {
    if (!scene.Running()) return true;
    PostMessageW(scene.main, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !scene.Running(); }, CloseMs);
}
}  // namespace rig
