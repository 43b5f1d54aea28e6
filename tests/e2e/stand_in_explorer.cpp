#include "stand_in_explorer.h"

#include <commctrl.h>

#include <filesystem>

#include "rig.h"

namespace {

constexpr const char* CabinetClass = "CabinetWClass";
constexpr const char* WorkerClass = "WorkerW";
constexpr const char* RebarClass = "ReBarWindow32";
// The class chain from the top-level window down to the address bar, one direct child each.
constexpr const char* AddressBarChain[] = {WorkerClass, RebarClass, "ComboBoxEx32", "ComboBox", "Edit"};

constexpr int BarHeight = 30;
// A drop-down combo box is created with the height of its list added.
constexpr int ComboWithListHeight = 200;

HWND CreateChild(const char* className, HWND parent, int width, int height, DWORD style = 0) {
    return CreateWindowExA(0, className, "", WS_CHILD | WS_VISIBLE | style, 0, 0, width, height, parent, nullptr,
                           GetModuleHandleA(nullptr), nullptr);
}

}  // namespace

StandInExplorer::StandInExplorer(const std::string& folder, const RECT& bounds)
    : cabinetClass_(CabinetClass, DefWindowProcA),
      workerClass_(WorkerClass, DefWindowProcA),
      rebarClass_(RebarClass, DefWindowProcA),
      folder_(folder) {
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_USEREX_CLASSES};
    InitCommonControlsEx(&controls);
    int width = bounds.right - bounds.left;
    int height = bounds.bottom - bounds.top;
    std::string caption = fs::path(folder).filename().string();
    window_.reset(CreateWindowExA(0, CabinetClass, caption.c_str(), WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, bounds.left,
                                  bounds.top, width, height, nullptr, nullptr, GetModuleHandleA(nullptr), nullptr));
    if (!window_) return;
    HWND worker = CreateChild(WorkerClass, window_.get(), width, height);
    HWND rebar = CreateChild(RebarClass, worker, width, BarHeight);
    HWND addressCombo = CreateChild(WC_COMBOBOXEXA, rebar, width - 20, ComboWithListHeight, CBS_DROPDOWN);
    SetWindowPos(addressCombo, nullptr, 10, 4, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    if (HWND edit = AddressBar()) SendMessageA(edit, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(folder_.c_str()));
    ShowWindow(window_.get(), SW_SHOWNORMAL);
}

HWND StandInExplorer::AddressBar() const {
    HWND current = window_.get();
    for (const char* className : AddressBarChain) {
        if (current == nullptr) return nullptr;
        current = FindWindowExA(current, nullptr, className, nullptr);
    }
    return current;
}

void StandInExplorer::RemoveAddressBar() {
    HWND worker = FindWindowExA(window_.get(), nullptr, WorkerClass, nullptr);
    if (worker != nullptr) DestroyWindow(FindWindowExA(worker, nullptr, RebarClass, nullptr));
}

bool StandInExplorer::Ready() const {
    HWND edit = AddressBar();
    return edit != nullptr && WindowText(edit) == folder_;
}

bool StandInExplorer::BringToFront() const {
    HWND window = window_.get();
    SetForegroundWindow(window);
    return WaitUntil([window] { return GetForegroundWindow() == window; }, 2000);
}
