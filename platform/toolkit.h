#pragma once
// The GUI toolkit Quillet's windows are built from: an application object, forms and a few
// controls, each created from a struct of defaulted fields, message boxes, and what Quillet does
// to other programs' windows (find one, read its text, watch it). No <windows.h> here:
// platform/win32 builds them from real child-window controls. Errors follow system.h's policy.
//
// Event rules:
// - A click (mouse, Space, or Enter on a focused button) runs the control's onClick.
// - Enter typed anywhere else in a form runs onClick of the form's default button.
// - Every other typed character goes first to the focused control's onKeyPress, which may
//   change it; a character set to 0 is swallowed. Esc (27) arrives there as a character.
// - Text is UTF-8 in and out.
// - Setting a check box or radio button by program never runs a click handler.
// - A timer's ticks arrive in whichever message loop runs: the main loop, a modal form's
//   loop or a message box's loop.
// - The first form created while the Application exists is the main form. Close on it ends
//   Application::Run and any modal loop still running, and a second Close is harmless;
//   Close on another form hides it and ends its modal display.
#include <cstdint>
#include <exception>
#include <functional>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "window_types.h"

namespace ui {

struct Bounds {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
};

struct Size {
    int width = 0;
    int height = 0;
};

struct Font {
    // The TrueType twin of the bitmap MS Sans Serif, with its metrics: font linking, which finds
    // the glyphs of other scripts, serves TrueType faces only, and it scales at any DPI.
    const char* face = "Microsoft Sans Serif";
    int height = -11;  // 8 points at 96 pixels per inch
    bool bold = false;
    bool italic = false;
    bool underline = false;
    bool linkColour = false;  // a link's colour instead of the window-text colour
};

// Thrown by the toolkit when a window cannot be made, with Windows' error code; shown by
// Application::ShowException.
class Exception : public std::exception {
public:
    Exception(std::string message, std::uint32_t error) : message_(std::move(message)), error_(error) {}
    const char* what() const noexcept override { return message_.c_str(); }
    std::uint32_t error() const { return error_; }

private:
    std::string message_;
    std::uint32_t error_;
};

class Form;
class GroupBox;

class Control {
public:
    Control(const Control&) = delete;
    Control& operator=(const Control&) = delete;
    virtual ~Control();

    win::WindowHandle Handle() const { return handle_; }
    Form& OwnerForm() const { return form_; }
    // The tooltip shown while the mouse rests on the control; "" for none.
    void SetHint(const std::string& hint);
    // What a screen reader calls the control where another shows its caption (a label beside a
    // check box too narrow for one).
    void SetAccessibleName(const std::string& name);

    // A character (a UTF-16 unit) typed while this control has the focus (buttons and the combo box).
    std::function<void(wchar_t& key)> onKeyPress;

    struct Native;  // per-implementation state

protected:
    explicit Control(Form& form);

    Form& form_;
    win::WindowHandle handle_ = nullptr;
    std::unique_ptr<Native> native_;
};

enum class Urgency { Polite, Assertive };

class Label : public Control {
public:
    struct CreateArgs {
        Bounds bounds{};
        const char* caption = "";
        const char* hint = nullptr;
        Font font{};
        bool transparent = false;
        bool wordWrap = false;
    };
    Label(Form& form, const CreateArgs& args);
    // A new text, which screen readers are told of as a live region's change: read once they are
    // done speaking (polite), or at once (assertive).
    void SetCaption(const std::string& caption, Urgency urgency = Urgency::Polite);
    std::function<void()> onClick;
};

class Button : public Control {
public:
    struct CreateArgs {
        Bounds bounds{};
        const char* caption = "";  // "&&" shows as one "&"
        const char* hint = nullptr;
        Font font{};
        bool isDefault = false;
    };
    Button(Form& form, const CreateArgs& args);
    void SetDefault(bool isDefault);
    std::function<void()> onClick;
};

class ComboBox : public Control {
public:
    struct CreateArgs {
        Bounds bounds{};
        const char* hint = nullptr;
        Font font{};
        bool sorted = false;
        int itemHeight = 13;
    };
    ComboBox(Form& form, const CreateArgs& args);

    // Nothing when the text holds a character that UTF-8 cannot carry (an unpaired surrogate).
    std::optional<std::string> Text() const;
    void SetMaxLength(int characters);
    // Replaces the selection (or inserts at the caret) and leaves the caret behind the new text.
    void SetSelText(const std::string& text);
    int SelStart() const;            // in UTF-16 units, as the edit field counts
    void SetSelStart(int position);  // caret at position, empty selection

    int ItemCount() const;
    std::string Item(int index) const;
    void AddItem(const std::string& item);  // at its sorted place when sorted
    // Many at once, in time linear in their number (up to the sort).
    void AddItems(const std::vector<std::string>& items);
    void DeleteItem(int index);

    // The text after each change, typed or chosen from the list.
    std::function<void(const std::string& text)> onChange;
};

class CheckBox : public Control {
public:
    struct CreateArgs {
        Bounds bounds{};
        const char* caption = "";
        Font font{};
        bool checked = false;
    };
    CheckBox(Form& form, const CreateArgs& args);
    bool Checked() const;
    void SetChecked(bool checked);
};

class RadioButton : public Control {
public:
    struct CreateArgs {
        Bounds bounds{};
        const char* caption = "";
        Font font{};
        bool checked = false;
    };
    // Radio buttons with one parent form one group: checking one unchecks the others.
    RadioButton(Form& form, const CreateArgs& args);
    RadioButton(GroupBox& group, const CreateArgs& args);
    bool Checked() const;
    void SetChecked(bool checked);
    std::function<void()> onClick;
};

class GroupBox : public Control {
public:
    struct CreateArgs {
        Bounds bounds{};
        const char* caption = "";
        Font font{};
    };
    GroupBox(Form& form, const CreateArgs& args);
};

// An item added to the form's system menu (the menu of its title-bar icon, also Alt+Space).
class SystemMenuItem {
public:
    SystemMenuItem(Form& form, const char* caption);  // "&" marks the item's key
    SystemMenuItem(const SystemMenuItem&) = delete;
    SystemMenuItem& operator=(const SystemMenuItem&) = delete;
    ~SystemMenuItem();
    void SetEnabled(bool enabled);  // a disabled item is greyed and cannot be chosen
    bool Enabled() const { return enabled_; }
    std::function<void()> onClick;

private:
    Form& form_;
    unsigned id_;
    bool enabled_ = true;
};

class Timer {
public:
    static constexpr unsigned kDefaultInterval = 50;  // ms before the first tick
    struct CreateArgs {
        unsigned interval = kDefaultInterval;
        bool enabled = true;
    };
    Timer(Form& form, const CreateArgs& args);
    Timer(const Timer&) = delete;
    Timer& operator=(const Timer&) = delete;
    ~Timer();
    bool Enabled() const;
    void SetEnabled(bool enabled);
    void SetInterval(unsigned milliseconds);
    std::function<void()> onTimer;

    struct Native;

private:
    Form& form_;
    std::unique_ptr<Native> native_;
};

// Work done in a thread of its own, so that a slow or network disk never makes the form wait.
// Only the newest job counts: one started while another runs waits in its place, replacing any
// that waited, and the answer of a job that a newer one (or Cancel) has replaced is never given.
// An answer is handed to onAnswer on the form's thread, by whichever message loop runs. The thread
// is made at the first job; where none can be made, no job runs and no answer comes.
class BackgroundJob {
public:
    explicit BackgroundJob(Form& form);
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;
    // Does not wait for a job still running: the thread ends after it, its answer unheard.
    ~BackgroundJob();
    // `job` must own what it uses: it may run on after the form is gone.
    void Start(std::function<std::string()> job);
    void Cancel();
    std::function<void(const std::string& answer)> onAnswer;

    struct Native;
    void Deliver();  // the form's part: hands over the answer, if it is still wanted

private:
    Form& form_;
    unsigned id_;
    std::shared_ptr<Native> native_;
};

class Form {
public:
    struct CreateArgs {
        const char* caption = "";
        int clientWidth = 0;
        int clientHeight = 0;
        int left = 0;
        int top = 0;
        Font font{};
        bool centreOnScreen = false;  // at every showing
    };
    // Created hidden, with a fixed dialog frame whose title bar carries only the close box.
    explicit Form(const CreateArgs& args);
    Form(const Form&) = delete;
    Form& operator=(const Form&) = delete;
    virtual ~Form();

    win::WindowHandle Handle() const { return handle_; }
    void Show();
    bool Visible() const;
    void Close();
    // Esc typed in any of these controls closes the form, as its close box does.
    void CloseOnEscape(std::initializer_list<Control*> controls);
    int ShowModal();  // runs a nested loop until the form closes; the form is hidden then

    void SetCaption(const std::string& caption);
    void MakeTopmost();  // above every window that is not topmost itself, where it is
    // Outer window rectangle in screen pixels, frame and caption included.
    int Left() const;
    int Top() const;
    int Width() const;
    int Height() const;
    // The outer size the form takes on a monitor of `dpi`.
    Size SizeAtDpi(int dpi) const;
    void MoveTo(int left, int top);

    void SetFocusedControl(Control& control);  // focus it holds when it becomes active
    void SetActiveControl(Control& control);   // focus now

    std::function<void()> onShow;  // each time the form is shown
    // A function key pressed in the form, by its number (2 for F2); true when it was used.
    std::function<bool(int number)> onFunctionKey;

    struct Native;
    Native& GetNative() const { return *native_; }

private:
    win::WindowHandle handle_ = nullptr;
    std::unique_ptr<Native> native_;
};

class Application {
public:
    Application();  // Initialize; there is one, for the life of the program
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;
    ~Application();

    void Run();  // the message loop, until the main form closes
    void ShowException(const std::exception& error);

    struct Native;
    Native& GetNative() const { return *native_; }

private:
    std::unique_ptr<Native> native_;
};

void Beep();

enum class MessageIcon { None, Information };
// A modal box with one OK button, owned by `owner` (none: no owner); returns once dismissed.
void ShowMessageBox(const Form* owner, const std::string& text, const std::string& caption,
                    MessageIcon icon = MessageIcon::None);

// Other programs' windows, which Quillet only reads.
win::WindowHandle ForegroundWindow();  // null when none is
// The first direct child of `parent` with this window class, or null.
win::WindowHandle FindChildWindow(win::WindowHandle parent, const char* className);
// Read; not answered within the time (or hung); or refused at once, as Windows refuses a program
// the messages of a less trusted one (an Explorer run as administrator). A text that is not valid
// Unicode reads as empty.
enum class TextRead { Read, NotAnswering, Refused };
TextRead ReadWindowText(win::WindowHandle window, unsigned timeoutMs, std::string* text);
bool WindowExists(win::WindowHandle window);  // false for null
bool WindowRect(win::WindowHandle window, win::Rect* rect);
// The monitor that holds the largest part of `rect`, or the nearest one: its rectangle and its
// DPI (the system's before Windows 8.1).
struct Monitor {
    win::Rect rect;
    int dpi = 96;
};
Monitor MonitorHolding(const win::Rect& rect);

// What Windows' Shell said of its open Explorer views: listed them, cannot list them (no Shell,
// or one that does not answer the question), or did not answer in time.
enum class ShellAnswer { Listed, Unavailable, NotAnswering };
// Every Explorer view that the Shell lists, asked in a thread of Quillet's own: the calls cross
// into Explorer's process. One that takes longer than `timeoutMs` is left to finish there, and
// until it has, every later call says NotAnswering at once.
ShellAnswer ReadShellViews(unsigned timeoutMs, std::vector<win::ShellView>* views);

}  // namespace ui
