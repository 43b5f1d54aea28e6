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
#include <utility>
#include <vector>

#include "win32/win32_handles.h"

namespace fs = std::filesystem;

struct Setup {
    RECT standIn = {200, 150, 1000, 650};
    // The bytes of QuilletOptions.dat to put beside the program; none: no file.
    std::optional<std::string> options{};
    bool addressBar = true;
    // Made in the scenario's folder; the address bar shows its full path unless barText is given.
    std::string folder = "Explorer Folder";
    std::string barText{};
    std::string program = "Program";
};

// One scenario's world: its own copy of Quillet (so its own options file), a folder for the
// stand-in Explorer window to show, that window in front and Quillet started beside it.
struct Scene {
    Setup setup;
    fs::path programFolder, explorerFolder;
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

struct Tally {
    int passed = 0, failed = 0;
};

void RunScenario(const Scenario& scenario, const fs::path& work, Tally& tally);
std::vector<Scenario> AllScenarios();

std::wstring Wide(const std::string& text);
std::string Utf8(const std::wstring& text);
// printf into a bounded buffer; user text only ever goes in as a %s argument.
[[gnu::format(printf, 1, 2)]] std::string Format(const char* format, ...);
// Polls until `ready` holds or the time is up, handling the driver's messages meanwhile:
// Quillet reads the stand-in's address bar with WM_GETTEXT, which this thread must answer.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);

// Window names for the factories: Quillet's main window whatever its caption, and its other
// windows by their captions.
inline const std::string Main = "the main window";
inline const std::string ErrorBox = "Quillet error", Warning = "Quillet warning", OptionsDialog = "Options";
// The one folder a scenario may make on the desktop.
inline const std::string DesktopTop = "Quillet e2e";
enum class At { Screen, StandIn, MainWindow, Centre };
enum class Edge { Right, Bottom };

// As a person types with automatic <> completion: a '>' already under the caret is stepped over.
Step Type(const std::string& text);
Step Press(WORD virtualKey);
// Posted, as a person's click does not wait for what it starts.
Step Click(const std::string& window, const std::string& button);
Step Move(const std::string& window, int x, int y);
// Moves the stand-in so that Quillet's window, at its corner, would end `gap` pixels from the edge.
Step StandInNear(Edge edge, int gap);
Step CloseStandIn();
// Closes Quillet if it still runs and starts it again from the same program folder.
Step Restart();

Step ExpectWindow(const std::string& window, At at, POINT offset = {}, SIZE client = {});
Step ExpectShown(const std::string& window, bool shown = true);
// Every control by class and text; of those, exactly `checked` are checked.
Step ExpectControls(const std::string& window, const std::vector<std::pair<std::string, std::string>>& controls,
                    const std::vector<std::string>& checked);
Step ExpectCombo(const std::string& text, int caret);
Step ExpectFocus(const std::string& button = {});  // empty: the combo box
// The folders in the Explorer folder, or under DesktopTop on the desktop (which each scenario
// removes before and after).
Step ExpectTree(std::vector<std::string> folders, bool onDesktop = false);
Step ExpectFile(const std::optional<std::string>& bytes);
Step ExpectError(const std::string& text);
Step ExpectTopmost(DWORD withinMs);
Step ExpectRunning(DWORD forMs);
Step ExpectExit(DWORD withinMs);
