// The end-to-end scenarios: each starts its own Quillet beside its own stand-in Explorer window.
// Checks that need the same set-up share a run where one step leaves what the next needs.
#include "ConfigwindowLayout.h"
#include "DesktoporquitLayout.h"
#include "Unit1Layout.h"
#include "rig.h"

namespace {

constexpr DWORD ExitMs = 5000;
// One watchdog interval of 2 s, with room for a busy machine.
constexpr DWORD WatchdogMs = 2500;
// Quillet tries a held options file for about a second; the address bar's answer it awaits 3 s.
constexpr DWORD HeldLongMs = 3000, HeldBrieflyMs = 300, HungMs = 4000;
const std::string NotAFolder =
    "Windows says that the path shown in the address bar does not exist as a physical disk folder.\n\n"
    "If you can't see why (e.g. Control Panel, My Computer) then please check that you configured \n"
    "Explorer to show the full path in the address bar. If it does show a real folder, please tell us "
    "at https://quillet.example/ which path it shows.";
const std::string NotAnswering =
    "The Explorer window does not answer, so Quillet cannot read which folder it shows. No folders were created."
    "\n\nWait until Explorer responds again, then try once more.";
const std::string Unreadable =
    "Your options file QuilletOptions.dat could not be read, so Quillet starts with its default options and an "
    "empty history.\n\nChanges to the options and the history will not be saved until Quillet is started again.";
const std::string TooLarge =
    "QuilletOptions.dat is larger than 1 MB, far too large to be Quillet's options file, so it was not read. "
    "Quillet starts with its default options and an empty history.\n\nChanges to the options and the history "
    "will not be saved while that file is there.";
const std::string NotInCodePage =
    "This folder specification cannot be kept in the history: the options file keeps the characters of "
    "your Windows code page only, and this specification holds others. You can still create it.";

// The options file as Quillet writes it: each history line ends in CR CR LF.
std::string Stored(int autoBrackets, int enterKeyAction, int explorerMissingPrompt, const std::string& history = "") {
    return Format("AUTOBRACKETS:%d\r\nENTERKEYACTION:%d\r\nEXPLORERMISSINGPROMPT:%d\r\nHISTORY:\r\n", autoBrackets,
                  enterKeyAction, explorerMissingPrompt) +
           history + ": colon at start = end history\r\n";
}

std::string IllegalStar(const std::string& name) {
    return "\"" + name + "\" contains \"*\" which is not legal in a folder name.";
}

// A control of a window's layout table, found in the window by its class and caption, with
// what the system's control draws beside its caption at 96 dpi: a push button's edges, a group
// box's frame on either side, the box of a check box or radio button.
template <typename Args>
Part Of(const Args& args) {
    if constexpr (std::is_same_v<Args, ui::ComboBox::CreateArgs>) {
        return {"ComboBox", args.bounds, "", args.font};
    } else if constexpr (std::is_same_v<Args, ui::Label::CreateArgs>) {
        return {"Static", args.bounds, args.caption, args.font, 0, args.wordWrap};
    } else {
        constexpr bool push = std::is_same_v<Args, ui::Button::CreateArgs>;
        constexpr bool group = std::is_same_v<Args, ui::GroupBox::CreateArgs>;
        return {"Button", args.bounds, args.caption, args.font, push ? 4 : (group ? 16 : 17)};
    }
}

}  // namespace

std::vector<Scenario> AllScenarios() {
    using enum Setup::Start;
    const int screenWidth = GetSystemMetrics(SM_CXSCREEN), screenHeight = GetSystemMetrics(SM_CYSCREEN);
    // Written by hand with plain CR LF: any rewrite by Quillet would change its bytes.
    const std::string handWritten = Stored(1, 1, 1, "ABC\r\n");
    const std::vector<Step> removeAbc = {Type("abc"), Click(Main, "-"), ExpectFile(Stored(1, 1, 1))};
    // In the code page's bytes (Windows-1252 here), as an older Quillet or an editor wrote them.
    const std::string cafe = Stored(1, 1, 1, "Caf\xE9\r\nNa\xEFve\r\n"),
                      noel = Stored(1, 1, 1, "Na\xEFve\r\r\nNo\xEBl\r\r\n");
    const std::string huge = Stored(1, 1, 1, std::string(1 << 20, 'x') + "\r\n");
    namespace M = Form1Layout;
    namespace O = OptionsLayout;
    namespace W = NoAddressBarLayout;
    // clang-format off
    const Layout mainLayout{M::Window, {Of(M::Label1), Of(M::lblVersionInfo), Of(M::lblSiteLink), Of(M::ComboBox1),
        Of(M::btnHistoryAdd), Of(M::btnHistoryRemove), Of(M::btnCreate), Of(M::btnCreateQuit), Of(M::btnQuit),
        Of(M::btnConfig), Of(M::btnHelp)}, "main"};
    const Layout optionsLayout{O::Window, {Of(O::chkAutoBrackets), Of(O::Label1), Of(O::grpEnterKey),
        Of(O::radCreateClose), Of(O::radCreate), Of(O::btnDiscard), Of(O::btnApply), Of(O::GroupBox1),
        Of(O::radioPrompt), Of(O::radioDesktop)}, "options"};
    const Layout warningLayout{W::Window, {Of(W::Label1), Of(W::btnQuit), Of(W::btnUseDesktop), Of(W::radioPrompt),
        Of(W::radioDesktop)}, "warning"};
    // The automatic <> completion box has no caption of its own.
    const std::vector<std::string> optionsChecked = {"", "Create and stay open", "Prompt quit/create on desktop"};
    // At the stand-in's corner, where Quillet stays while it ends 10 pixels or more from the
    // monitor's bottom and right edges.
    std::vector<Step> cornerAndMargins = {ExpectWindow(Main, At::StandIn)};
    for (const Edge edge : {Edge::Bottom, Edge::Right}) {
        cornerAndMargins.insert(cornerAndMargins.end(), {StandInNear(edge, 10), Restart(),
            ExpectWindow(Main, At::StandIn), StandInNear(edge, 9), Restart(), ExpectWindow(Main, At::Centre)});
    }
    std::vector<Scenario> scenarios = {
        {"placement-corner-and-margins", {}, cornerAndMargins},
        {"placement-origin", {.standIn = {0, 0, 800, 500}}, {ExpectWindow(Main, At::Centre)}},
        {"placement-maximised", {.standIn = {-8, -8, screenWidth + 8, screenHeight + 8}},
            {ExpectWindow(Main, At::Centre)}},
        {"placement-off-left", {.standIn = {-20, 150, 780, 650}}, {ExpectWindow(Main, At::Screen, {0, 150})}},
        {"layout-main", {}, {ExpectTopmost(1000), ExpectLayout(Main, mainLayout)}},
        // The box pauses the watchdog, which closes Quillet once the box is gone.
        {"watchdog", {}, {Type("a*"), Press(VK_RETURN), ExpectBox(ErrorBox, IllegalStar("a*")), CloseStandIn(),
            ExpectRunning(3000), Click(ErrorBox, "OK"), ExpectExit(WatchdogMs)}},
        {"create-typed", {}, {ExpectFocus(), Type("Reports<"), ExpectCombo("Reports<>", 8), Type("Q1|Q2>|Archive"),
            ExpectCombo("Reports<Q1|Q2>|Archive", 22), Press(VK_RETURN),
            ExpectTree({"Reports", "Reports\\Q1", "Reports\\Q2", "Archive"}), ExpectRunning(300), ExpectFocus(),
            Press(VK_ESCAPE), ExpectExit(ExitMs), ExpectFile(std::nullopt)}},
        {"create-and-close", {.options = Stored(0, 0, 1)}, {Type("x<y>"), Press(VK_RETURN), ExpectTree({"x", "x\\y"}),
            ExpectExit(ExitMs)}},
        {"create-button-trims-blanks", {}, {Type("  Projects  "), Click(Main, "Create"), ExpectTree({"Projects"}),
            ExpectFocus(), ExpectRunning(300)}},
        // Beside an Archive that must stay empty: a look-alike of the name would land there.
        {"create-unicode", {.folder = "Ārchive", .made = {"Archive"}}, {Type("Złoty|Ωmega"), Press(VK_RETURN),
            ExpectTree({"Archive", "Program", "Ārchive", "Ārchive\\Złoty", "Ārchive\\Ωmega"}, In::Scenario)}},
        {"create-in-cyrillic-folder", {.folder = "Отчёты"}, {Type("Май"), Press(VK_RETURN), ExpectTree({"Май"})}},
        {"keys-on-buttons", {}, {Press(VK_TAB), ExpectFocus("+"), Type("<"), ExpectCombo("<>", 1), ExpectFocus("+"),
            Press(VK_ESCAPE), ExpectExit(ExitMs)}},
        // With Enter set to create and close, which a refused specification must not do.
        {"illegal-names", {.options = Stored(1, 0, 1)}, {Type("a|b*"), Press(VK_RETURN),
            ExpectBox(ErrorBox, IllegalStar("b*")), Click(ErrorBox, "OK"), ExpectShown(ErrorBox, false),
            Type("\b\bNUL"), Press(VK_RETURN), ExpectBox(ErrorBox, "\"NUL\" is not a legal folder name."),
            Click(ErrorBox, "OK"), ExpectTree({}), ExpectRunning(500)}},
        // "a" is older and stays though empty, "d" is filled meanwhile. Greyed, the item leaves the
        // menu open when clicked; the second Esc leaves the menu bar.
        {"undo", {.made = {"Explorer Folder\\a"}}, {Type("a<b|c>|d"), Press(VK_RETURN),
            ExpectTree({"a", "a\\b", "a\\c", "d"}), PutFile("Explorer Folder\\d\\note.txt", "kept"),
            Press(VK_SPACE, VK_MENU), Press('U'),
            ExpectBox(InfoBox, "2 folders were removed. 1 was left because it is no longer empty."),
            ExpectTree({"a", "d"}), Click(InfoBox, "OK"), Press(VK_SPACE, VK_MENU), ClickLastMenuItem(),
            ExpectRunning(500, Menu), Press(VK_ESCAPE), Press(VK_ESCAPE), ExpectShown(InfoBox, false),
            ExpectRunning(300)}},
        {"history", {.options = handWritten}, {Type("abc"), Click(Main, "+"), ExpectFile(handWritten),
            Press(VK_END), Type(" "), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "ABC\r\r\nabc \r\r\n")),
            ExpectFocus(), Press(VK_END), Type("\b"), Click(Main, "-"), ExpectFile(Stored(1, 1, 1, "abc \r\r\n"))}},
        {"history-code-page", {.options = cafe}, {Type("café"), Click(Main, "-"),
            ExpectFile(Stored(1, 1, 1, "Na\xEFve\r\r\n")), Type("\b\b\b\bNoël"), Click(Main, "+"), ExpectFile(noel),
            Type("\b\b\b\bΩmega"), Click(Main, "+"), ExpectBox(ErrorBox, NotInCodePage), Click(ErrorBox, "OK"),
            ExpectFile(noel)}},
        {"file-held-long", {.options = handWritten, .holdOptionsMs = HeldLongMs}, {ExpectBox(ErrorBox, Unreadable),
            Click(ErrorBox, "OK"), ExpectFile(handWritten), Type("x"), Click(Main, "+"), ExpectShown(ErrorBox, false),
            ExpectFile(handWritten)}},
        {"file-held-briefly", {.options = handWritten, .holdOptionsMs = HeldBrieflyMs}, removeAbc},
        {"file-too-large", {.options = huge}, {ExpectBox(ErrorBox, TooLarge), Click(ErrorBox, "OK"), Type("x"),
            Click(Main, "+"), ExpectShown(ErrorBox, false), ExpectFile(huge)}},
        {"file-changed-by-another-copy", {}, {PutFile("Program\\QuilletOptions.dat", Stored(1, 1, 1, "fromB\r\r\n")),
            Type("fromA"), Click(Main, "+"), ExpectFile(Stored(1, 1, 1, "fromB\r\r\nfromA\r\r\n"))}},
        // The dialog follows the moved main window; Discard keeps Enter creating, Apply makes it close.
        {"options", {}, {Move(Main, 300, 400), ExpectWindow(Main, At::Screen, {300, 400}), Click(Main, "Options"),
            ExpectWindow(OptionsDialog, At::Screen, {310, 410}), ExpectLayout(OptionsDialog, optionsLayout),
            ExpectChecked(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Discard changes"), ExpectShown(OptionsDialog, false), ExpectFile(std::nullopt),
            Type("y"), Press(VK_RETURN), ExpectTree({"y"}), ExpectRunning(300), Click(Main, "Options"),
            ExpectChecked(OptionsDialog, optionsChecked), Click(OptionsDialog, "Create and Close"),
            Click(OptionsDialog, "Apply"), ExpectShown(OptionsDialog, false), ExpectFile(Stored(1, 0, 1)),
            Type("\bx"), Press(VK_RETURN), ExpectTree({"x", "y"}), ExpectExit(ExitMs)}},
        {"address-bar-shows-desktop", {.barText = "Desktop"}, {Type(DesktopTop + "<a>"), Press(VK_RETURN),
            ExpectTree({"a"}, In::Desktop), ExpectTree({})}},
        // Taken relative to Quillet's current folder, "Reports" would be a folder.
        {"address-bar-relative", {.barText = "Reports", .made = {"Program\\Reports"}}, {Type("x"), Press(VK_RETURN),
            ExpectBox(ErrorBox, NotAFolder),
            ExpectTree({"Explorer Folder", "Program", "Program\\Reports"}, In::Scenario)}},
        {"address-bar-not-answering", {}, {Type("x"), Press(VK_RETURN), Hang(HungMs),
            ExpectBox(ErrorBox, NotAnswering), ExpectTree({})}},
        {"program-by-name", {.options = handWritten, .start = ByName}, removeAbc},
        {"program-unquoted-with-blank", {.options = handWritten, .program = "My Tools", .start = Unquoted}, removeAbc},
        {"program-cyrillic-folder-with-blank", {.options = handWritten, .program = "Мои программы"}, removeAbc},
        {"register", {}, {Restart("/register"), ExpectExit(1000), ExpectMenuEntry(true), Restart("/unregister"),
            ExpectExit(1000), ExpectMenuEntry(false)}},
        {"no-address-bar-desktop", {.addressBar = false}, {ExpectWindow(Warning, At::Centre),
            ExpectLayout(Warning, warningLayout), ExpectChecked(Warning, {"Always prompt like this"}),
            Click(Warning, "Create on desktop"), ExpectShown("Quillet on desktop"), Type(DesktopTop + "<a|b>"),
            Press(VK_RETURN), ExpectTree({"a", "b"}, In::Desktop), ExpectTree({})}},
        {"no-address-bar-always-desktop", {.addressBar = false}, {
            Click(Warning, "Always create on desktop if no Explorer"), ExpectFile(Stored(1, 1, 0)),
            Click(Warning, "Quit"), ExpectExit(ExitMs), Restart(), ExpectShown(Warning, false),
            ExpectShown("Quillet on desktop")}},
    };
    // Only where Windows reports a second monitor, so that their stage fails on a single one.
    if (const std::vector<RECT> monitors = Monitors(); monitors.size() > 1) {
        const RECT& second = monitors[1];
        const RECT onSecond{second.left + 100, second.top + 100, second.left + 900, second.top + 600};
        scenarios.push_back({"monitor-second", {.standIn = onSecond}, cornerAndMargins});
    }
    // clang-format on
    return scenarios;
}
