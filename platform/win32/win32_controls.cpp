// toolkit.h on real Win32, second half: the child-window controls. Each is a system control
// (STATIC, BUTTON, COMBOBOX) created at the exact client position with its own font; the form
// finds it from its HWND in its control list and turns WM_COMMAND notifications into the typed
// callbacks through Native::onNotify. Typed characters reach onKeyPress through a comctl32
// subclass of the control (of the child edit for a combo box).
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <string>

#include "win32_native.h"

namespace {

using win32::ControlKind;

constexpr UINT_PTR kFocusableSubclassId = 1;
constexpr UINT_PTR kGroupBoxSubclassId = 2;
constexpr int kComboDropDownCount = 8;  // items the dropped-down list shows

HWND FormWindow(const ui::Form& form) {
    return win32::ToHwnd(form.Handle());
}

// comctl32 installs subclasses as Unicode window procedures, so WM_CHAR arrives here as a
// UTF-16 unit even on our ANSI windows: the handler sees it as the ANSI character it stands for.
// Returns false when the handler swallowed the character.
bool FilterTypedCharacter(const ui::Control::Native& control, WPARAM& wParam) {
    const std::function<void(char&)> handler = control.control->onKeyPress;
    if (!handler) return true;
    const WCHAR typed = static_cast<WCHAR>(wParam);
    char ansi = static_cast<char>(typed);
    // ASCII is the same in every code page (and a UTF-8 code page refuses the lossy flag).
    if (typed >= 0x80) {
        char converted[2] = {};
        BOOL lossy = FALSE;
        if (::WideCharToMultiByte(CP_ACP, 0, &typed, 1, converted, sizeof converted, nullptr, &lossy) != 1 || lossy) {
            return true;  // not one ANSI character: it cannot be handed over as a char
        }
        ansi = converted[0];
    }
    char key = ansi;
    win32::RunHandler([&handler, &key] { handler(key); });
    if (key == 0) return false;
    if (key == ansi) return true;
    WCHAR replaced = 0;
    if (::MultiByteToWideChar(CP_ACP, 0, &key, 1, &replaced, 1) == 1) wParam = replaced;
    return true;
}

// On every focusable control (the child edit for a combo box): typed characters go to
// onKeyPress, and the form learns which control has the focus as it moves.
LRESULT CALLBACK FocusableSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                   DWORD_PTR reference) {
    auto& control = *reinterpret_cast<ui::Control::Native*>(reference);
    switch (message) {
        case WM_CHAR:
            if (!FilterTypedCharacter(control, wParam)) return 0;
            break;
        case WM_SETFOCUS: control.control->OwnerForm().GetNative().focusControl = &control; break;
        case WM_NCDESTROY: ::RemoveWindowSubclass(window, FocusableSubclass, id); break;
        default: break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

// A group box is the real parent window of its radio buttons: their notifications and colour
// requests go on to the form, which knows the controls.
LRESULT CALLBACK GroupBoxSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR id,
                                  DWORD_PTR control) {
    switch (message) {
        case WM_COMMAND:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return ::SendMessageA(reinterpret_cast<const ui::Control::Native*>(control)->parent, message, wParam,
                                  lParam);
        case WM_NCDESTROY: ::RemoveWindowSubclass(window, GroupBoxSubclass, id); break;
        default: break;
    }
    return ::DefSubclassProc(window, message, wParam, lParam);
}

void Subclass(HWND window, SUBCLASSPROC procedure, UINT_PTR id, ui::Control::Native& control) {
    if (!::SetWindowSubclass(window, procedure, id, reinterpret_cast<DWORD_PTR>(&control))) {
        throw ui::Exception("A control of the window could not be set up.");
    }
}

struct ChildSpec {
    ControlKind kind;
    const char* className;
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
    control.font = win32::MakeFont(spec.font);
    ui::Form::Native& formState = form.GetNative();
    const auto id = static_cast<UINT_PTR>(100 + formState.controls.size());
    const HWND window =
        ::CreateWindowExA(0, spec.className, spec.text, WS_CHILD | WS_VISIBLE | spec.style, spec.bounds.left,
                          spec.bounds.top, spec.bounds.width, spec.bounds.height + spec.extraHeight, parent,
                          reinterpret_cast<HMENU>(id), ::GetModuleHandleA(nullptr), nullptr);
    if (window == nullptr)
        throw ui::Exception(std::string("A control of the window could not be created (") + spec.className + ").");
    control.window.reset(window);
    ::SendMessageA(window, WM_SETFONT, reinterpret_cast<WPARAM>(control.font.get()), FALSE);
    switch (spec.kind) {
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton: Subclass(window, FocusableSubclass, kFocusableSubclassId, control); break;
        case ControlKind::ComboBox:
            control.edit = ::FindWindowExA(window, nullptr, "Edit", nullptr);
            if (control.edit != nullptr) Subclass(control.edit, FocusableSubclass, kFocusableSubclassId, control);
            break;
        case ControlKind::GroupBox: Subclass(window, GroupBoxSubclass, kGroupBoxSubclassId, control); break;
        case ControlKind::Label: break;
    }
    formState.AddControl(control, hint);
    return window;
}

bool IsChecked(const ui::Control::Native& control) {
    return ::SendMessageA(control.window.get(), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void SetCheck(const ui::Control::Native& control, bool checked) {
    ::SendMessageA(control.window.get(), BM_SETCHECK, checked ? BST_CHECKED : BST_UNCHECKED, 0);
}

// Only the checked radio button of a group is a tab stop, as in Windows dialogs.
void SetRadioCheck(const ui::Control::Native& radio, bool checked) {
    SetCheck(radio, checked);
    const HWND window = radio.window.get();
    const LONG style = ::GetWindowLongA(window, GWL_STYLE);
    ::SetWindowLongA(window, GWL_STYLE, checked ? style | WS_TABSTOP : style & ~WS_TABSTOP);
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
    form_.GetNative().RemoveControl(*native_);
}

ui::Bounds ui::Control::GetBounds() const {
    RECT rect{};
    ::GetWindowRect(native_->window.get(), &rect);
    ::MapWindowPoints(HWND_DESKTOP, native_->parent, reinterpret_cast<POINT*>(&rect), 2);
    return {rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top};
}

// ---------------------------------------------------------------------------------------------
// Label: a static control; SS_NOTIFY gives the clicks and lets the tooltip see the mouse.

ui::Label::Label(Form& form, const CreateArgs& args) : Control(form) {
    native_->transparent = args.transparent;
    const DWORD style = SS_NOTIFY | (args.wordWrap ? SS_LEFT : SS_LEFTNOWORDWRAP);
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::Label, "STATIC", args.caption, style, args.bounds, args.font, 0}, args.hint));
    native_->onNotify = ClickOn(STN_CLICKED, onClick);
}

std::string ui::Label::Caption() const {
    return win32::WindowText(native_->window.get());
}

// ---------------------------------------------------------------------------------------------
// Button.

ui::Button::Button(Form& form, const CreateArgs& args) : Control(form) {
    const DWORD style = WS_TABSTOP | (args.isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON);
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::Button, "BUTTON", args.caption, style, args.bounds, args.font, 0}, args.hint));
    native_->onNotify = ClickOn(BN_CLICKED, onClick);
}

std::string ui::Button::Caption() const {
    return win32::WindowText(native_->window.get());
}

bool ui::Button::IsDefault() const {
    return (::GetWindowLongA(native_->window.get(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// Only the look and the flag: which button Enter clicks is read from the flag (HandleEnter).
void ui::Button::SetDefault(bool isDefault) {
    ::SendMessageA(native_->window.get(), BM_SETSTYLE, isDefault ? BS_DEFPUSHBUTTON : BS_PUSHBUTTON, TRUE);
}

// ---------------------------------------------------------------------------------------------
// ComboBox: an edit field with a drop-down list. The child edit holds the focus, the caret and
// the selection.

ui::ComboBox::ComboBox(Form& form, const CreateArgs& args) : Control(form) {
    const DWORD style = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL | (args.sorted ? CBS_SORT : 0);
    // The height asked for is the edit field's; the window's height includes the list, or
    // the list shows nothing (Wine, like Windows without a manifest).
    const int listHeight = kComboDropDownCount * args.itemHeight + 2;
    handle_ = win32::ToHandle(
        CreateChild(form, FormWindow(form), *native_,
                    {ControlKind::ComboBox, "COMBOBOX", "", style, args.bounds, args.font, listHeight}, args.hint));
    ::SendMessageA(native_->window.get(), CB_SETITEMHEIGHT, 0, args.itemHeight);
}

std::string ui::ComboBox::Text() const {
    return win32::WindowText(native_->window.get());
}

void ui::ComboBox::SetText(const std::string& text) {
    ::SetWindowTextA(native_->window.get(), text.c_str());
}

void ui::ComboBox::SetMaxLength(int characters) {
    native_->maxLength = characters;
    ::SendMessageA(native_->window.get(), CB_LIMITTEXT, static_cast<WPARAM>(characters), 0);
}

int ui::ComboBox::MaxLength() const {
    return native_->maxLength;
}

void ui::ComboBox::SetSelText(const std::string& text) {
    // EM_REPLACESEL replaces the selection or inserts at the caret, and leaves the caret behind the text.
    ::SendMessageA(native_->edit, EM_REPLACESEL, TRUE, reinterpret_cast<LPARAM>(text.c_str()));
}

namespace {

void EditSelection(HWND combo, DWORD& start, DWORD& end) {
    start = 0;
    end = 0;
    ::SendMessageA(combo, CB_GETEDITSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
}

}  // namespace

int ui::ComboBox::SelStart() const {
    DWORD start, end;
    EditSelection(native_->window.get(), start, end);
    return static_cast<int>(start);
}

int ui::ComboBox::SelLength() const {
    DWORD start, end;
    EditSelection(native_->window.get(), start, end);
    return static_cast<int>(end - start);
}

void ui::ComboBox::SetSelStart(int position) {
    SetSelection(position, 0);
}

void ui::ComboBox::SetSelection(int start, int length) {
    ::SendMessageA(native_->window.get(), CB_SETEDITSEL, 0, MAKELPARAM(start, start + length));
}

int ui::ComboBox::ItemCount() const {
    const LRESULT count = ::SendMessageA(native_->window.get(), CB_GETCOUNT, 0, 0);
    return count == CB_ERR ? 0 : static_cast<int>(count);
}

std::string ui::ComboBox::Item(int index) const {
    const HWND window = native_->window.get();
    const LRESULT length = ::SendMessageA(window, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
    if (length == CB_ERR) return {};
    std::string item(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied =
        ::SendMessageA(window, CB_GETLBTEXT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(item.data()));
    item.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return item;
}

void ui::ComboBox::AddItem(const std::string& item) {
    ::SendMessageA(native_->window.get(), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
}

void ui::ComboBox::DeleteItem(int index) {
    ::SendMessageA(native_->window.get(), CB_DELETESTRING, static_cast<WPARAM>(index), 0);
}

std::vector<std::string> ui::ComboBox::Items() const {
    std::vector<std::string> items;
    const int count = ItemCount();
    for (int index = 0; index < count; ++index) items.push_back(Item(index));
    return items;
}

// ---------------------------------------------------------------------------------------------
// CheckBox: BS_AUTOCHECKBOX toggles itself on a click; BM_SETCHECK sends no notification.

ui::CheckBox::CheckBox(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = win32::ToHandle(CreateChild(
        form, FormWindow(form), *native_,
        {ControlKind::CheckBox, "BUTTON", args.caption, WS_TABSTOP | BS_AUTOCHECKBOX, args.bounds, args.font, 0},
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
                {ControlKind::RadioButton, "BUTTON", args.caption, BS_RADIOBUTTON, args.bounds, args.font, 0}, nullptr);
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
                    {ControlKind::GroupBox, "BUTTON", args.caption, BS_GROUPBOX, args.bounds, args.font, 0}, nullptr));
}

std::string ui::GroupBox::Caption() const {
    return win32::WindowText(native_->window.get());
}
