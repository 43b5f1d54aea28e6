#pragma once
// The end-to-end rig. A scenario is data: a set-up and a list of steps from the factories
// below. The runner prints a PASS or FAIL line per check; an action is printed only when it
// fails, and then ends its scenario, since the steps after it build on it.
// Text is UTF-8 in std::string and UTF-16 only at the wide Win32 calls, so that nothing here
// depends on the ANSI code page.
#include <windows.h>

#include <array>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "toolkit.h"
#include "win32/win32_handles.h"

namespace fs = std::filesystem;

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

// A control as its window's layout table describes it. `beside` is what the control draws
// next to its caption (a check box, a frame), in pixels at 96 dpi.
struct Part {
    const char* className;
    ui::Bounds bounds;
    const char* caption = "";
    ui::Font font{};
    int beside = 0;
    bool wordWrap = false;
};
// A window's layout table, and the name its picture is saved under.
struct Layout {
    ui::Form::CreateArgs window;
    std::vector<Part> parts;
    std::string picture;
};

// One scenario's world: its own copy of Quillet (so its own options file), a folder for the
// stand-in Explorer window to show, that window in front and Quillet started beside it.
struct Scene {
    Setup setup;
    fs::path root, programFolder, explorerFolder;
    std::array<win32::UniqueWindowClass, 3> standInClasses;  // before the window, which goes first
    win32::UniqueWindow standIn;
    win32::UniqueHandle process;
    DWORD processId = 0;
    HWND main = nullptr, combo = nullptr;
    long long topmostMs = -1;  // from the window showing to WS_EX_TOPMOST; -1: never

    bool Running() const { return process && WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT; }
    ~Scene();
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

// Runs the scenario in its own folder under `work`; adds its checks to `passed` and `failed`.
void RunScenario(const Scenario& scenario, const fs::path& work, int& passed, int& failed);
std::vector<Scenario> AllScenarios();

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// printf into a bounded buffer; user text only ever goes in as a %s argument.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);
// Polls until `ready` holds or the time is up, handling the driver's messages meanwhile:
// Quillet reads the stand-in's address bar with WM_GETTEXT, which this thread must answer.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);
// Every monitor's rectangle, the primary one first.
std::vector<RECT> Monitors();

// Window names for the factories: Quillet's main window whatever its caption, and its other
// windows by their captions.
inline const std::string Main = "the main window";
inline const std::string ErrorBox = "Quillet error", Warning = "Quillet warning", OptionsDialog = "Options";
inline const std::string InfoBox = "Quillet";  // a box; the main window is never taken for it
inline const std::string Menu = "#32768";      // an open menu, by its class
// The one folder a scenario may make on the desktop, which Wine's prefixes share: named by the
// process, so that runs side by side do not remove each other's.
inline const std::string DesktopTop = Format("Quillet e2e %lu", GetCurrentProcessId());
// Where a window is expected: from the screen's corner, from the stand-in's, or as an offset
// from the centre of the stand-in's monitor.
enum class At { Screen, StandIn, Centre };
enum class Edge { Right, Bottom };
// The scenario's Explorer folder, the desktop's DesktopTop (which each scenario removes before
// and after), or the scenario's own folder with the program's and the Explorer folder in it.
enum class In { Explorer, Desktop, Scenario };

// As a person types with automatic <> completion: a '>' already under the caret is stepped over.
Step Type(const std::string& text);
Step Press(WORD virtualKey, WORD modifier = 0);
// Posted, as a person's click does not wait for what it starts.
Step Click(const std::string& window, const std::string& button);
// With the mouse: Wine carries out a greyed item's key as if it were enabled and closes the
// menu, whereas a click on a greyed item leaves the menu open, as on Windows.
Step ClickLastMenuItem();
Step Move(const std::string& window, int x, int y);
// Moves the stand-in so that Quillet's window, at its corner, would end `gap` pixels from the
// edge of the stand-in's monitor.
Step StandInNear(Edge edge, int gap);
Step CloseStandIn();
// Closes Quillet if it still runs and starts it again from the same program folder, with
// `arguments` (and then without waiting for a window).
Step Restart(const std::string& arguments = "");
Step PutFile(const std::string& path, const std::string& bytes);  // relative to the scenario's folder
// The driver handles no message for that long, as a hung Explorer window.
Step Hang(DWORD ms);

Step ExpectWindow(const std::string& window, At at, POINT offset = {});
// The client area and every control where the layout puts them at the screen's DPI, and each
// caption, measured in its font at that DPI, inside its control. Then saves a picture of the
// window as FOLDER/PICTURE-DPI.png when the environment names a Linux FOLDER in QUILLET_SCREENSHOTS.
Step ExpectLayout(const std::string& window, const Layout& layout);
Step ExpectShown(const std::string& window, bool shown = true);
// Exactly the buttons with these captions are checked.
Step ExpectChecked(const std::string& window, const std::vector<std::string>& captions);
Step ExpectCombo(const std::string& text, int caret);
Step ExpectFocus(const std::string& button = {});  // empty: the combo box
Step ExpectTree(std::vector<std::string> folders, In where = In::Explorer);
Step ExpectFile(const std::optional<std::string>& bytes);
Step ExpectBox(const std::string& caption, const std::string& text);
// Explorer's menu entry for a folder's background, for this scenario's Quillet.exe.
Step ExpectMenuEntry(bool present);
Step ExpectTopmost(DWORD withinMs);
// Quillet runs and shows `window` all that time.
Step ExpectRunning(DWORD forMs, const std::string& window = Main);
Step ExpectExit(DWORD withinMs);
