// toolkit.h on real Win32, first half: the application object, forms with their window
// procedure, the message loops with their keyboard pre-processing, the timer and the free
// functions. The child-window controls are in win32_controls.cpp.
//
// Keyboard: IsDialogMessage is not used, because it turns Esc into IDCANCEL and the program
// needs Esc as character 27 in onKeyPress. Every loop (Run and each ShowModal) pre-processes
// Tab and Enter itself (PreTranslateKey) and translates and dispatches everything else; the
// characters reach onKeyPress through the controls' subclasses (win32_controls.cpp).
#include <windows.h>
// After <windows.h>, which it needs.
#include <commctrl.h>

#include <algorithm>
#include <new>
#include <string>
#include <utility>
#include <vector>

#include "../../res/resource.h"
#include "system.h"
#include "win32_com.h"
#include "win32_native.h"

namespace {

constexpr wchar_t kFormClassName[] = L"QuilletForm";
constexpr int kModalResultCancel = 2;  // IDCANCEL: the form was closed, not answered
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif
#ifndef WM_GETDPISCALEDSIZE
constexpr UINT WM_GETDPISCALEDSIZE = 0x02E4;
#endif

ui::Application* g_application = nullptr;
std::vector<ui::Form*> g_forms;  // every live form, in creation order
ATOM g_formClass = 0;

HINSTANCE ModuleInstance() {
    return ::GetModuleHandleW(nullptr);
}

ui::Application::Native* ApplicationState() {
    return g_application ? &g_application->GetNative() : nullptr;
}

bool ApplicationTerminated() {
    const ui::Application::Native* application = ApplicationState();
    return application != nullptr && application->terminated;
}

ui::Form::Native* FormOfWindow(HWND window) {
    if (window == nullptr || g_formClass == 0) return nullptr;
    if (static_cast<ATOM>(::GetClassLongPtrW(window, GCW_ATOM)) != g_formClass) return nullptr;
    return reinterpret_cast<ui::Form::Native*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
}

bool CanFocus(const ui::Control::Native& control) {
    const HWND window = control.window.get();
    return ::IsWindowVisible(window) && ::IsWindowEnabled(window) &&
           (control.parent == nullptr || ::IsWindowEnabled(control.parent));
}

bool IsTabStop(const ui::Control::Native& control) {
    return (::GetWindowLongW(control.window.get(), GWL_STYLE) & WS_TABSTOP) != 0 && CanFocus(control);
}

bool IsDefaultButton(const ui::Control::Native& control) {
    return control.kind == win32::ControlKind::Button &&
           (::GetWindowLongW(control.window.get(), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON;
}

// Blue, as links are, except in a high-contrast theme, whose own hyperlink colour is the one that
// reads on its background. (Wine's default hyperlink colour is a pale grey.)
COLORREF LinkColour() {
    HIGHCONTRASTW contrast{sizeof contrast, 0, nullptr};
    const bool high = ::SystemParametersInfoW(SPI_GETHIGHCONTRAST, sizeof contrast, &contrast, 0) &&
                      (contrast.dwFlags & HCF_HIGHCONTRASTON) != 0;
    return high ? ::GetSysColor(COLOR_HOTLIGHT) : RGB(0, 0, 255);
}

LRESULT ColourStatic(const ui::Control::Native& control, HDC dc) {
    // The system's colours, so that a high-contrast theme keeps every text readable.
    ::SetTextColor(dc, control.linkColour ? LinkColour() : ::GetSysColor(COLOR_WINDOWTEXT));
    if (control.transparent) {
        ::SetBkMode(dc, TRANSPARENT);
        return reinterpret_cast<LRESULT>(::GetStockObject(NULL_BRUSH));
    }
    ::SetBkColor(dc, ::GetSysColor(COLOR_BTNFACE));
    return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_BTNFACE));
}

bool HandleFunctionKey(const MSG& message) {
    ui::Form::Native* form = FormOfWindow(::GetAncestor(message.hwnd, GA_ROOT));
    if (form == nullptr || !form->form->onFunctionKey) return false;
    const std::function<bool(int)> handler = form->form->onFunctionKey;
    bool used = false;
    win32::RunHandler([&] { used = handler(static_cast<int>(message.wParam - VK_F1) + 1); });
    return used;
}

// Tab, Enter and the function keys for our forms, in every message loop. A handled key is
// neither translated nor dispatched, so no WM_CHAR 9 or 13 follows it.
bool PreTranslateKey(const MSG& message) {
    if (message.message != WM_KEYDOWN) return false;
    if (message.wParam >= VK_F1 && message.wParam <= VK_F24) return HandleFunctionKey(message);
    if (message.wParam != VK_TAB && message.wParam != VK_RETURN) return false;
    if (::GetKeyState(VK_CONTROL) < 0 || ::GetKeyState(VK_MENU) < 0) return false;
    ui::Form::Native* form = FormOfWindow(::GetAncestor(message.hwnd, GA_ROOT));
    if (form == nullptr) return false;
    if (message.wParam == VK_TAB) {
        form->MoveFocus(::GetKeyState(VK_SHIFT) < 0);
        return true;
    }
    return form->HandleEnter(message.hwnd);
}

void DispatchOne(const MSG& message) {
    if (PreTranslateKey(message)) return;
    ::TranslateMessage(&message);
    ::DispatchMessageW(&message);
}

LRESULT CALLBACK FormWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<ui::Form::Native*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window = window;
        ::SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
        // Windows 10 1607 knows per-monitor awareness of the first kind only, under which the
        // frame keeps its first DPI unless asked here; later versions scale it by themselves.
        using EnableFunction = BOOL(WINAPI*)(HWND);
        static const auto enableNonClientScaling =
            win32::FindFunction<EnableFunction>(::GetModuleHandleW(L"user32.dll"), "EnableNonClientDpiScaling");
        if (enableNonClientScaling != nullptr) enableNonClientScaling(window);
    }
    auto* form = reinterpret_cast<ui::Form::Native*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) return ::DefWindowProcW(window, message, wParam, lParam);
    if (message == WM_NCDESTROY) {
        ::SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        form->window = nullptr;
        return ::DefWindowProcW(window, message, wParam, lParam);
    }
    // No exception may cross user32: one from outside a handler's own guard (a font at a DPI
    // change, a menu item's text) reaches the same box as any handler's.
    try {
        if (const std::optional<LRESULT> result = form->HandleMessage(message, wParam, lParam)) return *result;
    } catch (const std::exception& error) {
        if (g_application != nullptr) g_application->ShowException(error);
        return 0;
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

void RegisterFormClass() {
    if (g_formClass != 0) return;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = FormWindowProc;
    windowClass.hInstance = ModuleInstance();
    windowClass.hCursor = ::LoadCursorW(nullptr, IDC_ARROW);
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = kFormClassName;
    g_formClass = ::RegisterClassExW(&windowClass);
    if (g_formClass == 0) {
        throw ui::Exception("The window class for Quillet's windows could not be registered.", ::GetLastError());
    }
}

// The main window shows the program's icon in its caption and task-bar button; the shared
// icons of LR_SHARED are never destroyed.
void SetProgramIcon(HWND window) {
    const auto load = [](int sizeMetricX, int sizeMetricY) {
        return static_cast<HICON>(::LoadImageW(ModuleInstance(), MAKEINTRESOURCEW(IDI_QUILLET), IMAGE_ICON,
                                               ::GetSystemMetrics(sizeMetricX), ::GetSystemMetrics(sizeMetricY),
                                               LR_SHARED));
    };
    if (HICON smallIcon = load(SM_CXSMICON, SM_CYSMICON)) {
        ::SendMessageW(window, WM_SETICON, ICON_SMALL, reinterpret_cast<LPARAM>(smallIcon));
    }
    if (HICON bigIcon = load(SM_CXICON, SM_CYICON)) {
        ::SendMessageW(window, WM_SETICON, ICON_BIG, reinterpret_cast<LPARAM>(bigIcon));
    }
}

std::wstring ProgramName() {
    wchar_t path[MAX_PATH] = L"";
    ::GetModuleFileNameW(nullptr, path, MAX_PATH);
    std::wstring name = path;
    name.erase(0, name.find_last_of(L"\\/") + 1);
    const std::size_t dot = name.find_last_of(L'.');
    if (dot != std::wstring::npos && dot > 0) name.erase(dot);
    return name;
}

// A fixed dialog frame with a caption and the system menu's close box only. The dialogs take
// the modal frame, without an icon.
constexpr DWORD kFormStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
DWORD FormExStyle(const ui::Form::Native& form) {
    return form.isMain ? 0 : WS_EX_DLGMODALFRAME;
}

// The outer size of a form whose client area is the layout's, at `dpi`.
SIZE FrameSize(const ui::Form::Native& form, int dpi) {
    RECT frame{0, 0, win32::Scale(form.clientWidth, dpi), win32::Scale(form.clientHeight, dpi)};
    using AdjustForDpiFunction = BOOL(WINAPI*)(RECT*, DWORD, BOOL, DWORD, UINT);
    static const auto adjustForDpi =
        win32::FindFunction<AdjustForDpiFunction>(::GetModuleHandleW(L"user32.dll"), "AdjustWindowRectExForDpi");
    if (adjustForDpi != nullptr) {
        adjustForDpi(&frame, kFormStyle, FALSE, FormExStyle(form), static_cast<UINT>(dpi));
    } else {
        ::AdjustWindowRectEx(&frame, kFormStyle, FALSE, FormExStyle(form));
    }
    return {frame.right - frame.left, frame.bottom - frame.top};
}

void ArmTimer(HWND window, const ui::Timer::Native& timer) {
    if (window == nullptr) return;
    if (timer.enabled && timer.interval > 0) {
        ::SetTimer(window, timer.id, timer.interval, nullptr);
    } else {
        ::KillTimer(window, timer.id);
    }
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Shared helpers of platform/win32.

namespace win32 {

int WindowDpi(HWND window) {
    // From Windows 10 1607 on, the window's own; before, its monitor's.
    using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
    static const auto getDpiForWindow =
        FindFunction<GetDpiForWindowFunction>(::GetModuleHandleW(L"user32.dll"), "GetDpiForWindow");
    if (getDpiForWindow != nullptr) {
        if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
    }
    return MonitorDpi(::MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST));
}

int MonitorDpi(HMONITOR monitor) {
    // Windows 8.1 and later know each monitor's DPI; before, one DPI serves the whole screen.
    using GetDpiForMonitorFunction = HRESULT(WINAPI*)(HMONITOR, int, UINT*, UINT*);
    static const auto getDpiForMonitor =
        FindFunction<GetDpiForMonitorFunction>(::LoadLibraryW(L"shcore.dll"), "GetDpiForMonitor");
    constexpr int EffectiveDpi = 0;  // MDT_EFFECTIVE_DPI: the scale the user chose for the monitor
    UINT dpiX = 0, dpiY = 0;
    if (getDpiForMonitor != nullptr && SUCCEEDED(getDpiForMonitor(monitor, EffectiveDpi, &dpiX, &dpiY)) && dpiY > 0) {
        return static_cast<int>(dpiY);
    }
    const HDC screen = ::GetDC(nullptr);
    const int dpi = ::GetDeviceCaps(screen, LOGPIXELSY);
    ::ReleaseDC(nullptr, screen);
    return dpi > 0 ? dpi : 96;
}

UniqueFont MakeFont(const ui::Font& font, int dpi) {
    // The program asks for "Courier New" in the ANSI character set; every other face takes the default one.
    const bool ansi = std::string_view(font.face) == "Courier New";
    UniqueFont made(::CreateFontW(Scale(font.height, dpi), 0, 0, 0, font.bold ? FW_BOLD : FW_NORMAL,
                                  font.italic ? TRUE : FALSE, font.underline ? TRUE : FALSE, FALSE,
                                  ansi ? ANSI_CHARSET : DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                  DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, Wide(font.face).c_str()));
    // Without its own font a window still works: the system's takes its place.
    if (!made) made.reset(static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
    return made;
}

std::optional<std::string> WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

void RunHandler(const std::function<void()>& handler) {
    if (!handler) return;
    try {
        handler();
    } catch (const std::exception& error) {
        if (g_application != nullptr) g_application->ShowException(error);
    }
}

}  // namespace win32

// ---------------------------------------------------------------------------------------------
// Form::Native: the form's message handling, focus and modal state.

std::optional<LRESULT> ui::Form::Native::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND: {
            ui::Control::Native* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) return std::nullopt;
            if (control->onNotify) {
                const WORD code = HIWORD(wParam);
                win32::RunHandler([notify = control->onNotify, code] { notify(code); });
            }
            return 0;
        }
        case WM_CTLCOLORSTATIC: {
            const ui::Control::Native* control = FindControl(reinterpret_cast<HWND>(lParam));
            if (control == nullptr) return std::nullopt;
            return ColourStatic(*control, reinterpret_cast<HDC>(wParam));
        }
        case WM_TIMER: {
            const auto found = timers.find(wParam);
            if (found == timers.end()) return std::nullopt;
            win32::RunHandler(std::function<void()>(found->second->onTimer));
            return 0;
        }
        case win32::AnswerReady: {
            const auto found = jobs.find(wParam);
            if (found == jobs.end()) return std::nullopt;
            found->second->Deliver();
            return 0;
        }
        case WM_INITMENUPOPUP:
            if (HIWORD(lParam) != 0) PrepareSystemMenu(reinterpret_cast<HMENU>(wParam));
            return std::nullopt;
        case WM_SYSCOMMAND: {
            // The low four bits of a system command are Windows' own.
            const auto found = systemMenuItems.find(static_cast<UINT>(wParam & 0xFFF0));
            if (found == systemMenuItems.end()) return std::nullopt;
            win32::RunHandler(std::function<void()>(found->second->onClick));
            return 0;
        }
        case WM_ACTIVATE:
            // DefWindowProc would put the focus on the form itself, not on a control. The focused
            // control is also recorded as the focus moves (FocusableSubclass), because a window
            // that is disabled before it is deactivated has already lost its focus here.
            if (LOWORD(wParam) == WA_INACTIVE) {
                RememberFocus();
            } else {
                RestoreFocus();
            }
            return 0;
        case WM_SETFOCUS: RestoreFocus(); return 0;
        case WM_SETCURSOR:  // the mouse is over the form or one of its controls
            MakeTooltips();
            return std::nullopt;
        case WM_GETDPISCALEDSIZE: {
            // Asked before a move to a monitor of another DPI: the frame does not scale linearly.
            const SIZE frame = FrameSize(*this, static_cast<int>(wParam));
            *reinterpret_cast<SIZE*>(lParam) = frame;
            return TRUE;
        }
        case WM_DPICHANGED: {
            // Moved to a monitor of another DPI: Windows suggests where the window now goes.
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            const POINT corner{suggested->left, suggested->top};
            ApplyDpi(HIWORD(wParam), &corner);
            return 0;
        }
        case WM_GETFONT: return reinterpret_cast<LRESULT>(font);
        case WM_CLOSE:  // the close box
            win32::RunHandler([this] { form->Close(); });
            return 0;
        default: return std::nullopt;
    }
}

ui::Control::Native* ui::Form::Native::FindControl(HWND child) const {
    if (child == nullptr) return nullptr;
    for (ui::Control::Native* control : controls) {
        if (control->window.get() == child) return control;
    }
    return nullptr;
}

ui::Control::Native* ui::Form::Native::FindControl(const ui::Control& control) const {
    return FindControl(win32::ToHwnd(control.Handle()));
}

ui::Control::Native* ui::Form::Native::ControlContaining(HWND child) const {
    for (HWND current = child; current != nullptr && current != window; current = ::GetParent(current)) {
        if (ui::Control::Native* control = FindControl(current)) return control;
    }
    return nullptr;
}

void ui::Form::Native::AddControl(ui::Control::Native& control, const char* hint) {
    controls.push_back(&control);
    if (hint != nullptr) control.hint = win32::Wide(hint);
    if (tooltip) AddTool(control);
}

// The tooltips, and the common controls library they come from, wait for the mouse to come
// over the form: someone who only types never loads them. Without them only the hints are lost.
void ui::Form::Native::MakeTooltips() {
    if (std::exchange(hintsTried, true)) return;
    using InitFunction = BOOL(WINAPI*)(const INITCOMMONCONTROLSEX*);
    // Loaded for the rest of the run, as a DLL the program imported would be.
    const HMODULE commonControls = ::LoadLibraryW(L"comctl32.dll");
    const auto init = win32::FindFunction<InitFunction>(commonControls, "InitCommonControlsEx");
    const INITCOMMONCONTROLSEX classes{sizeof classes, ICC_WIN95_CLASSES};
    if (init == nullptr || !init(&classes)) return;
    // Unowned: a tooltip owned by the main window keeps SetWindowPos(HWND_TOPMOST) from
    // taking effect under Wine.
    tooltip.reset(::CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP | TTS_NOPREFIX,
                                    CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr,
                                    ModuleInstance(), nullptr));
    if (!tooltip) return;
    for (const ui::Control::Native* control : controls) AddTool(*control);
}

void ui::Form::Native::AddTool(const ui::Control::Native& control) const {
    if (control.hint.empty()) return;
    // The combo box's child edit takes the mouse over most of the control: it gets the hint too.
    for (HWND tool : {control.window.get(), control.edit}) {
        if (tool == nullptr) continue;
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;  // no common-controls-6 manifest: the documented V2 size
        info.uFlags = TTF_IDISHWND | TTF_SUBCLASS;
        info.hwnd = ::GetParent(tool);
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        info.lpszText = const_cast<wchar_t*>(control.hint.c_str());  // the tooltip keeps its own copy
        ::SendMessageW(tooltip.get(), TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void ui::Form::Native::RemoveControl(ui::Control::Native& control) {
    const auto found = std::find(controls.begin(), controls.end(), &control);
    if (found == controls.end()) return;
    controls.erase(found);
    if (focusControl == &control) focusControl = nullptr;
    DeleteTool(control);
}

void ui::Form::Native::DeleteTool(const ui::Control::Native& control) const {
    if (!tooltip) return;
    for (HWND tool : {control.window.get(), control.edit}) {
        if (tool == nullptr) continue;
        TOOLINFOW info{};
        info.cbSize = TTTOOLINFOW_V2_SIZE;
        info.hwnd = ::GetParent(tool);
        info.uId = reinterpret_cast<UINT_PTR>(tool);
        ::SendMessageW(tooltip.get(), TTM_DELTOOLW, 0, reinterpret_cast<LPARAM>(&info));
    }
}

void ui::Form::Native::RememberFocus() {
    const HWND focus = ::GetFocus();
    if (focus == nullptr || !::IsChild(window, focus)) return;
    if (ui::Control::Native* control = ControlContaining(focus)) focusControl = control;
}

void ui::Form::Native::FocusWindow(HWND target) {
    const bool wasFocusing = std::exchange(focusingByProgram, true);
    ::SetFocus(target);
    focusingByProgram = wasFocusing;
}

void ui::Form::Native::RestoreFocus() {
    ui::Control::Native* target = focusControl != nullptr && CanFocus(*focusControl) ? focusControl : nullptr;
    for (auto candidate = controls.begin(); target == nullptr && candidate != controls.end(); ++candidate) {
        if (IsTabStop(**candidate)) target = *candidate;
    }
    if (target != nullptr) {
        FocusWindow(target->window.get());
    } else if (::GetFocus() != window) {
        FocusWindow(window);
    }
}

void ui::Form::Native::MoveFocus(bool backward) {
    const int count = static_cast<int>(controls.size());
    if (count == 0) return;
    const auto current = std::find(controls.begin(), controls.end(), ControlContaining(::GetFocus()));
    const int position = current != controls.end() ? static_cast<int>(current - controls.begin()) : (backward ? 0 : -1);
    for (int step = 1; step <= count; ++step) {
        const int index = ((position + (backward ? -step : step)) % count + count) % count;
        if (!IsTabStop(*controls[index])) continue;
        FocusWindow(controls[index]->window.get());
        return;
    }
}

bool ui::Form::Native::HandleEnter(HWND focus) {
    ui::Control::Native* focused = ControlContaining(focus);
    if (focused != nullptr && focused->kind == win32::ControlKind::ComboBox &&
        ::SendMessageW(focused->window.get(), CB_GETDROPPEDSTATE, 0, 0) != FALSE) {
        return false;  // the open list takes Enter to pick its item
    }
    if (focused != nullptr && focused->kind == win32::ControlKind::Button) {
        Click(*focused);
        return true;
    }
    for (ui::Control::Native* control : controls) {
        if (!IsDefaultButton(*control) || !CanFocus(*control)) continue;
        Click(*control);
        break;
    }
    return true;
}

void ui::Form::Native::Click(ui::Control::Native& button) {
    if (button.onNotify) win32::RunHandler([notify = button.onNotify] { notify(BN_CLICKED); });
}

HFONT ui::Form::Native::FontFor(const ui::Font& spec) {
    const auto same = [&spec](const CachedFont& cached) {
        const ui::Font& font = cached.spec;
        return std::string_view(font.face) == spec.face && font.height == spec.height && font.bold == spec.bold &&
               font.italic == spec.italic && font.underline == spec.underline;
    };
    const auto found = std::find_if(fonts.begin(), fonts.end(), same);
    if (found != fonts.end()) return found->font.get();
    fonts.push_back({spec, win32::MakeFont(spec, dpi)});
    return fonts.back().font.get();
}

RECT ui::Form::Native::ScaledBounds(const ui::Control::Native& control) const {
    const ui::Bounds& bounds = control.design;
    return {win32::Scale(bounds.left, dpi), win32::Scale(bounds.top, dpi), win32::Scale(bounds.width, dpi),
            win32::Scale(bounds.height + control.extraHeight, dpi)};
}

void ui::Form::Native::DressControl(ui::Control::Native& control) {
    ::SendMessageW(control.window.get(), WM_SETFONT, reinterpret_cast<WPARAM>(FontFor(control.fontSpec)), TRUE);
    if (control.itemHeight > 0) {
        ::SendMessageW(control.window.get(), CB_SETITEMHEIGHT, 0, win32::Scale(control.itemHeight, dpi));
    }
}

void ui::Form::Native::ApplyDpi(int newDpi, const POINT* corner) {
    dpi = newDpi;
    // The fonts of the old DPI go only once no control uses them any more.
    const std::vector<CachedFont> previous = std::exchange(fonts, {});
    font = FontFor(fontSpec);
    for (ui::Control::Native* control : controls) {
        const RECT at = ScaledBounds(*control);
        ::SetWindowPos(control->window.get(), nullptr, at.left, at.top, at.right, at.bottom,
                       SWP_NOZORDER | SWP_NOACTIVATE);
        DressControl(*control);
    }
    // Size and place in one move, so that the window never shows at one without the other.
    const SIZE frame = FrameSize(*this, dpi);
    ::SetWindowPos(window, nullptr, corner ? corner->x : 0, corner ? corner->y : 0, frame.cx, frame.cy,
                   (corner ? 0 : SWP_NOMOVE) | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Until a program takes its window's own copy, Windows shows the shared default system menu,
// which must not be changed: the items go into the copy when they are made.
void ui::Form::Native::AddToSystemMenu(UINT id, const std::string& caption) {
    const HMENU menu = ::GetSystemMenu(window, FALSE);
    if (menu == nullptr) return;
    if (systemMenuItems.size() == 1) ::AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    ::AppendMenuW(menu, MF_STRING, id, win32::Wide(caption).c_str());
}

// Each time the menu opens: only greyed or enabled.
void ui::Form::Native::PrepareSystemMenu(HMENU menu) {
    for (const auto& [id, item] : systemMenuItems) {
        ::EnableMenuItem(menu, id, MF_BYCOMMAND | (item->Enabled() ? MF_ENABLED : MF_GRAYED));
    }
}

void ui::Form::Native::EndModal() {
    if (!modalRunning) return;
    modalRunning = false;
    // The others first: hiding this form while they are all disabled would hand the
    // activation to some other program's window.
    for (HWND other : disabledByModal) {
        if (::IsWindow(other)) ::EnableWindow(other, TRUE);
    }
    disabledByModal.clear();
    ::ShowWindow(window, SW_HIDE);
    ::SetWindowLongPtrW(window, GWLP_HWNDPARENT, 0);
}

// ---------------------------------------------------------------------------------------------
// Form.

ui::Form::Form(const CreateArgs& args) : native_(std::make_unique<Native>()) {
    RegisterFormClass();
    Native& native = *native_;
    native.form = this;
    native.centreOnScreen = args.centreOnScreen;
    native.clientWidth = args.clientWidth;
    native.clientHeight = args.clientHeight;
    native.fontSpec = args.font;
    ui::Application::Native* application = ApplicationState();
    native.isMain = application != nullptr && !application->mainFormCreated;

    const SIZE frame = FrameSize(native, native.dpi);
    const HWND window =
        ::CreateWindowExW(FormExStyle(native), kFormClassName, win32::Wide(args.caption).c_str(), kFormStyle, args.left,
                          args.top, frame.cx, frame.cy, nullptr, nullptr, ModuleInstance(), &native);
    if (window == nullptr) {
        throw ui::Exception(std::string("The window \"") + args.caption + "\" could not be created.", ::GetLastError());
    }
    handle_ = win32::ToHandle(window);
    native.ApplyDpi(win32::WindowDpi(window));
    if (native.isMain) {
        application->mainFormCreated = true;
        application->mainForm = this;
        SetProgramIcon(window);
    }
    g_forms.push_back(this);
}

ui::Form::~Form() {
    g_forms.erase(std::remove(g_forms.begin(), g_forms.end(), this), g_forms.end());
    if (ui::Application::Native* application = ApplicationState(); application && application->mainForm == this) {
        application->mainForm = nullptr;
    }
    const HWND window = win32::ToHwnd(handle_);
    if (::IsWindow(window)) ::DestroyWindow(window);
}

void ui::Form::Show() {
    const HWND window = win32::ToHwnd(handle_);
    const bool wasVisible = ::IsWindowVisible(window) != FALSE;
    if (native_->centreOnScreen) {
        MoveTo((::GetSystemMetrics(SM_CXSCREEN) - Width()) / 2, (::GetSystemMetrics(SM_CYSCREEN) - Height()) / 2);
    }
    if (!wasVisible && onShow) onShow();  // before the window appears, so it can be positioned
    ::ShowWindow(window, SW_SHOWNORMAL);
    if (wasVisible) ::SetForegroundWindow(window);
}

bool ui::Form::Visible() const {
    return ::IsWindowVisible(win32::ToHwnd(handle_)) != FALSE;
}

void ui::Form::CloseOnEscape(std::initializer_list<Control*> controls) {
    for (Control* control : controls) {
        control->onKeyPress = [this](wchar_t& key) {
            if (key == 27) Close();
        };
    }
}

void ui::Form::Close() {
    Native& native = *native_;
    const HWND window = win32::ToHwnd(handle_);
    if (native.isMain) {
        ui::Application::Native* application = ApplicationState();
        if (application == nullptr) {
            ::ShowWindow(window, SW_HIDE);
            return;
        }
        if (application->terminated) return;  // a second Close, perhaps in the same tick
        ::ShowWindow(window, SW_HIDE);
        application->terminated = true;
        ::PostQuitMessage(0);
        return;
    }
    if (native.modalRunning) {
        native.EndModal();
        return;
    }
    ::ShowWindow(window, SW_HIDE);
}

int ui::Form::ShowModal() {
    Native& native = *native_;
    const HWND window = win32::ToHwnd(handle_);
    if (native.modalRunning) return 0;
    const HWND previouslyActive = ::GetActiveWindow();
    for (ui::Form* other : g_forms) {
        const HWND otherWindow = win32::ToHwnd(other->handle_);
        if (other == this || !::IsWindowEnabled(otherWindow)) continue;
        ::EnableWindow(otherWindow, FALSE);
        native.disabledByModal.push_back(otherWindow);
    }
    native.modalRunning = true;
    // Owned by the main window only while shown, so that it stays above it when that is
    // topmost and has no task-bar button. Owned while hidden, it would keep Wine from making
    // the main window topmost.
    if (const ui::Application::Native* application = ApplicationState(); application && application->mainForm) {
        ::SetWindowLongPtrW(window, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(application->mainForm->Handle()));
    }
    try {
        Show();
    } catch (...) {
        native.EndModal();
        throw;
    }

    MSG message;
    while (native.modalRunning && !ApplicationTerminated()) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == -1) break;
        if (got == 0) {
            // WM_QUIT belongs to the outer loop: post it again for Run to see.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            break;
        }
        DispatchOne(message);
    }
    native.EndModal();
    if (previouslyActive != nullptr && previouslyActive != window && ::IsWindowVisible(previouslyActive) &&
        ::IsWindowEnabled(previouslyActive)) {
        ::SetActiveWindow(previouslyActive);
    }
    return kModalResultCancel;
}

void ui::Form::MakeTopmost() {
    ::SetWindowPos(win32::ToHwnd(handle_), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void ui::Form::SetCaption(const std::string& caption) {
    ::SetWindowTextW(win32::ToHwnd(handle_), win32::Wide(caption).c_str());
}

namespace {

RECT OuterRect(win::WindowHandle handle) {
    RECT rect{};
    ::GetWindowRect(win32::ToHwnd(handle), &rect);
    return rect;
}

}  // namespace

int ui::Form::Left() const {
    return OuterRect(handle_).left;
}
int ui::Form::Top() const {
    return OuterRect(handle_).top;
}
int ui::Form::Width() const {
    const RECT rect = OuterRect(handle_);
    return rect.right - rect.left;
}
int ui::Form::Height() const {
    const RECT rect = OuterRect(handle_);
    return rect.bottom - rect.top;
}
ui::Size ui::Form::SizeAtDpi(int dpi) const {
    const SIZE frame = FrameSize(*native_, dpi);
    return {frame.cx, frame.cy};
}
void ui::Form::MoveTo(int left, int top) {
    ::SetWindowPos(win32::ToHwnd(handle_), nullptr, left, top, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void ui::Form::SetFocusedControl(Control& control) {
    Native& native = *native_;
    native.focusControl = native.FindControl(control);
    if (native.focusControl != nullptr && ::GetActiveWindow() == win32::ToHwnd(handle_)) native.RestoreFocus();
}

void ui::Form::SetActiveControl(Control& control) {
    Native& native = *native_;
    native.focusControl = native.FindControl(control);
    if (native.focusControl != nullptr && CanFocus(*native.focusControl)) {
        native.FocusWindow(native.focusControl->window.get());
    }
}

// ---------------------------------------------------------------------------------------------
// Timer: SetTimer on the form's window; WM_TIMER is dispatched by whichever loop runs.

ui::Timer::Timer(Form& form, const CreateArgs& args) : form_(form), native_(std::make_unique<Native>()) {
    static UINT_PTR nextId = 1;
    native_->id = nextId++;
    native_->interval = args.interval;
    native_->enabled = args.enabled;
    form_.GetNative().timers[native_->id] = this;
    ArmTimer(win32::ToHwnd(form_.Handle()), *native_);
}

ui::Timer::~Timer() {
    ::KillTimer(win32::ToHwnd(form_.Handle()), native_->id);
    form_.GetNative().timers.erase(native_->id);
}

bool ui::Timer::Enabled() const {
    return native_->enabled;
}

void ui::Timer::SetEnabled(bool enabled) {
    native_->enabled = enabled;
    ArmTimer(win32::ToHwnd(form_.Handle()), *native_);
}

void ui::Timer::SetInterval(unsigned milliseconds) {
    native_->interval = milliseconds;
    ArmTimer(win32::ToHwnd(form_.Handle()), *native_);
}

// ---------------------------------------------------------------------------------------------
// SystemMenuItem: our command ids lie below the system's own (0xF000 and up), in steps of 16.

ui::SystemMenuItem::SystemMenuItem(Form& form, const char* caption) : form_(form) {
    Form::Native& native = form.GetNative();
    id_ = 0x10 * static_cast<unsigned>(native.systemMenuItems.size() + 1);
    native.systemMenuItems[id_] = this;
    native.AddToSystemMenu(id_, caption);
}

ui::SystemMenuItem::~SystemMenuItem() {
    form_.GetNative().systemMenuItems.erase(id_);
}

void ui::SystemMenuItem::SetEnabled(bool enabled) {
    enabled_ = enabled;
}

// ---------------------------------------------------------------------------------------------
// Application.

ui::Application::Application() : native_(std::make_unique<Native>()) {
    RegisterFormClass();
    native_->title = ProgramName();
    g_application = this;
}

ui::Application::~Application() {
    if (g_application == this) g_application = nullptr;
}

void ui::Application::Run() {
    MSG message;
    while (!native_->terminated) {
        const BOOL got = ::GetMessageW(&message, nullptr, 0, 0);
        if (got == 0 || got == -1) break;
        DispatchOne(message);
    }
}

void ui::Application::ShowException(const std::exception& error) {
    const HWND owner = native_->mainForm != nullptr && native_->mainForm->Visible()
                           ? win32::ToHwnd(native_->mainForm->Handle())
                           : nullptr;
    std::string text = dynamic_cast<const std::bad_alloc*>(&error) != nullptr
                           ? "Quillet ran out of memory and could not finish what it was doing."
                           : error.what();
    if (const auto* windowError = dynamic_cast<const ui::Exception*>(&error)) {
        const std::string reason = sys::ErrorText(windowError->error());
        if (!reason.empty()) text += "\n\n" + reason;
    }
    ::MessageBoxW(owner, win32::Wide(text).c_str(), native_->title.c_str(), MB_OK | MB_ICONSTOP);
}

// ---------------------------------------------------------------------------------------------
// Free functions.

void ui::Beep() {
    ::MessageBeep(MB_OK);
}
