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
#include "rig.h"  // the end-to-end rig: the stand-in Explorer window, Quillet's start, finding and closing

#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <set>
#include <string>
#include <vector>

#include "lines.h"
#include "system.h"

namespace {

namespace fs = std::filesystem;

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
            for (double sample : *samples) line += rig::Format(" %.1f", sample);
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
    std::printf("row\t%s\t%s\t%s\t%.2fx\tat most %.2fx\t%s\n", figure.c_str(), quillet.c_str(), baseline.c_str(), ratio,
                goal, ratio <= goal ? "met" : "MISSED");
}

bool Fail(const std::string& what) {
    std::fprintf(stderr, "quillet_bench: %s\n", what.c_str());
    return false;
}

std::wstring ClassOf(HWND window) {
    wchar_t name[256] = L"";
    GetClassNameW(window, name, 256);
    return name;
}

// Started as the shell starts a program, its path quoted and its folder current, and looked at
// every millisecond until a window of it is visible: among the windows of `windowClass` when one
// is given. `ms` runs from CreateProcess to that window.
bool StartAndTime(rig::Scene& scene, const std::string& program, const std::wstring& windowClass, double& ms) {
    const double start = NowMs();
    if (!rig::Start(scene, "", program)) return false;
    const auto shown = [&] {
        scene.main = rig::FindTopWindow(scene.processId, "", nullptr, windowClass);
        return scene.main != nullptr || !scene.Running();
    };
    if (!rig::WaitUntil(shown, rig::StartMs, 1) || scene.main == nullptr) return false;
    ms = NowMs() - start;
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

bool ReadyToStart(rig::Scene& scene) {
    if (!rig::BringToFront(scene.standIn.get())) return Fail("the stand-in comes to the front");
    rig::WaitUntil([] { return false; }, QuietMs);
    return true;
}

// Quillet started while the stand-in is in front, as from Explorer. Its memory is read once its
// first tick is done: the window is topmost and the handler that found the address bar has ended.
bool QuilletStart(rig::Scene& scene, const std::wstring& windowClass, StartSample& sample) {
    if (!ReadyToStart(scene)) return false;
    if (!StartAndTime(scene, "Quillet.exe", windowClass, sample.ms)) {
        return Fail("Quillet.exe starts and shows a window");
    }
    wchar_t caption[64] = L"";
    GetWindowTextW(scene.main, caption, 64);
    const std::string shown = rig::Utf8(caption);
    if (shown != "Quillet") return Fail("the window shown first is Quillet's main window; saw " + shown);
    const auto topmost = [&] { return (GetWindowLongW(scene.main, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; };
    if (!rig::WaitUntil(topmost, rig::ShowMs) || !rig::Settle(scene)) return Fail("Quillet's first tick ends");
    if (!ReadMemory(scene.process.get(), sample)) return false;
    return rig::Close(scene) || Fail("Quillet ends after WM_CLOSE");
}

// The empty window, started in the same way; its memory is read once its message loop runs.
bool MinimalStart(rig::Scene& scene, const std::wstring& windowClass, StartSample& sample) {
    if (!ReadyToStart(scene)) return false;
    if (!StartAndTime(scene, "bench_minimal.exe", windowClass, sample.ms)) {
        return Fail("bench_minimal.exe starts and shows a window");
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(scene.main, WM_NULL, 0, 0, SMTO_NORMAL, rig::ShowMs, &ignored)) {
        return Fail("bench_minimal.exe answers");
    }
    if (!ReadMemory(scene.process.get(), sample)) return false;
    return rig::Close(scene) || Fail("bench_minimal.exe ends after WM_CLOSE");
}

bool MeasureStart(const fs::path& work, int runs) {
    rig::Scene scene;
    // Open starts Quillet once, uncounted: that warms the file cache and tells its window's class.
    if (const std::string failed = rig::Open(scene, work / L"start"); !failed.empty()) return Fail("set-up: " + failed);
    const std::wstring quilletClass = ClassOf(scene.main);
    if (!rig::Close(scene)) return Fail("Quillet ends after WM_CLOSE");
    wchar_t driver[MAX_PATH] = L"";
    GetModuleFileNameW(nullptr, driver, MAX_PATH);
    std::error_code error;
    fs::copy_file(fs::path(driver).parent_path() / L"bench_minimal.exe", scene.programFolder / L"bench_minimal.exe",
                  error);
    if (error) return Fail("copy bench_minimal.exe beside Quillet.exe");
    // The same for the empty window.
    double uncounted = 0;
    if (!StartAndTime(scene, "bench_minimal.exe", {}, uncounted)) {
        return Fail("bench_minimal.exe starts and shows a window");
    }
    const std::wstring minimalClass = ClassOf(scene.main);
    if (!rig::Close(scene)) return Fail("bench_minimal.exe ends after WM_CLOSE");

    Figure start, memory, privateBytes;
    for (int run = 0; run < runs; ++run) {
        StartSample ofQuillet, ofMinimal;
        const bool measured =
            run % 2 == 0 ? QuilletStart(scene, quilletClass, ofQuillet) && MinimalStart(scene, minimalClass, ofMinimal)
                         : MinimalStart(scene, minimalClass, ofMinimal) && QuilletStart(scene, quilletClass, ofQuillet);
        if (!measured) return false;
        start.Add(ofQuillet.ms, ofMinimal.ms);
        memory.Add(ofQuillet.workingSetKiB, ofMinimal.workingSetKiB);
        privateBytes.Add(ofQuillet.privateKiB, ofMinimal.privateKiB);
    }
    start.Log("start to window visible, ms");
    memory.Log("working set, KiB");
    PrintRow("start to main window visible, against one empty window", rig::Format("%.1f ms", Median(start.quillet)),
             rig::Format("%.1f ms", Median(start.baseline)), start.Ratio(), StartGoal);
    PrintRow("working set after start-up (first tick done), against the same",
             rig::Format("%.0f KiB", Median(memory.quillet)), rig::Format("%.0f KiB", Median(memory.baseline)),
             memory.Ratio(), MemoryGoal);
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
        const DWORD attributes = GetFileAttributesW((folder / rig::Wide(relative)).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            return Fail(rig::Format("%s made %s", who, relative.c_str()));
        }
    }
    std::size_t entries = 0;
    std::error_code error;
    for (auto it = fs::directory_iterator(folder, error); !error && it != fs::end(it); it.increment(error)) ++entries;
    if (!error && entries == topLevel.size()) return true;
    return Fail(rig::Format("%s made %u entries beside each other for %u", who, static_cast<unsigned>(entries),
                            static_cast<unsigned>(topLevel.size())));
}

// Moved out in one step, so that every turn starts in the same empty parent: removing hundreds
// of folders one by one takes seconds under Wine. The caller removes the trash (bench/run.sh does).
bool PutAway(const fs::path& folder, const fs::path& trash) {
    std::error_code error;
    fs::create_directories(trash, error);
    return (!error && MoveFileExW(folder.c_str(), (trash / folder.filename()).c_str(), 0)) ||
           Fail("move " + rig::PathText(folder) + " to the trash");
}

// Quillet's create command as a person gives it: the address bar shows a fresh folder, the line
// is in the combo box, and the Create button is clicked (posted, as a click does not wait).
// Quillet reads the address bar with SMTO_BLOCK, so once it has read it, a WM_NULL sent to it is
// taken only after the whole handler is done: that answer ends the timing, without a poll.
bool QuilletCreate(rig::Scene& scene, HWND bar, HWND createButton, const lines::Line& line, const fs::path& folder,
                   const fs::path& trash, double& ms) {
    std::error_code error;
    if (!fs::create_directory(folder, error)) return Fail("make " + rig::PathText(folder));
    SendMessageW(bar, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(fs::path(folder).make_preferred().c_str()));
    const std::wstring text = rig::Wide(line.text);
    rig::Ask(scene.combo, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
    if (rig::WindowText(scene.combo) != line.text) return Fail("the combo box holds the whole line");

    const int readsBefore = barReads;
    const double start = NowMs();
    PostMessageW(createButton, BM_CLICK, 0, 0);
    // Polled only as often as the time-out: the read, a sent message, ends the wait at once.
    if (!rig::WaitUntil([&] { return barReads != readsBefore; }, CreateMs, CreateMs)) {
        return Fail("the create command reads the address bar");
    }
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutW(scene.main, WM_NULL, 0, 0, SMTO_NORMAL, CreateMs, &ignored)) {
        return Fail("the create command ends");
    }
    ms = NowMs() - start;

    if (HWND box = rig::FindTopWindow(scene.processId, rig::ErrorBox)) {
        return Fail("Quillet says: " + rig::WindowText(GetDlgItem(box, rig::MessageTextId)));
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
    if (!fs::create_directory(folder, error)) return Fail("make " + rig::PathText(folder));
    const std::string base = rig::PathText(folder);
    if (std::any_of(base.begin(), base.end(), [](char c) { return (c & 0x80) != 0; })) {
        return Fail("the work folder's path is ASCII, for CreateDirectoryA: " + base);
    }
    std::vector<std::string> paths;
    for (const std::string& relative : line.folders) paths.push_back(base + "\\" + relative);
    bool made = true;
    const double start = NowMs();
    for (std::size_t at = 0; made && at < paths.size(); ++at) made = MakeFolder(paths[at], how);
    ms = NowMs() - start;
    if (!made) return Fail(rig::Format("the bare loop makes a folder of the line, error %lu", GetLastError()));
    return HoldsExactly(folder, line, "the bare loop") && PutAway(folder, trash);
}

struct CreateCase {
    const char* name;
    std::string figure;
    lines::Line line;
};

bool MeasureCreate(const fs::path& work, int runs) {
    rig::Scene scene;
    const fs::path root = work / L"create", trash = work / L"trash";
    if (const std::string failed = rig::Open(scene, root); !failed.empty()) return Fail("set-up: " + failed);
    const HWND bar = rig::FindChild(scene.standIn.get(), "Edit", nullptr);  // the stand-in's address bar
    const HWND createButton = rig::FindChild(scene.main, "Button", "Create");
    if (createButton == nullptr) return Fail("Quillet's Create button");
    barProc =
        reinterpret_cast<WNDPROC>(SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&CountingBarProc)));

    const std::vector<CreateCase> cases = {
        {"flat", "500 folders in one parent, against a bare CreateDirectoryA loop", lines::Siblings(500)},
        {"nested", "", lines::Projects(2500)},
    };
    for (const CreateCase& test : cases) {
        const std::string figure = !test.figure.empty()
                                       ? test.figure
                                       : rig::Format("a %u-char nested line (%u folders), against the same loop",
                                                     static_cast<unsigned>(test.line.text.size()),
                                                     static_cast<unsigned>(test.line.folders.size()));
        Figure againstBare, againstCalls, callsAgainstBare;
        // The first turn of each warms what Windows caches and is not counted.
        for (int run = runs > 1 ? -1 : 0; run < runs; ++run) {
            const auto target = [&](const char* who) {
                return root / rig::Wide(rig::Format("%s-%s-%02d", who, test.name, run + 1));
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
                rig::WaitUntil([] { return false; }, QuietMs);  // as before a start: what the last turn set going ends
                measured = measured && turns[turn]();
            }
            if (!measured) return false;
            if (run < 0) continue;
            againstBare.Add(quillet, bare);
            againstCalls.Add(quillet, calls);
            callsAgainstBare.Add(calls, bare);
        }
        againstBare.Log(rig::Format("%s, Quillet and the bare loop, ms", test.name));
        againstCalls.Log(rig::Format("%s, Quillet and the loop of its calls, ms", test.name));
        callsAgainstBare.Log(rig::Format("%s, the loop of Quillet's calls and the bare loop, ms", test.name));
        PrintRow(figure, rig::Format("%.1f ms", Median(againstBare.quillet)),
                 rig::Format("%.1f ms", Median(againstBare.baseline)), againstBare.Ratio(), CreateGoal);
        std::printf(
            "%s: a loop of Quillet's own CreateFolder (NtCreateFile, and NtQueryInformationFile for the "
            "file index its undo keeps) takes %.1f ms, %.2fx the bare loop; Quillet takes %.2fx that loop.\n",
            test.name, Median(callsAgainstBare.quillet), callsAgainstBare.Ratio(), againstCalls.Ratio());
    }
    SetWindowLongPtrW(bar, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(barProc));
    return rig::Close(scene) || Fail("Quillet ends after WM_CLOSE");
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index) arguments.push_back(rig::Utf8(argv[index]));
    int runs = DefaultRuns;
    fs::path base = fs::temp_directory_path() / L"quillet-bench";
    for (std::size_t at = 0; at + 1 < arguments.size(); at += 2) {
        if (arguments[at] == "--runs") runs = std::atoi(arguments[at + 1].c_str());
        if (arguments[at] == "--work") base = rig::Wide(arguments[at + 1]);
    }
    if (runs < 1 || arguments.size() % 2 != 0) {
        std::fprintf(stderr, "usage: quillet_bench [--runs N] [--work FOLDER]\n");
        return 2;
    }
    // Named by the clock and the process, so that a run never meets the folders of another.
    const fs::path work = base / rig::Format("run-%lu-%lu", GetTickCount(), GetCurrentProcessId());
    const bool measured = MeasureStart(work, runs) && MeasureCreate(work, runs);
    if (!measured) std::fprintf(stderr, "quillet_bench: the folders are in %s\n", rig::PathText(work).c_str());
    return measured ? 0 : 1;
}
