// toolkit.h on real Win32, second half: the child-window controls. Each is a system control
// (STATIC, BUTTON, COMBOBOX) created at the exact client position with its own font; the form
// finds it from its HWND in its control list and turns WM_COMMAND notifications into the typed
// callbacks through Native::onNotify. Typed characters reach onKeyPress through a subclass
// of the control (of the child edit for a combo box), installed with user32 alone.
#include <windows.h>

#include <algorithm>
#include <string>
#include <vector>

#include "win32_native.h"

namespace {

using win32::ControlKind;

constexpr int kComboDropDownCount = 8;  // items the dropped-down list shows

HWND FormWindow(const ui::Form& form) {
    return win32::ToHwnd(form.Handle());
}

ui::Control::Native& SubclassedControl(HWND window) {
    return *reinterpret_cast<ui::Control::Native*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Returns false when the handler swallowed the character.
bool FilterTypedCharacter(const ui::Control::Native& control, WPARAM& wParam) {
    const std::function<void(wchar_t&)> handler = control.control->onKeyPress;
    if (!handler) return true;
    wchar_t key = static_cast<wchar_t>(wParam);
    win32::RunHandler([&handler, &key] { handler(key); });
    if (key == 0) return false;
    wParam = key;
    return true;
}

// On every focusable control (the child edit for a combo box): typed characters go to
// onKeyPress, and the form learns which control has the focus as it moves.
LRESULT CALLBACK FocusableProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    ui::Control::Native& control = SubclassedControl(window);
    const WNDPROC previous = control.previousProc;
    switch (message) {
        case WM_CHAR:
            if (!FilterTypedCharacter(control, wParam)) return 0;
            break;
        case WM_SETFOCUS: control.control->OwnerForm().GetNative().focusControl = &control; break;
        case WM_NCDESTROY: ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(previous)); break;
        default: break;
    }
    return ::CallWindowProcW(previous, window, message, wParam, lParam);
}

// A group box is the real parent window of its radio buttons: their notifications and colour
// requests go on to the form, which knows the controls.
LRESULT CALLBACK GroupBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    const ui::Control::Native& control = SubclassedControl(window);
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN: return ::SendMessageW(control.parent, message, wParam, lParam);
        case WM_NCDESTROY:
            ::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(control.previousProc));
            break;
        default: break;
    }
    return ::CallWindowProcW(control.previousProc, window, message, wParam, lParam);
}

void Subclass(HWND window, WNDPROC procedure, ui::Control::Native& control) {
    ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&control));
    control.previousProc =
        reinterpret_cast<WNDPROC>(::SetWindowLongPtrW(window, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(procedure)));
    if (control.previousProc == nullptr) {
        throw ui::Exception("A control of the window could not be set up.", ::GetLastError());
    }
}

struct ChildSpec {
    ControlKind kind;
    const wchar_t* className;
    const char* text;
    DWORD style;
    ui::Bounds bounds;
    const ui::Font& font;
    int extraHeight;  // a drop-down combo box is created with its list's height added
};

// Creates the control's window in `parent`, gives it its font and registers it with its form.
// The notification handler that runs `onClick` on `clickCode`. It runs a copy, because the
// handler may replace itself; `onClick` is a member of the control, which outlives its window.
std::function<void(WORD)> ClickOn(WORD clickCode, const std::function<void()>& onClick) {
    return [clickCode, &onClick](WORD code) {
        if (code != clickCode) return;
        const std::function<void()> handler = onClick;
        if (handler) handler();
    };
}

HWND CreateChild(ui::Form& form, HWND parent, ui::Control::Native& control, const ChildSpec& spec, const char* hint) {
    control.kind = spec.kind;
    control.parent = parent;
    control.linkColour = spec.font.linkColour;
    control.design = spec.bounds;
    control.fontSpec = spec.font;
    control.extraHeight = spec.extraHeight;
    ui::Form::Native& formState = form.GetNative();
    const auto id = static_cast<UINT_PTR>(100 + formState.controls.size());
    const RECT at = formState.ScaledBounds(control);
    const HWND window = ::CreateWindowExW(0, spec.className, win32::Wide(spec.text).c_str(),
                                          WS_CHILD | WS_VISIBLE | spec.style, at.left, at.top, at.right, at.bottom,
                                          parent, reinterpret_cast<HMENU>(id), ::GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) throw ui::Exception("A control of the window could not be created.", ::GetLastError());
    control.window.reset(window);
    formState.DressControl(control);
    switch (spec.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: Subclass(window, FocusableProc, control); break;
        case ControlKind::ComboBox:
            control.edit = ::FindWindowExW(window, nullptr, L"Edit", nullptr);
            if (control.edit != nullptr) Subclass(control.edit, FocusableProc, control);
            break;
        case ControlKind::GroupBox: Subclass(window, GroupBoxProc, control); break;
        case ControlKind::Label: break;
    }
    formState.AddControl(control, hint);
    return window;
}

bool IsChecked(const ui::Control::Native& control) {
    return ::SendMessageW(control.window.get(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetCheck(const ui::Control::Native& control, bool checked) {
    ::SendMessageW(control.window.get(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Only the checked radio button of a group is a tab stop, as in Windows dialogs.
void SetRadioCheck(const ui::Control::Native& radio, bool checked) {
    SetCheck(radio, checked);
    const HWND window = radio.window.get();
    const LONG style = ::GetWindowLongW(window, GWL_STYLE);
    ::SetWindowLongW(window, GWL_STYLE, checked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
}

// Checks a radio button and unchecks the radio buttons that share its parent window.
void CheckRadioInGroup(const ui::Form& form, const ui::Control::Native& radio) {
    SetRadioCheck(radio, true);
    for (const ui::Control::Native* sibling : form.GetNative().controls) {
        if (sibling == &radio || sibling->kind != ControlKind::RadioButton || sibling->parent != radio.parent) continue;
        SetRadioCheck(*sibling, false);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Control.

ui::Control::Control(Form& form) : form_(form), native_(std::make_unique<Native>()) {
    native_->control = this;
}

ui::Control::~Control() {
    if (native_->annotated) win32::ClearAnnotations(native_->window.get());
    form_.GetNative().RemoveControl(*native_);
}

void ui::Control::SetAccessibleName(const std::string& name) {
    native_->annotated |= win32::AnnotateName(native_->window.get(), win32::Wide(name));
}

void ui::Control::SetHint(const std::string& hint) {
    Form::Native& form = form_.GetNative();
    form.DeleteTool(*native_);
    native_->hint = win32::Wide(hint);
    if (form.tooltip) form.AddTool(*native_);
}

// ---------------------------------------------------------------------------------------------
// Label: a static control; SS_NOTIFY gives the clicks and lets the tooltip see the mouse.

ui::Label::Label(Form& form, const CreateArgs& args) : Control(form) {
    native_->transparent = args.transparent;
    const DWORD style = SS_NOTIFY | (args.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP | SS_ENDELLIPSIS);
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::Label, L"STATIC", args.caption, style, args.bounds, args.font, 0}, args.hint));
    native_->onNotify = ClickOn(STN_CLICKED, onClick);
}

void ui::Label::SetCaption(const std::string& caption, Urgency urgency) {
    const HWND label = native_->window.get();
    // A screen reader reads a live region's change only where the control says how urgent it is.
    native_->annotated |= win32::AnnotateLiveSetting(label, urgency == Urgency::Assertive);
    ::SetWindowTextW(label, win32::Wide(caption).c_str());
    // A transparent label draws nothing behind its text: what lies there is drawn afresh.
    RECT area{};
    ::GetWindowRect(label, &area);
    ::MapWindowPoints(HWND_DESKTOP, native_->parent, reinterpret_cast<POINT*>(&area), 2);
    ::InvalidateRect(native_->parent, &area, TRUE);
    constexpr DWORD LiveRegionChanged = 0x8019;  // EVENT_OBJECT_LIVEREGIONCHANGED, Windows 8 and later
    ::NotifyWinEvent(LiveRegionChanged, label, OBJID_CLIENT, CHILDID_SELF);
}

// ---------------------------------------------------------------------------------------------
// Button.

ui::Button::Button(Form& form, const CreateArgs& args) : Control(form) {
    const DWORD style = WS_TABSTOP | (args.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::Button, L"BUTTON", args.caption, style, args.bounds, args.font, 0}, args.hint));
    native_->onNotify = ClickOn(BN_CLICKED, onClick);
}

// Only the look and the flag: which button Enter clicks is read from the flag (HandleEnter).
void ui::Button::SetDefault(bool isDefault) {
    ::SendMessageW(native_->window.get(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// ---------------------------------------------------------------------------------------------
// ComboBox: an edit field with a drop-down list. The child edit holds the focus, the caret and
// the selection.

ui::ComboBox::ComboBox(Form& form, const CreateArgs& args) : Control(form) {
    const DWORD style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | (args.sorted ? CBS_SORT : 0);
    // The height asked for is the edit field's; the window's height includes the list, or
    // the list shows nothing (Wine, like Windows without a manifest).
    const int listHeight = kComboDropDownCount * args.itemHeight + 2;
    native_->itemHeight = args.itemHeight;
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::ComboBox, L"COMBOBOX", "", style, args.bounds, args.font, listHeight}, args.hint));
    // A choice from the list reaches the edit field only after its notification: it is read
    // from the list.
    native_->onNotify = [this](WORD code) {
        const std::function<void(const std::string&)> handler = onChange;
        if (!handler || (code != CBN_EDITCHANGE && code != CBN_SELCHANGE)) return;
        const LRESULT chosen = ::SendMessageW(native_->window.get(), CB_GETCURSEL, 0, 0);
        if (code == CBN_SELCHANGE && chosen == CB_ERR) return;
        handler(code == CBN_SELCHANGE ? Item(static_cast<int>(chosen)) : Text().value_or(std::string()));
    };
}

std::optional<std::string> ui::ComboBox::Text() const {
    return win32::WindowText(native_->window.get());
}

void ui::ComboBox::SetMaxLength(int characters) {
    ::SendMessageW(native_->window.get(), CB_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

void ui::ComboBox::SetSelText(const std::string& text) {
    // EM_REPLACESEL replaces the selection or inserts at the caret, and leaves the caret behind the text.
    ::SendMessageW(native_->edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(win32::Wide(text).c_str()));
}

namespace {

void EditSelection(HWND combo, DWORD& start, DWORD& end) {
    start = 0;
    end = 0;
    ::SendMessageW(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

}  // namespace

int ui::ComboBox::SelStart() const {
    DWORD start, end;
    EditSelection(native_->window.get(), start, end);
    return static_cast<int>(start);
}

void ui::ComboBox::SetSelStart(int position) {
    ::SendMessageW(native_->window.get(), CB_SETEDITSEL, 0, MAKELPARAM(position, position));
}

int ui::ComboBox::ItemCount() const {
    const LRESULT count = ::SendMessageW(native_->window.get(), CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string ui::ComboBox::Item(int index) const {
    const HWND window = native_->window.get();
    const LRESULT length = ::SendMessageW(window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    const LRESULT copied =
        ::SendMessageW(window, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return win32::Utf8(item).value_or(std::string());
}

void ui::ComboBox::AddItem(const std::string& item) {
    ::SendMessageW(native_->window.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(win32::Wide(item).c_str()));
}

void ui::ComboBox::AddItems(const std::vector<std::string>& items) {
    const HWND window = native_->window.get();
    std::vector<std::wstring> wide;
    wide.reserve(items.size());
    std::size_t characters = 0;
    for (const std::string& item : items) {
        wide.push_back(win32::Wide(item));
        characters += wide.back().size() + 1;
    }
    // Sorted here the way the list sorts, each one goes at the end: no search, nothing moved.
    const bool sorted = (::GetWindowLongW(window, GWL_STYLE) & CBS_SORT) != 0;
    if (sorted) {
        std::stable_sort(wide.begin(), wide.end(), [](const std::wstring& a, const std::wstring& b) {
            return ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, a.data(), static_cast<int>(a.size()),
                                    b.data(), static_cast<int>(b.size())) == CSTR_LESS_THAN;
        });
    }
    ::SendMessageW(window, CB_INITSTORAGE, wide.size(), characters * sizeof(wchar_t));
    for (const std::wstring& item : wide) {
        ::SendMessageW(window, CB_INSERTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(item.c_str()));
    }
}

void ui::ComboBox::DeleteItem(int index) {
    ::SendMessageW(native_->window.get(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

// ---------------------------------------------------------------------------------------------
// CheckBox: BS_AUTOCHECKBOX toggles itself on a click; BM_SETCHECK sends no notification.

ui::CheckBox::CheckBox(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = win32::ToHandle(CreateChild(
        form, FormWindow(form), *native_,
        {ControlKind::CheckBox, L"BUTTON", args.caption, WS_TABSTOP | BS_AUTOCHECKBOX, args.bounds, args.font, 0},
        nullptr));
    SetCheck(*native_, args.checked);
}

bool ui::CheckBox::Checked() const {
    return IsChecked(*native_);
}

void ui::CheckBox::SetChecked(bool checked) {
    SetCheck(*native_, checked);
}

// ---------------------------------------------------------------------------------------------
// RadioButton: BS_RADIOBUTTON (not the auto kind, whose grouping follows WS_GROUP across the
// dialog) with the group kept here: the radio buttons of one parent window.

namespace {

void CreateRadio(ui::Form& form, HWND parent, ui::Control::Native& native, const ui::RadioButton::CreateArgs& args,
                 ui::RadioButton& radio) {
    CreateChild(form, parent, native,
                {ControlKind::RadioButton, L"BUTTON", args.caption, BS_RADIOBUTTON, args.bounds, args.font, 0},
                nullptr);
    if (args.checked) CheckRadioInGroup(form, native);
    native.onNotify = [&form, &native, &radio](WORD code) {
        if (code != BN_CLICKED || form.GetNative().focusingByProgram) return;
        CheckRadioInGroup(form, native);
        const std::function<void()> handler = radio.onClick;
        if (handler) handler();
    };
}

}  // namespace

ui::RadioButton::RadioButton(Form& form, const CreateArgs& args) : Control(form) {
    CreateRadio(form, FormWindow(form), *native_, args, *this);
    handle_ = win32::ToHandle(native_->window.get());
}

ui::RadioButton::RadioButton(GroupBox& group, const CreateArgs& args) : Control(group.OwnerForm()) {
    CreateRadio(form_, win32::ToHwnd(group.Handle()), *native_, args, *this);
    handle_ = win32::ToHandle(native_->window.get());
}

bool ui::RadioButton::Checked() const {
    return IsChecked(*native_);
}

void ui::RadioButton::SetChecked(bool checked) {
    if (checked) {
        CheckRadioInGroup(form_, *native_);
    } else {
        SetRadioCheck(*native_, false);
    }
}

// ---------------------------------------------------------------------------------------------
// GroupBox: a BS_GROUPBOX button that is the parent window of its radio buttons.

ui::GroupBox::GroupBox(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::GroupBox, L"BUTTON", args.caption, BS_GROUPBOX, args.bounds, args.font, 0}, nullptr));
}
