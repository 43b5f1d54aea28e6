#pragma once
// The plain types that the window-free rules share with the toolkit: a window handle, which they
// only pass on, a rectangle in screen pixels, and an Explorer view as Windows' Shell lists it.
#include <string>

namespace win {

struct WindowObject;  // never defined: a window handle is opaque
using WindowHandle = WindowObject*;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

// What an Explorer view shows: a folder with a path, a library (its path is the library's
// default save folder), or a place with no path (This PC, Control Panel, a phone).
enum class ShellFolderKind { Path, Library, NoPath };

struct ShellView {
    WindowHandle frame = nullptr;  // the top-level Explorer window
    WindowHandle tab = nullptr;    // the frame's direct child that holds the view, or the frame itself
    ShellFolderKind kind = ShellFolderKind::NoPath;
    std::string path{};
};

}  // namespace win
