// ui::ReadShellViews against a Shell window list of the test's own: a class object registered
// for CLSID_ShellWindows in this process, which is what Quillet's CoCreateInstance reaches, lists
// Wine's real ExplorerBrowser shown on folders. Wine's own list cannot be read (its ShellWindows
// answers get_Count with E_NOTIMPL). A plain program: it prints a line per failed check and
// returns their count.
#include <exdisp.h>
#include <servprov.h>
#include <shlguid.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <type_traits>
#include <vector>

#include "toolkit.h"

namespace fs = std::filesystem;

namespace {

int failures = 0;

void Check(bool ok, const std::string& what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL: %s\n", what.c_str());
}

// A COM object that lives as long as the test: QueryInterface answers for its interfaces only.
template <typename First, typename... Rest>
struct Object : First, Rest... {
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID id, void** out) override {
        *out = nullptr;
        if (id == IID_IUnknown || (std::is_base_of_v<IDispatch, First> && id == IID_IDispatch)) {
            *out = static_cast<First*>(this);
        }
        ((*out == nullptr && id == __uuidof(First) ? * out = static_cast<First*>(this) : nullptr));
        ((*out == nullptr && id == __uuidof(Rest) ? * out = static_cast<Rest*>(this) : nullptr), ...);
        return *out != nullptr ? S_OK : E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }
};

// What no caller of these objects asks of an IDispatch.
template <typename Base, typename... Rest>
struct NoDispatch : Object<Base, Rest...> {
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*, UINT*) override {
        return E_NOTIMPL;
    }
};

// One entry of the window list: Explorer's window object, whose top-level browser is an
// ExplorerBrowser. It answers after `delayMs`, as a busy Explorer does.
struct WindowEntry : NoDispatch<IDispatch, IServiceProvider> {
    IShellBrowser* browser = nullptr;
    DWORD delayMs = 0;

    HRESULT STDMETHODCALLTYPE QueryService(REFGUID service, REFIID id, void** out) override {
        ::Sleep(delayMs);
        if (service != SID_STopLevelBrowser) return E_NOINTERFACE;
        return browser->QueryInterface(id, out);
    }
};

struct WindowList : NoDispatch<IShellWindows> {
    std::vector<WindowEntry*> items;

    HRESULT STDMETHODCALLTYPE get_Count(LONG* count) override {
        *count = static_cast<LONG>(items.size());
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Item(VARIANT index, IDispatch** folder) override {
        *folder = index.vt == VT_I4 && index.lVal < static_cast<LONG>(items.size()) ? items[index.lVal] : nullptr;
        return *folder != nullptr ? S_OK : S_FALSE;
    }
    HRESULT STDMETHODCALLTYPE _NewEnum(IUnknown**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Register(IDispatch*, LONG, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE RegisterPending(LONG, VARIANT*, VARIANT*, int, LONG*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revoke(LONG) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnNavigate(LONG, VARIANT*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE OnActivated(LONG, VARIANT_BOOL) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE FindWindowSW(VARIANT*, VARIANT*, int, LONG*, int, IDispatch**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE OnCreated(LONG, IUnknown*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE ProcessAttachDetach(VARIANT_BOOL) override { return E_NOTIMPL; }
};

struct Factory : Object<IClassFactory> {
    WindowList* windows = nullptr;

    HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown*, REFIID id, void** out) override {
        return windows->QueryInterface(id, out);
    }
    HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

HWND MakeWindow(const wchar_t* className, HWND parent) {
    const WNDCLASSW windowClass{0, DefWindowProcW, 0, 0, nullptr, nullptr, nullptr, nullptr, nullptr, className};
    ::RegisterClassW(&windowClass);
    const DWORD style = parent != nullptr ? WS_CHILD | WS_VISIBLE : WS_OVERLAPPEDWINDOW;
    return ::CreateWindowExW(0, className, L"", style, 0, 0, 400, 300, parent, nullptr, nullptr, nullptr);
}

// An ExplorerBrowser in `parent`, showing `location`; its window, the one Quillet reads, in `window`.
IShellBrowser* Browse(HWND parent, PIDLIST_ABSOLUTE location, HWND* window) {
    IExplorerBrowser* explorer = nullptr;
    IShellBrowser* browser = nullptr;
    const RECT place{0, 0, 300, 200};
    const FOLDERSETTINGS settings{FVM_DETAILS, 0};
    if (FAILED(::CoCreateInstance(CLSID_ExplorerBrowser, nullptr, CLSCTX_INPROC_SERVER, IID_IExplorerBrowser,
                                  reinterpret_cast<void**>(&explorer))) ||
        FAILED(explorer->Initialize(parent, &place, &settings)) ||
        FAILED(explorer->BrowseToIDList(location, SBSP_ABSOLUTE)) ||
        FAILED(explorer->QueryInterface(IID_IShellBrowser, reinterpret_cast<void**>(&browser))) ||
        FAILED(browser->GetWindow(window))) {
        return nullptr;
    }
    return browser;
}

PIDLIST_ABSOLUTE Location(const fs::path& folder) {
    PIDLIST_ABSOLUTE location = nullptr;
    ::SHParseDisplayName(folder.c_str(), nullptr, &location, 0, nullptr);
    return location;
}

// The class object is registered from a thread of the free-threaded apartment, where Quillet's
// own thread asks, so that Quillet reaches these objects directly. The thread stays for the
// rest of the test: its registration goes with it.
struct Registration {
    IClassFactory* factory;
    HANDLE ready;
    bool registered = false;
};

DWORD WINAPI RegisterWindowList(void* argument) {
    auto* registration = static_cast<Registration*>(argument);
    ::CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    DWORD cookie = 0;
    registration->registered =
        SUCCEEDED(::CoRegisterClassObject(CLSID_ShellWindows, registration->factory,
                                          CLSCTX_LOCAL_SERVER | CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE, &cookie));
    ::SetEvent(registration->ready);
    ::Sleep(INFINITE);
    return 0;
}

std::string Text(const win::ShellView& view) {
    const char* kinds[] = {"path", "library", "no path"};
    return std::string(kinds[static_cast<int>(view.kind)]) + " " + view.path;
}

}  // namespace

int main() {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    const fs::path root = fs::temp_directory_path() / ("quillet-shell-" + std::to_string(::GetCurrentProcessId()));
    const fs::path plain = root / L"Plain", one = root / L"Tab one", two = root / L"Tab two \u00C9";
    for (const fs::path& folder : {plain, one, two}) fs::create_directories(folder);

    WindowList windows;
    Factory factory;
    factory.windows = &windows;
    Registration registration{&factory, ::CreateEventW(nullptr, TRUE, FALSE, nullptr)};
    ::CreateThread(nullptr, 0, RegisterWindowList, &registration, 0, nullptr);
    ::WaitForSingleObject(registration.ready, INFINITE);
    Check(registration.registered, "the window list is registered");

    // A window without tabs, one with two tabs, and This PC, which has no path.
    const HWND single = MakeWindow(L"CabinetWClass", nullptr), tabbed = MakeWindow(L"CabinetWClass", nullptr);
    const HWND tabs[2] = {MakeWindow(L"ShellTabWindowClass", tabbed), MakeWindow(L"ShellTabWindowClass", tabbed)};
    const HWND computer = MakeWindow(L"CabinetWClass", nullptr);
    PIDLIST_ABSOLUTE thisPc = nullptr;
    ::SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &thisPc);
    struct Expected {
        HWND frame, tab;
        std::string view;
    };
    std::vector<Expected> expected;
    WindowEntry items[4];
    const std::pair<HWND, PIDLIST_ABSOLUTE> shown[4] = {
        {single, Location(plain)}, {tabs[0], Location(one)}, {tabs[1], Location(two)}, {computer, thisPc}};
    const std::string paths[4] = {"path " + plain.string(), "path " + one.string(),
                                  std::string("path ") + reinterpret_cast<const char*>(two.u8string().c_str()),
                                  "no path "};
    for (int index = 0; index < 4; ++index) {
        HWND browserWindow = nullptr;
        items[index].browser = Browse(shown[index].first, shown[index].second, &browserWindow);
        Check(items[index].browser != nullptr, "an ExplorerBrowser shows " + paths[index]);
        windows.items.push_back(&items[index]);
        // The view's window is the tab, or the browser's own window directly in the frame.
        const HWND frame = ::GetAncestor(shown[index].first, GA_ROOT);
        expected.push_back({frame, frame == shown[index].first ? browserWindow : shown[index].first, paths[index]});
    }

    std::vector<win::ShellView> views;
    Check(ui::ReadShellViews(3000, &views) == ui::ShellAnswer::Listed, "the Shell lists its views");
    Check(views.size() == expected.size(), "one view per item: " + std::to_string(views.size()));
    for (std::size_t index = 0; index < views.size() && index < expected.size(); ++index) {
        const win::ShellView& view = views[index];
        Check(view.frame == reinterpret_cast<win::WindowHandle>(expected[index].frame) &&
                  view.tab == reinterpret_cast<win::WindowHandle>(expected[index].tab),
              "the window and tab of " + expected[index].view);
        Check(Text(view) == expected[index].view, Text(view) + " is " + expected[index].view);
    }

    // An Explorer that answers late: the GUI waits no longer than it said, and asks again only
    // once that answer has come.
    items[1].delayMs = 2500;
    Check(ui::ReadShellViews(1000, &views) == ui::ShellAnswer::NotAnswering, "a late answer is not waited for");
    Check(ui::ReadShellViews(100, &views) == ui::ShellAnswer::NotAnswering, "nor asked again while it is due");
    items[1].delayMs = 0;
    ::Sleep(2000);
    windows.items.pop_back();  // This PC's window has closed meanwhile
    Check(ui::ReadShellViews(3000, &views) == ui::ShellAnswer::Listed && views.size() == expected.size() - 1,
          "asked again once it has come, and answered afresh");

    std::error_code ignored;
    fs::remove_all(root, ignored);
    return failures;
}
