// The end-to-end scenarios: each starts its own Quillet beside its own stand-in Explorer window.
#include "rig.h"

namespace {

constexpr DWORD ExitMs = 5000;
// One watchdog interval of 2 s, with room for a busy machine.
constexpr DWORD WatchdogMs = 2500;

// The options file as Quillet writes it: each history line ends in CR CR LF.
std::string Stored(int autoBrackets, int enterKeyAction, int explorerMissingPrompt, const std::string& history = "") {
    return Format("AUTOBRACKETS:%d\r\nENTERKEYACTION:%d\r\nEXPLORERMISSINGPROMPT:%d\r\nHISTORY:\r\n", autoBrackets,
                  enterKeyAction, explorerMissingPrompt) +
           history + ": colon at start = end history\r\n";
}

std::string IllegalStar(const std::string& name) {
    return "\"" + name + "\" contains \"*\" which is not legal in a folder name.";
}

}  // namespace

std::vector<Scenario> AllScenarios() {
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // Written by hand with plain CR LF: any rewrite by Quillet would change its bytes.
    const std::string handWritten = Stored(1, 1, 1, "ABC\r\n");
    // clang-format off
    const std::vector<std::pair<std::string, std::string>> optionsControls = {{"Static", "Automatic <> completion"},
        {"Button", "Enter key presses..."}, {"Button", "Create and Close"}, {"Button", "Create and stay open"},
        {"Button", "Discard changes"}, {"Button", "Apply"}, {"Button", "If Explorer window not found"},
        {"Button", "Prompt quit/create on desktop"}, {"Button", "Always create on desktop"}};
    const std::vector<std::pair<std::string, std::string>> warningControls = {
        {"Static", "Could not find address bar in Explorer window so could not determine root path."},
        {"Button", "Quit"}, {"Button", "Create on desktop"}, {"Button", "Always prompt like this"},
        {"Button", "Always create on desktop if no Explorer"}};
    return {
        {"placement-corner", {}, {ExpectWindow(Main, At::StandIn, {0, 0}, {578, 48})}},
        {"placement-origin", {.standIn = {0, 0, 800, 500}}, {ExpectWindow(Main, At::Centre)}},
        {"placement-maximised", {.standIn = {-8, -8, screenWidth + 8, screenHeight + 8}}, {ExpectWindow(Main, At::Centre)}},
        {"placement-off-left", {.standIn = {-20, 150, 780, 650}}, {ExpectWindow(Main, At::Screen, {0, 150})}},
        {"placement-margin-bottom", {}, {StandInNear(Edge::Bottom, 10), Restart(), ExpectWindow(Main, At::StandIn),
            StandInNear(Edge::Bottom, 9), Restart(), ExpectWindow(Main, At::Centre)}},
        {"placement-margin-right", {}, {StandInNear(Edge::Right, 10), Restart(), ExpectWindow(Main, At::StandIn),
            StandInNear(Edge::Right, 9), Restart(), ExpectWindow(Main, At::Centre)}},
        {"topmost", {}, {ExpectTopmost(1000)}},
        {"watchdog", {}, {CloseStandIn(), ExpectExit(WatchdogMs)}},
        {"watchdog-paused-by-error", {}, {Type("a*"), Press(VK_RETURN), ExpectError(IllegalStar("a*")), CloseStandIn(),
            ExpectRunning(3000), Click(ErrorBox, "OK"), ExpectExit(WatchdogMs)}},
        {"autobrackets", {}, {Type("a<"), ExpectCombo("a<>", 2), Type("b"), ExpectCombo("a<b>", 3)}},
        {"create-typed", {}, {ExpectFocus(), Type("Reports<Q1|Q2>|Archive"), ExpectCombo("Reports<Q1|Q2>|Archive", 22),
            Press(VK_RETURN), ExpectTree({"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}), ExpectRunning(300),
            ExpectFocus(), Press(VK_ESCAPE), ExpectExit(ExitMs), ExpectFile(std::nullopt)}},
        {"create-and-close", {.options = Stored(0, 0, 1)}, {Type("x<y>"), Press(VK_RETURN), ExpectTree({"x", "x\\y"}),
            ExpectExit(ExitMs)}},
        {"create-button-trims-blanks", {}, {Type("  Projects  "), Click(Main, "Create"), ExpectTree({"Projects"}),
            ExpectFocus(), ExpectRunning(300)}},
        {"esc", {}, {Press(VK_ESCAPE), ExpectExit(ExitMs)}},
        {"keys-on-buttons", {}, {Press(VK_TAB), ExpectFocus("+"), Type("<"), ExpectCombo("<>", 1), ExpectFocus("+"),
            Press(VK_ESCAPE), ExpectExit(ExitMs)}},
        {"illegal-name", {}, {Type("a|b*"), Press(VK_RETURN), ExpectError(IllegalStar("b*")), ExpectTree({}),
            Click(ErrorBox, "OK"), ExpectShown(ErrorBox, false), ExpectRunning(300)}},
        {"history-file", {}, {Type("b<c>"), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "b<c>\r\r\n")), ExpectFocus(),
            Click(Main, "-"), ExpectFile(Stored(1, 1, 1))}},
        {"history-ignores-case", {.options = handWritten}, {Type("abc"), Click(Main, "+"), ExpectFile(handWritten),
            Press(VK_END), Type(" "), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "ABC\r\r\nabc \r\r\n")),
            Press(VK_END), Type("\b"), Click(Main, "-"), ExpectFile(Stored(1, 1, 1, "abc \r\r\n"))}},
        {"options-dialog", {}, {Click(Main, "Options"), ExpectWindow(OptionsDialog, At::MainWindow, {10, 10}, {383, 133}),
            ExpectControls(OptionsDialog, optionsControls, {"Create and stay open", "Prompt quit/create on desktop"}),
            Click(OptionsDialog, "Create and Close"), Click(OptionsDialog, "Apply"), ExpectShown(OptionsDialog, false),
            ExpectFile(Stored(1, 0, 1)), Type("x"), Press(VK_RETURN), ExpectTree({"x"}), ExpectExit(ExitMs)}},
        {"options-discard", {}, {Click(Main, "Options"), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Discard changes"), ExpectShown(OptionsDialog, false), ExpectFile(std::nullopt),
            Click(Main, "Options"),
            ExpectControls(OptionsDialog, optionsControls, {"Create and stay open", "Prompt quit/create on desktop"}),
            Click(OptionsDialog, "Discard changes"), Type("y"), Press(VK_RETURN), ExpectTree({"y"}), ExpectRunning(500)}},
        {"options-follow-main-window", {}, {Move(Main, 300, 400), ExpectWindow(Main, At::Screen, {300, 400}),
            Click(Main, "Options"), ExpectWindow(OptionsDialog, At::Screen, {310, 410})}},
        {"address-bar-shows-desktop", {.barText = "Desktop"}, {Type(DesktopTop + "<a>"), Press(VK_RETURN),
            ExpectTree({"a"}, true), ExpectTree({})}},
        {"program-folder-with-blanks", {.program = "My Quillet"}, {Type("b"), Click(Main, "+"),
            ExpectFile(Stored(1, 1, 1, "b\r\r\n"))}},
        {"no-address-bar-desktop", {.addressBar = false}, {ExpectWindow(Warning, At::Centre, {0, 0}, {222, 106}),
            ExpectControls(Warning, warningControls, {"Always prompt like this"}),
            Click(Warning, "Create on desktop"), ExpectShown("Quillet on desktop"), Type(DesktopTop + "<a|b>"),
            Press(VK_RETURN), ExpectTree({"a", "b"}, true), ExpectTree({})}},
        {"no-address-bar-quit", {.addressBar = false}, {Click(Warning, "Quit"), ExpectExit(ExitMs)}},
        {"no-address-bar-always-desktop", {.addressBar = false}, {Click(Warning, "Always create on desktop if no Explorer"),
            ExpectFile(Stored(1, 1, 0)), Click(Warning, "Quit"), ExpectExit(ExitMs), Restart(),
            ExpectShown(Warning, false), ExpectShown("Quillet on desktop")}},
    };
    // clang-format on
}
