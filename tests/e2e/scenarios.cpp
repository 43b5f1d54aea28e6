#include "scenarios.h"

#include <shlobj.h>

#include <vector>

namespace {

constexpr const char* ReportsText = "Reports<Q1|Q2>|Archive";
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

std::string FileText(const fs::path& file) {
    return ReadFileBytes(file).value_or("(no file)");
}

// The controls of another process's window that are missing, by class and caption.
std::vector<std::string> MissingControls(HWND window, const std::vector<std::pair<const char*, const char*>>& controls) {
    std::vector<std::string> missing;
    for (const auto& [className, caption] : controls) {
        if (FindChild(window, className, caption) == nullptr) missing.push_back(Format("%s \"%s\"", className, caption));
    }
    return missing;
}

bool IsChecked(HWND window, const char* caption) {
    HWND button = FindChild(window, "Button", caption);
    return button != nullptr && SendMessageA(button, BM_GETCHECK, 0, 0) == BST_CHECKED;
}

SIZE ClientSize(HWND window) {
    RECT client{};
    GetClientRect(window, &client);
    return {client.right, client.bottom};
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

// The boundaries of the rules are the unit tests' business; here the real window's size and
// the real screen decide.
std::vector<PlacementCase> PlacementCases() {
    int screenWidth = GetSystemMetrics(SM_CXSCREEN);
    int screenHeight = GetSystemMetrics(SM_CYSCREEN);
    return {
        {"Explorer at (0, 0)", {0, 0, 800, 500}, true, {}},
        {"Explorer maximised at (-8, -8)", {-8, -8, screenWidth + 8, screenHeight + 8}, true, {}},
        {"Explorer at (-20, 150)", {-20, 150, 780, 650}, false, {0, 150}},
    };
}

// Centring needs Quillet's outer size, so the plain case runs first and measures it.
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
    for (const PlacementCase& test : PlacementCases()) {
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
    if (!report.Require(TypeAsPerson(scene->Combo(), ReportsText), Format("type %s", ReportsText))) return;
    std::string shown = ReadCombo(scene->Combo()).text;
    report.Expect(shown == ReportsText, Format("the combo box shows %s", ReportsText), Quoted(shown));
    ExpectCreated(report, *scene, SpecFolders);
    report.Require(SyncWith(scene->MainWindow()), "the main window answers after the create command");
    report.Expect(scene->Quillet().Running() && IsWindowVisible(scene->MainWindow()),
                  "Enter with the default options leaves Quillet open");
    report.Expect(FocusInCombo(*scene), "the focus is back in the combo box");
    scene->Close();
    report.Expect(!fs::exists(scene->OptionsFile()), "no options file is written when nothing was changed");
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

// A history change writes the whole options file; + and - each leave its exact bytes.
void HistoryFile(Report& report, const Bench& bench) {
    report.Begin("history and the options file");
    auto scene = Scene::Open(report, bench, "history-file", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(TypeAsPerson(scene->Combo(), "b<c>"), "type b<c>")) return;
    if (!report.Require(ClickButton(scene->MainWindow(), "+"), "click +")) return;
    const std::string withEntry =
        "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\nb<c>\r\r\n"
        ": colon at start = end history\r\n";
    fs::path file = scene->OptionsFile();
    bool written = WaitUntil([&] { return FileText(file) == withEntry; }, CreateMs);
    report.Expect(written, "+ writes the file with the entry ending in CR CR LF", Quoted(FileText(file)));
    report.Expect(FocusInCombo(*scene), "the focus is back in the combo box");
    if (!report.Require(ClickButton(scene->MainWindow(), "-"), "click -")) return;
    bool emptied = WaitUntil([&] { return FileText(file) == OptionsFileText(1, 1); }, CreateMs);
    report.Expect(emptied, "- writes HISTORY: followed directly by the end line", Quoted(FileText(file)));
}

void OptionsDialog(Report& report, const Bench& bench) {
    report.Begin("options dialog");
    auto scene = Scene::Open(report, bench, "options-dialog", {});
    if (!scene || !scene->WaitForFirstTick()) return;
    if (!report.Require(ClickButton(scene->MainWindow(), "Options"), "click Options")) return;
    HWND dialog = WaitForWindow(scene->Quillet().Id(), "Options", CreateMs);
    if (!report.Expect(dialog != nullptr, "a window captioned \"Options\" appears")) return;
    SIZE client = ClientSize(dialog);
    report.Expect(client.cx == 383 && client.cy == 133, "its client area is 383 x 133",
                  Format("%ld x %ld", client.cx, client.cy));
    RECT main = WindowBounds(scene->MainWindow());
    RECT bounds = WindowBounds(dialog);
    report.Expect(bounds.left == main.left + 10 && bounds.top == main.top + 10,
                  "it opens 10 pixels right of and below the main window's corner", Corner(bounds));
    std::vector<std::string> missing = MissingControls(
        dialog, {{"Static", "Automatic <> completion"}, {"Button", "Enter key presses..."},
                 {"Button", "Create and Close"}, {"Button", "Create and stay open"}, {"Button", "Discard changes"},
                 {"Button", "Apply"}, {"Button", "If Explorer window not found"},
                 {"Button", "Prompt quit/create on desktop"}, {"Button", "Always create on desktop"}});
    report.Expect(missing.empty(), "it holds every control with its caption", "missing " + Join(missing));
    report.Expect(IsChecked(dialog, "Create and stay open") && IsChecked(dialog, "Prompt quit/create on desktop") &&
                      !IsChecked(dialog, "Create and Close"),
                  "the radio buttons show the default options");
    if (!report.Require(ClickButton(dialog, "Create and Close"), "click Create and Close")) return;
    if (!report.Require(ClickButton(dialog, "Apply"), "click Apply")) return;
    bool hidden = WaitUntil([dialog] { return !IsWindowVisible(dialog); }, CreateMs);
    report.Expect(hidden, "Apply closes the dialog");
    bool saved = WaitUntil([&] { return FileText(scene->OptionsFile()) == OptionsFileText(1, 0); }, CreateMs);
    report.Expect(saved, "Apply writes ENTERKEYACTION:0", Quoted(FileText(scene->OptionsFile())));
    if (!report.Require(TypeText(scene->Combo(), "x"), "type x")) return;
    ExpectCreated(report, *scene, {"x"});
    scene->ExpectExit(ExitMs, "Enter, now Create and Close");
}

// Opens a scene whose stand-in has no address bar and waits for the question it raises.
HWND OpenWithoutAddressBar(Report& report, const Bench& bench, const std::string& name,
                           std::unique_ptr<Scene>& scene) {
    scene = Scene::Open(report, bench, name, {.addressBar = false});
    if (!scene) return nullptr;
    HWND dialog = WaitForWindow(scene->Quillet().Id(), "Quillet warning", CreateMs);
    report.Expect(dialog != nullptr, "a window captioned \"Quillet warning\" appears");
    return dialog;
}

fs::path DesktopFolder() {
    char path[MAX_PATH] = "";
    SHGetSpecialFolderPathA(nullptr, path, CSIDL_DESKTOPDIRECTORY, FALSE);
    return path;
}

void NoAddressBarDesktop(Report& report, const Bench& bench) {
    report.Begin("no address bar, create on desktop");
    std::unique_ptr<Scene> scene;
    HWND dialog = OpenWithoutAddressBar(report, bench, "no-address-bar-desktop", scene);
    if (dialog == nullptr) return;
    SIZE client = ClientSize(dialog);
    report.Expect(client.cx == 222 && client.cy == 106, "its client area is 222 x 106",
                  Format("%ld x %ld", client.cx, client.cy));
    RECT bounds = WindowBounds(dialog);
    int centredLeft = (GetSystemMetrics(SM_CXSCREEN) - (bounds.right - bounds.left)) / 2;
    report.Expect(bounds.left == centredLeft, "it is centred on the screen", Corner(bounds));
    std::vector<std::string> missing = MissingControls(
        dialog, {{"Static", "Could not find address bar in Explorer window so could not determine root path."},
                 {"Button", "Quit"}, {"Button", "Create on desktop"}, {"Button", "Always prompt like this"},
                 {"Button", "Always create on desktop if no Explorer"}});
    report.Expect(missing.empty(), "it holds every control with its caption", "missing " + Join(missing));
    report.Expect(IsChecked(dialog, "Always prompt like this"), "\"Always prompt like this\" is checked");
    if (!report.Require(ClickButton(dialog, "Create on desktop"), "click Create on desktop")) return;
    HWND renamed = WaitForWindow(scene->Quillet().Id(), "Quillet on desktop", CreateMs);
    if (!report.Expect(renamed != nullptr, "the main window is captioned \"Quillet on desktop\"")) return;

    const std::string top = Format("Quillet e2e %lu", GetCurrentProcessId());
    const fs::path created = DesktopFolder() / top;
    if (!report.Require(TypeAsPerson(scene->Combo(), top + "<a|b>"), "type a tree")) return;
    if (!report.Require(PressKey(VK_RETURN), "press Enter")) return;
    bool made = TreeIs(created, {"a", "b"});
    report.Expect(made, "Enter creates the tree in " + WindowsPath(DesktopFolder()), Join(ListTree(created)));
    report.Expect(ListTree(scene->ExplorerFolder()).empty(), "nothing is created in the Explorer folder");
    std::error_code ignored;
    fs::remove_all(created, ignored);
}

void NoAddressBarQuit(Report& report, const Bench& bench) {
    report.Begin("no address bar, quit");
    std::unique_ptr<Scene> scene;
    HWND dialog = OpenWithoutAddressBar(report, bench, "no-address-bar-quit", scene);
    if (dialog == nullptr) return;
    if (!report.Require(ClickButton(dialog, "Quit"), "click Quit")) return;
    scene->ExpectExit(ExitMs, "Quit in the no-address-bar dialog");
}

constexpr Scenario Scenarios[] = {
    {"placement", Placement},
    {"topmost", Topmost},
    {"watchdog", Watchdog},
    {"autobrackets", AutoBrackets},
    {"create-typed", CreateTyped},
    {"create-and-close", CreateAndClose},
    {"esc", EscCloses},
    {"illegal-name", IllegalName},
    {"history-file", HistoryFile},
    {"options-dialog", OptionsDialog},
    {"no-address-bar-desktop", NoAddressBarDesktop},
    {"no-address-bar-quit", NoAddressBarQuit},
};

}  // namespace

std::span<const Scenario> AllScenarios() {
    return Scenarios;
}
