#include "scenarios.h"

#include <vector>

namespace {

constexpr const char* Spec = "Reports<Q1|Q2>|Archive";
const std::vector<std::string> SpecFolders = {"Archive", "Reports", "Reports\\Q1", "Reports\\Q2"};
constexpr DWORD CreateMs = 3000;
constexpr DWORD ExitMs = 5000;

std::string OptionsFileText(int autoBrackets, int enterKeyAction) {
    return Format(
        "AUTOBRACKETS:%d\r\nENTERKEYACTION:%d\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n"
        ": colon at start = end history\r\n",
        autoBrackets, enterKeyAction);
}

std::string Quoted(const std::string& text) {
    return "\"" + text + "\"";
}

RECT WindowBounds(HWND window) {
    RECT bounds{};
    GetWindowRect(window, &bounds);
    return bounds;
}

std::string Corner(const RECT& bounds) {
    return Format("(%ld, %ld)", bounds.left, bounds.top);
}

bool TreeIs(const fs::path& root, const std::vector<std::string>& folders) {
    return WaitUntil([&] { return ListTree(root) == folders; }, CreateMs);
}

bool FocusInCombo(Scene& scene) {
    HWND focus = FocusedControl(scene.MainWindow());
    return focus != nullptr && (focus == scene.Combo() || focus == scene.ComboEdit());
}

// Presses Enter and expects exactly these folders in the stand-in's folder.
void ExpectCreated(Report& report, Scene& scene, const std::vector<std::string>& folders) {
    if (!report.Require(PressKey(VK_RETURN), "press Enter")) return;
    bool created = TreeIs(scene.ExplorerFolder(), folders);
    report.Expect(created, "Enter creates " + Join(folders), Join(ListTree(scene.ExplorerFolder())));
}

struct PlacementCase {
    std::string label;
    RECT standIn;
    bool centred;
    POINT corner;  // where Quillet's top-left lands when it is not centred
};

std::vector<PlacementCase> PlacementCases(SIZE quillet) {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    int rightAt10 = screenWidth - quillet.cx - 10;
    int bottomAt10 = screenHeight - quillet.cy - 10;
    return {
        {"Explorer at (0, 0)", {0, 0, 800, 500}, true, {}},
        {"Explorer maximised at (-8, -8)", {-8, -8, screenWidth + 8, screenHeight + 8}, true, {}},
        {"Explorer at (-20, 150)", {-20, 150, 780, 650}, false, {0, 150}},
        {"Quillet 10 px from the right edge", {rightAt10, 150, rightAt10 + 800, 650}, false, {rightAt10, 150}},
        {"Quillet 9 px from the right edge", {rightAt10 + 1, 150, rightAt10 + 801, 650}, true, {}},
        {"Quillet 10 px from the bottom edge", {200, bottomAt10, 1000, bottomAt10 + 500}, false, {200, bottomAt10}},
        {"Quillet 9 px from the bottom edge", {200, bottomAt10 + 1, 1000, bottomAt10 + 501}, true, {}},
    };
}

// The edge cases need Quillet's outer size, so the plain case runs first and measures it.
void Placement(Report& report, const Bench& bench) {
    SIZE quillet{};
    {
        report.Begin("placement, Explorer at (200, 150)");
        auto scene = Scene::Open(report, bench, "placement-plain", {});
        if (!scene) return;
        RECT bounds = WindowBounds(scene->MainWindow());
        report.Expect(bounds.left == 200 && bounds.top == 150, "top-left lands on the Explorer window's, (200, 150)",
                      Corner(bounds));
        RECT client{};
        GetClientRect(scene->MainWindow(), &client);
        report.Expect(client.right == 578 && client.bottom == 48, "client area is 578 x 48",
                      Format("%ld x %ld", client.right, client.bottom));
        quillet = {bounds.right - bounds.left, bounds.bottom - bounds.top};
        report.Info(Format("outer size %ld x %ld", quillet.cx, quillet.cy));
    }
    int index = 0;
    for (const PlacementCase& test : PlacementCases(quillet)) {
        report.Begin("placement, " + test.label);
        auto scene =
            Scene::Open(report, bench, Format("placement-%d", ++index), {.standIn = test.standIn, .optionsFile = {}});
        if (!scene) continue;
        RECT bounds = WindowBounds(scene->MainWindow());
        POINT expected = test.corner;
        if (test.centred) {
            expected = {(GetSystemMetrics(SM_CXSCREEN) - quillet.cx) / 2,
                        (GetSystemMetrics(SM_CYSCREEN) - quillet.cy) / 2};
        }
        std::string where = Format("(%ld, %ld)", expected.x, expected.y);
        report.Expect(bounds.left == expected.x && bounds.top == expected.y,
                      (test.centred ? "centred on the screen at " : "top-left at ") + where, Corner(bounds));
    }
}

void Topmost(Report& report, const Bench& bench) {
    report.Begin("topmost");
    auto scene = Scene::Open(report, bench, "topmost", {});
    if (!scene) return;
    HWND window = scene->MainWindow();
    Stopwatch clock;
    bool topmost = WaitUntil([window] { return IsTopmost(window); }, 1000);
    long long elapsed = clock.Milliseconds();
    if (!report.Expect(topmost, "WS_EX_TOPMOST is set within 1 s of the window showing", "not set")) return;
    report.Info(Format("topmost %lld ms after the window was found visible", elapsed));
}

void Watchdog(Report& report, const Bench& bench) {
    report.Begin("watchdog");
    auto scene = Scene::Open(report, bench, "watchdog", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    scene->Explorer().Close();
    scene->ExpectExit(2500, "closing the Explorer window");
}

void AutoBrackets(Report& report, const Bench& bench) {
    report.Begin("autobrackets");
    auto scene = Scene::Open(report, bench, "autobrackets", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    HWND combo = scene->Combo();
    if (!report.Require(TypeText(combo, "a<"), "type a<")) return;
    ComboState state = ReadCombo(combo);
    report.Expect(state.text == "a<>", "typing a< shows a<>", Quoted(state.text));
    report.Expect(state.selectionStart == 2 && state.selectionEnd == 2, "the caret stands between < and >",
                  Format("selection %d to %d", state.selectionStart, state.selectionEnd));
    if (!report.Require(TypeText(combo, "b"), "type b")) return;
    state = ReadCombo(combo);
    report.Expect(state.text == "a<b>", "the next character goes between the brackets: a<b>", Quoted(state.text));
}

// With completion on, as a person types: the '>' that completion put in is stepped over.
void CreateTyped(Report& report, const Bench& bench) {
    report.Begin("create, typed with completion on");
    auto scene = Scene::Open(report, bench, "create-typed", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    report.Expect(GetForegroundWindow() == scene->MainWindow(), "Quillet's window is in the foreground");
    report.Expect(FocusInCombo(*scene), "the combo box has the keyboard focus");
    if (!report.Require(TypeAsPerson(scene->Combo(), Spec), Format("type %s", Spec))) return;
    std::string shown = ReadCombo(scene->Combo()).text;
    report.Expect(shown == Spec, Format("the combo box shows %s", Spec), Quoted(shown));
    ExpectCreated(report, *scene, SpecFolders);
    report.Require(SyncWith(scene->MainWindow()), "the main window answers after the create command");
    report.Expect(scene->Quillet().Running() && IsWindowVisible(scene->MainWindow()),
                  "Enter with the default options leaves Quillet open");
    report.Expect(FocusInCombo(*scene), "the focus is back in the combo box");
    scene->Close();
    report.Expect(!fs::exists(scene->OptionsFile()), "no options file is written when nothing was changed");
}

void CreateWithoutCompletion(Report& report, const Bench& bench) {
    report.Begin("create, completion off");
    std::string options = OptionsFileText(0, 1);
    auto scene = Scene::Open(report, bench, "create-no-completion", {.optionsFile = options});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(TypeText(scene->Combo(), Spec), Format("type %s", Spec))) return;
    std::string shown = ReadCombo(scene->Combo()).text;
    report.Expect(shown == Spec, "the text is exactly as typed", Quoted(shown));
    ExpectCreated(report, *scene, SpecFolders);
    scene->Close();
    std::string bytes = ReadFileBytes(scene->OptionsFile()).value_or("(no file)");
    report.Expect(bytes == options, "the options file is left as it was", Quoted(bytes));
}

void CreateAndClose(Report& report, const Bench& bench) {
    report.Begin("create and close");
    auto scene = Scene::Open(report, bench, "create-and-close", {.optionsFile = OptionsFileText(0, 0)});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(TypeText(scene->Combo(), "x<y>"), "type x<y>")) return;
    ExpectCreated(report, *scene, {"x", "x\\y"});
    scene->ExpectExit(ExitMs, "Enter with ENTERKEYACTION:0");
}

void EscCloses(Report& report, const Bench& bench) {
    report.Begin("esc");
    auto scene = Scene::Open(report, bench, "esc", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(PressKey(VK_ESCAPE), "press Esc")) return;
    scene->ExpectExit(ExitMs, "Esc");
}

void CloseButton(Report& report, const Bench& bench) {
    report.Begin("close button");
    auto scene = Scene::Open(report, bench, "close-button", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(ClickButton(scene->MainWindow(), "Close"), "click the button captioned Close")) return;
    scene->ExpectExit(ExitMs, "the Close button");
}

void IllegalName(Report& report, const Bench& bench) {
    report.Begin("illegal name");
    auto scene = Scene::Open(report, bench, "illegal-name", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(TypeText(scene->Combo(), "a|b*"), "type a|b*")) return;
    if (!report.Require(PressKey(VK_RETURN), "press Enter")) return;
    HWND box = WaitForWindow(scene->Quillet().Id(), "Quillet error", CreateMs);
    if (!report.Expect(box != nullptr, "a box titled \"Quillet error\" appears")) return;
    std::string text = MessageBoxText(box);
    report.Expect(text == "\"b*\" contains \"*\" which is not legal in a folder name.",
                  "it names b* and the character *", Quoted(text));
    report.Expect(ListTree(scene->ExplorerFolder()).empty(), "no folder is created, not even a",
                  Join(ListTree(scene->ExplorerFolder())));
    if (!report.Require(ClickButton(box, "OK"), "click OK in the box")) return;
    bool dismissed = WaitUntil([box] { return !IsWindow(box); }, ExitMs);
    report.Expect(dismissed, "OK closes the box");
    report.Expect(scene->Quillet().Running(), "Quillet stays open after the error");
}

constexpr Scenario Scenarios[] = {
    {"placement", Placement},
    {"topmost", Topmost},
    {"watchdog", Watchdog},
    {"autobrackets", AutoBrackets},
    {"create-typed", CreateTyped},
    {"create-no-completion", CreateWithoutCompletion},
    {"create-and-close", CreateAndClose},
    {"esc", EscCloses},
    {"close-button", CloseButton},
    {"illegal-name", IllegalName},
};

}  // namespace

std::span<const Scenario> AllScenarios() {
    return Scenarios;
}
