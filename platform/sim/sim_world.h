#pragma once
// The one simulated world behind platform/sim, private to sim_*.cpp: the window tree, the
// volume, the shell, the message boxes and the toolkit's registry. sim::Reset replaces it
// whole. Tests reach it only through sim.h, the program only through winapi.h and toolkit.h.
#include <cstddef>
#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sim.h"

namespace sim::detail {

// ASCII-only case folding, as Win32 folds class names and file names of the ANSI code page's
// lower half; every other byte stays as it is.
char AsciiUpper(char c);
std::string AsciiUpper(std::string_view text);
bool EqualIgnoringAsciiCase(std::string_view a, std::string_view b);
// <0, 0 or >0, folding to lower case as _stricmp does, other bytes compared as unsigned.
int CompareIgnoringAsciiCase(std::string_view a, std::string_view b);

template <typename Action>
class ScopeExit {
public:
    explicit ScopeExit(Action action) : action_(std::move(action)) {}
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;
    ~ScopeExit() { action_(); }

private:
    Action action_;
};

// ---- Window tree ---------------------------------------------------------------------------

struct Window {
    win::WindowHandle parent = nullptr;  // null: a top-level window
    std::string className;
    std::string text;
    win::Rect rect;      // screen pixels, as GetWindowRect gives it
    int clientLeft = 0;  // the client area's corner within rect (the frame)
    int clientTop = 0;
    bool topmost = false;
    std::vector<win::WindowHandle> children;  // Z order, the top one first
};

class WindowTree {
public:
    // A new window: a child goes to the bottom of its siblings, a top-level window to the top
    // of the non-topmost ones, as CreateWindowEx links them.
    win::WindowHandle Create(win::WindowHandle parent, const std::string& className, const std::string& text,
                             const win::Rect& rect, int clientLeft = 0, int clientTop = 0);
    void Destroy(win::WindowHandle window);  // with its descendants; harmless on a dead handle
    Window* Find(win::WindowHandle window);  // null for null and dead handles
    // The direct children of parent, the top one first; null parent: the top-level windows.
    // Null when parent is not a window.
    const std::vector<win::WindowHandle>* Children(win::WindowHandle parent);
    // The screen point that coordinates relative to parent's client area start from.
    std::pair<int, int> ClientOrigin(win::WindowHandle parent);
    void MoveTo(win::WindowHandle window, int left, int top);  // screen pixels; descendants follow
    void BringToTop(win::WindowHandle window);                 // topmost windows stay in front

private:
    std::vector<win::WindowHandle>& SiblingsOf(const Window& window);
    void Shift(win::WindowHandle window, int dx, int dy);

    std::map<win::WindowHandle, Window> windows_;
    std::vector<win::WindowHandle> topLevel_;
};

// ---- Volume --------------------------------------------------------------------------------

// A path as Win32 resolves it: "/" read as "\", "." and ".." evaluated, a single trailing
// period cut from every component, and trailing periods and blanks cut from the last one
// unless the path ends with a separator.
struct VolumePath {
    std::vector<std::string> parts;  // the drive ("C:") and then each component as written
    bool trailingSeparator = false;

    bool IsRoot() const { return parts.size() == 1; }
    const std::string& Name() const { return parts.back(); }
    std::string Key() const { return KeyOf(parts.size()); }
    std::string ParentKey() const { return KeyOf(parts.size() - 1); }
    std::string KeyOf(std::size_t count) const;  // case-folded key of the first count parts
};
// Null for what is no absolute drive path: relative, UNC, drive-relative ("C:x"), or holding
// a character no Win32 name may hold.
std::optional<VolumePath> ResolvePath(std::string_view path);

struct VolumeEntry {
    std::string name;  // as made; a drive root is "C:"
    bool folder = false;
    unsigned long attributes = 0;  // without kFileAttributeDirectory
    std::string bytes;
};

struct Volume {
    VolumeEntry* Find(const std::string& key);
    // Makes every missing folder of the path, drive root included; throws std::logic_error
    // when a file stands where a folder must be.
    void AddFolders(const VolumePath& path, std::size_t count);

    std::map<std::string, VolumeEntry> entries;  // by key, e.g. "C:" and "C:\\USERS"
    int createDirectoryCalls = 0;
    std::set<std::string> failCreateDirectory;
    std::set<std::string> failWritesIn;
    std::set<std::string> failWriteAfter;
    std::set<std::string> failReadLength;
    std::map<std::string, int> writeCounts;
};

// ---- Shell and message boxes ---------------------------------------------------------------

struct Shell {
    std::string commandLine;
    std::map<int, std::string> specialFolders;
    std::vector<ShellExecuteCall> shellExecuteCalls;
    int beeps = 0;
    int sleeps = 0;
    int screenWidth = 1280;
    int screenHeight = 800;
    win::WindowHandle foreground = nullptr;
    std::vector<MessageBoxRecord> messageBoxes;
    std::function<void(const MessageBoxRecord&)> messageBoxResponder;
};

// ---- Toolkit registry ----------------------------------------------------------------------

struct Toolkit {
    ui::Application* application = nullptr;
    ui::Form* mainForm = nullptr;
    ui::Form* activeForm = nullptr;      // where typed characters go
    std::vector<ui::Form*> forms;        // alive, in creation order
    std::vector<ui::Control*> controls;  // alive, in creation order
    // The nested loops running now, innermost last: a modal form, or null for a message box.
    // Only the innermost one takes user input.
    std::vector<ui::Form*> modalLoops;
    std::map<const ui::Form*, std::function<void()>> modalScripts;
    std::function<void()> runScript;
};

struct World {
    WindowTree windows;
    Volume volume;
    Shell shell;
    Toolkit toolkit;
};

// The world of this process, fresh (as sim::Reset leaves it) on first use.
World& TheWorld();

}  // namespace sim::detail
