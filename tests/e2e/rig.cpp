// The end-to-end rig (rig.h): the stand-in Explorer window, Quillet's start, the steps and the
// runner, built once for the end-to-end driver and the benchmark's driver.
#include "rig.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>

namespace rig {
namespace {

constexpr DWORD TopmostMs = 1000;
constexpr const wchar_t* StandInClasses[] = {L"CabinetWClass", L"WorkerW", L"ReBarWindow32"};

// In double quotes, with line ends shown, so that a wrong one can be seen.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const char c : text) quoted += c == '\r' ? "\\r" : c == '\n' ? "\\n" : std::string(1, c);
    return quoted + "\"";
}

// A file's bytes as printed: quoted with those beyond ASCII as \xHH, or by size and hash
// when too long to read.
std::string Shown(const std::string& bytes) {
    if (bytes.size() > 400) return Format("%zu bytes, hash %08zx", bytes.size(), std::hash<std::string>{}(bytes));
    std::string shown;
    for (const unsigned char c : bytes) shown += c < 0x80 ? std::string(1, static_cast<char>(c)) : Format("\\x%02X", c);
    return Quoted(shown);
}

RECT MonitorOf(HWND window) {
    MONITORINFO info{sizeof info, {}, {}, 0};
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &info);
    return info.rcMonitor;
}

int ScreenDpi() {
    const HDC screen = GetDC(nullptr);
    const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
    return dpi;
}

// A text value under the key of the entries in the menu of a folder's background.
std::string ShellValue(const std::wstring& key, const wchar_t* name = nullptr) {
    const std::wstring path = L"Software\\Classes\\Directory\\Background\\shell" + key;
    HKEY opened = nullptr;
    if (RegOpenKeyExW(HKEY_CURRENT_USER, path.c_str(), 0, KEY_READ, &opened) != ERROR_SUCCESS) return "no key";
    wchar_t data[1024] = L"";
    DWORD size = sizeof data;
    const LSTATUS read = RegGetValueW(opened, nullptr, name, RRF_RT_REG_SZ, nullptr, data, &size);
    RegCloseKey(opened);
    return read == ERROR_SUCCESS ? Utf8(data) : "none";
}

// The first window under `parent` at any depth that matches.
HWND FindUnder(HWND parent, const std::function<bool(HWND)>& match) {
    for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child != nullptr;
         child = FindWindowExW(parent, child, nullptr, nullptr)) {
        if (match(child)) return child;
        if (HWND found = FindUnder(child, match)) return found;
    }
    return nullptr;
}

// Quillet's main window, or its window with this caption, waiting for it as long as asked.
HWND Find(const Scene& scene, const std::string& window, DWORD waitMs = 0) {
    if (window == Main) return scene.main;
    const HWND except = window == InfoBox ? scene.main : nullptr;  // whose caption it shares
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(scene.processId, window, except)) != nullptr; }, waitMs);
    return found;
}

// What a combo box shows: its text, and its selection from LOWORD to HIWORD (the caret when
// both are equal).
std::pair<std::wstring, DWORD> ReadCombo(HWND combo) {
    return {Wide(WindowText(combo)), static_cast<DWORD>(Ask(combo, CB_GETEDITSEL))};
}

// SendInput reaches whichever window is in the foreground. A key goes with a modifier (Shift,
// Alt) around it when asked; virtual key 0 sends `character` itself, for one that the layout lacks.
bool SendKey(WORD virtualKey, WORD modifier = 0, wchar_t character = 0) {
    const auto key = [character](WORD code, DWORD flags) {
        const DWORD extended = code >= VK_PRIOR && code <= VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0;
        const DWORD kind = code == 0 ? KEYEVENTF_UNICODE : extended;
        INPUT input{INPUT_KEYBOARD, {}};
        input.ki = {code, static_cast<WORD>(code == 0 ? character : MapVirtualKeyW(code, MAPVK_VK_TO_VSC)),
                    flags | kind, 0, 0};
        return input;
    };
    std::vector<INPUT> inputs{key(virtualKey, 0), key(virtualKey, KEYEVENTF_KEYUP)};
    if (modifier != 0) inputs = {key(modifier, 0), inputs[0], inputs[1], key(modifier, KEYEVENTF_KEYUP)};
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// A window that looks to Quillet like an Explorer window: a top-level "CabinetWClass" whose
// address bar is the Edit at the end of the chain WorkerW > ReBarWindow32 > ComboBoxEx32 >
// ComboBox > Edit, its only Edit. Without an address bar, as in an Explorer window that shows no
// path, the chain stops at WorkerW.
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
    const auto child = [&](const wchar_t* className, HWND parent, int x, int y, int childHeight, DWORD style) {
        return CreateWindowExW(0, className, L"", WS_CHILD | WS_VISIBLE | style, x, y, width - 2 * x, childHeight,
                               parent, nullptr, instance, nullptr);
    };
    if (!scene.standIn) return;
    const HWND worker = child(StandInClasses[1], scene.standIn.get(), 0, 0, height, 0);
    if (!scene.setup.addressBar) return;
    // A drop-down combo box is created with the height of its list added.
    child(WC_COMBOBOXEXW, child(StandInClasses[2], worker, 0, 0, 30, 0), 10, 4, 200, CBS_DROPDOWN);
    const HWND addressBar = FindChild(scene.standIn.get(), "Edit", nullptr);
    SendMessageW(addressBar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(barText).c_str()));
}

// Lets go of a held file from a pool thread, while the driver waits for Quillet.
VOID CALLBACK LetGo(void* file, BOOLEAN) {
    CloseHandle(file);
}

// Held without sharing, as an editor or a virus scanner may hold it.
bool HoldFile(const fs::path& path, DWORD ms) {
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    HANDLE timer = nullptr;
    return file != INVALID_HANDLE_VALUE &&
           CreateTimerQueueTimer(&timer, nullptr, LetGo, file, ms, 0, WT_EXECUTEONLYONCE);
}

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
std::string Launch(Scene& scene, const std::string& arguments = "") {
    if (!Start(scene, arguments)) return "start " + PathText(scene.programFolder / L"Quillet.exe");
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

// Saved from the X screen by ImageMagick's import, after a moment for the window to paint.
// Under Wine a Linux program cannot be waited for, but import grabs the screen before it writes.
bool SavePicture(HWND window, const std::string& name) {
    const char* folder = std::getenv("QUILLET_SCREENSHOTS");
    if (folder == nullptr) return true;
    WaitUntil([] { return false; }, 300);
    RECT shown{};
    GetWindowRect(window, &shown);
    const std::string file = Format("%s/%s-%d.png", folder, name.c_str(), ScreenDpi());
    const std::wstring command =
        Wide(Format("/bin/sh -c \"import -window root -crop %ldx%ld%+ld%+ld '%s'\"", shown.right - shown.left,
                    shown.bottom - shown.top, shown.left, shown.top, file.c_str()));
    HandleOwner process;
    DWORD id = 0;
    return Spawn(nullptr, command, nullptr, process, id) &&
           WaitUntil([&] { return fs::exists(L"Z:" + Wide(file)); }, 10000);
}

// Polls what `observe` reports until it is `expected`; on failure the last report is shown.
Step Expect(std::string what, std::string expected, std::function<std::string(Scene&)> observe,
            DWORD timeoutMs = ShowMs) {
    return {std::move(what), [=](Scene& scene, std::string& seen) {
                return WaitUntil([&] { return (seen = observe(scene)) == expected; }, timeoutMs);
            }};
}

// "" when the control of the layout table entry `args` sits in `form` where the table puts it at
// `dpi`, with its caption, measured in its font at that DPI, inside it. Beside its caption the
// system's control draws a push button's edges, a group box's frame on either side, or the box of
// a check box or radio button: so many pixels at 96 dpi.
template <typename Args>
std::string Misplaced(HWND form, const Args& args, int dpi, HDC screen) {
    constexpr bool combo = std::is_same_v<Args, ui::ComboBox::CreateArgs>;
    constexpr bool label = std::is_same_v<Args, ui::Label::CreateArgs>;
    constexpr int beside = combo || label                                   ? 0
                           : std::is_same_v<Args, ui::Button::CreateArgs>   ? 4
                           : std::is_same_v<Args, ui::GroupBox::CreateArgs> ? 16
                                                                            : 17;
    const std::string className = combo ? "ComboBox" : label ? "Static" : "Button";
    std::string caption;
    bool wordWrap = false;
    if constexpr (!combo) caption = args.caption;
    if constexpr (label) wordWrap = args.wordWrap;
    const auto scale = [dpi](int length) { return MulDiv(length, dpi, 96); };
    const HWND control = FindChild(form, className, caption.c_str());
    const ui::Bounds& at = args.bounds;
    RECT place{};
    GetWindowRect(control, &place);
    MapWindowPoints(HWND_DESKTOP, GetParent(control), reinterpret_cast<POINT*>(&place), 2);
    // A combo box is as high as its edit field, which its font decides.
    const long width = place.right - place.left, height = combo ? scale(at.height) : place.bottom - place.top;
    const std::string name = "; " + className + " " + Quoted(caption);
    const std::string placed = Format(" at (%ld, %ld) %ld x %ld", place.left, place.top, width, height);
    const std::string wanted =
        Format(" at (%d, %d) %d x %d", scale(at.left), scale(at.top), scale(at.width), scale(at.height));
    std::string seen = placed == wanted ? "" : name + placed;
    const ui::Font& font = args.font;
    const FontOwner made(CreateFontW(scale(font.height), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL, font.italic,
                                     font.underline, 0, DEFAULT_CHARSET, 0, 0, 0, 0, Wide(font.face).c_str()));
    if constexpr (combo) {
        // Quillet's font is a handle of its own process; its edit field's height shows it. A combo
        // box of our own, in the table's font, shows the height that font gives.
        const WindowOwner twin(CreateWindowExW(0, L"ComboBox", L"", WS_POPUP | CBS_DROPDOWN, 0, 0, 100, 200, nullptr,
                                               nullptr, nullptr, nullptr));
        SendMessageW(twin.get(), WM_SETFONT, reinterpret_cast<WPARAM>(made.get()), FALSE);
        RECT inFont{};
        GetWindowRect(twin.get(), &inFont);
        if (inFont.bottom - inFont.top != place.bottom - place.top)
            seen += name +
                    Format(" %ld high, not %ld as in its font", place.bottom - place.top, inFont.bottom - inFont.top);
    }
    const HGDIOBJ old = SelectObject(screen, made.get());
    RECT text{0, 0, scale(at.width) - scale(beside), 0};
    DrawTextW(screen, Wide(caption).c_str(), -1, &text, DT_CALCRECT | (wordWrap ? DT_WORDBREAK : DT_SINGLELINE));
    SelectObject(screen, old);
    // A text's cell ends in the blank column and row that part it from the next letter and line:
    // those may fall outside the control without hiding anything.
    if (text.right - 1 > scale(at.width) - scale(beside) || text.bottom - 1 > scale(at.height)) {
        seen += name + Format(" needs %ld x %ld", text.right + scale(beside), text.bottom);
    }
    return seen;
}

}  // namespace

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

std::string SortedList(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : ", ") + Quoted(item);
    return "{" + joined + "}";
}

fs::path DesktopTopFolder() {
    wchar_t path[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
    return fs::path(path) / Wide(DesktopTop);
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
    std::wstring commandLine = start == ByName ? Wide(program) : start == Unquoted ? exe : L"\"" + exe + L"\"";
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
    if (setup.holdOptionsMs > 0 && !HoldFile(options, setup.holdOptionsMs)) return "hold the options file";
    ShowStandIn(scene, setup.barText.empty() ? PathText(scene.explorerFolder) : setup.barText);
    if (!BringToFront(scene.standIn.get())) return "the stand-in Explorer window comes to the front";
    return Launch(scene);
}

bool Close(Scene& scene) {
    if (!scene.Running()) return true;
    PostMessageW(scene.main, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !scene.Running(); }, CloseMs);
}

void RunScenario(const Scenario& scenario, const fs::path& work, int& passed, int& failed) {
    const auto print = [&](bool ok, const std::string& what, const std::string& seen) {
        ++(ok ? passed : failed);
        const std::string saw = ok || seen.empty() ? "" : "; saw " + seen;
        std::printf("%s %s: %s%s\n", ok ? "PASS" : "FAIL", scenario.name.c_str(), what.c_str(), saw.c_str());
        std::fflush(stdout);
    };
    Scene scene;
    scene.setup = scenario.setup;
    const std::string error = Open(scene, work / Wide(scenario.name));
    if (!error.empty()) return print(false, "set-up: " + error, {});
    for (const Step& step : scenario.steps) {
        std::string seen;
        const bool ok = step.run(scene, seen);
        if (step.check || !ok) print(ok, step.what, seen);
        if (!ok && !step.check) break;
    }
    if (!Close(scene)) print(false, "Quillet ends after WM_CLOSE", "still running");
    std::error_code ignored;
    fs::remove_all(DesktopTopFolder(), ignored);
}

Step Act(std::string what, std::function<bool(Scene&)> run) {
    return {std::move(what), [run](Scene& scene, std::string&) { return run(scene); }, false};
}

// Input arrives asynchronously: each character waits until the combo box shows a change.
Step Type(const std::string& text) {
    return Act("type " + text, [text](Scene& scene) {
        for (wchar_t character : Wide(text)) {
            const auto before = ReadCombo(scene.combo);
            const std::size_t caret = HIWORD(before.second);
            const bool completed = character == L'>' && LOWORD(before.second) == caret && before.first[caret] == L'>';
            const SHORT key = completed ? VK_RIGHT : VkKeyScanW(character);
            const bool onLayout = key != -1 && (HIBYTE(key) & ~1) == 0;  // and needs neither Ctrl nor Alt
            if (!(onLayout ? SendKey(LOBYTE(key), HIBYTE(key) != 0 ? VK_SHIFT : 0) : SendKey(0, 0, character)))
                return false;
            if (IS_HIGH_SURROGATE(character)) continue;  // it shows with its second half
            if (!WaitUntil([&] { return ReadCombo(scene.combo) != before; }, ShowMs)) return false;
        }
        return true;
    });
}

Step Press(WORD key, WORD modifier) {
    return Act(Format("press key 0x%02X with 0x%02X", key, modifier), [=](Scene&) { return SendKey(key, modifier); });
}

// Settled afterwards, so that the next step cannot overtake it.
Step Click(const std::string& window, const std::string& button) {
    return Act("click " + Quoted(button) + " in " + window, [=](Scene& scene) {
        const HWND control = FindChild(Find(scene, window, ShowMs), "Button", button.c_str());
        return control != nullptr && PostMessageW(control, BM_CLICK, 0, 0) && Settle(scene);
    });
}

// With the mouse: Wine carries out a greyed item's key as if it were enabled and closes the
// menu, whereas a click on a greyed item leaves the menu open, as on Windows.
Step ClickLastMenuItem() {
    return Act("click the last item of the open menu", [](Scene& scene) {
        RECT menu{};
        GetWindowRect(Find(scene, Menu, ShowMs), &menu);
        INPUT inputs[2] = {{INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTDOWN, 0, 0}}},
                           {INPUT_MOUSE, {.mi = {0, 0, 0, MOUSEEVENTF_LEFTUP, 0, 0}}}};
        // Half an item above the menu's lower edge.
        const int y = menu.bottom - MulDiv(8, ScreenDpi(), 96);
        return menu.right > menu.left && SetCursorPos((menu.left + menu.right) / 2, y) &&
               SendInput(2, inputs, sizeof(INPUT)) == 2;
    });
}

// In two moves, as a hand makes them.
Step Hover(const std::string& window, const std::string& button) {
    return Act("hover over " + Quoted(button) + " in " + window, [=](Scene& scene) {
        RECT shown{};
        const HWND control = FindChild(Find(scene, window, ShowMs), "Button", button.c_str());
        INPUT move{INPUT_MOUSE, {.mi = {1, 1, 0, MOUSEEVENTF_MOVE, 0, 0}}};
        return control != nullptr && GetWindowRect(control, &shown) &&
               SetCursorPos((shown.left + shown.right) / 2 - 1, (shown.top + shown.bottom) / 2 - 1) &&
               SendInput(1, &move, sizeof move) == 1;
    });
}

Step Move(const std::string& window, int x, int y) {
    return Act(Format("move %s to (%d, %d)", window.c_str(), x, y), [=](Scene& scene) {
        return SetWindowPos(Find(scene, window), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE) != 0;
    });
}

// Quillet's outer size is measured on its window as it runs.
Step StandInNear(Edge edge, int gap) {
    return Act(Format("move the stand-in %d pixels from the edge", gap), [=](Scene& scene) {
        RECT quillet{};
        GetWindowRect(scene.main, &quillet);
        const RECT monitor = MonitorOf(scene.standIn.get());
        const int x = edge == Edge::Right ? monitor.right - gap - (quillet.right - quillet.left) : monitor.left + 200;
        const int y = edge == Edge::Bottom ? monitor.bottom - gap - (quillet.bottom - quillet.top) : monitor.top + 150;
        return SetWindowPos(scene.standIn.get(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != FALSE;
    });
}

Step CloseStandIn() {
    return Act("close the stand-in", [](Scene& scene) { return DestroyWindow(scene.standIn.release()) != FALSE; });
}

Step Restart(const std::string& arguments) {
    return Act("start Quillet again " + arguments, [arguments](Scene& scene) {
        return Close(scene) && BringToFront(scene.standIn.get()) && Launch(scene, arguments).empty();
    });
}

Step PutFile(const std::string& path, const std::string& bytes) {
    return Act("write " + path, [=](Scene& scene) {
        return static_cast<bool>(std::ofstream(scene.root / Wide(path), std::ios::binary) << bytes);
    });
}

// A bare sleep on purpose, since the stand-in's messages are this thread's.
Step Hang(DWORD ms) {
    return Act(Format("the stand-in answers nothing for %lu ms", ms), [ms](Scene&) { return Sleep(ms), true; });
}

// Windows sends WM_DPICHANGED to a window moved onto a monitor of another DPI; Wine never does.
// Its rectangle must be in Quillet's memory, since the pointer crosses processes as it is.
Step SendDpiChange(int dpi, POINT to) {
    return Act(Format("tell the main window of %d dpi, at (%ld, %ld)", dpi, to.x, to.y), [=](Scene& scene) {
        RECT now{};
        GetWindowRect(scene.main, &now);
        const RECT suggested{to.x, to.y, to.x + MulDiv(now.right - now.left, dpi, ScreenDpi()),
                             to.y + MulDiv(now.bottom - now.top, dpi, ScreenDpi())};
        const std::unique_ptr<void, std::function<void(void*)>> remote(
            VirtualAllocEx(scene.process.get(), nullptr, sizeof suggested, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE),
            [&scene](void* memory) { VirtualFreeEx(scene.process.get(), memory, 0, MEM_RELEASE); });
        DWORD_PTR answer = 0;
        return remote && WriteProcessMemory(scene.process.get(), remote.get(), &suggested, sizeof suggested, nullptr) &&
               SendMessageTimeoutW(scene.main, WM_DPICHANGED, MAKEWPARAM(dpi, dpi),
                                   reinterpret_cast<LPARAM>(remote.get()), SMTO_NORMAL, ShowMs, &answer) != 0;
    });
}

Step ExpectWindow(const std::string& window, At at, POINT offset) {
    static const char* const Origins[] = {"the screen's corner", "the stand-in's corner",
                                          "the centre of the stand-in's monitor"};
    const std::string expected = Format("(%ld, %ld)", offset.x, offset.y);
    const std::string topmost = window == Main ? Format(", topmost within %lu ms,", TopmostMs) : "";
    return Expect(
        window + topmost + " at " + Origins[static_cast<int>(at)] + " + " + expected, expected, [=](Scene& scene) {
            RECT bounds{}, origin{};
            if (!GetWindowRect(Find(scene, window), &bounds)) return std::string("no such window");
            if (!topmost.empty() && (scene.topmostMs < 0 || scene.topmostMs > TopmostMs)) {
                return Format("topmost after %lld ms (-1: never)", scene.topmostMs);
            }
            const RECT monitor = MonitorOf(scene.standIn.get());
            if (at == At::StandIn) GetWindowRect(scene.standIn.get(), &origin);
            if (at == At::Centre) {
                origin.left = monitor.left + (monitor.right - monitor.left - (bounds.right - bounds.left)) / 2;
                origin.top = monitor.top + (monitor.bottom - monitor.top - (bounds.bottom - bounds.top)) / 2;
            }
            return Format("(%ld, %ld)", bounds.left - origin.left, bounds.top - origin.top);
        });
}

namespace {

// The client area as Windows gives it at `dpi`. Wine draws a frame at the screen's DPI whatever a
// window is told, so after a DPI change the client area is the outer size less the frame that
// Windows draws at that DPI.
SIZE ClientArea(HWND form, int dpi, bool toldOfDpi) {
    RECT area{};
    if (!toldOfDpi) {
        GetClientRect(form, &area);
        return {area.right, area.bottom};
    }
    RECT frame{};
    AdjustWindowRectExForDpi(&frame, GetWindowLongW(form, GWL_STYLE), FALSE, GetWindowLongW(form, GWL_EXSTYLE), dpi);
    GetWindowRect(form, &area);
    return {area.right - area.left - (frame.right - frame.left), area.bottom - area.top - (frame.bottom - frame.top)};
}

// Empty `picture`: none is saved.
Step LayoutAt(int dpi, bool toldOfDpi, const std::string& window, const std::string& picture,
              const ui::Form::CreateArgs& table, const std::vector<TableEntry>& controls) {
    const std::string expected =
        Format("client area %d x %d", MulDiv(table.clientWidth, dpi, 96), MulDiv(table.clientHeight, dpi, 96));
    const std::string what = Format("%s at %d dpi: ", window.c_str(), dpi) + expected;
    return Expect(what + ", every control in place, no caption clipped", expected, [=](Scene& scene) {
        const HWND form = Find(scene, window, ShowMs);
        const SIZE client = ClientArea(form, dpi, toldOfDpi);
        std::string seen = Format("client area %ld x %ld", client.cx, client.cy);
        const HDC screen = GetDC(nullptr);
        for (const TableEntry& entry : controls)
            seen += std::visit([&](const auto& args) { return Misplaced(form, args, dpi, screen); }, entry);
        ReleaseDC(nullptr, screen);
        // Pictured once, when all is in place.
        if (seen == expected && !picture.empty() && !SavePicture(form, picture)) seen = "no picture saved";
        return seen;
    });
}

}  // namespace

Step ExpectLayout(const std::string& window, const std::string& picture, const ui::Form::CreateArgs& table,
                  const std::vector<TableEntry>& controls) {
    return LayoutAt(ScreenDpi(), false, window, picture, table, controls);
}

Step ExpectLayoutAfterDpiChange(int dpi, const std::string& window, const ui::Form::CreateArgs& table,
                                const std::vector<TableEntry>& controls) {
    return LayoutAt(dpi, true, window, "", table, controls);
}

Step ExpectShown(const std::string& window, const std::string& shows) {
    return Expect(window + " shows " + Quoted(shows), Quoted(shows), [=](Scene& scene) {
        const HWND found = Find(scene, window);
        if (!IsWindowVisible(found)) return Quoted(NotShown);
        if (window == Tooltip) return Quoted(WindowText(found));
        if (const HWND message = GetDlgItem(found, MessageTextId)) {
            const std::string text = WindowText(message);
            return Quoted(text.starts_with(shows) || shows == "shown" ? shows : text);
        }
        std::vector<std::string> checked;
        FindUnder(found, [&](HWND control) {
            if (Ask(control, BM_GETCHECK) == BST_CHECKED) checked.push_back(WindowText(control));
            return false;
        });
        return Quoted(checked.empty() ? "shown" : SortedList(checked));
    });
}

Step ExpectCombo(const std::string& text, int from, int to) {
    const std::string expected = Quoted(text) + Format(", selection %d to %d", from, to < 0 ? from : to);
    return Expect("the combo box shows " + expected, expected, [](Scene& scene) {
        const auto [shown, selection] = ReadCombo(scene.combo);
        return Quoted(Utf8(shown)) + Format(", selection %u to %u", LOWORD(selection), HIWORD(selection));
    });
}

Step ExpectFocus(const std::string& button) {
    const std::string wanted = button.empty() ? "the combo box" : Quoted(button);
    return Expect("the focus is on " + wanted, wanted, [](Scene& scene) {
        GUITHREADINFO info{sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        GetGUIThreadInfo(GetWindowThreadProcessId(scene.main, nullptr), &info);
        // The combo box's Edit holds the focus for it.
        return IsChild(scene.combo, info.hwndFocus) ? std::string("the combo box") : Quoted(WindowText(info.hwndFocus));
    });
}

Step ExpectTree(const std::vector<std::string>& folders, const std::string& place) {
    const std::string expected = SortedList(folders);
    return Expect((place.empty() ? "the Explorer folder" : Quoted(place)) + " holds " + expected, expected,
                  [=](Scene& scene) {
                      const fs::path root = place.empty() ? scene.explorerFolder : scene.root / Wide(place);
                      std::vector<std::string> found;
                      std::error_code error;
                      for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it);
                           it.increment(error))
                          if (it->is_directory()) found.push_back(PathText(fs::relative(it->path(), root)));
                      return SortedList(found);
                  });
}

Step ExpectFile(const std::optional<std::string>& bytes) {
    const std::string expected = bytes ? Shown(*bytes) : "no file";
    return Expect("the options file is " + expected, expected, [](Scene& scene) {
        std::ifstream stream(scene.programFolder / L"QuilletOptions.dat", std::ios::binary);
        return stream ? Shown({std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()}) : "no file";
    });
}

Step ExpectMenuEntry(bool present) {
    const std::string what = present ? "has the entry, icon and command" : "has no entry";
    return Expect("Explorer's menu " + what + " for this Quillet.exe, others kept", "as expected", [=](Scene& scene) {
        const std::string program = Quoted(PathText(scene.programFolder / L"Quillet.exe"));
        const std::string wanted =
            present ? "Make folders here with Quillet | " + program + " | " + program : "no key | no key | no key";
        const std::string seen = ShellValue(L"\\Quillet") + " | " + ShellValue(L"\\Quillet", L"Icon") + " | " +
                                 ShellValue(L"\\Quillet\\command");
        if (seen != wanted) return seen;
        return std::string(ShellValue(L"") != "no key" ? "as expected" : "others gone");
    });
}

Step ExpectRunning(DWORD forMs) {
    return {Format("Quillet still runs %lu ms later", forMs), [=](Scene& scene, std::string&) {
                Settle(scene);
                return !WaitUntil([&] { return !scene.Running() || !IsWindowVisible(scene.main); }, forMs);
            }};
}

Step ExpectExit(DWORD withinMs) {
    const auto ended = [](Scene& scene) {
        DWORD code = STILL_ACTIVE;
        GetExitCodeProcess(scene.process.get(), &code);
        return code == STILL_ACTIVE ? std::string("still running") : Format("exit code %lu", code);
    };
    return Expect(Format("Quillet ends with exit code 0 within %lu ms", withinMs), "exit code 0", ended, withinMs);
}

}  // namespace rig
