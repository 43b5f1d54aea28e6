#pragma once
// The end-to-end rig: a stand-in Explorer window with Quillet started beside it, Quillet's windows
// found and Quillet closed. The end-to-end driver (main.cpp) builds its scenarios' steps on it; the
// benchmark's driver times Quillet with the same start, find and close.
// Text is UTF-8 in std::string and UTF-16 only at the wide Win32 calls, so that nothing here
// depends on the ANSI code page.
#include <windows.h>

#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <utility>
#include <vector>

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

// Polls every `pollMs` until `ready` holds or the time is up, handling the driver's messages
// meanwhile: Quillet reads the stand-in's address bar with WM_GETTEXT, which this thread must
// answer. A sent message ends a poll's wait at once.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs, DWORD pollMs = 10);

struct Setup {
    // How the shell or a console starts Quillet: ByName runs "Quillet.exe" with the scenario's
    // folder as the current one.
    enum class Start { Quoted, ByName };
    RECT standIn = {200, 150, 1000, 650};
    // The bytes of QuilletOptions.dat to put beside the program; none: no file.
    std::optional<std::string> options{};
    // Other files put beside Quillet.exe before it starts, as a download folder may hold them:
    // each name and its bytes.
    std::vector<std::pair<std::string, std::string>> besideProgram{};
    // The stand-in's window tree: XP's address bar (WorkerW > ReBarWindow32 > ComboBoxEx32 >
    // ComboBox > Edit), after public dumps of Explorer's windows, or none below WorkerW. Later
    // Explorers show no Edit that Quillet can read either (the breadcrumb bar has none until
    // clicked, Windows 11 draws its bar in XAML), and under Wine, whose Shell lists no windows,
    // Quillet takes the same way with them as without an address bar.
    enum class Tree { XP, NoAddressBar };
    Tree tree = Tree::XP;
    // Given as Quillet's argument, quoted, as Explorer's menu entry passes it; relative to the
    // scenario's folder. Empty: no argument.
    std::string startFolder{};
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

// Quillet's main window whatever its caption, and its other windows by their captions.
inline const std::string Main = "the main window";
inline const std::string ErrorBox = "Quillet error", Warning = "Quillet warning", OptionsDialog = "Options";
inline const std::string InfoBox = "Quillet";  // a box; the main window is never taken for it
inline const std::string PreviewBox = "Quillet preview";
inline const std::string Tooltip = "tooltips_class32";
inline const std::string NotShown = "not shown";
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
// The first window under `parent` at any depth that matches.
HWND FindUnder(HWND parent, const std::function<bool(HWND)>& match);
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
// Starts a program with this command line and current folder (the driver's when null). A Linux
// program under Wine may come without a process handle.
bool Spawn(const wchar_t* program, std::wstring line, const wchar_t* current, HandleOwner& process, DWORD& id);
// Starts Quillet and waits for its first tick; with arguments, for nothing. "" or what failed.
std::string Launch(Scene& scene, const std::string& arguments = "");

}  // namespace rig
