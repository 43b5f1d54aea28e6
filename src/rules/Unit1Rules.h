#pragma once
// The main window's rules that need no window: the walk down an Explorer window's children
// to its address bar, the names that stand for shell folders, and where the main window goes.
#include <functional>
#include <string>
#include <vector>

#include "system.h"
#include "window_types.h"

// The first direct child of `parent` with this window class, or null.
using FindChildByClass = std::function<win::WindowHandle(win::WindowHandle parent, const char* className)>;

// The address bar's Edit at the end of the class chain below `window`, or null when a step
// finds nothing.
win::WindowHandle WalkAddressBarChain(win::WindowHandle window, const FindChildByClass& findChild);

// Where the folders go: the first of these that names a folder wins. The address bar and the
// Shell follow the user's navigation; the folder given at the start does not.
enum class TargetWay { AddressBar, Shell, StartFolder, Ask };
TargetWay ChooseTargetWay(bool addressBarFound, bool shellListsWindow, bool startFolderGiven);

// The view of `frame` that the user sees, or null when the Shell lists none: in a window with
// tabs (`activeTab` is then the frame's first ShellTabWindowClass child, the one in front), the
// view in that tab; in one without (`activeTab` null), the frame's view.
const win::ShellView* ActiveView(const std::vector<win::ShellView>& views, win::WindowHandle frame,
                                 win::WindowHandle activeTab);

// The folder to make folders in that a view names: its path, or a library's default save folder,
// when that is a full path; empty for a place with no folder of its own.
std::string FolderOfView(const win::ShellView& view);

struct SpecialFolder {
    const char* name;
    sys::SpecialFolderId id;
};
// The special folder whose name the whole text is, compared without regard to ASCII case; null if none.
const SpecialFolder* FindSpecialFolder(const char* text);

// Whether the text is a full path, drive-rooted (C:\...) or UNC (\\server\share...); any other
// text would be taken relative to Quillet's own current folder.
bool IsFullPath(const char* text);

// What the command line asks for: /register and /unregister add and remove the entry in
// Explorer's menu; any other text after the program's path is a folder to make folders in, as
// the menu entry passes it, without the quotes around it. `programPath` is the program's own
// full path, which a shortcut or a console may pass without quotes though it holds blanks.
enum class StartAction { Run, Register, Unregister };
struct StartRequest {
    StartAction action = StartAction::Run;
    std::string folder{};  // with Run: the argument, if any
};
StartRequest ReadCommandLine(const std::string& commandLine, const std::string& programPath);

struct Point {
    int left = 0;
    int top = 0;
};
// The main window's outer top-left corner: over the Explorer window's corner, clamped to the
// corner of the monitor that holds the Explorer window, or centred on that monitor when it
// would come within 10 pixels of the monitor's right or bottom edge or lands on its corner.
Point PlaceMainWindow(const win::Rect& explorer, int width, int height, const win::Rect& monitor);
