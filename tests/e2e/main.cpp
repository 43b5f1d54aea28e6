// The end-to-end driver. Quillet.exe and Help_Quillet.htm are expected beside it.
//
//   quillet_e2e [--work FOLDER] [--keep] [NAME...]   run every scenario, or those whose name
//                                                   starts with one of the NAMEs
//   quillet_e2e --list                              list the scenarios
//   quillet_e2e demo FOLDER STOPFILE [TEXT]         show the stand-in and Quillet on
//                                                   FOLDER\demo, type TEXT and Enter, and wait
//                                                   until Quillet ends or STOPFILE appears
#include <cstdio>
#include <cstring>
#include <string>
#include <system_error>
#include <vector>

#include "rig.h"
#include "scenarios.h"
#include "scene.h"

namespace {

struct Arguments {
    fs::path workFolder;
    bool keep = false;
    bool list = false;
    std::vector<std::string> filters;
};

Arguments ParseArguments(int argc, char** argv) {
    Arguments arguments;
    for (int index = 1; index < argc; ++index) {
        std::string argument = argv[index];
        if (argument == "--work" && index + 1 < argc) {
            arguments.workFolder = argv[++index];
        } else if (argument == "--keep") {
            arguments.keep = true;
        } else if (argument == "--list") {
            arguments.list = true;
        } else {
            arguments.filters.push_back(argument);
        }
    }
    return arguments;
}

fs::path DefaultWorkFolder() {
    char temp[MAX_PATH];
    DWORD length = GetTempPathA(sizeof temp, temp);
    return fs::path(std::string(temp, length)) / "quillet-e2e";
}

Bench MakeBench(const fs::path& workFolder) {
    fs::path driverFolder = DriverFolder();
    return {driverFolder / "Quillet.exe", driverFolder / "Help_Quillet.htm", workFolder};
}

// Named by the time and the process, so that a run never finds the folders of a kept one.
std::string RunFolderName() {
    SYSTEMTIME now;
    GetLocalTime(&now);
    return Format("run-%04u%02u%02u-%02u%02u%02u-%lu", now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute,
                  now.wSecond, GetCurrentProcessId());
}

bool Selected(const Scenario& scenario, const std::vector<std::string>& filters) {
    if (filters.empty()) return true;
    for (const std::string& filter : filters) {
        if (std::strncmp(scenario.name, filter.c_str(), filter.size()) == 0) return true;
    }
    return false;
}

int ListScenarios() {
    for (const Scenario& scenario : AllScenarios()) std::printf("%s\n", scenario.name);
    return 0;
}

int RunScenarios(const Arguments& arguments) {
    std::vector<const Scenario*> chosen;
    for (const Scenario& scenario : AllScenarios()) {
        if (Selected(scenario, arguments.filters)) chosen.push_back(&scenario);
    }
    if (chosen.empty()) {
        std::fprintf(stderr, "no scenario matches; --list shows them\n");
        return 2;
    }
    fs::path base = arguments.workFolder.empty() ? DefaultWorkFolder() : arguments.workFolder;
    Bench bench = MakeBench(base / RunFolderName());
    Report report;
    Stopwatch wholeRun;
    for (const Scenario* scenario : chosen) {
        Stopwatch clock;
        scenario->run(report, bench);
        report.Begin(scenario->name);
        report.Info(Format("scenario took %lld ms", clock.Milliseconds()));
    }
    std::printf("%zu scenarios in %lld ms\n", chosen.size(), wholeRun.Milliseconds());
    if (report.Failed() == 0 && !arguments.keep) {
        std::error_code ignored;
        fs::remove_all(bench.workFolder, ignored);
    } else {
        std::printf("folders kept in %s\n", WindowsPath(bench.workFolder).c_str());
    }
    std::printf("%d passed, %d failed\n", report.Passed(), report.Failed());
    return report.Failed() == 0 ? 0 : 1;
}

// A person's session for the main job: typed for them when TEXT is given, theirs otherwise.
int RunDemo(const fs::path& folder, const fs::path& stopFile, const char* text) {
    constexpr DWORD SessionMs = 30 * 60 * 1000;
    Report report;
    report.Begin("demo");
    auto scene = Scene::Open(report, MakeBench(folder), "demo", {.standIn = {100, 100, 1000, 640}, .optionsFile = {}});
    if (!scene) return 1;
    report.Info("Quillet is open beside a stand-in Explorer window on " + WindowsPath(scene->ExplorerFolder()));
    if (text != nullptr) {
        if (!scene->WaitForFirstTick()) return 1;
        if (!report.Require(TypeAsPerson(scene->Combo(), text), Format("type %s", text))) return 1;
        if (!report.Require(PressKey(VK_RETURN), "press Enter")) return 1;
        report.Info(Format("typed %s and pressed Enter", text));
    }
    QuilletProcess& quillet = scene->Quillet();
    WaitUntil([&] { return !quillet.Running() || fs::exists(stopFile); }, SessionMs);
    scene->Close();
    return report.Failed() == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "demo") == 0) return RunDemo(argv[2], argv[3], argc >= 5 ? argv[4] : nullptr);
    Arguments arguments = ParseArguments(argc, argv);
    if (arguments.list) return ListScenarios();
    return RunScenarios(arguments);
}
