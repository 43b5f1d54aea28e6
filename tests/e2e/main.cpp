// The end-to-end driver. Quillet.exe and Help_Quillet.htm are expected beside it.
//
//   quillet_e2e [--work FOLDER] [--keep] [NAME...]   run every scenario, or those whose name
//                                                   starts with one of the NAMEs
//   quillet_e2e --list                              list the scenarios
//   quillet_e2e demo FOLDER STOPFILE [TEXT]         show the stand-in and Quillet on
//                                                   FOLDER\demo, type TEXT and Enter, and wait
//                                                   until Quillet ends or STOPFILE appears
//
// Each scenario starts its own Quillet beside its own stand-in Explorer window. Checks that need
// the same set-up share a run where one step leaves what the next needs.
#include "rig.h"  // the end-to-end rig, also linked into the benchmark's driver

#include <fstream>

#include "ConfigwindowLayout.h"
#include "DesktoporquitLayout.h"
#include "Unit1Layout.h"

using namespace rig;

// One watchdog interval of 2 s, with room for a busy machine.
constexpr DWORD WatchdogMs = 2500;
// Quillet tries a held options file for about a second; the address bar's answer it awaits 3 s.
constexpr DWORD HeldLongMs = 3000, HeldBrieflyMs = 300, HungMs = 4000;
// The options file as Quillet writes it: each history line ends in CR CR LF.
std::string Stored(int autoBrackets, int enterKeyAction, int explorerMissingPrompt, const std::string& history = "") {
    return Format("AUTOBRACKETS:%d\r\nENTERKEYACTION:%d\r\nEXPLORERMISSINGPROMPT:%d\r\nHISTORY:\r\n", autoBrackets,
                  enterKeyAction, explorerMissingPrompt) +
           history + ": colon at start = end history\r\n";
}

std::vector<Scenario> AllScenarios() {
    // Written by hand with plain CR LF: any rewrite by Quillet would change its bytes.
    const std::string handWritten = Stored(1, 1, 1, "ABC\r\n");
    const Step Enter = Press(VK_RETURN), Escape = Press(VK_ESCAPE);
    const std::vector<Step> removeAbc = {Type("abc"), Click(Main, "-"), ExpectFile(Stored(1, 1, 1))};
    // In the code page's bytes (Windows-1252 here), as an older Quillet or an editor wrote them, and
    // out of order: the history list sorts them.
    const std::string cafe = Stored(1, 1, 1, "Na\xEFve\r\nCaf\xE9\r\n"),
                      noel = Stored(1, 1, 1, "Na\xEFve\r\r\nNo\xEBl\r\r\n");
    const std::string huge = Stored(1, 1, 1, std::string(1 << 20, 'x') + "\r\n");
    const std::string desktop = PathText(DesktopTopFolder());
    namespace M = Form1Layout;
    namespace O = OptionsLayout;
    namespace W = NoAddressBarLayout;
    // The automatic <> completion box has no caption of its own.
    const std::string optionsChecked = SortedList({"", "Create and stay open", "Prompt quit/create on desktop"});
    // At the stand-in's corner, where Quillet stays while it ends 10 pixels or more from the
    // monitor's bottom and right edges.
    const std::vector<Step> cornerAndMargins = {
        ExpectWindow(Main, At::StandIn), StandInNear(Edge::Bottom, 10), Restart(),
        ExpectWindow(Main, At::StandIn), StandInNear(Edge::Bottom, 9),  Restart(),
        ExpectWindow(Main, At::Centre),  StandInNear(Edge::Right, 10),  Restart(),
        ExpectWindow(Main, At::StandIn), StandInNear(Edge::Right, 9),   Restart(),
        ExpectWindow(Main, At::Centre)};
    // clang-format off
    std::vector<Scenario> scenarios = {
        {"placement-corner-and-margins", {}, cornerAndMargins},
        {"dpi-changed", {}, {SendDpiChange(144, {300, 200}), ExpectLayoutAfterDpiChange(144, Main, M::Window,
            {M::Label1, M::lblVersionInfo, M::lblSiteLink, M::ComboBox1, M::btnHistoryAdd, M::btnHistoryRemove,
            M::btnCreate, M::btnCreateQuit, M::btnQuit, M::btnConfig, M::btnHelp}), ExpectWindow(Main, At::Screen,
            {300, 200})}},
        {"layout-main", {},
            {ExpectLayout(Main, "main", M::Window, M::Label1, M::lblVersionInfo, M::lblSiteLink, M::ComboBox1,
            M::btnHistoryAdd, M::btnHistoryRemove, M::btnCreate, M::btnCreateQuit, M::btnQuit, M::btnConfig,
            M::btnHelp), Hover(Main, "+"), ExpectShown(Tooltip, "Add to history")}},
        // The box pauses the watchdog, which closes Quillet once the box is gone.
        {"watchdog", {}, {Type("a*"), Enter, ExpectShown(ErrorBox), CloseStandIn(),
            ExpectRunning(3000), Click(ErrorBox, "OK"), ExpectExit(WatchdogMs)}},
        // Keys typed while a button has the focus go to the combo box; Esc there closes.
        {"create-typed", {}, {ExpectFocus(), Type("Reports<"), ExpectCombo("Reports<>", 8), Type("Q1|Q2>|Archive"),
            ExpectCombo("Reports<Q1|Q2>|Archive", 22), Enter,
            ExpectTree({"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}), ExpectRunning(300), ExpectFocus(),
            Press(VK_TAB), ExpectFocus("+"), Type("<"), ExpectCombo("Reports<Q1|Q2>|Archive<>", 23), ExpectFocus("+"),
            Escape, ExpectExit(CloseMs), ExpectFile(std::nullopt)}},
        // Beside an Archive that must stay empty: a look-alike of the name would land there.
        {"create-unicode", {.folder = "Ārchive", .made = {"Archive"}}, {Type("Złoty|Ωmega"), Enter,
            ExpectTree({"Archive", "Program", "Ārchive", "Ārchive\\Złoty", "Ārchive\\Ωmega"}, ".")}},
        {"create-button-trims-blanks-in-cyrillic-folder", {.folder = "Отчёты"}, {Type("  Май  "), Click(Main, "Create"),
            ExpectTree({"Май"}), ExpectFocus(), ExpectRunning(300)}},
        // Enter creates and closes, which a refused specification must not do; automatic <> completion is off.
        {"illegal-names-then-create-and-close", {.options = Stored(0, 0, 1)}, {Type("a|b*"), Enter,
            ExpectShown(ErrorBox), Click(ErrorBox, "OK"), ExpectShown(ErrorBox, NotShown), Type("\b\bNUL"), Enter,
            ExpectShown(ErrorBox), Click(ErrorBox, "OK"), ExpectTree({}),
            ExpectRunning(500), Type("\b\b\b\b\bx<y>"), Enter, ExpectTree({"x", "x\\y"}), ExpectExit(CloseMs)}},
        {"escape-without-completion", {.options = Stored(0, 1, 1)}, {Type("a<"), ExpectCombo("a<", 2), Escape,
            ExpectExit(CloseMs)}},
        // "a" is older and stays though empty, "d" is filled meanwhile. Greyed, the item leaves the
        // menu open when clicked; the second Esc leaves the menu bar. Alt+Space waits for the main
        // window to be active again: while the box is closing it would open the box's menu.
        {"undo", {.made = {"Explorer Folder\\a"}}, {Type("a<b|c>|d"), Enter, ExpectTree({"a", "a\\b", "a\\c", "d"}),
            PutFile("Explorer Folder\\d\\note.txt", "kept"), Press(VK_SPACE, VK_MENU), Press('U'),
            ExpectShown(InfoBox, "2 folders were removed. 1 was left because it is no longer empty."),
            ExpectTree({"a", "d"}), Click(InfoBox, "OK"), ExpectShown(InfoBox, NotShown), ExpectFocus(),
            Press(VK_SPACE, VK_MENU), ClickLastMenuItem(),
            ExpectRunning(500), ExpectShown(Menu), Escape, Escape, ExpectShown(InfoBox, NotShown), ExpectRunning(300)}},
        {"history", {.options = handWritten}, {Type("abc"), Click(Main, "+"), ExpectFile(handWritten), Press(VK_END),
            Type(" "), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "ABC\r\r\nabc \r\r\n")), ExpectFocus(),
            Press(VK_END), Type("\b"), Click(Main, "-"), ExpectFile(Stored(1, 1, 1, "abc \r\r\n"))}},
        {"history-code-page", {.options = cafe}, {Press(VK_DOWN), ExpectCombo("Café", 0, 4), Type("café"),
            Click(Main, "-"), ExpectFile(Stored(1, 1, 1, "Na\xEFve\r\r\n")), Type("\b\b\b\bNoël"), Click(Main, "+"),
            ExpectFile(noel), Type("\b\b\b\bΩmega"), Click(Main, "+"),
            ExpectShown(ErrorBox, "This folder specification cannot be kept in the history: the options file keeps"),
            Click(ErrorBox, "OK"), ExpectFile(noel)}},
        {"file-held-long", {.options = handWritten, .holdOptionsMs = HeldLongMs},
            {ExpectShown(ErrorBox, "Your options file QuilletOptions.dat could not be read"), Click(ErrorBox, "OK"),
            ExpectFile(handWritten), Type("x"), Click(Main, "+"), ExpectShown(ErrorBox, NotShown),
            ExpectFile(handWritten)}},
        {"file-held-briefly", {.options = handWritten, .holdOptionsMs = HeldBrieflyMs}, removeAbc},
        {"file-too-large", {.options = huge}, {ExpectShown(ErrorBox, "QuilletOptions.dat is larger than 1 MB"),
            Click(ErrorBox, "OK"), Type("x"), Click(Main, "+"), ExpectShown(ErrorBox, NotShown), ExpectFile(huge)}},
        {"file-changed-by-another-copy", {}, {PutFile("Program\\QuilletOptions.dat", Stored(1, 1, 1, "fromB\r\r\n")),
            Type("fromA"), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "fromB\r\r\nfromA\r\r\n"))}},
        // The dialog follows the moved main window; Discard keeps Enter creating, Apply makes it close.
        {"options", {}, {Move(Main, 300, 400), ExpectWindow(Main, At::Screen, {300, 400}), Click(Main, "Options"),
            ExpectWindow(OptionsDialog, At::Screen, {310, 410}),
            ExpectLayout(OptionsDialog, "options", O::Window, O::chkAutoBrackets, O::Label1, O::grpEnterKey,
            O::radCreateClose, O::radCreate, O::btnDiscard, O::btnApply, O::GroupBox1, O::radioPrompt, O::radioDesktop),
            ExpectShown(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Discard changes"), ExpectShown(OptionsDialog, NotShown), ExpectFile(std::nullopt),
            Type("y"), Enter, ExpectTree({"y"}), ExpectRunning(300), Click(Main, "Options"),
            ExpectShown(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Apply"), ExpectShown(OptionsDialog, NotShown), ExpectFile(Stored(1, 0, 1)),
            Type("\bx"), Enter, ExpectTree({"x", "y"}), ExpectExit(CloseMs)}},
        {"address-bar-shows-desktop", {.barText = "Desktop"}, {Type(DesktopTop + "<a>"), Enter,
            ExpectTree({"a"}, desktop), ExpectTree({})}},
        // Taken relative to Quillet's current folder, "Reports" would be a folder.
        {"address-bar-relative", {.barText = "Reports", .made = {"Program\\Reports"}}, {Type("x"), Enter,
            ExpectShown(ErrorBox, "Windows says that the path shown in the address bar does not exist"),
            ExpectTree({"Explorer Folder", "Program", "Program\\Reports"}, ".")}},
        // Windows makes no folder inside a file: the folders must not go anywhere else either.
        {"address-bar-names-a-file", {}, {Act("put a file in place of the shown folder", [](Scene& scene) {
                std::error_code error;
                return fs::remove(scene.explorerFolder, error) && std::ofstream(scene.explorerFolder) << "a file";
            }), Type("x"), Enter,
            ExpectShown(ErrorBox, "Windows says that the path shown in the address bar does not exist"),
            ExpectTree({"Program"}, ".")}},
        {"address-bar-not-answering", {}, {Type("x"), Enter, Hang(HungMs),
            ExpectShown(ErrorBox, "The Explorer window does not answer"), ExpectTree({})}},
        {"program-by-name", {.options = handWritten, .start = Setup::Start::ByName}, removeAbc},
        {"program-unquoted-cyrillic-with-blank", {.options = handWritten, .program = "Мои программы",
            .start = Setup::Start::Unquoted}, removeAbc},
        {"register", {}, {Restart("/register"), ExpectExit(1000), ExpectMenuEntry(true), Restart("/unregister"),
            ExpectExit(1000), ExpectMenuEntry(false)}},
        {"no-address-bar-desktop", {.addressBar = false}, {ExpectWindow(Warning, At::Centre),
            ExpectLayout(Warning, "warning", W::Window, W::Label1, W::btnQuit, W::btnUseDesktop, W::radioPrompt,
            W::radioDesktop), ExpectShown(Warning, SortedList({"Always prompt like this"})),
            Click(Warning, "Create on desktop"), ExpectShown("Quillet on desktop"), Type(DesktopTop + "<a|b>"), Enter,
            ExpectTree({"a", "b"}, desktop), ExpectTree({})}},
        {"no-address-bar-always-desktop", {.addressBar = false},
            {Click(Warning, "Always create on desktop if no Explorer"), ExpectFile(Stored(1, 1, 0)),
            Click(Warning, "Quit"), ExpectExit(CloseMs), Restart(), ExpectShown(Warning, NotShown),
            ExpectShown("Quillet on desktop")}},
    };
    // clang-format on
    // Only where Windows reports a second monitor, so that their stage fails on a single one. It
    // lies right or left of the primary one, their top edges level.
    if (GetSystemMetrics(SM_CMONITORS) > 1) {
        const int virtualLeft = GetSystemMetrics(SM_XVIRTUALSCREEN);
        const int left = virtualLeft < 0 ? virtualLeft : GetSystemMetrics(SM_CXSCREEN);
        scenarios.push_back({"monitor-second", {.standIn = {left + 100, 100, left + 900, 600}}, cornerAndMargins});
    }
    return scenarios;
}

int wmain(int argc, wchar_t** argv) {
    std::vector<std::string> names;
    for (int index = 1; index < argc; ++index) names.push_back(Utf8(argv[index]));
    int passed = 0, failed = 0, run = 0;
    if (names.size() >= 3 && names[0] == "demo") {
        // A person's session for the main job: typed for them when TEXT is given, theirs otherwise.
        Scenario demo{"demo", {.standIn = {100, 100, 1000, 640}}, {}};
        if (names.size() > 3) demo.steps = {Type(names[3]), Press(VK_RETURN)};
        demo.steps.push_back(
            Act("Quillet ends or the stop file appears", [stop = fs::path(Wide(names[2]))](Scene& scene) {
                return WaitUntil([&] { return !scene.Running() || fs::exists(stop); }, 30 * 60 * 1000);
            }));
        RunScenario(demo, Wide(names[1]), passed, failed);
        return failed == 0 ? 0 : 1;
    }
    const bool list = std::erase(names, "--list") > 0, keep = std::erase(names, "--keep") > 0;
    const auto given = std::find(names.begin(), names.end(), "--work");
    const fs::path base =
        names.end() - given >= 2 ? fs::path(Wide(given[1])) : fs::temp_directory_path() / L"quillet-e2e";
    if (names.end() - given >= 2) names.erase(given, given + 2);
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
