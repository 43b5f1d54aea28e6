#pragma once
// The end-to-end rig: a stand-in Explorer window with Quillet started beside it, and the steps of
// a scenario. The end-to-end driver (main.cpp) runs scenarios; the benchmark's driver times
// Quillet with the same start, find and close steps.
// A scenario is data: a set-up and a list of steps from the factories below. The runner prints a
// PASS or FAIL line per check; an action is printed only when it fails, and then ends its
// scenario, since the steps after it build on it.
// Text is UTF-8 in std::string and UTF-16 only at the wide Win32 calls, so that nothing here
// depends on the ANSI code page.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <variant>
#include <vector>

#include "toolkit.h"

namespace rig {

namespace fs = std::filesystem;

// Owners of what the rig opens: each hands its handle to `Close` when it goes.
template <auto Close>
struct Closer {
    void operator()(auto handle) const { Close(handle); }
};
using WindowOwner = std::unique_ptr<std::remove_pointer_t<HWND>, Closer<DestroyWindow>>;
using HandleOwner = std::unique_ptr<std::remove_pointer_t<HANDLE>, Closer<CloseHandle>>;
using FontOwner = std::unique_ptr<std::remove_pointer_t<HFONT>, Closer<DeleteObject>>;

constexpr DWORD StartMs = 10000;
// For a window, a box, a keystroke's effect, a folder or a file to show, or a message's answer;
// also the bound on the first tick, which is due 100 ms after the start.
constexpr DWORD ShowMs = 3000;
constexpr DWORD CloseMs = 5000;
constexpr int MessageTextId = 0xFFFF;  // the text of a message box

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// printf into a bounded buffer (MinGW's own printf, which knows %zu); user text only ever goes in
// as a %s argument.
[[gnu::format(gnu_printf, 1, 2)]] std::string Format(const char* format, ...);
std::string PathText(fs::path path);
// Sorted and quoted, between braces.
std::string SortedList(std::vector<std::string> items);

// Polls every `pollMs` until `ready` holds or the time is up, handling the driver's messages
// meanwhile: Quillet reads the stand-in's address bar with WM_GETTEXT, which this thread must
// answer. A sent message ends a poll's wait at once.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs, DWORD pollMs = 10);

struct Setup {
    // How the shell, a console or a shortcut without quotes starts Quillet: ByName runs
    // "Quillet.exe" with the scenario's folder as the current one.
    enum class Start { Quoted, Unquoted, ByName };
    RECT standIn = {200, 150, 1000, 650};
    // The bytes of QuilletOptions.dat to put beside the program; none: no file.
    std::optional<std::string> options{};
    // How long the driver holds that file open without sharing from Quillet's start.
    DWORD holdOptionsMs = 0;
    bool addressBar = true;
    // Made in the scenario's folder; the address bar shows its full path unless barText is given.
    std::string folder = "Explorer Folder";
    std::string barText{};
    std::string program = "Program";
    std::vector<std::string> made{};  // folders made beforehand, relative to the scenario's folder
    Start start = Start::Quoted;
};

// One scenario's world: its own copy of Quillet (so its own options file), a folder for the
// stand-in Explorer window to show, that window in front and Quillet started beside it.
struct Scene {
    Setup setup;
    fs::path root, programFolder, explorerFolder;
    WindowOwner standIn;
    HandleOwner process;
    DWORD processId = 0;
    HWND main = nullptr, combo = nullptr;
    long long topmostMs = -1;  // from the window showing to WS_EX_TOPMOST; -1: never

    bool Running() const { return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
    // A Quillet that does not end is terminated, so that it cannot disturb the next scenario.
    ~Scene() {
        if (Running() && TerminateProcess(process.get(), 0xDEAD)) WaitUntil([this] { return !Running(); }, CloseMs);
    }
};

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

// Window names for the factories: Quillet's main window whatever its caption, and its other
// windows by their captions.
inline const std::string Main = "the main window";
inline const std::string ErrorBox = "Quillet error", Warning = "Quillet warning", OptionsDialog = "Options";
inline const std::string InfoBox = "Quillet";  // a box; the main window is never taken for it
inline const std::string Menu = "#32768";      // an open menu, by its class
inline const std::string Tooltip = "tooltips_class32";
inline const std::string NotShown = "not shown";
// The one folder a scenario may make on the desktop, removed after each scenario. Wine's prefixes
// share the desktop: named by the process, runs side by side do not remove each other's.
inline const std::string DesktopTop = Format("Quillet e2e %lu", GetCurrentProcessId());
fs::path DesktopTopFolder();
// Where a window is expected: from the screen's corner, from the stand-in's, or as an offset
// from the centre of the stand-in's monitor.
enum class At { Screen, StandIn, Centre };
enum class Edge { Right, Bottom };

// Sent with a time-out, so that a hung program cannot hold the driver; 0 when unanswered.
LRESULT Ask(HWND window, UINT message, WPARAM wParam = 0, LPARAM lParam = 0);
// Asked with WM_GETTEXT, which also reaches other processes' controls.
std::string WindowText(HWND window);
// A visible top-level window of the process with exactly this caption or class (any when
// empty), other than `except`. Given `windowClass`, only windows of that class are looked at,
// which the server answers in a call or two: looked for every millisecond, the search takes
// little from a program whose start is timed.
HWND FindTopWindow(DWORD processId, const std::string& name, HWND except = nullptr,
                   const std::wstring& windowClass = {});
// The first control under `parent` of this class (in any letter case) with this text; any
// text when null.
HWND FindChild(HWND parent, const std::string& className, const char* text);
// Once what was posted to Quillet or under way is done, or waits in a box.
bool Settle(const Scene& scene);
// As it is when the user starts Quillet from it.
bool BringToFront(HWND window);

// Starts `program` from the scene's program folder as the set-up says (as the shell does: its
// path quoted, its folder current), with `arguments`; waits for nothing.
bool Start(Scene& scene, const std::string& arguments = "", const std::string& program = "Quillet.exe");
// Makes the scene's folders under `root`, shows the stand-in in front and starts Quillet beside
// it, once its first tick is done; "" or what failed.
std::string Open(Scene& scene, const fs::path& root);
// Closes the scene's program as a person does, by its main window, and waits for its end.
bool Close(Scene& scene);
// Runs the scenario in its own folder under `work`; adds its checks to `passed` and `failed`.
void RunScenario(const Scenario& scenario, const fs::path& work, int& passed, int& failed);

// The steps. An action:
Step Act(std::string what, std::function<bool(Scene&)> run);
// As a person types with automatic <> completion: a '>' already under the caret is stepped over.
Step Type(const std::string& text);
Step Press(WORD key, WORD modifier = 0);
// Posted, as a person's click does not wait for what it starts.
Step Click(const std::string& window, const std::string& button);
Step ClickLastMenuItem();
// The mouse comes to rest over the middle of the button.
Step Hover(const std::string& window, const std::string& button);
Step Move(const std::string& window, int x, int y);
// Moves the stand-in so that Quillet's window, at its corner, would end `gap` pixels from the
// edge of the stand-in's monitor.
Step StandInNear(Edge edge, int gap);
Step CloseStandIn();
// Closes Quillet if it still runs and starts it again from the same program folder, with
// `arguments` (and then without waiting for a window).
Step Restart(const std::string& arguments = "");
// `path` is relative to the scenario's folder.
Step PutFile(const std::string& path, const std::string& bytes);
// The driver handles no message for that long, as a hung Explorer window.
Step Hang(DWORD ms);
// As Windows tells the main window that it now lies on a monitor of `dpi`, suggesting `to` as its
// new top-left corner.
Step SendDpiChange(int dpi, POINT to);

// The checks. The main window is also topmost within a second of showing, as its first tick
// makes it.
Step ExpectWindow(const std::string& window, At at, POINT offset = {});

// An entry of a layout table, as the layout tables declare it.
using TableEntry = std::variant<ui::Label::CreateArgs, ui::Button::CreateArgs, ui::ComboBox::CreateArgs,
                                ui::CheckBox::CreateArgs, ui::RadioButton::CreateArgs, ui::GroupBox::CreateArgs>;

// The client area and every control where the window's layout table puts them at the screen's
// DPI, each in the table's font at that DPI and its caption, measured in that font, inside it. Then a picture of the
// window is saved as FOLDER/PICTURE-DPI.png when the environment names a Linux FOLDER in
// QUILLET_SCREENSHOTS.
Step ExpectLayout(const std::string& window, const std::string& picture, const ui::Form::CreateArgs& table,
                  const std::vector<TableEntry>& controls);
template <typename... Args>
Step ExpectLayout(const std::string& window, const std::string& picture, const ui::Form::CreateArgs& table,
                  const Args&... controls) {
    return ExpectLayout(window, picture, table, std::vector<TableEntry>{controls...});
}

// The same at `dpi`, after SendDpiChange; no picture.
Step ExpectLayoutAfterDpiChange(int dpi, const std::string& window, const ui::Form::CreateArgs& table,
                                const std::vector<TableEntry>& controls);

// What the window shows: NotShown; the text of a message box (`shows` itself when the text begins
// with it: a longer message is expected by its opening; any text for "shown"); the captions of
// its checked buttons, as SortedList gives them; or "shown".
Step ExpectShown(const std::string& window, const std::string& shows = "shown");
// Its text, with the characters from `from` to `to` selected (the caret at `from` when `to` is
// not given).
Step ExpectCombo(const std::string& text, int from, int to = -1);
// On this button, or on the combo box when none is given.
Step ExpectFocus(const std::string& button = {});
// Every folder in the Explorer folder, or under `place`: relative to the scenario's folder, or a
// full path. Each as a relative path with backslashes.
Step ExpectTree(const std::vector<std::string>& folders, const std::string& place = "");
Step ExpectFile(const std::optional<std::string>& bytes);
// Explorer's menu entry for a folder's background, for this scenario's Quillet.exe.
Step ExpectMenuEntry(bool present);
Step ExpectRunning(DWORD forMs);
Step ExpectExit(DWORD withinMs);

}  // namespace rig
