// The timing driver for Quillet.exe, run under Wine (or on Windows) beside Quillet.exe and
// bench_minimal.exe. Every figure is timed against its baseline in the same run: the two take
// turns, which one goes first alternating, and each figure is the median over the runs, beside
// the median of the turns' ratios, which a noisy machine disturbs least.
//
//   quillet_bench [--runs N] [--work FOLDER]
//
// Everything it makes is left in FOLDER\run-*, for the caller to remove: removing tens of
// thousands of folders takes minutes under Wine, and seconds with Linux's rm.
//
// Standard output: one tab-separated row per figure for bench/run.sh's table (figure, Quillet,
// baseline, ratio, goal, verdict), then a few lines that explain the figures. Exit code 1 when a
// measurement could not be made: a program that does not start or end, a folder missing, an
// error box. The goals are printed, never enforced.
#include "rig.cpp"  // the end-to-end rig: the stand-in Explorer window, Quillet's launch and settling

#include <psapi.h>

#include <optional>
#include <set>

#include "lines.h"
#include "system.h"

namespace {

constexpr int DefaultRuns = 21;
constexpr DWORD CreateMs = 60000;  // a create command that takes longer counts as hung
constexpr double StartGoal = 1.10, MemoryGoal = 1.10, CreateGoal = 1.05;

double NowMs() {
    static const double ticksPerMs = [] {
        LARGE_INTEGER frequency;
        QueryPerformanceFrequency(&frequency);
        return static_cast<double>(frequency.QuadPart) / 1000;
    }();
    LARGE_INTEGER now;
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart) / ticksPerMs;
}

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t middle = values.size() / 2;
    return values.size() % 2 == 1 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

// Quillet's sample and the baseline's of the same turn.
struct Figure {
    std::vector<double> quillet, baseline;

    void Add(double quilletValue, double baselineValue) {
        quillet.push_back(quilletValue);
        baseline.push_back(baselineValue);
    }
    // Every sample, on standard error (bench/run.sh keeps it in build/bench/driver.log), to see
    // how much the machine disturbed a run.
    void Log(const std::string& name) const {
        for (const auto& [who, samples] : {std::pair{"Quillet", &quillet}, std::pair{"baseline", &baseline}}) {
            std::string line = name + ", " + who + ":";
            for (double sample : *samples) line += Format(" %.1f", sample);
            std::fprintf(stderr, "%s\n", line.c_str());
        }
    }
    double Ratio() const {
        std::vector<double> ratios;
        for (std::size_t turn = 0; turn < quillet.size(); ++turn) ratios.push_back(quillet[turn] / baseline[turn]);
        return Median(ratios);
    }
};

void PrintRow(const std::string& figure, const std::string& quillet, const std::string& baseline, double ratio,
              double goal) {
    std::printf("row\t%s\t%s\t%s\t%.2fx\tat most %.2fx\t%s\n", figure.c_str(), quillet.c_str(), baseline.c_str(),
                ratio, goal, ratio <= goal ? "met" : "MISSED");
}

bool Fail(const std::string& what) {
    std::fprintf(stderr, "quillet_bench: %s\n", what.c_str());
    return false;
}

bool Exited(HANDLE process) {
    return WaitForSingleObject(process, 0) == WAIT_OBJECT_0;
}

// The driver's own messages are handled first: Quillet asks the stand-in for its address bar,
// and the driver must answer.
void HandleMessages() {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
}

// Until a message comes for the driver, `handle` is signalled or `ms` pass.
void WaitForMessage(DWORD ms, HANDLE handle = nullptr) {
    MsgWaitForMultipleObjects(handle != nullptr ? 1 : 0, handle != nullptr ? &handle : nullptr, FALSE, ms,
                              QS_ALLINPUT);
}

// A visible top-level window of the process. Given its class, only windows of that class are
// looked at, which the server answers in a call or two: looked for every millisecond, the search
// must take little from the program being timed.
HWND ShownWindowOf(DWORD processId, const std::wstring& windowClass = {}) {
    const auto shown = [processId](HWND window) {
        DWORD owner = 0;
        GetWindowThreadProcessId(window, &owner);
        return owner == processId && IsWindowVisible(window);
    };
    if (windowClass.empty()) return FindUnder(nullptr, shown);
    for (HWND window = FindWindowExW(nullptr, nullptr, windowClass.c_str(), nullptr); window != nullptr;
         window = FindWindowExW(nullptr, window, windowClass.c_str(), nullptr)) {
        if (shown(window)) return window;
    }
    return nullptr;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

struct Started {
    win32::UniqueHandle process;
    DWORD id = 0;
    HWND window = nullptr;
    double ms = 0;  // from CreateProcess to the first visible window
};

// Started as the shell starts a program, its path quoted and its folder current, and looked at
// every millisecond until a window of it is visible.
std::optional<Started> StartAndTime(const fs::path& exe, const std::wstring& windowClass) {
    std::wstring commandLine = L"\"" + exe.wstring() + L"\"";
    const std::wstring folder = exe.parent_path().wstring();
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION created{};
    const double start = NowMs();
    if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(), &startup,
                        &created)) {
        return std::nullopt;
    }
    Started started;
    started.process.reset(created.hProcess);
    const win32::UniqueHandle thread(created.hThread);
    started.id = created.dwProcessId;
    for (;;) {
        HandleMessages();
        if ((started.window = ShownWindowOf(started.id, windowClass)) != nullptr) break;
        if (Exited(started.process.get()) || NowMs() - start > StartMs) {
            TerminateProcess(started.process.get(), 0xDEAD);
            return std::nullopt;
        }
        WaitForMessage(1, started.process.get());
    }
    started.ms = NowMs() - start;
    return started;
}

// Closed as a person closes it; a program that does not end is terminated and reported.
bool CloseAndWait(HANDLE process, HWND window, const char* name) {
    PostMessageW(window, WM_CLOSE, 0, 0);
    for (const double start = NowMs(); !Exited(process);) {
        HandleMessages();
        if (NowMs() - start > CloseMs) {
            TerminateProcess(process, 0xDEAD);
            WaitForSingleObject(process, CloseMs);
            return Fail(Format("%s ends after WM_CLOSE", name));
        }
        WaitForMessage(CloseMs, process);
    }
    return true;
}

struct StartSample {
    double ms = 0;
    double workingSetKiB = 0, privateKiB = 0;
};

// What Windows counts for the process: K32GetProcessMemoryInfo, which kernel32 exports.
bool ReadMemory(HANDLE process, StartSample& sample) {
    PROCESS_MEMORY_COUNTERS_EX counters{};
    counters.cb = sizeof counters;
    if (!K32GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters), sizeof counters)) {
        return Fail("K32GetProcessMemoryInfo");
    }
    sample.workingSetKiB = static_cast<double>(counters.WorkingSetSize) / 1024;
    sample.privateKiB = static_cast<double>(counters.PrivateUsage) / 1024;
    return true;
}

// Before each start: the stand-in in front, and a pause in which what the previous program left to
// do after its end (its windows' last messages, Wine's clean-up) is done, so that each start
// begins from the same quiet state whichever program went before.
constexpr DWORD QuietMs = 100;

bool ReadyToStart(Scene& scene) {
    if (!BringToFront(scene.standIn.get())) return Fail("the stand-in comes to the front");
    WaitUntil([] { return false; }, QuietMs);
    return true;
}

// Quillet started while the stand-in is in front, as from Explorer. Its memory is read once its
// first tick is done: the window is topmost and the handler that found the address bar has ended.
bool QuilletStart(Scene& scene, const fs::path& exe, const std::wstring& windowClass, StartSample& sample) {
    if (!ReadyToStart(scene)) return false;
    std::optional<Started> started = StartAndTime(exe, windowClass);
    if (!started) return Fail("Quillet.exe starts and shows a window");
    sample.ms = started->ms;
    scene.process = std::move(started->process);
    scene.processId = started->id;
    scene.main = started->window;
    wchar_t caption[64] = L"";
    GetWindowTextW(scene.main, caption, 64);
    if (Utf8(caption) != "Quillet") return Fail("the window shown first is Quillet's main window; saw " + Utf8(caption));
    const auto topmost = [&] { return (GetWindowLongW(scene.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    if (!WaitUntil(topmost, ShowMs) || !Settle(scene)) return Fail("Quillet's first tick ends");
    if (!ReadMemory(scene.process.get(), sample)) return false;
    return CloseQuillet(scene) || Fail("Quillet ends after WM_CLOSE");
}

// The empty window, started in the same way; its memory is read once its message loop runs.
bool MinimalStart(Scene& scene, const fs::path& exe, const std::wstring& windowClass, StartSample& sample) {
    if (!ReadyToStart(scene)) return false;
    std::optional<Started> started = StartAndTime(exe, windowClass);
    if (!started) return Fail("bench_minimal.exe starts and shows a window");
    const HANDLE process = started->process.get();
    const win32::ScopeExit endAnyway([process] {
        if (!Exited(process)) TerminateProcess(process, 0xDEAD);
    });
    sample.ms = started->ms;
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(started->window, WM_NULL, 0, 0, SMTO_NORMAL, ShowMs, &ignored)) {
        return Fail("bench_minimal.exe answers");
    }
    if (!ReadMemory(process, sample)) return false;
    return CloseAndWait(process, started->window, "bench_minimal.exe");
}

bool MeasureStart(const fs::path& work, int runs) {
    Scene scene;
    // Open starts Quillet once, uncounted: that warms the file cache and tells its window's class.
    if (const std::string failed = Open(scene, work / L"start"); !failed.empty()) return Fail("set-up: " + failed);
    const std::wstring quilletClass = ClassOf(scene.main);
    if (!CloseQuillet(scene)) return Fail("Quillet ends after WM_CLOSE");
    wchar_t driver[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    const fs::path quillet = scene.programFolder / L"Quillet.exe", minimal = scene.programFolder / L"bench_minimal.exe";
    std::error_code error;
    fs::copy_file(fs::path(driver).parent_path() / L"bench_minimal.exe", minimal, error);
    if (error) return Fail("copy bench_minimal.exe beside Quillet.exe");
    // The same for the empty window.
    std::optional<Started> first = StartAndTime(minimal, {});
    if (!first) return Fail("bench_minimal.exe starts and shows a window");
    const std::wstring minimalClass = ClassOf(first->window);
    if (!CloseAndWait(first->process.get(), first->window, "bench_minimal.exe")) return false;

    Figure start, memory, privateBytes;
    for (int run = 0; run < runs; ++run) {
        StartSample ofQuillet, ofMinimal;
        const bool measured = run % 2 == 0
                                  ? QuilletStart(scene, quillet, quilletClass, ofQuillet) &&
                                        MinimalStart(scene, minimal, minimalClass, ofMinimal)
                                  : MinimalStart(scene, minimal, minimalClass, ofMinimal) &&
                                        QuilletStart(scene, quillet, quilletClass, ofQuillet);
        if (!measured) return false;
        start.Add(ofQuillet.ms, ofMinimal.ms);
        memory.Add(ofQuillet.workingSetKiB, ofMinimal.workingSetKiB);
        privateBytes.Add(ofQuillet.privateKiB, ofMinimal.privateKiB);
    }
    start.Log("start to window visible, ms");
    memory.Log("working set, KiB");
    PrintRow("start to main window visible, against one empty window",
             Format("%.1f ms", Median(start.quillet)), Format("%.1f ms", Median(start.baseline)), start.Ratio(),
             StartGoal);
    PrintRow("working set after start-up (first tick done), against the same",
             Format("%.0f KiB", Median(memory.quillet)), Format("%.0f KiB", Median(memory.baseline)), memory.Ratio(),
             MemoryGoal);
    if (Median(privateBytes.baseline) > 0) {
        std::printf("Private bytes after start-up: Quillet %.0f KiB, the empty window %.0f KiB (%.2fx).\n",
                    Median(privateBytes.quillet), Median(privateBytes.baseline), privateBytes.Ratio());
    }
    return true;
}

// Counts Quillet's reads of the stand-in's address bar: the create command reads it first.
WNDPROC barProc = nullptr;
int barReads = 0;

LRESULT CALLBACK CountingBarProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_GETTEXT) ++barReads;
    return CallWindowProcW(barProc, window, message, wParam, lParam);
}

// Every folder the line names is there, and nothing else beside its top-level folders.
bool HoldsExactly(const fs::path& folder, const lines::Line& line, const char* who) {
    std::set<std::string> topLevel;
    for (const std::string& relative : line.folders) {
        topLevel.insert(relative.substr(0, relative.find('\\')));
        const DWORD attributes = GetFileAttributesW((folder / Wide(relative)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return Fail(Format("%s made %s", who, relative.c_str()));
        }
    }
    std::size_t entries = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::end(it); it.increment(error)) ++entries;
    if (!error && entries == topLevel.size()) return true;
    return Fail(Format("%s made %u entries beside each other for %u", who, static_cast<unsigned>(entries),
                       static_cast<unsigned>(topLevel.size())));
}

// Moved out in one step, so that every turn starts in the same empty parent: removing hundreds
// of folders one by one takes seconds under Wine. The caller removes the trash (bench/run.sh does).
bool PutAway(const fs::path& folder, const fs::path& trash) {
    std::error_code error;
    fs::create_directories(trash, error);
    return (!error && MoveFileExW(folder.c_str(), (trash / folder.filename()).c_str(), 0)) ||
           Fail("move " + PathText(folder) + " to the trash");
}

// Quillet's create command as a person gives it: the address bar shows a fresh folder, the line
// is in the combo box, and the Create button is clicked (posted, as a click does not wait).
// Quillet reads the address bar with SMTO_BLOCK, so once it has read it, a WM_NULL sent to it is
// taken only after the whole handler is done: that answer ends the timing, without a poll.
bool QuilletCreate(Scene& scene, HWND bar, HWND createButton, const lines::Line& line, const fs::path& folder,
                   const fs::path& trash, double& ms) {
    std::error_code error;
    if (!fs::create_directory(folder, error)) return Fail("make " + PathText(folder));
    SendMessageW(bar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fs::path(folder).make_preferred().c_str()));
    const std::wstring text = Wide(line.text);
    Ask(scene.combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (WindowText(scene.combo) != line.text) return Fail("the combo box holds the whole line");

    const int readsBefore = barReads;
    const double start = NowMs();
    PostMessageW(createButton, BM_CLICK, 0, 0);
    for (;;) {
        HandleMessages();
        if (barReads != readsBefore) break;
        if (NowMs() - start > CreateMs) return Fail("the create command reads the address bar");
        WaitForMessage(CreateMs);
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(scene.main, WM_NULL, 0, 0, SMTO_NORMAL, CreateMs, &ignored)) {
        return Fail("the create command ends");
    }
    ms = NowMs() - start;

    if (HWND box = FindTopWindow(scene.processId, ErrorBox)) {
        return Fail("Quillet says: " + WindowText(GetDlgItem(box, MessageTextId)));
    }
    return HoldsExactly(folder, line, "Quillet") && PutAway(folder, trash);
}

// How the bare loop makes each folder. Only the first is the baseline; the second makes each
// folder with Quillet's own function, to tell what its record for undo costs (the new folder's
// file index, read through the handle that made it) from what the rest of Quillet costs.
enum class Bare {
    Create,          // CreateDirectoryA alone
    CreateAndIndex,  // sys::CreateFolder: NtCreateFile, then the file index through its handle
};

bool MakeFolder(const std::string& path, Bare how) {
    sys::FolderIdentity made;
    return how == Bare::Create ? CreateDirectoryA(path.c_str(), nullptr) != FALSE
                               : sys::CreateFolder(path.c_str(), &made) == sys::kSuccess;
}

// The same folders made by a bare loop in the driver, every path written out beforehand.
bool BareCreate(const lines::Line& line, const fs::path& folder, Bare how, const fs::path& trash, double& ms) {
    std::error_code error;
    if (!fs::create_directory(folder, error)) return Fail("make " + PathText(folder));
    const std::string base = PathText(folder);
    if (std::any_of(base.begin(), base.end(), [](char c) { return (c & 0x80) != 0; })) {
        return Fail("the work folder's path is ASCII, for CreateDirectoryA: " + base);
    }
    std::vector<std::string> paths;
    for (const std::string& relative : line.folders) paths.push_back(base + "\\" + relative);
    bool made = true;
    const double start = NowMs();
    for (std::size_t at = 0; made && at < paths.size(); ++at) made = MakeFolder(paths[at], how);
    ms = NowMs() - start;
    if (!made) return Fail(Format("the bare loop makes a folder of the line, error %lu", GetLastError()));
    return HoldsExactly(folder, line, "the bare loop") && PutAway(folder, trash);
}

struct CreateCase {
    const char* name;
    std::string figure;
    lines::Line line;
};

bool MeasureCreate(const fs::path& work, int runs) {
    Scene scene;
    const fs::path root = work / L"create", trash = work / L"trash";
    if (const std::string failed = Open(scene, root); !failed.empty()) return Fail("set-up: " + failed);
    const HWND bar = FindChild(scene.standIn.get(), "Edit", nullptr);  // the stand-in's address bar
    const HWND createButton = FindChild(scene.main, "Button", "Create");
    if (createButton == nullptr) return Fail("Quillet's Create button");
    barProc = reinterpret_cast<WNDPROC>(
        SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingBarProc)));

    const std::vector<CreateCase> cases = {
        {"flat", "500 folders in one parent, against a bare CreateDirectoryA loop", lines::Siblings(500)},
        {"nested", "", lines::Projects(2500)},
    };
    for (const CreateCase& test : cases) {
        const std::string figure =
            !test.figure.empty() ? test.figure
                                 : Format("a %u-char nested line (%u folders), against the same loop",
                                          static_cast<unsigned>(test.line.text.size()),
                                          static_cast<unsigned>(test.line.folders.size()));
        Figure againstBare, againstCalls, callsAgainstBare;
        // The first turn of each warms what Windows caches and is not counted.
        for (int run = runs > 1 ? -1 : 0; run < runs; ++run) {
            const auto target = [&](const char* who) {
                return root / Wide(Format("%s-%s-%02d", who, test.name, run + 1));
            };
            double quillet = 0, bare = 0, calls = 0;
            const std::function<bool()> turns[] = {
                [&] { return QuilletCreate(scene, bar, createButton, test.line, target("quillet"), trash, quillet); },
                [&] { return BareCreate(test.line, target("bare"), Bare::Create, trash, bare); },
                [&] { return BareCreate(test.line, target("calls"), Bare::CreateAndIndex, trash, calls); },
            };
            // Quillet and the bare loop side by side, which goes first alternating.
            static constexpr std::size_t Forward[] = {0, 1, 2}, Backward[] = {2, 1, 0};
            bool measured = true;
            for (std::size_t turn : run % 2 == 0 ? Forward : Backward) {
                WaitUntil([] { return false; }, QuietMs);  // as before a start: what the last turn set going ends
                measured = measured && turns[turn]();
            }
            if (!measured) return false;
            if (run < 0) continue;
            againstBare.Add(quillet, bare);
            againstCalls.Add(quillet, calls);
            callsAgainstBare.Add(calls, bare);
        }
        againstBare.Log(Format("%s, Quillet and the bare loop, ms", test.name));
        againstCalls.Log(Format("%s, Quillet and the loop of its calls, ms", test.name));
        callsAgainstBare.Log(Format("%s, the loop of Quillet's calls and the bare loop, ms", test.name));
        PrintRow(figure, Format("%.1f ms", Median(againstBare.quillet)),
                 Format("%.1f ms", Median(againstBare.baseline)), againstBare.Ratio(), CreateGoal);
        std::printf("%s: a loop of Quillet's own CreateFolder (NtCreateFile, and NtQueryInformationFile for the "
                    "file index its undo keeps) takes %.1f ms, %.2fx the bare loop; Quillet takes %.2fx that loop.\n",
                    test.name, Median(callsAgainstBare.quillet), callsAgainstBare.Ratio(), againstCalls.Ratio());
    }
    SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(barProc));
    return CloseQuillet(scene) || Fail("Quillet ends after WM_CLOSE");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index) arguments.push_back(Utf8(argv[index]));
    int runs = DefaultRuns;
    fs::path base = fs::temp_directory_path() / L"quillet-bench";
    for (std::size_t at = 0; at + 1 < arguments.size(); at += 2) {
        if (arguments[at] == "--runs") runs = std::atoi(arguments[at + 1].c_str());
        if (arguments[at] == "--work") base = Wide(arguments[at + 1]);
    }
    if (runs < 1 || arguments.size() % 2 != 0) {
        std::fprintf(stderr, "usage: quillet_bench [--runs N] [--work FOLDER]\n");
        return 2;
    }
    // Named by the clock and the process, so that a run never meets the folders of another.
    const fs::path work = base / Format("run-%lu-%lu", GetTickCount(), GetCurrentProcessId());
    const bool measured = MeasureStart(work, runs) && MeasureCreate(work, runs);
    if (!measured) std::fprintf(stderr, "quillet_bench: the folders are in %s\n", PathText(work).c_str());
    return measured ? 0 : 1;
}
