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

namespace {

int RunScenarios(const std::vector<std::string>& arguments) {
    std::vector<std::string> names = arguments;
    const bool keep = std::erase(names, "--keep") > 0;
    fs::path base = fs::temp_directory_path() / L"quillet-e2e";
    if (const auto work = std::find(names.begin(), names.end(), "--work"); names.end() - work >= 2) {
        base = Wide(work[1]);
        names.erase(work, work + 2);
    }
    // Named by the clock and the process, so that a run never finds the folders of a kept one.
    const fs::path work = base / Format("run-%lu-%lu", GetTickCount(), GetCurrentProcessId());
    Tally tally;
    int run = 0;
    for (const Scenario& scenario : AllScenarios()) {
        const auto starts = [&](const std::string& name) { return scenario.name.starts_with(name); };
        if (!names.empty() && std::none_of(names.begin(), names.end(), starts)) continue;
        RunScenario(scenario, work, tally);
        ++run;
    }
    if (run == 0) std::fprintf(stderr, "no scenario matches; --list shows them\n");
    std::error_code ignored;
    if (tally.failed == 0 && !keep) fs::remove_all(work, ignored);
    if (fs::exists(work)) std::printf("folders kept in %s\n", Utf8(work.wstring()).c_str());
    std::printf("%d scenarios\n%d passed, %d failed\n", run, tally.passed, tally.failed);
    return run == 0 ? 2 : tally.failed == 0 ? 0 : 1;
}

// A person's session for the main job: typed for them when TEXT is given, theirs otherwise.
int RunDemo(const std::vector<std::string>& arguments) {
    constexpr DWORD SessionMs = 30 * 60 * 1000;
    const fs::path folder = Wide(arguments[1]), stopFile = Wide(arguments[2]);
    Scenario demo{"demo", {.standIn = {100, 100, 1000, 640}}, {}};
    if (arguments.size() > 3) demo.steps = {Type(arguments[3]), Press(VK_RETURN)};
    const auto ended = [stopFile](Scene& scene, std::string&) {
        return WaitUntil([&] { return !scene.Running() || fs::exists(stopFile); }, SessionMs);
    };
    demo.steps.push_back({"Quillet ends or the stop file appears", ended, false});
    Tally tally;
    RunScenario(demo, folder, tally);
    return tally.failed == 0 ? 0 : 1;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> arguments;
    for (int index = 1; index < argc; ++index) arguments.push_back(Utf8(argv[index]));
    if (arguments.size() >= 3 && arguments[0] == "demo") return RunDemo(arguments);
    if (arguments.size() != 1 || arguments[0] != "--list") return RunScenarios(arguments);
    for (const Scenario& scenario : AllScenarios()) std::printf("%s\n", scenario.name.c_str());
    return 0;
}
