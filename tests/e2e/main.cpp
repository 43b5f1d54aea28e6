// The end-to-end driver. Quillet.exe and Help_Quillet.htm are expected beside it.
//
//   quillet_e2e [--work FOLDER] [--keep] [NAME...]   run every scenario, or those whose name
//                                                   starts with one of the NAMEs
//   quillet_e2e --list                              list the scenarios
//   quillet_e2e demo FOLDER STOPFILE [TEXT]         show the stand-in and Quillet on
//                                                   FOLDER\demo, type TEXT and Enter, and wait
//                                                   until Quillet ends or STOPFILE appears
#include <algorithm>
#include <cstdio>

#include "rig.h"

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> names;
    for (int index = 1; index < argc; ++index) names.push_back(Utf8(argv[index]));
    int passed = 0, failed = 0, run = 0;
    if (names.size() >= 3 && names[0] == "demo") {
        // A person's session for the main job: typed for them when TEXT is given, theirs otherwise.
        const fs::path stopFile = Wide(names[2]);
        Scenario demo{"demo", {.standIn = {100, 100, 1000, 640}}, {}};
        if (names.size() > 3) demo.steps = {Type(names[3]), Press(VK_RETURN)};
        const auto ended = [stopFile](Scene& scene, std::string&) {
            return WaitUntil([&] { return !scene.Running() || fs::exists(stopFile); }, 30 * 60 * 1000);
        };
        demo.steps.push_back({"Quillet ends or the stop file appears", ended, false});
        RunScenario(demo, Wide(names[1]), passed, failed);
        return failed == 0 ? 0 : 1;
    }
    const bool list = std::erase(names, "--list") > 0, keep = std::erase(names, "--keep") > 0;
    fs::path base = fs::temp_directory_path() / L"quillet-e2e";
    if (const auto work = std::find(names.begin(), names.end(), "--work"); names.end() - work >= 2) {
        base = Wide(work[1]);
        names.erase(work, work + 2);
    }
    // Named by the clock and the process, so that a run never finds the folders of a kept one.
    const fs::path work = base / Format("run-%lu-%lu", GetTickCount(), GetCurrentProcessId());
    for (const Scenario& scenario : AllScenarios()) {
        const auto starts = [&](const std::string& name) { return scenario.name.starts_with(name); };
        if (!names.empty() && std::none_of(names.begin(), names.end(), starts)) continue;
        ++run;
        if (list) std::printf("%s\n", scenario.name.c_str());
        if (!list) RunScenario(scenario, work, passed, failed);
    }
    if (list) return 0;
    if (run == 0) std::fprintf(stderr, "no scenario matches; --list shows them\n");
    std::error_code ignored;
    if (failed == 0 && !keep) fs::remove_all(work, ignored);
    if (fs::exists(work)) std::printf("folders kept in %s\n", Utf8(work.wstring()).c_str());
    std::printf("%d scenarios\n%d passed, %d failed\n", run, passed, failed);
    return run == 0 ? 2 : failed == 0 ? 0 : 1;
}
