// The end-to-end driver. Quillet.exe and Help_Quillet.htm are expected beside it.
//
//   quillet_e2e [--work FOLDER] [--keep] [NAME...]   run every scenario, or those whose name
//                                                   starts with one of the NAMEs
//   quillet_e2e --list                              list the scenarios
//   quillet_e2e demo FOLDER STOPFILE [TEXT]         show the stand-in and Quillet on
//                                                   FOLDER\demo, type TEXT and Enter, and wait
//                                                   until Quillet ends or STOPFILE appears
//
// Each scenario starts its own Quillet beside its own stand-in Explorer window. Checks that need
// the same set-up share a run where one step leaves what the next needs.
#include "rig.h"  // the end-to-end rig, also linked into the benchmark's driver

#include <shlobj.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <optional>
#include <type_traits>
#include <variant>

#include "ConfigwindowLayout.h"
#include "DesktoporquitLayout.h"
#include "Unit1Layout.h"

using namespace rig;

namespace {

// A scenario is data: a set-up and a list of steps from the factories below. The runner prints a
// PASS or FAIL line per check; an action is printed only when it fails, and then ends its
// scenario, since the steps after it build on it.
struct Step {
    std::string what;
    std::function<bool(Scene& scene, std::string& seen)> run;
    bool check = true;
};

struct Scenario {
    std::string name;
    Setup setup;
    std::vector<Step> steps;
};

// The one folder a scenario may make on the desktop, removed after each scenario. Wine's prefixes
// share the desktop: named by the process, runs side by side do not remove each other's.
inline const std::string DesktopTop = Format("Quillet e2e %lu", GetCurrentProcessId());
fs::path DesktopTopFolder();
// Where a window is expected: from the screen's corner, from the stand-in's, or as an offset
// from the centre of the stand-in's monitor.
enum class At { Screen, StandIn, Centre };
enum class Edge { Right, Bottom };

// An entry of a layout table, as the layout tables declare it.
using TableEntry = std::variant<ui::Label::CreateArgs, ui::Button::CreateArgs, ui::ComboBox::CreateArgs,
                                ui::CheckBox::CreateArgs, ui::RadioButton::CreateArgs, ui::GroupBox::CreateArgs>;

constexpr DWORD TopmostMs = 1000;

// In double quotes, with line ends and bytes beyond ASCII shown as \r, \n and \xHH, so that a
// wrong one can be seen.
std::string Quoted(const std::string& text) {
    std::string quoted = "\"";
    for (const unsigned char c : text)
        quoted += c == '\r' ? "\\r" : c == '\n' ? "\\n" : c < 0x80 ? std::string(1, c) : Format("\\x%02X", c);
    return quoted + "\"";
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

using DcOwner = std::unique_ptr<std::remove_pointer_t<HDC>, Closer<DeleteDC>>;
using BitmapOwner = std::unique_ptr<std::remove_pointer_t<HBITMAP>, Closer<DeleteObject>>;

// The window as the screen shows it, after a moment for it to paint, saved as a 24-bit BMP that
// the test script turns into a PNG. Copied here with GDI: on the CI machine, runs that started
// ImageMagick's import from Wine for it ended in silence at their first picture.
bool SavePicture(HWND window, const std::string& name) {
    const char* folder = std::getenv("QUILLET_SCREENSHOTS");
    if (folder == nullptr) return true;
    WaitUntil([] { return false; }, 300);
    RECT shown{};
    GetWindowRect(window, &shown);
    const LONG width = shown.right - shown.left, height = shown.bottom - shown.top;
    const DWORD size = static_cast<DWORD>((width * 3 + 3) / 4 * 4 * height);
    BITMAPINFO info{{sizeof(BITMAPINFOHEADER), width, height, 1, 24, BI_RGB, size, 0, 0, 0, 0}, {}};
    void* bits = nullptr;
    const DcOwner memory(CreateCompatibleDC(nullptr));
    const BitmapOwner bitmap(CreateDIBSection(memory.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    const HGDIOBJ before = SelectObject(memory.get(), bitmap.get());
    const HDC screen = GetDC(nullptr);
    const bool copied = bits != nullptr &&
                        BitBlt(memory.get(), 0, 0, width, height, screen, shown.left, shown.top, SRCCOPY) && GdiFlush();
    ReleaseDC(nullptr, screen);
    SelectObject(memory.get(), before);
    if (!copied) return false;
    const DWORD offset = sizeof(BITMAPFILEHEADER) + sizeof info.bmiHeader;
    const BITMAPFILEHEADER file{0x4D42, offset + size, 0, 0, offset};
    std::ofstream out(fs::path(L"Z:" + Wide(Format("%s/%s-%d.bmp", folder, name.c_str(), ScreenDpi()))),
                      std::ios::binary);
    out.write(reinterpret_cast<const char*>(&file), sizeof file);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), size);
    return out.good();
}

// Polls what `observe` reports until it is `expected`; on failure the last report is shown.
Step Expect(std::string what, std::string expected, std::function<std::string(Scene&)> observe,
            DWORD timeoutMs = ShowMs) {
    return {std::move(what), [=](Scene& scene, std::string& seen) {
                return WaitUntil([&] { return (seen = observe(scene)) == expected; }, timeoutMs);
            }};
}

// "" when the font selected into `dc` is TrueType (font linking, which finds the glyphs of other
// scripts, serves no other kind) and holds every character of `text`.
std::string FontLacks(HDC dc, const std::wstring& text) {
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    wchar_t face[LF_FACESIZE] = L"";
    GetTextFaceW(dc, LF_FACESIZE, face);
    if ((metrics.tmPitchAndFamily & TMPF_TRUETYPE) == 0) return " in " + Utf8(face) + ", not a TrueType font";
    std::vector<std::uint8_t> buffer(GetFontUnicodeRanges(dc, nullptr));
    const auto* ranges = reinterpret_cast<const GLYPHSET*>(buffer.data());
    if (buffer.empty() || GetFontUnicodeRanges(dc, reinterpret_cast<GLYPHSET*>(buffer.data())) == 0) {
        return " in " + Utf8(face) + ", which lists no characters";
    }
    std::string lacking;
    for (const wchar_t c : text) {
        const auto holds = [c](const WCRANGE& range) { return c >= range.wcLow && c - range.wcLow < range.cGlyphs; };
        if (std::none_of(ranges->ranges, ranges->ranges + ranges->cRanges, holds)) lacking += Utf8(std::wstring(1, c));
    }
    return lacking.empty() ? "" : " in " + Utf8(face) + ", which lacks " + lacking;
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
    // The names typed and kept in the history, in the scripts of the Unicode scenarios.
    if constexpr (combo) seen += FontLacks(screen, L"ĀłΩéëЖ");
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

// Sorted and quoted, between braces.
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

// Runs the scenario in its own folder under `work`; adds its checks to `passed` and `failed`.
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

// The steps. An action:
Step Act(std::string what, std::function<bool(Scene&)> run) {
    return {std::move(what), [run](Scene& scene, std::string&) { return run(scene); }, false};
}

// As a person types with automatic <> completion: a '>' already under the caret is stepped over.
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

Step Press(WORD key, WORD modifier = 0) {
    return Act(Format("press key 0x%02X with 0x%02X", key, modifier), [=](Scene&) { return SendKey(key, modifier); });
}

// Posted, as a person's click does not wait for what it starts.
// Settled afterwards, so that the next step cannot overtake it.
Step Click(const std::string& window, const std::string& button) {
    return Act("click " + Quoted(button) + " in " + window, [=](Scene& scene) {
        const HWND control = FindChild(Find(scene, window, ShowMs), "Button", button.c_str());
        return control != nullptr && PostMessageW(control, BM_CLICK, 0, 0) && Settle(scene);
    });
}

// The mouse comes to rest over the middle of the control with that caption.
// In two moves, as a hand makes them.
Step Hover(const std::string& window, const std::string& caption, const char* className = "Button") {
    return Act("hover over " + Quoted(caption) + " in " + window, [=](Scene& scene) {
        RECT shown{};
        const HWND control = FindChild(Find(scene, window, ShowMs), className, caption.c_str());
        INPUT move{INPUT_MOUSE, {.mi = {1, 1, 0, MOUSEEVENTF_MOVE, 0, 0}}};
        return control != nullptr && GetWindowRect(control, &shown) &&
               SetCursorPos((shown.left + shown.right) / 2 - 1, (shown.top + shown.bottom) / 2 - 1) &&
               SendInput(1, &move, sizeof move) == 1;
    });
}

// The name a screen reader reads for the combo box. oleacc takes it from the label just before
// the control in the z-order, which is creation order; Wine's oleacc gives no object for a
// window of another process, so that rule is checked here.
Step ExpectComboName(const std::string& name) {
    return Expect("the combo box is named " + Quoted(name), Quoted(name), [](Scene& scene) {
        const HWND before = GetWindow(scene.combo, GW_HWNDPREV);
        wchar_t className[16] = L"";
        GetClassNameW(before, className, 16);
        return lstrcmpiW(className, L"Static") == 0 ? Quoted(WindowText(before)) : "no label before it";
    });
}

// The main window's status, where the version shows while the line is empty.
Step ExpectStatus(const std::string& status) {
    return Expect("the status says " + Quoted(status), Quoted(status), [=](Scene& scene) {
        std::string texts;
        for (HWND child = nullptr; (child = FindWindowExW(scene.main, child, L"Static", nullptr)) != nullptr;) {
            if (WindowText(child) == status) return Quoted(status);
            texts += Quoted(WindowText(child)) + " ";
        }
        return texts + "and no other label";
    });
}

// Moves the stand-in so that Quillet's window, at its corner, would end `gap` pixels from the
// edge of the stand-in's monitor.
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

// Closes Quillet if it still runs and starts it again from the same program folder, with
// `arguments` (and then without waiting for a window).
Step Restart(const std::string& arguments = "") {
    return Act("start Quillet again " + arguments, [arguments](Scene& scene) {
        return Close(scene) && BringToFront(scene.standIn.get()) && Launch(scene, arguments).empty();
    });
}

// Sends the main window a message whose lParam points at `data`, as Windows sends it. Wine sends
// neither message below, and their pointer crosses processes as it is: `data` goes into
// Quillet's memory, and what Quillet writes there comes back. False when Quillet did not answer.
template <typename Data>
bool SendWithData(Scene& scene, UINT message, WPARAM wParam, Data& data, DWORD_PTR* answer) {
    const std::unique_ptr<void, std::function<void(void*)>> remote(
        VirtualAllocEx(scene.process.get(), nullptr, sizeof data, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE),
        [&scene](void* memory) { VirtualFreeEx(scene.process.get(), memory, 0, MEM_RELEASE); });
    return remote && WriteProcessMemory(scene.process.get(), remote.get(), &data, sizeof data, nullptr) &&
           SendMessageTimeoutW(scene.main, message, wParam, reinterpret_cast<LPARAM>(remote.get()), SMTO_NORMAL, ShowMs,
                               answer) != 0 &&
           ReadProcessMemory(scene.process.get(), remote.get(), &data, sizeof data, nullptr);
}

// As Windows tells the main window that it now lies on a monitor of `dpi`, suggesting `to` as its
// new top-left corner.
Step SendDpiChange(int dpi, POINT to) {
    return Act(Format("tell the main window of %d dpi, at (%ld, %ld)", dpi, to.x, to.y), [=](Scene& scene) {
        RECT now{};
        GetWindowRect(scene.main, &now);
        RECT suggested{to.x, to.y, to.x + MulDiv(now.right - now.left, dpi, ScreenDpi()),
                       to.y + MulDiv(now.bottom - now.top, dpi, ScreenDpi())};
        DWORD_PTR answer = 0;
        return SendWithData(scene, WM_DPICHANGED, MAKEWPARAM(dpi, dpi), suggested, &answer);
    });
}

// Before that, Windows 10 asks the window what size it takes at `dpi`: the frame of the table's
// client area there, which is not the present size scaled.
Step ExpectSizeAtDpi(int dpi, const ui::Form::CreateArgs& table) {
    const std::string answered = "the frame of its client area";
    return Expect(Format("the main window gives its size at %d dpi", dpi), answered, [=](Scene& scene) {
        RECT frame{0, 0, MulDiv(table.clientWidth, dpi, 96), MulDiv(table.clientHeight, dpi, 96)};
        AdjustWindowRectExForDpi(&frame, GetWindowLongW(scene.main, GWL_STYLE), FALSE,
                                 GetWindowLongW(scene.main, GWL_EXSTYLE), dpi);
        SIZE size{};
        DWORD_PTR answer = 0;
        if (!SendWithData(scene, WM_GETDPISCALEDSIZE, dpi, size, &answer)) return std::string("no answer");
        const bool same = size.cx == frame.right - frame.left && size.cy == frame.bottom - frame.top;
        return answer != 0 && same ? answered
                                   : Format("%s, %ld x %ld", answer != 0 ? "TRUE" : "FALSE", size.cx, size.cy);
    });
}

// The checks. The main window is also topmost within a second of showing, as its first tick
// makes it.
Step ExpectWindow(const std::string& window, At at, POINT offset = {}) {
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

// The client area and every control where the window's layout table puts them at the screen's
// DPI (or, given `toldDpi`, at the DPI SendDpiChange told the window of), each caption, measured in
// its font at that DPI, inside its control, and the combo box as high as its font makes it. Then,
// when the environment names a Linux FOLDER in QUILLET_SCREENSHOTS and `picture` is not empty, a
// picture of the window is saved as FOLDER/PICTURE-DPI.png.
Step ExpectLayout(const std::string& window, const std::string& picture, const ui::Form::CreateArgs& table,
                  const std::vector<TableEntry>& controls, int toldDpi = 0) {
    const int dpi = toldDpi != 0 ? toldDpi : ScreenDpi();
    const std::string expected =
        Format("client area %d x %d", MulDiv(table.clientWidth, dpi, 96), MulDiv(table.clientHeight, dpi, 96));
    const std::string what = Format("%s at %d dpi: ", window.c_str(), dpi) + expected;
    return Expect(what + ", every control in place, no caption clipped", expected, [=](Scene& scene) {
        const HWND form = Find(scene, window, ShowMs);
        const SIZE client = ClientArea(form, dpi, toldDpi != 0);
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

// What the window shows: NotShown; the text of a message box (`shows` itself when the text begins
// with it: a longer message is expected by its opening; any text for "shown"); the captions of
// its checked buttons, as SortedList gives them; or "shown".
Step ExpectShown(const std::string& window, const std::string& shows = "shown") {
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

// Its text, with the characters from `from` to `to` selected (the caret at `from` when `to` is
// not given).
Step ExpectCombo(const std::string& text, int from, int to = -1) {
    const std::string expected = Quoted(text) + Format(", selection %d to %d", from, to < 0 ? from : to);
    return Expect("the combo box shows " + expected, expected, [](Scene& scene) {
        const auto [shown, selection] = ReadCombo(scene.combo);
        return Quoted(Utf8(shown)) + Format(", selection %u to %u", LOWORD(selection), HIWORD(selection));
    });
}

// The main window is in front, as after a box it opened has closed, with the focus on this button,
// or on the combo box when none is given.
Step ExpectFocus(const std::string& button = {}) {
    const std::string wanted = button.empty() ? "the combo box" : Quoted(button);
    return Expect("the main window is in front, the focus on " + wanted, wanted, [](Scene& scene) {
        GUITHREADINFO info{sizeof info, 0, nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, {}};
        // Without a window manager, X may hand the focus to its root when a box closes, and a busy
        // Wine then puts its desktop in front after the box's owner; Windows gives it to the owner.
        if (GetForegroundWindow() == GetDesktopWindow()) SetForegroundWindow(scene.main);
        GetGUIThreadInfo(GetWindowThreadProcessId(scene.main, nullptr), &info);
        if (GetForegroundWindow() != scene.main) return std::string("another window in front");
        // The combo box's Edit holds the focus for it.
        return IsChild(scene.combo, info.hwndFocus) ? std::string("the combo box") : Quoted(WindowText(info.hwndFocus));
    });
}

// Every folder in the Explorer folder, or under `place`: relative to the scenario's folder, or a
// full path. Each as a relative path with backslashes.
Step ExpectTree(const std::vector<std::string>& folders, const std::string& place = "") {
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
    const std::string expected = bytes ? Quoted(*bytes) : "no file";
    return Expect("the options file is " + expected, expected, [](Scene& scene) {
        std::ifstream stream(scene.programFolder / L"QuilletOptions.dat", std::ios::binary);
        return stream ? Quoted({std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>()}) : "no file";
    });
}

// Explorer's menu entry for a folder's background, for this scenario's Quillet.exe.
Step ExpectMenuEntry(bool present) {
    const std::string what = present ? "has the entry, icon and command" : "has no entry";
    return Expect("Explorer's menu " + what + " for this Quillet.exe, others kept", "as expected", [=](Scene& scene) {
        const std::string program = Quoted(PathText(scene.programFolder / L"Quillet.exe"));
        const std::string wanted = present ? "Make folders here with Quillet | " + program + " | " + program + " \"%V\""
                                           : "no key | no key | no key";
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
}  // namespace

// One watchdog interval of 2 s, with room for a busy machine.
constexpr DWORD WatchdogMs = 2500;
// Quillet awaits the address bar's answer for 3 s.
constexpr DWORD HungMs = 4000;
// The options file as Quillet writes it: each history line ends in CR CR LF.
std::string Stored(int autoBrackets, int enterKeyAction, int explorerMissingPrompt, const std::string& history = "") {
    return Format("AUTOBRACKETS:%d\r\nENTERKEYACTION:%d\r\nEXPLORERMISSINGPROMPT:%d\r\nHISTORY:\r\n", autoBrackets,
                  enterKeyAction, explorerMissingPrompt) +
           history + ": colon at start = end history\r\n";
}

std::vector<Scenario> AllScenarios() {
    // Written by hand with plain CR LF: any rewrite by Quillet would change its bytes.
    const std::string handWritten = Stored(1, 1, 1, "ABC\r\n");
    const Step Enter = Press(VK_RETURN), Escape = Press(VK_ESCAPE);
    // In the code page's bytes (Windows-1252 here), as an older Quillet or an editor wrote them, and
    // out of order: the history list sorts them.
    const std::string cafe = Stored(1, 1, 1, "Na\xEFve\r\nCaf\xE9\r\n"),
                      noel = Stored(1, 1, 1, "Na\xEFve\r\r\nNo\xEBl\r\r\n");
    const std::string desktop = PathText(DesktopTopFolder());
    namespace M = Form1Layout;
    namespace O = OptionsLayout;
    namespace W = NoAddressBarLayout;
    using Tree = Setup::Tree;
    const std::string asked = SortedList({"Always prompt like this"});  // the no-address-bar dialog as it opens
    // The automatic <> completion box has no caption of its own.
    const std::string optionsChecked = SortedList({"", "Create and stay open", "Prompt quit/create on desktop"});
    // At the stand-in's corner, where Quillet stays while it ends 10 pixels or more from the
    // monitor's bottom and right edges.
    const std::vector<Step> cornerAndMargins = {
        ExpectWindow(Main, At::StandIn), StandInNear(Edge::Bottom, 10), Restart(),
        ExpectWindow(Main, At::StandIn), StandInNear(Edge::Bottom, 9),  Restart(),
        ExpectWindow(Main, At::Centre),  StandInNear(Edge::Right, 10),  Restart(),
        ExpectWindow(Main, At::StandIn), StandInNear(Edge::Right, 9),   Restart(),
        ExpectWindow(Main, At::Centre)};
    const std::vector<TableEntry> mainControls = {
        M::Label1,    M::lblVersionInfo, M::lblSiteLink, M::ComboBox1, M::btnHistoryAdd, M::btnHistoryRemove,
        M::btnCreate, M::btnCreateQuit,  M::btnQuit,     M::btnConfig, M::btnHelp};
    const std::string b = "\"b*\" contains \"*\" which is not legal in a folder name.";
    ui::Label::CreateArgs status = M::lblVersionInfo;
    status.caption = "Creates 4 folders";
    // clang-format off
    std::vector<Scenario> scenarios = {
        {"placement-corner-and-margins", {}, cornerAndMargins},
        {"dpi-changed", {}, {ExpectSizeAtDpi(144, M::Window), SendDpiChange(144, {300, 200}), ExpectLayout(Main, "", M::Window, mainControls, 144),
            ExpectWindow(Main, At::Screen, {300, 200})}},
        {"layout-main", {}, {ExpectLayout(Main, "main", M::Window, mainControls), ExpectComboName("Folder spec")}},
        // The status in the version's place, whole at 96 and 144 dpi.
        {"layout-status", {}, {Type("Week *(01..02)<*(parent) notes>"), ExpectLayout(Main, "status", M::Window,
            {status})}},
        // The box pauses the watchdog, which closes Quillet once the box is gone.
        {"watchdog", {}, {Type("a*"), Enter, ExpectShown(ErrorBox), CloseStandIn(),
            ExpectRunning(3000), Click(ErrorBox, "OK"), ExpectExit(WatchdogMs)}},
        // Keys typed while a button has the focus go to the combo box; Esc there closes.
        {"create-typed", {}, {ExpectFocus(), Type("Reports<"), ExpectCombo("Reports<>", 8), Type("Q1|Q2>|Archive"),
            ExpectCombo("Reports<Q1|Q2>|Archive", 22), Enter,
            ExpectTree({"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}), ExpectRunning(300), ExpectFocus(),
            Press(VK_TAB), ExpectFocus("+"), Type("<"), ExpectCombo("Reports<Q1|Q2>|Archive<>", 23), ExpectFocus("+"),
            Escape, ExpectExit(CloseMs), ExpectFile(std::nullopt)}},
        // Names beyond the code page, in a folder whose name is too, beside an Archive that must stay
        // empty: a look-alike of a name would land there. The Create button leaves Quillet open.
        {"create-unicode", {.folder = "Ārchive", .made = {"Archive"}}, {Type("  Złoty|Ωmega|Май  "),
            Click(Main, "Create"), ExpectTree({"Archive", "Program", "Ārchive", "Ārchive\\Złoty", "Ārchive\\Ωmega",
            "Ārchive\\Май"}, "."), ExpectFocus(), ExpectRunning(300)}},
        // A pattern's series as typed, each with the folder typed below it; F2 shows the tree, what
        // is there already marked; undo takes them all away.
        {"create-pattern-then-undo", {.made = {"Explorer Folder\\Week 02"}}, {Type("Week *(01..02)<*(parent) notes>"),
            ExpectStatus("4 folders, 1 there already"), ExpectRunning(300), ExpectStatus("4 folders, 1 there already"), Press(VK_F2), ExpectShown(PreviewBox, "4 folders, 1 there already:\n\n"
            "Week 01\n    Week 01 notes\nWeek 02   (there already)\n    Week 02 notes\n"), Click(PreviewBox, "OK"),
            ExpectShown(PreviewBox, NotShown), ExpectFocus(), Enter, ExpectTree({"Week 01", "Week 01\\Week 01 notes", "Week 02", "Week 02\\Week 02 notes"}),
            ExpectStatus("4 folders, 4 there already"),
            Press(VK_SPACE, VK_MENU), Press('U'), ExpectShown(InfoBox, "3 folders were removed."), ExpectTree({"Week 02"})}},
        // Enter creates and closes, which a refused specification must not do: Quillet still runs
        // when the next text is typed. The status said beforehand what the box says, in full
        // under the mouse. Automatic <> completion is off.
        {"illegal-names-then-create-and-close", {.options = Stored(0, 0, 1)}, {Type("a|b*"), ExpectStatus(b),
            Hover(Main, b, "Static"), ExpectShown(Tooltip, b), Enter, ExpectShown(ErrorBox, b), Click(ErrorBox, "OK"),
            ExpectShown(ErrorBox, NotShown), Type("\b\b\b\b"), ExpectStatus("Quillet 2.1.1"), Type("x<"),
            ExpectCombo("x<", 2), ExpectTree({}), Type("y>"), Enter, ExpectTree({"x", "x\\y"}), ExpectExit(CloseMs)}},
        // Through the window's menu: "a" is older and stays. What else may stop a removal is the
        // rule tests' business.
        {"undo", {.made = {"Explorer Folder\\a"}}, {Type("a<b|c>|d"), Enter, ExpectTree({"a", "a\\b", "a\\c", "d"}),
            Press(VK_SPACE, VK_MENU), Press('U'), ExpectShown(InfoBox), ExpectTree({"a"}), Click(InfoBox, "OK"),
            ExpectShown(InfoBox, NotShown), ExpectFocus(), ExpectRunning(300)}},
        // Started by name from another folder, Quillet finds its options file beside itself.
        {"history", {.options = handWritten, .start = Setup::Start::ByName}, {Type("abc"), Click(Main, "+"), ExpectFile(handWritten), Press(VK_END),
            Type(" "), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "ABC\r\r\nabc \r\r\n")), ExpectFocus(),
            Press(VK_END), Type("\b"), Click(Main, "-"), ExpectFile(Stored(1, 1, 1, "abc \r\r\n"))}},
        {"history-code-page", {.options = cafe}, {Press(VK_DOWN), ExpectCombo("Café", 0, 4), Type("café"),
            Click(Main, "-"), ExpectFile(Stored(1, 1, 1, "Na\xEFve\r\r\n")), Type("\b\b\b\bNoël"), Click(Main, "+"),
            ExpectFile(noel), Type("\b\b\b\bΩmega"), Click(Main, "+"),
            ExpectShown(ErrorBox, "This folder specification cannot be kept in the history: the options file keeps"),
            Click(ErrorBox, "OK"), ExpectFile(noel)}},
        // Closed without Apply, by Alt+F4, Esc or Discard, the dialog drops its edits and shows the
        // settings in force when it opens again.
        {"options", {}, {Click(Main, "Options"), ExpectWindow(OptionsDialog, At::StandIn, {10, 10}),
            ExpectLayout(OptionsDialog, "options", O::Window,
            {O::chkAutoBrackets, O::Label1, O::grpEnterKey, O::radCreateClose, O::radCreate, O::btnDiscard, O::btnApply,
            O::GroupBox1, O::radioPrompt, O::radioDesktop}),
            ExpectShown(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"), Press(VK_F4, VK_MENU),
            ExpectShown(OptionsDialog, NotShown), Click(Main, "Options"), ExpectShown(OptionsDialog, optionsChecked),
            Click(OptionsDialog, "Create and Close"), Escape, ExpectShown(OptionsDialog, NotShown),
            Click(Main, "Options"), ExpectShown(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Discard changes"), ExpectShown(OptionsDialog, NotShown), ExpectFile(std::nullopt),
            Type("y"), Enter, ExpectTree({"y"}), ExpectRunning(300), Click(Main, "Options"),
            ExpectShown(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Apply"), ExpectShown(OptionsDialog, NotShown), ExpectFile(Stored(1, 0, 1)),
            Type("\bx"), Enter, ExpectTree({"x", "y"}), ExpectExit(CloseMs)}},
        // A DLL of a system name beside the program, as a download folder may hold one, is never
        // loaded: the tooltips come from the system's comctl32.dll, loaded when the mouse first comes.
        {"planted-library-ignored", {.besideProgram = {{"comctl32.dll", "not a library"}}}, {Hover(Main, "+"),
            ExpectShown(Tooltip, "Add to history")}},
        {"help-page-missing", {}, {Act("remove the help page", [](Scene& scene) {
                return fs::remove(scene.programFolder / L"Help_Quillet.htm");
            }), Click(Main, "?"), ExpectShown(ErrorBox, "The help page was not found where Quillet looked for it:")}},
        {"address-bar-shows-desktop", {.barText = "Desktop"}, {Type(DesktopTop + "<a>"), Enter,
            ExpectTree({"a"}, desktop), ExpectTree({})}},
        // The whole address bar is read, however long: below a folder whose path has 259
        // characters, the folders are refused for their length, not made in that folder.
        {"address-bar-longer-than-259", {}, {Act("show a folder below one of 259 characters", [](Scene& scene) {
                const fs::path folder = scene.root / std::wstring(259 - scene.root.wstring().size() - 1, L'p');
                std::error_code error;
                fs::create_directories(folder / L"sub", error);
                const std::wstring shown = (folder / L"sub").wstring();
                return !error && SendMessageW(FindChild(scene.standIn.get(), "Edit", nullptr), WM_SETTEXT, 0,
                                              reinterpret_cast<LPARAM>(shown.c_str()));
            }), Type("x"), Enter, ExpectShown(ErrorBox, "The path of \"x\" would be 265 characters long")}},
        // The driver handles no message for that long, as a hung Explorer window: a bare sleep on
        // purpose, since the stand-in's messages are this thread's.
        {"address-bar-not-answering", {}, {Type("x"), Enter,
            Act("the stand-in answers nothing for 4 s", [](Scene&) { return Sleep(HungMs), true; }),
            ExpectShown(ErrorBox, "The Explorer window does not answer"), ExpectTree({})}},
        {"register", {}, {Restart("/register"), ExpectExit(1000), ExpectMenuEntry(true), Restart("/unregister"),
            ExpectExit(1000), ExpectMenuEntry(false)}},
        // Started from Explorer's menu over an Explorer whose window shows no address bar that
        // Quillet can read: the folder the entry passes is the target, and Quillet still ends with
        // the Explorer window.
        {"menu-entry-without-address-bar", {.tree = Tree::NoAddressBar, .startFolder = "Explorer Folder"}, {Type("a<b>"), Enter,
            ExpectTree({"a", "a\\b"}), ExpectShown(Warning, NotShown), CloseStandIn(), ExpectExit(WatchdogMs)}},
        // Nothing can name the folder: asked, Esc quits, and nothing is made in a wrong folder.
        {"no-address-bar-escape", {.tree = Tree::NoAddressBar}, {ExpectShown(Warning, asked), Escape,
            ExpectExit(CloseMs), ExpectTree({"Explorer Folder", "Program"}, ".")}},
        // The address bar follows the user's later navigation; the argument does not.
        {"address-bar-wins-over-argument", {.startFolder = "Other", .made = {"Other"}}, {Type("a"), Enter,
            ExpectTree({"a"}), ExpectTree({}, "Other")}},
        {"argument-not-a-folder", {.startFolder = "Missing"}, {ExpectShown(ErrorBox, "Quillet was started for"),
            Click(ErrorBox, "OK"), ExpectFocus(), Type("a"), Enter, ExpectTree({"a"})}},
        {"no-address-bar-desktop", {.tree = Tree::NoAddressBar}, {ExpectWindow(Warning, At::Centre),
            ExpectLayout(Warning, "warning", W::Window, {W::Label1, W::btnQuit, W::btnUseDesktop, W::radioPrompt,
            W::radioDesktop}), ExpectShown(Warning, asked),
            Click(Warning, "Create on desktop"), ExpectShown("Quillet on desktop"), Type(DesktopTop + "<a|b>"), Enter,
            ExpectTree({"a", "b"}, desktop), ExpectTree({})}},
        {"no-address-bar-always-desktop", {.tree = Tree::NoAddressBar},
            {Click(Warning, "Always create on desktop if no Explorer"), ExpectFile(Stored(1, 1, 0)),
            Click(Warning, "Quit"), ExpectExit(CloseMs), Restart(), ExpectShown(Warning, NotShown),
            ExpectShown("Quillet on desktop")}},
    };
    // clang-format on
    // Only where Windows reports a second monitor, so that their stage fails on a single one. It
    // lies right or left of the primary one, their top edges level.
    if (GetSystemMetrics(SM_CMONITORS) > 1) {
        const int virtualLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int left = virtualLeft < 0 ? virtualLeft : GetSystemMetrics(SM_CXSCREEN);
        scenarios.push_back({"monitor-second", {.standIn = {left + 100, 100, left + 900, 600}}, cornerAndMargins});
    }
    return scenarios;
}

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> names;
    for (int index = 1; index < argc; ++index) names.push_back(Utf8(argv[index]));
    int passed = 0, failed = 0, run = 0;
    if (names.size() >= 3 && names[0] == "demo") {
        // A person's session for the main job: typed for them when TEXT is given, theirs otherwise.
        Scenario demo{"demo", {.standIn = {100, 100, 1000, 640}}, {}};
        if (names.size() > 3) demo.steps = {Type(names[3]), Press(VK_RETURN)};
        demo.steps.push_back(
            Act("Quillet ends or the stop file appears", [stop = fs::path(Wide(names[2]))](Scene& scene) {
                return WaitUntil([&] { return !scene.Running() || fs::exists(stop); }, 30 * 60 * 1000);
            }));
        RunScenario(demo, Wide(names[1]), passed, failed);
        return failed == 0 ? 0 : 1;
    }
    const bool list = std::erase(names, "--list") > 0, keep = std::erase(names, "--keep") > 0;
    const auto given = std::find(names.begin(), names.end(), "--work");
    const fs::path base =
        names.end() - given >= 2 ? fs::path(Wide(given[1])) : fs::temp_directory_path() / L"quillet-e2e";
    if (names.end() - given >= 2) names.erase(given, given + 2);
    // Named by the clock and the process, so that a run never finds the folders of a kept one.
    const fs::path work = base / Format("run-%lu-%lu", GetTickCount(), GetCurrentProcessId());
    for (const Scenario& scenario : AllScenarios()) {
        const auto starts = [&](const std::string& name) { return scenario.name.starts_with(name); };
        if (!names.empty() && std::none_of(names.begin(), names.end(), starts)) continue;
        ++run;
        if (list) std::printf("%s\n", scenario.name.c_str());
        if (!list) RunScenario(scenario, work, passed, failed);
    }
    if (list) return 0;
    if (run == 0) std::fprintf(stderr, "no scenario matches; --list shows them\n");
    std::error_code ignored;
    if (failed == 0 && !keep) fs::remove_all(work, ignored);
    if (fs::exists(work)) std::printf("folders kept in %s\n", Utf8(work.wstring()).c_str());
    std::printf("%d scenarios at %d dpi\n%d passed, %d failed\n", run, ScreenDpi(), passed, failed);
    return run == 0 ? 2 : failed == 0 ? 0 : 1;
}
