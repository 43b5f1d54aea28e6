#include "rig.h"

#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <system_error>

std::string Format(const char* format, ...) {
    char text[2048];
    va_list arguments;
    va_start(arguments, format);
    std::vsnprintf(text, sizeof text, format, arguments);
    va_end(arguments);
    return text;
}

void Report::Begin(const std::string& label) {
    label_ = label;
}

bool Report::Expect(bool ok, const std::string& what, const std::string& seen) {
    ++(ok ? passed_ : failed_);
    if (ok || seen.empty()) {
        std::printf("%s %s: %s\n", ok ? "PASS" : "FAIL", label_.c_str(), what.c_str());
    } else {
        std::printf("FAIL %s: %s; saw %s\n", label_.c_str(), what.c_str(), seen.c_str());
    }
    std::fflush(stdout);
    return ok;
}

bool Report::Require(bool ok, const std::string& what) {
    return ok || Expect(false, what);
}

void Report::Info(const std::string& text) {
    std::printf("INFO %s: %s\n", label_.c_str(), text.c_str());
    std::fflush(stdout);
}

long long Stopwatch::Milliseconds() const {
    auto elapsed = std::chrono::steady_clock::now() - start_;
    return std::chrono::duration_cast<std::chrono::milliseconds>(elapsed).count();
}

void PumpMessages() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs) {
    constexpr DWORD PollMs = 10;
    Stopwatch clock;
    for (;;) {
        PumpMessages();
        if (ready()) return true;
        long long left = static_cast<long long>(timeoutMs) - clock.Milliseconds();
        if (left <= 0) return false;
        DWORD step = static_cast<DWORD>(std::min<long long>(left, PollMs));
        MsgWaitForMultipleObjects(0, nullptr, FALSE, step, QS_ALLINPUT);
    }
}

QuilletProcess::QuilletProcess(HandleOwner process, DWORD id) : process_(std::move(process)), id_(id) {}

QuilletProcess::~QuilletProcess() {
    if (Running()) Terminate();
}

bool QuilletProcess::Running() const {
    return process_ && WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT;
}

std::optional<DWORD> QuilletProcess::WaitForExit(DWORD timeoutMs) {
    if (!process_) return std::nullopt;
    if (!WaitUntil([this] { return !Running(); }, timeoutMs)) return std::nullopt;
    DWORD code = 0;
    if (!GetExitCodeProcess(process_.get(), &code)) return std::nullopt;
    return code;
}

void QuilletProcess::Terminate() {
    constexpr DWORD TerminatedExitCode = 0xDEAD;
    TerminateProcess(process_.get(), TerminatedExitCode);
    WaitForSingleObject(process_.get(), 5000);
}

QuilletProcess StartQuillet(const fs::path& exe) {
    std::string program = WindowsPath(exe);
    std::string folder = WindowsPath(exe.parent_path());
    std::string commandLine = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    if (!CreateProcessA(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                        &startup, &created)) {
        return {};
    }
    HandleOwner thread(created.hThread);
    return QuilletProcess(HandleOwner(created.hProcess), created.dwProcessId);
}

namespace {

struct TopWindowSearch {
    DWORD processId;
    const std::string* caption;
    HWND found;
};

BOOL CALLBACK MatchTopWindow(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<TopWindowSearch*>(context);
    DWORD owner = 0;
    GetWindowThreadProcessId(window, &owner);
    if (owner != search->processId || !IsWindowVisible(window)) return TRUE;
    // A top-level caption is kept by the window manager: no message goes to the other process.
    char caption[256];
    GetWindowTextA(window, caption, sizeof caption);
    if (*search->caption != caption) return TRUE;
    search->found = window;
    return FALSE;
}

struct ChildSearch {
    const char* className;
    const char* caption;
    HWND found;
};

BOOL CALLBACK MatchChild(HWND window, LPARAM context) {
    auto* search = reinterpret_cast<ChildSearch*>(context);
    char className[64];
    GetClassNameA(window, className, sizeof className);
    if (lstrcmpiA(className, search->className) != 0) return TRUE;
    if (search->caption != nullptr && WindowText(window) != search->caption) return TRUE;
    search->found = window;
    return FALSE;
}

}  // namespace

HWND FindTopWindow(DWORD processId, const std::string& caption) {
    TopWindowSearch search{processId, &caption, nullptr};
    EnumWindows(MatchTopWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitUntil([&] { return (found = FindTopWindow(processId, caption)) != nullptr; }, timeoutMs);
    return found;
}

HWND FindChild(HWND parent, const char* className, const char* caption) {
    ChildSearch search{className, caption, nullptr};
    EnumChildWindows(parent, MatchChild, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string WindowText(HWND window) {
    constexpr UINT AnswerMs = 2000;
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, AnswerMs, &length)) return {};
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                             AnswerMs, &copied)) {
        return {};
    }
    text.resize(std::min<std::size_t>(copied, length));
    return text;
}

bool ClickButton(HWND parent, const std::string& caption) {
    HWND button = FindChild(parent, "Button", caption.c_str());
    return button != nullptr && PostMessageA(button, BM_CLICK, 0, 0);
}

std::string MessageBoxText(HWND box) {
    constexpr int MessageTextId = 0xFFFF;
    HWND text = GetDlgItem(box, MessageTextId);
    return text != nullptr ? WindowText(text) : std::string();
}

bool SyncWith(HWND window) {
    DWORD_PTR ignored = 0;
    return SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_NORMAL, 5000, &ignored) != 0;
}

HWND FocusedControl(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

ComboState ReadCombo(HWND combo) {
    ComboState state;
    state.text = WindowText(combo);
    DWORD_PTR selection = 0;
    SendMessageTimeoutA(combo, CB_GETEDITSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &selection);
    state.selectionStart = LOWORD(selection);
    state.selectionEnd = HIWORD(selection);
    return state;
}

namespace {

constexpr DWORD KeyEffectMs = 2000;

bool IsExtendedKey(WORD virtualKey) {
    switch (virtualKey) {
        case VK_LEFT:
        case VK_RIGHT:
        case VK_UP:
        case VK_DOWN:
        case VK_HOME:
        case VK_END:
        case VK_PRIOR:
        case VK_NEXT:
        case VK_INSERT:
        case VK_DELETE: return true;
        default: return false;
    }
}

INPUT KeyInput(WORD virtualKey, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = (release ? KEYEVENTF_KEYUP : 0) | (IsExtendedKey(virtualKey) ? KEYEVENTF_EXTENDEDKEY : 0);
    return input;
}

INPUT UnicodeInput(wchar_t character, bool release) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wScan = character;
    input.ki.dwFlags = KEYEVENTF_UNICODE | (release ? KEYEVENTF_KEYUP : 0);
    return input;
}

bool Send(std::vector<INPUT> inputs) {
    UINT count = static_cast<UINT>(inputs.size());
    return SendInput(count, inputs.data(), sizeof(INPUT)) == count;
}

// A character on the keyboard layout is typed with its key (and Shift); anything else, or a
// key that needs Ctrl or Alt, is sent as the character itself.
bool SendCharacter(char character) {
    constexpr int ShiftState = 1;
    SHORT key = VkKeyScanA(character);
    int shifts = HIBYTE(key);
    if (key == -1 || (shifts & ~ShiftState) != 0) {
        wchar_t wide = 0;
        MultiByteToWideChar(CP_ACP, 0, &character, 1, &wide, 1);
        return Send({UnicodeInput(wide, false), UnicodeInput(wide, true)});
    }
    WORD virtualKey = LOBYTE(key);
    if ((shifts & ShiftState) == 0) return Send({KeyInput(virtualKey, false), KeyInput(virtualKey, true)});
    return Send(
        {KeyInput(VK_SHIFT, false), KeyInput(virtualKey, false), KeyInput(virtualKey, true), KeyInput(VK_SHIFT, true)});
}

// Input is delivered asynchronously: the next key goes only after this one has shown.
bool StrokeAndWait(HWND combo, const std::function<bool()>& stroke) {
    ComboState before = ReadCombo(combo);
    if (!stroke()) return false;
    return WaitUntil([&] { return ReadCombo(combo) != before; }, KeyEffectMs);
}

}  // namespace

bool PressKey(WORD virtualKey) {
    return Send({KeyInput(virtualKey, false), KeyInput(virtualKey, true)});
}

bool TypeText(HWND combo, const std::string& text) {
    for (char character : text) {
        if (!StrokeAndWait(combo, [character] { return SendCharacter(character); })) return false;
    }
    return true;
}

bool TypeAsPerson(HWND combo, const std::string& text) {
    for (char character : text) {
        ComboState state = ReadCombo(combo);
        std::size_t caret = static_cast<std::size_t>(state.selectionEnd);
        bool completed = character == '>' && state.selectionStart == state.selectionEnd && caret < state.text.size() &&
                         state.text[caret] == '>';
        auto stroke = [&] { return completed ? PressKey(VK_RIGHT) : SendCharacter(character); };
        if (!StrokeAndWait(combo, stroke)) return false;
    }
    return true;
}

std::optional<std::string> ReadFileBytes(const fs::path& file) {
    std::ifstream stream(file, std::ios::binary);
    if (!stream) return std::nullopt;
    return std::string(std::istreambuf_iterator<char>(stream), std::istreambuf_iterator<char>());
}

bool WriteFileBytes(const fs::path& file, const std::string& bytes) {
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(stream);
}

std::vector<std::string> ListTree(const fs::path& root) {
    std::vector<std::string> folders;
    std::error_code error;
    for (auto it = fs::recursive_directory_iterator(root, error); !error && it != fs::end(it); it.increment(error)) {
        if (it->is_directory()) folders.push_back(WindowsPath(fs::relative(it->path(), root)));
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

std::string Join(const std::vector<std::string>& items) {
    std::string joined = "{";
    for (const std::string& item : items) {
        if (joined.size() > 1) joined += ", ";
        joined += item;
    }
    return joined + "}";
}

fs::path DriverFolder() {
    char path[MAX_PATH];
    DWORD length = GetModuleFileNameA(nullptr, path, sizeof path);
    return fs::path(std::string(path, length)).parent_path();
}

std::string WindowsPath(const fs::path& path) {
    fs::path preferred = path;
    return preferred.make_preferred().string();
}
