#pragma once
// The two plain types that the window-free rules share with the toolkit: a window handle, which
// they only pass on, and a rectangle in screen pixels.
namespace win {

struct WindowObject;  // never defined: a window handle is opaque
using WindowHandle = WindowObject*;

struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;
};

}  // namespace win
