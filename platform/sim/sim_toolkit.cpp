// The toolkit of toolkit.h over the simulated window tree, and the sim:: user actions that
// drive it. Forms are top-level windows and controls their children, so IsWindow,
// GetWindowRect and FindWindowExA see them as Win32 would. The event rules are those written
// at the top of toolkit.h.
#include <algorithm>
#include <stdexcept>

#include "sim_world.h"

namespace ui {

struct Control::Native {
    Bounds bounds;           // as created
    bool isDefault = false;  // Button
    bool checked = false;    // CheckBox, RadioButton
    bool sorted = false;     // ComboBox
    int maxLength = 0;       // 0: no limit, as EM_LIMITTEXT 0
    int selStart = 0;
    int selLength = 0;
    std::vector<std::string> items;
};

struct Form::Native {
    bool visible = false;
    bool centreOnScreen = false;
    Control* focused = nullptr;
};

struct Timer::Native {
    bool enabled = true;
    unsigned interval = Timer::kDefaultInterval;
};

struct Application::Native {
    bool terminated = false;
};

}  // namespace ui

namespace {

using sim::detail::TheWorld;
using sim::detail::Toolkit;
using sim::detail::Window;

// A fixed dialog frame: 3 pixels each side, and a 19-pixel caption above the client area.
constexpr int kFrameSide = 3;
constexpr int kFrameTop = 22;
constexpr int kFrameWidth = 2 * kFrameSide;
constexpr int kFrameHeight = kFrameTop + kFrameSide;

constexpr unsigned kMbIconError = 0x10;

Toolkit& TheToolkit() {
    return TheWorld().toolkit;
}

std::string TextOrEmpty(const char* text) {
    return text == nullptr ? std::string() : std::string(text);
}

std::string WindowText(win::WindowHandle window) {
    const Window* target = TheWorld().windows.Find(window);
    return target == nullptr ? std::string() : target->text;
}

void StoreText(win::WindowHandle window, const std::string& text) {
    if (Window* target = TheWorld().windows.Find(window)) target->text = text;
}

win::Rect WindowRect(win::WindowHandle window) {
    const Window* target = TheWorld().windows.Find(window);
    return target == nullptr ? win::Rect{} : target->rect;
}

// The control's window, placed by bounds relative to its parent's client area.
win::WindowHandle MakeControlWindow(ui::Control::Native& native, win::WindowHandle parent, const char* className,
                                    const std::string& text, const ui::Bounds& bounds) {
    native.bounds = bounds;
    const auto [originX, originY] = TheWorld().windows.ClientOrigin(parent);
    const win::Rect rect{originX + bounds.left, originY + bounds.top, originX + bounds.left + bounds.width,
                         originY + bounds.top + bounds.height};
    return TheWorld().windows.Create(parent, className, text, rect);
}

template <typename Item>
void EraseFrom(std::vector<Item*>& list, const Item* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

bool IsLiveForm(const ui::Form* form) {
    const std::vector<ui::Form*>& forms = TheToolkit().forms;
    return std::find(forms.begin(), forms.end(), form) != forms.end();
}

bool ApplicationTerminated() {
    const ui::Application* application = TheToolkit().application;
    return application != nullptr && application->Terminated();
}

// Shows the form if hidden: centred first when it asks for it, then onShow.
void Display(ui::Form& form) {
    TheWorld().windows.BringToTop(form.Handle());
    ui::Form::Native& native = form.GetNative();
    if (native.visible) return;
    if (native.centreOnScreen) {
        form.SetLeft((ui::ScreenWidth() - form.Width()) / 2);
        form.SetTop((ui::ScreenHeight() - form.Height()) / 2);
    }
    native.visible = true;
    if (form.onShow) {
        const auto handler = form.onShow;
        handler();
    }
}

// The user reaches only a visible form, and only the innermost nested loop takes input: a
// message box or a modal form blocks every window behind it.
void RequireUserCanReach(const ui::Form& form, const char* action) {
    const std::string what = std::string("sim::") + action + ": ";
    if (!form.Visible()) throw std::logic_error(what + "the form is hidden, the user cannot reach it");
    const std::vector<ui::Form*>& loops = TheToolkit().modalLoops;
    if (loops.empty() || loops.back() == &form) return;
    throw std::logic_error(what + (loops.back() == nullptr ? "a message box" : "a modal form") +
                           " is open in front of this form");
}

// Mouse down on a button-like control gives it the focus and activates its form.
void FocusByUser(ui::Control& control) {
    ui::Form& form = control.OwnerForm();
    form.GetNative().focused = &control;
    TheToolkit().activeForm = &form;
}

template <typename Handler>
void RunHandler(const Handler& handler) {
    if (!handler) return;
    const Handler copy = handler;  // the handler may replace itself
    copy();
}

ui::Button* DefaultButtonOf(const ui::Form& form) {
    for (ui::Control* control : TheToolkit().controls) {
        auto* button = dynamic_cast<ui::Button*>(control);
        if (button != nullptr && &button->OwnerForm() == &form && button->IsDefault()) return button;
    }
    return nullptr;
}

// A click that the keyboard or the mouse makes on a button-like control: buttons run
// onClick, a check box toggles, a radio button is checked (its group unchecked) and runs onClick.
bool ClickButtonLike(ui::Control& control) {
    if (auto* button = dynamic_cast<ui::Button*>(&control)) {
        RunHandler(button->onClick);
        return true;
    }
    if (auto* checkBox = dynamic_cast<ui::CheckBox*>(&control)) {
        checkBox->SetChecked(!checkBox->Checked());
        return true;
    }
    if (auto* radio = dynamic_cast<ui::RadioButton*>(&control)) {
        radio->SetChecked(true);
        RunHandler(radio->onClick);
        return true;
    }
    return false;
}

// A mouse click on a button-like control: it takes the focus, then acts.
void ClickByMouse(ui::Control& control) {
    RequireUserCanReach(control.OwnerForm(), "Click");
    FocusByUser(control);
    ClickButtonLike(control);
}

void Backspace(ui::ComboBox& comboBox) {
    if (comboBox.SelLength() == 0) {
        if (comboBox.SelStart() == 0) return;
        comboBox.SetSelection(comboBox.SelStart() - 1, 1);
    }
    comboBox.SetSelText("");
}

}  // namespace

namespace ui {

// ---- Control and its kinds -----------------------------------------------------------------

Control::Control(Form& form) : form_(form), native_(std::make_unique<Native>()) {
    TheToolkit().controls.push_back(this);
}

Control::~Control() {
    Toolkit& toolkit = TheToolkit();
    EraseFrom(toolkit.controls, this);
    for (Form* form : toolkit.forms) {
        if (form->GetNative().focused == this) form->GetNative().focused = nullptr;
    }
    TheWorld().windows.Destroy(handle_);
}

Bounds Control::GetBounds() const {
    const Window* window = TheWorld().windows.Find(handle_);
    if (window == nullptr) return native_->bounds;
    const auto [originX, originY] = TheWorld().windows.ClientOrigin(window->parent);
    return {window->rect.left - originX, window->rect.top - originY, window->rect.right - window->rect.left,
            window->rect.bottom - window->rect.top};
}

Label::Label(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = MakeControlWindow(*native_, form.Handle(), "Static", TextOrEmpty(args.caption), args.bounds);
}

std::string Label::Caption() const {
    return WindowText(handle_);
}

Button::Button(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = MakeControlWindow(*native_, form.Handle(), "Button", TextOrEmpty(args.caption), args.bounds);
    native_->isDefault = args.isDefault;
}

std::string Button::Caption() const {
    return WindowText(handle_);
}

bool Button::IsDefault() const {
    return native_->isDefault;
}

void Button::SetDefault(bool isDefault) {
    native_->isDefault = isDefault;
}

ComboBox::ComboBox(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = MakeControlWindow(*native_, form.Handle(), "ComboBox", "", args.bounds);
    native_->sorted = args.sorted;
}

std::string ComboBox::Text() const {
    return WindowText(handle_);
}

void ComboBox::SetText(const std::string& text) {
    StoreText(handle_, text);  // like WM_SETTEXT, not bound by MaxLength
    native_->selStart = static_cast<int>(text.size());
    native_->selLength = 0;
}

void ComboBox::SetMaxLength(int characters) {
    native_->maxLength = std::max(characters, 0);
}

int ComboBox::MaxLength() const {
    return native_->maxLength;
}

// Like EM_REPLACESEL and typing: the selection goes, and as much of the new text as the
// length limit leaves room for comes in.
void ComboBox::SetSelText(const std::string& text) {
    std::string content = Text();
    const auto length = static_cast<int>(content.size());
    const int start = std::clamp(native_->selStart, 0, length);
    const int removed = std::clamp(native_->selLength, 0, length - start);
    std::string inserted = text;
    if (native_->maxLength > 0) {
        const int room = std::max(native_->maxLength - (length - removed), 0);
        if (static_cast<int>(inserted.size()) > room) inserted.resize(static_cast<std::size_t>(room));
    }
    content.replace(static_cast<std::size_t>(start), static_cast<std::size_t>(removed), inserted);
    StoreText(handle_, content);
    native_->selStart = start + static_cast<int>(inserted.size());
    native_->selLength = 0;
}

int ComboBox::SelStart() const {
    return native_->selStart;
}

int ComboBox::SelLength() const {
    return native_->selLength;
}

void ComboBox::SetSelStart(int position) {
    SetSelection(position, 0);
}

void ComboBox::SetSelection(int start, int length) {
    const auto textLength = static_cast<int>(Text().size());
    native_->selStart = std::clamp(start, 0, textLength);
    native_->selLength = std::clamp(length, 0, textLength - native_->selStart);
}

int ComboBox::ItemCount() const {
    return static_cast<int>(native_->items.size());
}

std::string ComboBox::Item(int index) const {
    if (index < 0 || index >= ItemCount()) throw std::out_of_range("ComboBox::Item: no item at this index");
    return native_->items[static_cast<std::size_t>(index)];
}

void ComboBox::AddItem(const std::string& item) {
    std::vector<std::string>& items = native_->items;
    if (!native_->sorted) {
        items.push_back(item);
        return;
    }
    const auto place =
        std::upper_bound(items.begin(), items.end(), item,
                         [](const std::string& a, const std::string& b) { return AnsiCompareText(a, b) < 0; });
    items.insert(place, item);
}

void ComboBox::DeleteItem(int index) {
    if (index < 0 || index >= ItemCount()) return;  // CB_DELETESTRING fails, nothing changes
    native_->items.erase(native_->items.begin() + index);
}

std::string ComboBox::ItemsText() const {
    std::string text;
    for (const std::string& item : native_->items) text += item + "\r\n";
    return text;
}

CheckBox::CheckBox(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = MakeControlWindow(*native_, form.Handle(), "Button", TextOrEmpty(args.caption), args.bounds);
    native_->checked = args.checked;
}

bool CheckBox::Checked() const {
    return native_->checked;
}

void CheckBox::SetChecked(bool checked) {
    native_->checked = checked;
}

RadioButton::RadioButton(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = MakeControlWindow(*native_, form.Handle(), "Button", TextOrEmpty(args.caption), args.bounds);
    SetChecked(args.checked);
}

RadioButton::RadioButton(GroupBox& group, const CreateArgs& args) : Control(group.OwnerForm()) {
    handle_ = MakeControlWindow(*native_, group.Handle(), "Button", TextOrEmpty(args.caption), args.bounds);
    SetChecked(args.checked);
}

bool RadioButton::Checked() const {
    return native_->checked;
}

// The group is every radio button with the same parent window (the form or a group box).
void RadioButton::SetChecked(bool checked) {
    native_->checked = checked;
    if (!checked) return;
    sim::detail::WindowTree& windows = TheWorld().windows;
    const Window* own = windows.Find(handle_);
    if (own == nullptr) return;
    for (Control* control : TheToolkit().controls) {
        auto* other = dynamic_cast<RadioButton*>(control);
        if (other == nullptr || other == this) continue;
        const Window* window = windows.Find(other->handle_);
        if (window != nullptr && window->parent == own->parent) other->native_->checked = false;
    }
}

GroupBox::GroupBox(Form& form, const CreateArgs& args) : Control(form) {
    handle_ = MakeControlWindow(*native_, form.Handle(), "Button", TextOrEmpty(args.caption), args.bounds);
}

std::string GroupBox::Caption() const {
    return WindowText(handle_);
}

// ---- Timer ---------------------------------------------------------------------------------

Timer::Timer(Form& form, const CreateArgs& args) : form_(form), native_(std::make_unique<Native>()) {
    native_->enabled = args.enabled;
    native_->interval = args.interval;
}

Timer::~Timer() = default;

bool Timer::Enabled() const {
    return native_->enabled;
}

void Timer::SetEnabled(bool enabled) {
    native_->enabled = enabled;
}

unsigned Timer::Interval() const {
    return native_->interval;
}

void Timer::SetInterval(unsigned milliseconds) {
    native_->interval = milliseconds;
}

// ---- Form ----------------------------------------------------------------------------------

Form::Form(const CreateArgs& args) : native_(std::make_unique<Native>()) {
    const win::Rect rect{args.left, args.top, args.left + args.clientWidth + kFrameWidth,
                         args.top + args.clientHeight + kFrameHeight};
    handle_ = TheWorld().windows.Create(nullptr, "TForm", TextOrEmpty(args.caption), rect, kFrameSide, kFrameTop);
    native_->centreOnScreen = args.centreOnScreen;
    Toolkit& toolkit = TheToolkit();
    toolkit.forms.push_back(this);
    if (toolkit.application != nullptr && toolkit.mainForm == nullptr) toolkit.mainForm = this;
}

Form::~Form() {
    Toolkit& toolkit = TheToolkit();
    EraseFrom(toolkit.forms, this);
    toolkit.modalScripts.erase(this);
    if (toolkit.mainForm == this) toolkit.mainForm = nullptr;
    if (toolkit.activeForm == this) toolkit.activeForm = nullptr;
    TheWorld().windows.Destroy(handle_);
}

void Form::Show() {
    Display(*this);
    TheToolkit().activeForm = this;
}

bool Form::Visible() const {
    return native_->visible;
}

void Form::Close() {
    Toolkit& toolkit = TheToolkit();
    native_->visible = false;
    if (toolkit.activeForm == this) toolkit.activeForm = nullptr;
    if (toolkit.mainForm == this && toolkit.application != nullptr) {
        toolkit.application->GetNative().terminated = true;
    }
}

// The script registered with sim::OnShowModal is the nested loop; without one the user
// closes the form with its close box at once.
int Form::ShowModal() {
    Toolkit& toolkit = TheToolkit();
    Form* const previous = toolkit.activeForm;
    Display(*this);
    toolkit.activeForm = this;
    {
        toolkit.modalLoops.push_back(this);
        sim::detail::ScopeExit endLoop([&toolkit, previous] {
            toolkit.modalLoops.pop_back();
            const bool previousShown = IsLiveForm(previous) && previous->Visible();
            toolkit.activeForm = previousShown ? previous : nullptr;
        });
        const auto script = toolkit.modalScripts.find(this);
        if (script != toolkit.modalScripts.end()) {
            RunHandler(script->second);
        } else {
            Close();
        }
    }
    if (!native_->visible) return 0;
    // Only the main form's Close (the application ending) ends a modal loop with its form open.
    native_->visible = false;
    if (!ApplicationTerminated()) {
        throw std::logic_error(
            "sim: the OnShowModal script left the form open; a modal display ends only when "
            "its form closes");
    }
    return 0;
}

std::string Form::Caption() const {
    return WindowText(handle_);
}

void Form::SetCaption(const std::string& caption) {
    StoreText(handle_, caption);
}

int Form::Left() const {
    return WindowRect(handle_).left;
}

int Form::Top() const {
    return WindowRect(handle_).top;
}

int Form::Width() const {
    const win::Rect rect = WindowRect(handle_);
    return rect.right - rect.left;
}

int Form::Height() const {
    const win::Rect rect = WindowRect(handle_);
    return rect.bottom - rect.top;
}

void Form::SetLeft(int left) {
    TheWorld().windows.MoveTo(handle_, left, Top());
}

void Form::SetTop(int top) {
    TheWorld().windows.MoveTo(handle_, Left(), top);
}

void Form::SetFocusedControl(Control& control) {
    if (&control.OwnerForm() != this) throw std::logic_error("Form::SetFocusedControl: the control is on another form");
    native_->focused = &control;
}

void Form::SetActiveControl(Control& control) {
    if (&control.OwnerForm() != this) throw std::logic_error("Form::SetActiveControl: the control is on another form");
    native_->focused = &control;
}

Control* Form::FocusedControl() const {
    return native_->focused;
}

// ---- Application ---------------------------------------------------------------------------

Application::Application() : native_(std::make_unique<Native>()) {
    Toolkit& toolkit = TheToolkit();
    if (toolkit.application != nullptr) throw std::logic_error("ui::Application: one at a time");
    toolkit.application = this;
    toolkit.mainForm = nullptr;
}

Application::~Application() {
    Toolkit& toolkit = TheToolkit();
    if (toolkit.application != this) return;
    toolkit.application = nullptr;
    toolkit.mainForm = nullptr;
}

Application& Application::Instance() {
    Application* application = TheToolkit().application;
    if (application == nullptr) throw std::logic_error("ui::Application::Instance: no application exists");
    return *application;
}

void Application::Run() {
    RunHandler(TheToolkit().runScript);
}

// As the application object shows it: a box with a stop icon, titled with the program's name.
void Application::ShowException(const std::exception& error) {
    win::MessageBoxA(nullptr, error.what(), "Quillet", win::kMbOk | kMbIconError);
}

bool Application::Terminated() const {
    return native_->terminated;
}

// ---- Functions -----------------------------------------------------------------------------

int ScreenWidth() {
    return TheWorld().shell.screenWidth;
}

int ScreenHeight() {
    return TheWorld().shell.screenHeight;
}

void Beep() {
    ++TheWorld().shell.beeps;
}

int AnsiCompareText(const std::string& a, const std::string& b) {
    return sim::detail::CompareIgnoringAsciiCase(a, b);
}

}  // namespace ui

// ---- What a user does ----------------------------------------------------------------------

namespace sim {

void Click(ui::Button& button) { ClickByMouse(button); }

void Click(ui::RadioButton& radio) { ClickByMouse(radio); }

void Click(ui::CheckBox& checkBox) { ClickByMouse(checkBox); }

void Click(ui::Label& label) {
    RequireUserCanReach(label.OwnerForm(), "Click");
    RunHandler(label.onClick);
}

void Focus(ui::Control& control) {
    RequireUserCanReach(control.OwnerForm(), "Focus");
    if (dynamic_cast<ui::Label*>(&control) != nullptr || dynamic_cast<ui::GroupBox*>(&control) != nullptr) {
        throw std::logic_error("sim::Focus: labels and group boxes never take the focus");
    }
    FocusByUser(control);
}

void TypeChar(char key) {
    ui::Form* form = TheToolkit().activeForm;
    if (form == nullptr) throw std::logic_error("sim::TypeChar: no form is active");
    RequireUserCanReach(*form, "TypeChar");
    ui::Control* focused = form->FocusedControl();
    // Enter: the dialog manager clicks the focused button, else the default button.
    if (key == '\r') {
        if (auto* button = dynamic_cast<ui::Button*>(focused)) {
            ClickButtonLike(*button);
            return;
        }
        if (ui::Button* button = DefaultButtonOf(*form)) {
            ClickButtonLike(*button);
            return;
        }
    }
    if (focused == nullptr) return;
    const char typed = key;
    if (focused->onKeyPress) {
        const auto handler = focused->onKeyPress;
        handler(key);
    }
    // Space clicks a focused button-like control on its key-up, whatever onKeyPress did.
    if (typed == ' ' && ClickButtonLike(*focused)) return;
    auto* comboBox = dynamic_cast<ui::ComboBox*>(focused);
    if (key == 0 || comboBox == nullptr) return;
    if (key == '\b') {
        Backspace(*comboBox);
    } else if (static_cast<unsigned char>(key) >= 32) {
        comboBox->SetSelText(std::string(1, key));
    }
}

void TypeText(const std::string& text) {
    for (char key : text) TypeChar(key);
}

void CloseBox(ui::Form& form) {
    RequireUserCanReach(form, "CloseBox");
    form.Close();
}

void Tick(ui::Timer& timer) {
    if (timer.Enabled()) RunHandler(timer.onTimer);
}

ui::Control* FocusedControl() {
    const ui::Form* form = TheToolkit().activeForm;
    return form == nullptr ? nullptr : form->FocusedControl();
}

void OnShowModal(ui::Form& form, std::function<void()> script) {
    if (script) {
        TheToolkit().modalScripts[&form] = std::move(script);
    } else {
        TheToolkit().modalScripts.erase(&form);
    }
}

void OnRun(std::function<void()> script) {
    TheToolkit().runScript = std::move(script);
}

}  // namespace sim
