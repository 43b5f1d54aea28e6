// ui::ReadShellViews: which folder each open Explorer view shows, as Windows' Shell tells it.
// The calls go through COM into Explorer's process, so they run in a thread of their own that
// the GUI waits for no longer than it is told. ole32 and shell32 are loaded only when the Shell
// is first asked, so that a start that finds an address bar never loads them.
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <atomic>
#include <memory>
#include <vector>

#include "toolkit.h"
#include "win32_com.h"
#include "win32_native.h"
#include "win32_text.h"

namespace {

// The functions of COM and of the Shell that Quillet calls, from their DLLs.
struct ComFunctions {
    decltype(&::CoInitializeEx) initialize = nullptr;
    decltype(&::CoUninitialize) uninitialize = nullptr;
    decltype(&::CoCreateInstance) createInstance = nullptr;
    decltype(&::CoTaskMemFree) taskMemFree = nullptr;
    decltype(&::SHGetNameFromIDList) nameFromIdList = nullptr;
    decltype(&::SHCreateItemFromIDList) itemFromIdList = nullptr;

    bool Load() {
        const HMODULE ole32 = win32::Ole32(), shell32 = win32::Shell32();
        Take(ole32, "CoInitializeEx", initialize);
        Take(ole32, "CoUninitialize", uninitialize);
        Take(ole32, "CoCreateInstance", createInstance);
        Take(ole32, "CoTaskMemFree", taskMemFree);
        Take(shell32, "SHGetNameFromIDList", nameFromIdList);
        Take(shell32, "SHCreateItemFromIDList", itemFromIdList);
        return initialize && uninitialize && createInstance && taskMemFree && nameFromIdList && itemFromIdList;
    }

    template <typename Function>
    static void Take(HMODULE module, const char* name, Function& function) {
        function = win32::FindFunction<Function>(module, name);
    }
};

ComFunctions com;

using win32::ComPtr;

// Memory the Shell allocated for Quillet: an item id list or a text.
struct TaskMemFree {
    void operator()(void* memory) const { com.taskMemFree(memory); }
};
using IdList = std::unique_ptr<ITEMIDLIST, TaskMemFree>;
using ShellText = std::unique_ptr<wchar_t, TaskMemFree>;

// The path of a file-system folder, or of a library's default save folder; empty for neither.
std::string PathOfFolder(PCIDLIST_ABSOLUTE folder, win::ShellFolderKind* kind) {
    wchar_t* name = nullptr;
    // Without the 260-character limit of the older calls.
    if (SUCCEEDED(com.nameFromIdList(folder, SIGDN_FILESYSPATH, &name))) {
        *kind = win::ShellFolderKind::Path;
        return win32::Utf8(ShellText(name).get()).value_or(std::string());
    }
    ComPtr<IShellItem> item;
    ComPtr<IShellLibrary> library;
    ComPtr<IShellItem> saveFolder;
    if (FAILED(com.itemFromIdList(folder, IID_IShellItem, item.OutVoid())) ||
        FAILED(com.createInstance(CLSID_ShellLibrary, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLibrary,
                                  library.OutVoid())) ||
        FAILED(library->LoadLibraryFromItem(item.get(), STGM_READ)) ||
        FAILED(library->GetDefaultSaveFolder(DSFT_DETECT, IID_IShellItem, saveFolder.OutVoid())) ||
        FAILED(saveFolder->GetDisplayName(SIGDN_FILESYSPATH, &name))) {
        return {};
    }
    *kind = win::ShellFolderKind::Library;
    return win32::Utf8(ShellText(name).get()).value_or(std::string());
}

// The frame's direct child that holds `window`, or the frame when `window` is the frame.
HWND ChildOfFrameHolding(HWND window, HWND frame) {
    while (window != nullptr && window != frame && ::GetParent(window) != frame) window = ::GetParent(window);
    return window;
}

// One item of the Shell's window list; false when it is no Explorer view (Internet Explorer).
bool ReadView(IDispatch* item, win::ShellView* view) {
    ComPtr<IServiceProvider> services;
    ComPtr<IShellBrowser> browser;
    ComPtr<IShellView> shown;
    ComPtr<IFolderView> folderView;
    ComPtr<IPersistFolder2> folder;
    HWND browserWindow = nullptr;
    PIDLIST_ABSOLUTE location = nullptr;
    if (FAILED(item->QueryInterface(IID_IServiceProvider, services.OutVoid())) ||
        FAILED(services->QueryService(SID_STopLevelBrowser, IID_IShellBrowser, browser.OutVoid())) ||
        FAILED(browser->GetWindow(&browserWindow)) || FAILED(browser->QueryActiveShellView(shown.Out())) ||
        FAILED(shown->QueryInterface(IID_IFolderView, folderView.OutVoid())) ||
        FAILED(folderView->GetFolder(IID_IPersistFolder2, folder.OutVoid())) ||
        FAILED(folder->GetCurFolder(&location))) {
        return false;
    }
    const IdList owned(location);
    const HWND frame = ::GetAncestor(browserWindow, GA_ROOT);
    view->frame = win32::ToHandle(frame);
    view->tab = win32::ToHandle(ChildOfFrameHolding(browserWindow, frame));
    view->kind = win::ShellFolderKind::NoPath;
    view->path = PathOfFolder(owned.get(), &view->kind);
    return true;
}

// Every Explorer view in the Shell's window list; false when the list cannot be read.
bool ListViews(std::vector<win::ShellView>* views) {
    ComPtr<IShellWindows> windows;
    long count = 0;
    if (FAILED(com.createInstance(CLSID_ShellWindows, nullptr, CLSCTX_ALL, IID_IShellWindows, windows.OutVoid())) ||
        FAILED(windows->get_Count(&count))) {
        return false;
    }
    for (long index = 0; index < count; ++index) {
        VARIANT at{};  // a number needs no VariantClear, and so no oleaut32
        at.vt = VT_I4;
        at.lVal = index;
        ComPtr<IDispatch> item;
        win::ShellView view;
        if (windows->Item(at, item.Out()) == S_OK && item && ReadView(item.get(), &view)) views->push_back(view);
    }
    return true;
}

// The thread that asks the Shell: COM is initialised in it once, for the rest of the run. A
// question waits for an event; the answer is ready when `answered` is set.
class ShellAsker {
public:
    ShellAsker()
        : asked_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)),
          answered_(::CreateEventW(nullptr, FALSE, FALSE, nullptr)) {
        if (asked_ && answered_ && com.Load()) thread_.reset(::CreateThread(nullptr, 0, Run, this, 0, nullptr));
    }
    // Tells the thread to stop and gives it a moment; true once it has ended (or never ran).
    bool Stop() {
        if (!thread_) return true;
        stopping_ = true;
        ::SetEvent(asked_.get());
        return ::WaitForSingleObject(thread_.get(), 1000) == WAIT_OBJECT_0;
    }

    ui::ShellAnswer Ask(unsigned timeoutMs, std::vector<win::ShellView>* views) {
        if (!thread_) return ui::ShellAnswer::Unavailable;
        // A question that Explorer left unanswered must be answered before the next is asked.
        if (waiting_ && ::WaitForSingleObject(answered_.get(), 0) != WAIT_OBJECT_0)
            return ui::ShellAnswer::NotAnswering;
        waiting_ = true;
        ::SetEvent(asked_.get());
        if (::WaitForSingleObject(answered_.get(), timeoutMs) != WAIT_OBJECT_0) return ui::ShellAnswer::NotAnswering;
        waiting_ = false;
        if (!listed_) return ui::ShellAnswer::Unavailable;
        *views = views_;
        return ui::ShellAnswer::Listed;
    }

private:
    static DWORD WINAPI Run(void* self) {
        auto* asker = static_cast<ShellAsker*>(self);
        // Free-threaded: the calls need no message loop in this thread.
        const bool initialised = SUCCEEDED(com.initialize(nullptr, COINIT_MULTITHREADED));
        while (::WaitForSingleObject(asker->asked_.get(), INFINITE) == WAIT_OBJECT_0 && !asker->stopping_) {
            asker->views_.clear();
            asker->listed_ = initialised && ListViews(&asker->views_);
            ::SetEvent(asker->answered_.get());
        }
        if (initialised) com.uninitialize();
        return 0;
    }

    win32::UniqueHandle asked_, answered_, thread_;
    std::atomic<bool> stopping_ = false;
    bool waiting_ = false;  // the GUI's: a question is out
    bool listed_ = false;   // the thread's, read after `answered`
    std::vector<win::ShellView> views_;
};

}  // namespace

ui::ShellAnswer ui::ReadShellViews(unsigned timeoutMs, std::vector<win::ShellView>* views) {
    // Made when first asked. At exit it goes only once its thread has ended: a thread still
    // inside Explorer keeps what it uses until the process ends.
    struct StopFirst {
        void operator()(ShellAsker* asker) const {
            if (asker->Stop()) delete asker;
        }
    };
    static const std::unique_ptr<ShellAsker, StopFirst> asker(new ShellAsker);
    return asker->Ask(timeoutMs, views);
}
