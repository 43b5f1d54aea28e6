#include "rig.h"

#include <commctrl.h>
#include <shlobj.h>

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>

namespace {

constexpr DWORD StartMs = 10000;
// For a window, a box, a keystroke's effect, a folder or a file to show, or a message's answer;
// also the bound on the first tick, which is due 100 ms after the start.
constexpr DWORD ShowMs = 3000;
constexpr DWORD CloseMs = 5000;
constexpr int MessageTextId = 0xFFFF;  // the text of a message box
constexpr const wchar_t* StandInClasses[] = {L"CabinetWClass", L"WorkerW", L"ReBarWindow32"};
constexpr const wchar_t* AddressBarChain[] = {L"WorkerW", L"ReBarWindow32", L"ComboBoxEx32", L"ComboBox", L"Edit"};

std::string PathText(fs::path path) {
    return Utf8(path.make_preferred().wstring());
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

std::string SortedList(std::vector<std::string> items) {
    std::sort(items.begin(), items.end());
    std::string joined;
    for (const std::string& item : items) joined += (joined.empty() ? "" : ", ") + item;
    return "{" + joined + "}";
}

fs::path DesktopTopFolder() {
    wchar_t path[MAX_PATH] = L"";
    SHGetSpecialFolderPathW(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
    return fs::path(path) / Wide(DesktopTop);
}

// Every folder under `root`, as relative paths with backslashes.
std::string ListTree(const fs::path& root) {
    std::vector<std::string> folders;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it); it.increment(error))
        if (it->is_directory()) folders.push_back(PathText(fs::relative(it->path(), root)));
    return SortedList(folders);
}

// Sent with a time-out, so that a hung program cannot hold the driver; 0 when unanswered.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(window, message, wParam, lParam, SMTO_ABORTIFHUNG, ShowMs, &result);
    return static_cast<LRESULT>(result);
}

// Asked with WM_GETTEXT, which also reaches other processes' controls.
std::string WindowText(HWND window) {
    const auto length = static_cast<std::size_t>(Ask(window, WM_GETTEXTLENGTH));
    std::wstring text(length + 1, L'\0');
    text.resize(
        std::min<std::size_t>(length, Ask(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]))));
    return Utf8(text);
}

// The first window under `parent` at any depth, or the first top-level window when it is null,
// that matches.
HWND FindUnder(HWND parent, const std::function<bool(HWND)>& match) {
    for (HWND child = FindWindowExW(parent, nullptr, nullptr, nullptr); child != nullptr;
         child = FindWindowExW(parent, child, nullptr, nullptr)) {
        if (match(child)) return child;
        if (HWND found = parent != nullptr ? FindUnder(child, match) : nullptr) return found;
    }
    return nullptr;
}

// A visible top-level window of the process with exactly this caption. The caption is kept
// by the window manager, so no message goes to the other process.
HWND FindTopWindow(DWORD processId, const std::string& caption) {
    return FindUnder(nullptr, [&](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        if (owner != processId || !IsWindowVisible(window)) return false;
        wchar_t text[256] = L"";
        GetWindowTextW(window, text, 256);
        return Utf8(text) == caption;
    });
}

// The first control under `parent` of this class (in any letter case) with this text; any
// text when null.
HWND FindChild(HWND parent, const std::string& className, const char* text) {
    return parent == nullptr ? nullptr : FindUnder(parent, [&](HWND window) {
        wchar_t name[64] = L"";
        GetClassNameW(window, name, 64);
        return _wcsicmp(name, Wide(className).c_str()) == 0 && (text == nullptr || WindowText(window) == text);
    });
}

// Quillet's main window, or its window with this caption, waiting for it as long as asked.
HWND Find(const Scene& scene, const std::string& window, DWORD waitMs = 0) {
    HWND found = window == Main ? scene.main : nullptr;
    WaitUntil([&] { return found != nullptr || (found = FindTopWindow(scene.processId, window)) != nullptr; }, waitMs);
    return found;
}

// What a combo box shows: its text, and its selection from LOWORD to HIWORD (the caret when
// both are equal).
std::pair<std::wstring, DWORD> ReadCombo(HWND combo) {
    return {Wide(WindowText(combo)), static_cast<DWORD>(Ask(combo, CB_GETEDITSEL))};
}

// SendInput reaches whichever window is in the foreground. A key goes with Shift around it
// when asked; virtual key 0 sends `character` itself, for one that the layout lacks.
bool SendKey(WORD virtualKey, bool shifted = false, wchar_t character = 0) {
    const auto key = [character](WORD code, DWORD flags) {
        const DWORD extended = code >= VK_PRIOR && code <= VK_DOWN ? KEYEVENTF_EXTENDEDKEY : 0;
        const DWORD kind = code == 0 ? KEYEVENTF_UNICODE : extended;
        INPUT input{INPUT_KEYBOARD, {}};
        input.ki = {code, static_cast<WORD>(code == 0 ? character : MapVirtualKeyW(code, MAPVK_VK_TO_VSC)),
                    flags | kind, 0, 0};
        return input;
    };
    std::vector<INPUT> inputs{key(virtualKey, 0), key(virtualKey, KEYEVENTF_KEYUP)};
    if (shifted) inputs = {key(VK_SHIFT, 0), inputs[0], inputs[1], key(VK_SHIFT, KEYEVENTF_KEYUP)};
    return SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT)) == inputs.size();
}

// Input arrives asynchronously: each character waits until the combo box shows a change.
bool TypeAsPerson(HWND combo, const std::string& text) {
    for (wchar_t character : Wide(text)) {
        const auto before = ReadCombo(combo);
        const std::size_t caret = HIWORD(before.second);
        const bool completed = character == L'>' && LOWORD(before.second) == caret && caret < before.first.size() &&
                               before.first[caret] == L'>';
        const SHORT key = completed ? VK_RIGHT : VkKeyScanW(character);
        const bool onLayout = key != -1 && (HIBYTE(key) & ~1) == 0;  // and needs neither Ctrl nor Alt
        if (!(onLayout ? SendKey(LOBYTE(key), HIBYTE(key) != 0) : SendKey(0, false, character))) return false;
        if (IS_HIGH_SURROGATE(character)) continue;  // it shows with its second half
        if (!WaitUntil([&] { return ReadCombo(combo) != before; }, ShowMs)) return false;
    }
    return true;
}

HWND AddressBar(HWND standIn) {
    for (const wchar_t* className : AddressBarChain)
        standIn = standIn != nullptr ? FindWindowExW(standIn, nullptr, className, nullptr) : nullptr;
    return standIn;
}

// A window that looks to Quillet like an Explorer window: a top-level "CabinetWClass" whose
// address bar is the Edit at the end of the chain above. Without an address bar, as in an
// Explorer window that shows no path, the chain stops at WorkerW.
void ShowStandIn(Scene& scene, const std::string& barText) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    for (std::size_t at = 0; at < scene.standInClasses.size(); ++at) {
        WNDCLASSW windowClass{0,       DefWindowProcW, 0,       0,       instance,
                              nullptr, nullptr,        nullptr, nullptr, StandInClasses[at]};
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        scene.standInClasses[at].reset(RegisterClassW(&windowClass));
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
    SendMessageW(AddressBar(scene.standIn.get()), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(Wide(barText).c_str()));
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

// As it is when the user starts Quillet from it.
bool BringToFront(HWND window) {
    SetForegroundWindow(window);
    return WaitUntil([window] { return GetForegroundWindow() == window; }, ShowMs);
}

// Starts Quillet as the shell does, with its path quoted and its folder current, and waits
// for its first tick: that makes the window topmost and then looks up the address bar in the
// same handler, so the steps start once the handler is done (or waits in the box it opened).
std::string Launch(Scene& scene) {
    const std::wstring exe = fs::path(scene.programFolder / L"Quillet.exe").make_preferred().wstring();
    std::wstring commandLine = L"\"" + exe + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessW(exe.c_str(), &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, scene.programFolder.c_str(),
                        &startup, &created)) {
        return "start " + Utf8(exe);
    }
    win32::UniqueHandle thread(created.hThread);
    scene.process.reset(created.hProcess);
    scene.processId = created.dwProcessId;
    // Its caption changes when it goes to the desktop.
    const auto shown = [&] {
        scene.main = FindTopWindow(scene.processId, "Quillet");
        return scene.main != nullptr || (scene.main = FindTopWindow(scene.processId, "Quillet on desktop")) != nullptr;
    };
    if (!WaitUntil(shown, StartMs)) return "a window captioned \"Quillet\" appears";
    scene.combo = FindChild(scene.main, "ComboBox", nullptr);
    const DWORD start = GetTickCount();
    const auto topmost = [&] { return (GetWindowLongW(scene.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    scene.topmostMs = WaitUntil(topmost, ShowMs) ? static_cast<long long>(GetTickCount() - start) : -1;
    Settle(scene);
    return scene.combo != nullptr ? "" : "the main window holds a combo box";
}

std::string Open(Scene& scene, const fs::path& root) {
    const Setup& setup = scene.setup;
    scene.programFolder = root / Wide(setup.program);
    scene.explorerFolder = root / Wide(setup.folder);
    wchar_t driver[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    std::error_code error;
    for (const fs::path& folder : {scene.programFolder, scene.explorerFolder}) fs::create_directories(folder, error);
    for (const wchar_t* file : {L"Quillet.exe", L"Help_Quillet.htm"})
        if (!error) fs::copy_file(fs::path(driver).parent_path() / file, scene.programFolder / file, error);
    if (error) return "make the folders and copy the program into " + PathText(scene.programFolder);
    const fs::path options = scene.programFolder / L"QuilletOptions.dat";
    if (setup.options && !(std::ofstream(options, std::ios::binary) << *setup.options)) return "write the options file";
    const std::string bar = setup.barText.empty() ? PathText(scene.explorerFolder) : setup.barText;
    ShowStandIn(scene, bar);
    const HWND edit = AddressBar(scene.standIn.get());
    if (!scene.standIn || (setup.addressBar ? WindowText(edit) != bar : edit != nullptr)) return "the stand-in";
    if (!BringToFront(scene.standIn.get())) return "the stand-in Explorer window comes to the front";
    return Launch(scene);
}

bool CloseQuillet(Scene& scene) {
    if (!scene.Running()) return true;
    PostMessageW(scene.main, WM_CLOSE, 0, 0);
    return WaitUntil([&] { return !scene.Running(); }, CloseMs);
}

Step Act(std::string what, std::function<bool(Scene&)> run) {
    return {std::move(what), [run](Scene& scene, std::string&) { return run(scene); }, false};
}

// Polls what `observe` reports until it is `expected`; on failure the last report is shown.
Step Expect(std::string what, std::string expected, std::function<std::string(Scene&)> observe,
            DWORD timeoutMs = ShowMs) {
    return {std::move(what), [=](Scene& scene, std::string& seen) {
                return WaitUntil([&] { return (seen = observe(scene)) == expected; }, timeoutMs);
            }};
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

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
    constexpr DWORD PollMs = 10;
    for (const DWORD start = GetTickCount();;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
        if (ready()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, PollMs, QS_ALLINPUT);
    }
}

// A Quillet that does not end is terminated, so that it cannot disturb the next scenario.
Scene::~Scene() {
    if (Running() && TerminateProcess(process.get(), 0xDEAD)) WaitUntil([this] { return !Running(); }, CloseMs);
}

void RunScenario(const Scenario& scenario, const fs::path& work, Tally& tally) {
    const auto print = [&](bool ok, const std::string& what, std::string seen) {
        ++(ok ? tally.passed : tally.failed);
        seen = ok || seen.empty() ? "" : "; saw " + seen;
        std::string line = Format("%s %s: ", ok ? "PASS" : "FAIL", scenario.name.c_str()) + what + seen;
        // Line ends shown, so that a wrong one can be seen.
        for (std::size_t at = 0; (at = line.find_first_of("\r\n", at)) != std::string::npos; at += 2) {
            line.replace(at, 1, line[at] == '\r' ? "\\r" : "\\n");
        }
        std::printf("%s\n", line.c_str());
        std::fflush(stdout);
    };
    std::error_code ignored;
    fs::remove_all(DesktopTopFolder(), ignored);  // left by a run that was cut short
    Scene scene;
    scene.setup = scenario.setup;
    if (const std::string failed = Open(scene, work / Wide(scenario.name)); !failed.empty()) {
        return print(false, "set-up: " + failed, {});
    }
    for (const Step& step : scenario.steps) {
        std::string seen;
        const bool ok = step.run(scene, seen);
        if (step.check || !ok) print(ok, step.what, seen);
        if (!ok && !step.check) break;
    }
    if (!CloseQuillet(scene)) print(false, "Quillet ends after WM_CLOSE", "still running");
    fs::remove_all(DesktopTopFolder(), ignored);
}

Step Type(const std::string& text) {
    return Act("type " + text, [text](Scene& scene) { return TypeAsPerson(scene.combo, text); });
}

Step Press(WORD virtualKey) {
    return Act(Format("press virtual key 0x%02X", virtualKey), [virtualKey](Scene&) { return SendKey(virtualKey); });
}

// Settled afterwards, so that the next step cannot overtake the click.
Step Click(const std::string& window, const std::string& button) {
    return Act("click " + Quoted(button) + " in " + window, [=](Scene& scene) {
        const HWND control = FindChild(Find(scene, window, ShowMs), "Button", button.c_str());
        return control != nullptr && PostMessageW(control, BM_CLICK, 0, 0) && Settle(scene);
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
        const int x = edge == Edge::Right ? GetSystemMetrics(SM_CXSCREEN) - gap - (quillet.right - quillet.left) : 200;
        const int y = edge == Edge::Bottom ? GetSystemMetrics(SM_CYSCREEN) - gap - (quillet.bottom - quillet.top) : 150;
        return SetWindowPos(scene.standIn.get(), nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER) != FALSE;
    });
}

Step CloseStandIn() {
    return Act("close the stand-in Explorer window",
               [](Scene& scene) { return DestroyWindow(scene.standIn.release()) != FALSE; });
}

Step Restart() {
    return Act("start Quillet again", [](Scene& scene) {
        return CloseQuillet(scene) && BringToFront(scene.standIn.get()) && Launch(scene).empty();
    });
}

Step ExpectWindow(const std::string& window, At at, POINT offset, SIZE client) {
    static const char* const Origins[] = {"the screen's corner", "the stand-in's corner", "the main window's corner",
                                          "the centre of the screen"};
    const auto place = [client](POINT corner, SIZE area) {
        return Format("(%ld, %ld)", corner.x, corner.y) +
               (client.cx != 0 ? Format(", client area %ld x %ld", area.cx, area.cy) : "");
    };
    const std::string expected = place(offset, client);
    return Expect(window + " at " + Origins[static_cast<int>(at)] + " + " + expected, expected, [=](Scene& scene) {
        const HWND target = Find(scene, window);
        RECT bounds{}, area{}, origin{};
        GetWindowRect(target, &bounds);
        GetClientRect(target, &area);
        if (at == At::StandIn) GetWindowRect(scene.standIn.get(), &origin);
        if (at == At::MainWindow) GetWindowRect(scene.main, &origin);
        const int centreLeft = (GetSystemMetrics(SM_CXSCREEN) - (bounds.right - bounds.left)) / 2;
        const int centreTop = (GetSystemMetrics(SM_CYSCREEN) - (bounds.bottom - bounds.top)) / 2;
        if (at == At::Centre) origin = {centreLeft, centreTop, 0, 0};
        const POINT corner{bounds.left - origin.left, bounds.top - origin.top};
        return target != nullptr ? place(corner, {area.right, area.bottom}) : "no such window";
    });
}

Step ExpectShown(const std::string& window, bool shown) {
    const auto state = [](bool visible) { return std::string(visible ? "shown" : "not shown"); };
    return Expect(window + " is " + state(shown), state(shown),
                  [=](Scene& scene) { return state(IsWindowVisible(Find(scene, window))); });
}

Step ExpectControls(const std::string& window, const std::vector<std::pair<std::string, std::string>>& controls,
                    const std::vector<std::string>& checked) {
    const std::string expected = "missing {}, checked " + SortedList(checked);
    return Expect(window + " holds every control, " + expected, expected, [=](Scene& scene) {
        std::vector<std::string> missing, on;
        for (const auto& [className, text] : controls) {
            const HWND control = FindChild(Find(scene, window, ShowMs), className, text.c_str());
            if (control == nullptr) missing.push_back(className + " " + Quoted(text));
            if (control != nullptr && Ask(control, BM_GETCHECK) == BST_CHECKED) on.push_back(text);
        }
        return "missing " + SortedList(missing) + ", checked " + SortedList(on);
    });
}

Step ExpectCombo(const std::string& text, int caret) {
    const auto shows = [](const std::pair<std::wstring, DWORD>& state) {
        return Quoted(Utf8(state.first)) + Format(", selection %u to %u", LOWORD(state.second), HIWORD(state.second));
    };
    const std::string expected = shows({Wide(text), MAKELONG(caret, caret)});
    return Expect("the combo box shows " + expected, expected,
                  [=](Scene& scene) { return shows(ReadCombo(scene.combo)); });
}

Step ExpectFocus(const std::string& button) {
    const std::string wanted = button.empty() ? "the combo box" : Quoted(button);
    return Expect("the focus is on " + wanted, wanted, [](Scene& scene) {
        GUITHREADINFO info{sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        GetGUIThreadInfo(GetWindowThreadProcessId(scene.main, nullptr), &info);
        const bool inCombo = info.hwndFocus == scene.combo || GetParent(info.hwndFocus) == scene.combo;
        return inCombo && info.hwndFocus != nullptr ? std::string("the combo box") : Quoted(WindowText(info.hwndFocus));
    });
}

Step ExpectTree(std::vector<std::string> folders, bool onDesktop) {
    const std::string where = onDesktop ? "the desktop's " + Quoted(DesktopTop) : "the Explorer folder";
    return Expect(where + " holds " + SortedList(folders), SortedList(folders), [onDesktop](Scene& scene) {
        return ListTree(onDesktop ? DesktopTopFolder() : scene.explorerFolder);
    });
}

Step ExpectFile(const std::optional<std::string>& bytes) {
    const std::string expected = bytes ? Quoted(*bytes) : "no file";
    return Expect("the options file is " + expected, expected, [](Scene& scene) {
        std::ifstream stream(scene.programFolder / L"QuilletOptions.dat", std::ios::binary);
        return stream ? Quoted({std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()}) : "no file";
    });
}

Step ExpectError(const std::string& text) {
    return Expect("a \"Quillet error\" box says " + Quoted(text), Quoted(text),
                  [](Scene& scene) { return Quoted(WindowText(GetDlgItem(Find(scene, ErrorBox), MessageTextId))); });
}

Step ExpectTopmost(DWORD withinMs) {
    const std::string what = Format("WS_EX_TOPMOST is set within %lu ms of the window showing", withinMs);
    return Expect(what, "in time", [=](Scene& scene) {
        const bool inTime = scene.topmostMs >= 0 && scene.topmostMs <= withinMs;
        return inTime ? std::string("in time") : Format("after %lld ms (-1: never)", scene.topmostMs);
    });
}

Step ExpectRunning(DWORD forMs) {
    return {Format("Quillet still runs %lu ms later", forMs), [forMs](Scene& scene, std::string&) {
                Settle(scene);
                return !WaitUntil([&] { return !scene.Running() || !IsWindowVisible(scene.main); }, forMs);
            }};
}

Step ExpectExit(DWORD withinMs) {
    const std::string what = Format("Quillet ends with exit code 0 within %lu ms", withinMs);
    return Expect(
        what, "exit code 0",
        [](Scene& scene) {
            DWORD code = 0;
            if (scene.Running() || !GetExitCodeProcess(scene.process.get(), &code)) return std::string("still running");
            return Format("exit code %lu", code);
        },
        withinMs);
}
