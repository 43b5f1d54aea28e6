#pragma once
// The per-implementation state behind toolkit.h on real Win32, shared by win32_toolkit.cpp
// (application, forms, message loops, timer) and win32_controls.cpp (child-window controls).
// Private to platform/win32.
#include <windows.h>

#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "toolkit.h"
#include "win32_handles.h"
#include "win32_text.h"

namespace win32 {

enum class ControlKind { Label, Button, ComboBox, CheckBox, RadioButton, GroupBox };

inline HWND ToHwnd(win::WindowHandle window) {
    return reinterpret_cast<HWND>(window);
}
inline win::WindowHandle ToHandle(HWND window) {
    return reinterpret_cast<win::WindowHandle>(window);
}

// The layouts are written for 96 dpi; a length at `dpi` is rounded as Windows rounds it.
inline int Scale(int length, int dpi) {
    return ::MulDiv(length, dpi, 96);
}
// The DPI of the window, or of the monitor it is on (the system's before Windows 8.1).
int WindowDpi(HWND window);
int MonitorDpi(HMONITOR monitor);

// Creates a font from its description at `dpi`; the system's own font when GDI refuses.
UniqueFont MakeFont(const ui::Font& font, int dpi);

std::optional<std::string> WindowText(HWND window);

// Dynamic annotations of a control, for screen readers: its name, and whether a change of its
// text is read at once (assertive) or once the reader is done speaking (polite). Each false
// where oleacc cannot take it. Cleared before the control's window goes.
bool AnnotateName(HWND control, const std::wstring& name);
bool AnnotateLiveSetting(HWND control, bool assertive);
void ClearAnnotations(HWND control);

// Posted to a form when a background job's answer is ready; wParam names the job.
constexpr UINT AnswerReady = WM_APP + 1;

// Runs an event handler; an exception must not unwind through user32's frames, so it is
// shown by the application object here and the program goes on.
void RunHandler(const std::function<void()>& handler);

}  // namespace win32

struct ui::Control::Native {
    ui::Control* control = nullptr;
    win32::ControlKind kind = win32::ControlKind::Label;
    HWND parent = nullptr;  // the form's window, or the group box's
    HWND edit = nullptr;    // a combo box's child edit control, which holds the focus and the text
    bool transparent = false;
    bool linkColour = false;
    WNDPROC previousProc = nullptr;  // of the window this control subclasses, if any
    // The 96-dpi layout, kept to scale from whenever the DPI changes.
    ui::Bounds design{};
    ui::Font fontSpec{};
    int extraHeight = 0;     // a drop-down combo box's list, below its edit field
    int itemHeight = 0;      // a combo box's list items
    std::wstring hint;       // shown as a tooltip, if any
    bool annotated = false;  // for screen readers, which the window's end must clear
    // A WM_COMMAND notification code from this control (BN_CLICKED, STN_CLICKED).
    std::function<void(WORD code)> onNotify;
    win32::UniqueWindow window;
};

struct ui::Form::Native {
    ui::Form* form = nullptr;
    HWND window = nullptr;  // set at WM_NCCREATE, cleared at WM_NCDESTROY
    bool isMain = false;
    bool centreOnScreen = false;
    bool modalRunning = false;
    bool focusingByProgram = false;               // while the toolkit itself moves the focus (see FocusWindow)
    std::vector<HWND> disabledByModal;            // the forms this one's modal display switched off
    ui::Control::Native* focusControl = nullptr;  // focused when the form becomes active
    std::vector<ui::Control::Native*> controls;   // in creation order, which is the tab order
    std::map<UINT_PTR, ui::Timer*> timers;
    std::map<WPARAM, ui::BackgroundJob*> jobs;            // by id, which an answer's message carries
    std::map<UINT, ui::SystemMenuItem*> systemMenuItems;  // by command id
    // One font of each kind its controls use, at the form's DPI; they outlive the controls.
    struct CachedFont {
        ui::Font spec;
        win32::UniqueFont font;
    };
    std::vector<CachedFont> fonts;
    HFONT font = nullptr;         // the form's own, answered to WM_GETFONT
    win32::UniqueWindow tooltip;  // one per form, made when the mouse first comes over it
    bool hintsTried = false;
    // The 96-dpi layout and the DPI it is shown at now.
    int clientWidth = 0;
    int clientHeight = 0;
    ui::Font fontSpec{};
    int dpi = 96;

    // The form's own handling of a message; nothing means DefWindowProcW's.
    std::optional<LRESULT> HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    ui::Control::Native* FindControl(HWND window) const;
    ui::Control::Native* FindControl(const ui::Control& control) const;
    // The toolkit control that holds `window` (a combo box for its child edit), or null.
    ui::Control::Native* ControlContaining(HWND window) const;
    void AddControl(ui::Control::Native& control, const char* hint);
    void RemoveControl(ui::Control::Native& control);
    void DeleteTool(const ui::Control::Native& control) const;
    void MakeTooltips();
    void AddTool(const ui::Control::Native& control) const;
    // SetFocus by the toolkit. Windows sends BN_CLICKED when an unchecked radio button gets the
    // focus without the mouse; a radio button ignores that while this runs, so that giving the
    // focus back never checks a radio button or runs its onClick.
    void FocusWindow(HWND target);
    void RememberFocus();
    void RestoreFocus();
    void MoveFocus(bool backward);
    bool HandleEnter(HWND focus);
    void Click(ui::Control::Native& button);
    void EndModal();
    // Puts the items into the window's system menu, each greyed or not, as it opens.
    void AddToSystemMenu(UINT id, const std::string& caption);
    void PrepareSystemMenu(HMENU menu);
    // Lays the form and its controls out again at `newDpi`, fonts included; keeps the top-left
    // corner, or moves it to `corner` in the same move.
    void ApplyDpi(int newDpi, const POINT* corner = nullptr);
    HFONT FontFor(const ui::Font& spec);
    // Left, top, width and height at the form's DPI.
    RECT ScaledBounds(const ui::Control::Native& control) const;
    void DressControl(ui::Control::Native& control);  // its font and, for a combo box, its item height
};

struct ui::Timer::Native {
    UINT_PTR id = 0;
    unsigned interval = 0;
    bool enabled = false;
};

struct ui::Application::Native {
    bool terminated = false;
    bool mainFormCreated = false;  // the first form created while the application exists is the main form
    ui::Form* mainForm = nullptr;
    std::wstring title;
};
