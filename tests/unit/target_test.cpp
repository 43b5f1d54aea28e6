// Where Quillet creates, how it places itself, its first tick, watchdog and error box.
#include "quillet_fixture.h"

namespace {

const std::string NotAFolderStart =
    "Windows says that the path shown in the address bar does not exist as a physical disk folder.\n\n"
    "If you can't see why (e.g. Control Panel, My Computer) then please check that you configured \n"
    "Explorer to show the full path in the address bar. ";

void WriteOptions(const std::string& keyLines) {
    sim::AddFile(OptionsPath, keyLines + "HISTORY:\r\n: colon at start = end history\r\n");
}

// Window trees under the remembered window, each a list of class chains built from it, with
// whether the address bar is found.
using Chain = std::vector<const char*>;

struct ChainCase {
    const char* description;
    std::vector<Chain> chains;
    bool found;
    bool remembered = true;  // false: no foreground window, chains among the top-level windows
};

const Chain FullChain = {"WorkerW", "ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"};
const Chain WorkerAChain = {"WorkerA", "ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"};

Chain Without(std::size_t level) {
    Chain chain = FullChain;
    chain.erase(chain.begin() + static_cast<std::ptrdiff_t>(level));
    return chain;
}

class AddressBarSearch : public QuilletTest, public ::testing::WithParamInterface<ChainCase> {};

TEST_P(AddressBarSearch, FollowsTheDirectChildChainOnly) {
    sim::DestroyWindow(explorer.window);
    WriteOptions("EXPLORERMISSINGPROMPT:0\r\n");
    win::WindowHandle remembered = GetParam().remembered ? sim::MakeWindow(nullptr, "CabinetWClass") : nullptr;
    for (const Chain& chain : GetParam().chains) {
        win::WindowHandle parent = remembered;
        for (const char* className : chain) parent = sim::MakeWindow(parent, className, DataDir);
    }
    sim::SetForegroundWindow(remembered);
    RunAfterFirstTick([&] {
        EXPECT_EQ(TargetState.addressBarEdit != nullptr, GetParam().found);
        EXPECT_EQ(TargetState.desktopMode, !GetParam().found);
        EXPECT_EQ(Form1->Caption(), GetParam().found ? "Quillet" : "Quillet on desktop");
    });
}

INSTANTIATE_TEST_SUITE_P(
    Chains, AddressBarSearch,
    ::testing::Values(ChainCase{"WorkerW chain", {FullChain}, true},
                      ChainCase{"WorkerA instead of WorkerW", {WorkerAChain}, true},
                      ChainCase{"a bare WorkerW hides a WorkerA chain", {{"WorkerW"}, WorkerAChain}, false},
                      ChainCase{"no WorkerW", {Without(0)}, false}, ChainCase{"no ReBarWindow32", {Without(1)}, false},
                      ChainCase{"no ComboBoxEx32", {Without(2)}, false}, ChainCase{"no ComboBox", {Without(3)}, false},
                      ChainCase{"no Edit", {Without(4)}, false},
                      ChainCase{"chain only under a second WorkerW", {{"WorkerW"}, FullChain}, false},
                      ChainCase{"chain one level too deep",
                                {{"DUIViewWndClassName", "WorkerW", "ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit"}},
                                false},
                      ChainCase{"no foreground window", {FullChain}, true, false}));

struct AddressCase {
    std::string address;
    std::string createdIn;  // empty: the not-a-folder message instead
};

class AddressBarText : public QuilletTest, public ::testing::WithParamInterface<AddressCase> {};

TEST_P(AddressBarText, DecidesTheTargetFolder) {
    sim::SetText(explorer.edit, GetParam().address);
    RunAfterFirstTick([&] { EXPECT_EQ(CreateWith("new"), !GetParam().createdIn.empty()); });
    if (!GetParam().createdIn.empty()) {
        EXPECT_TRUE(sim::FolderExists(GetParam().createdIn + "\\new"));
        EXPECT_TRUE(sim::MessageBoxes().empty());
        return;
    }
    EXPECT_EQ(sim::CreateDirectoryCalls(), 0);
    ASSERT_EQ(sim::MessageBoxes().size(), 1u);
    EXPECT_EQ(sim::MessageBoxes()[0].text.rfind(NotAFolderStart, 0), 0u) << sim::MessageBoxes()[0].text;
}

INSTANTIATE_TEST_SUITE_P(
    Addresses, AddressBarText,
    ::testing::Values(AddressCase{"C:\\Data", DataDir}, AddressCase{"c:\\data\\", DataDir},
                      AddressCase{"My Documents", DocumentsDir}, AddressCase{"my documents", DocumentsDir},
                      AddressCase{"MY DOCUMENTS", DocumentsDir}, AddressCase{"Desktop", DesktopDir},
                      AddressCase{"dESKTOP", DesktopDir}, AddressCase{"Desktop ", ""}, AddressCase{" Desktop", ""},
                      AddressCase{"Control Panel", ""}, AddressCase{"My Computer", ""}, AddressCase{"", ""},
                      AddressCase{"C:\\Missing", ""}));

TEST_F(QuilletTest, AddressBarIsReadAfreshAtEveryCommand) {
    sim::AddFolder("C:\\Other");
    RunAfterFirstTick([&] {
        EXPECT_TRUE(CreateWith("one"));
        sim::SetText(explorer.edit, "C:\\Other");
        EXPECT_TRUE(CreateWith("two"));
    });
    EXPECT_TRUE(sim::FolderExists(DataDir + "\\one"));
    EXPECT_TRUE(sim::FolderExists("C:\\Other\\two"));
}

TEST_F(QuilletTest, ShellThatCannotSupplyASpecialFolderStopsTheCommand) {
    sim::SetText(explorer.edit, "Desktop");
    sim::SetSpecialFolder(win::kCsidlDesktopDirectory, "");
    RunAfterFirstTick([&] { EXPECT_FALSE(CreateWith("new")); });
    EXPECT_EQ(sim::CreateDirectoryCalls(), 0);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                  "Windows could not tell where your Desktop folder is, so no folders were created."});
}

TEST_F(QuilletTest, DesktopModeCreatesOnTheDesktopWhateverBecameOfTheWindow) {
    WriteOptions("EXPLORERMISSINGPROMPT:0\r\n");
    sim::DestroyWindow(explorer.window);
    explorer = {};
    sim::SetForegroundWindow(sim::MakeWindow(nullptr, "CabinetWClass"));
    RunAfterFirstTick([&] {
        EXPECT_TRUE(CreateWith("a"));
        sim::Tick(Form1->Timer1);
        EXPECT_FALSE(Closed());
        EXPECT_TRUE(CreateWith("b"));
    });
    EXPECT_EQ(sim::ListTree(DesktopDir), (std::vector<std::string>{"a\\", "b\\"}));
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(QuilletTest, DesktopModeWithoutADesktopFolderShowsAMessage) {
    WriteOptions("EXPLORERMISSINGPROMPT:0\r\n");
    sim::SetForegroundWindow(nullptr);
    sim::SetSpecialFolder(win::kCsidlDesktopDirectory, "");
    RunAfterFirstTick([&] { EXPECT_FALSE(CreateWith("a")); });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{
                                  "Windows could not tell where your Desktop folder is, so no folders were created."});
}

TEST_F(QuilletTest, ClosedExplorerFailsACommandThenTheNextTickCloses) {
    RunAfterFirstTick([&] {
        sim::DestroyWindow(explorer.window);
        EXPECT_FALSE(CreateWith("a"));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Address bar has vanished"});
        EXPECT_FALSE(Closed());
        sim::Tick(Form1->Timer1);
        EXPECT_TRUE(Closed());
    });
}

TEST_F(QuilletTest, FirstTickMakesTopmostAndStartsTheWatchdog) {
    RunQuilletWith([&] {
        const ui::Bounds before{Form1->Left(), Form1->Top(), Form1->Width(), Form1->Height()};
        EXPECT_FALSE(sim::IsTopmost(Form1->Handle()));
        EXPECT_LE(Form1->Timer1.Interval(), 100u);
        sim::Tick(Form1->Timer1);
        EXPECT_TRUE(sim::IsTopmost(Form1->Handle()));
        EXPECT_EQ(Form1->Timer1.Interval(), 2000u);
        EXPECT_EQ(TargetState.addressBarEdit, explorer.edit);
        EXPECT_EQ(Form1->Left(), before.left);
        EXPECT_EQ(Form1->Top(), before.top);
        EXPECT_EQ(Form1->Width(), before.width);
        EXPECT_EQ(Form1->Height(), before.height);
        sim::Tick(Form1->Timer1);
        EXPECT_FALSE(Closed());
        sim::DestroyWindow(explorer.window);
        sim::Tick(Form1->Timer1);
        EXPECT_TRUE(Closed());
    });
}

TEST_F(QuilletTest, FirstTickWithoutAddressBarClosesWhenTheDialogIsQuit) {
    sim::DestroyWindow(explorer.window);
    sim::SetForegroundWindow(sim::MakeWindow(nullptr, "CabinetWClass"));
    RunQuilletWith([&] {
        sim::OnShowModal(*frmNoAddressBarQuery, [] { sim::Click(frmNoAddressBarQuery->btnQuit); });
        sim::Tick(Form1->Timer1);
        EXPECT_TRUE(Closed());
    });
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(QuilletTest, CommandBeforeTheFirstTickLooksUpTheAddressBarItself) {
    RunQuilletWith([&] {
        EXPECT_TRUE(CreateWith("early"));
        EXPECT_EQ(TargetState.addressBarEdit, explorer.edit);
        sim::Tick(Form1->Timer1);
        EXPECT_FALSE(Closed());
    });
    EXPECT_TRUE(sim::FolderExists(DataDir + "\\early"));
}

TEST_F(QuilletTest, ErrorBoxStopsTheWatchdogUntilItIsDismissed) {
    RunAfterFirstTick([&] {
        sim::OnMessageBox([&](const sim::MessageBoxRecord& box) {
            EXPECT_EQ(box.owner, Form1->Handle());
            EXPECT_FALSE(Form1->Timer1.Enabled());
            sim::DestroyWindow(explorer.window);
            sim::Tick(Form1->Timer1);
            EXPECT_FALSE(Closed());
        });
        EXPECT_FALSE(CreateWith("bad*"));
        EXPECT_TRUE(Form1->Timer1.Enabled());
        sim::Tick(Form1->Timer1);
        EXPECT_TRUE(Closed());
    });
}

TEST_F(QuilletTest, ErrorBoxGivesTheTimerBackTheStateItHad) {
    RunAfterFirstTick([&] {
        for (bool enabled : {false, true}) {
            Form1->Timer1.SetEnabled(enabled);
            ShowError("x");
            EXPECT_EQ(Form1->Timer1.Enabled(), enabled);
        }
    });
}

// Placement over the remembered window on a 1280 x 800 screen; Quillet's window is 584 x 73.
struct PlacementCase {
    const char* description;
    win::Rect explorerRect;
    int left, top;
};

class Placement : public QuilletTest, public ::testing::WithParamInterface<PlacementCase> {};

constexpr int CentredLeft = (1280 - 584) / 2;
constexpr int CentredTop = (800 - 73) / 2;

TEST_P(Placement, PutsTheWindowOnTheExplorerCornerOrCentresIt) {
    const PlacementCase& c = GetParam();
    sim::DestroyWindow(explorer.window);
    sim::SetForegroundWindow(MakeExplorer(DataDir, c.explorerRect).window);
    RunQuilletWith([&] {
        EXPECT_EQ(Form1->Left(), c.left);
        EXPECT_EQ(Form1->Top(), c.top);
        EXPECT_EQ(Form1->Width(), 584);
        EXPECT_EQ(Form1->Height(), 73);
        EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Rules, Placement,
    ::testing::Values(
        PlacementCase{"corner", {200, 150, 1000, 650}, 200, 150},
        PlacementCase{"maximised, negative both ways", {-8, -8, 1288, 808}, CentredLeft, CentredTop},
        PlacementCase{"exactly at the origin", {0, 0, 800, 600}, CentredLeft, CentredTop},
        PlacementCase{"negative left only", {-30, 100, 700, 600}, 0, 100},
        PlacementCase{"negative top only", {100, -30, 700, 600}, 100, 0},
        PlacementCase{"10 pixels from the right edge", {1280 - 584 - 10, 100, 1900, 600}, 1280 - 584 - 10, 100},
        PlacementCase{"9 pixels from the right edge", {1280 - 584 - 9, 100, 1900, 600}, CentredLeft, CentredTop},
        PlacementCase{"10 pixels from the bottom edge", {100, 800 - 73 - 10, 900, 900}, 100, 800 - 73 - 10},
        PlacementCase{"9 pixels from the bottom edge", {100, 800 - 73 - 9, 900, 900}, CentredLeft, CentredTop}));

TEST_F(QuilletTest, WindowLargerThanTheScreenCentresToNegativeTruncatedTowardZero) {
    sim::SetScreenSize(584 - 5, 73 - 5);
    RunQuilletWith([&] {
        EXPECT_EQ(Form1->Left(), -2);
        EXPECT_EQ(Form1->Top(), -2);
    });
}

TEST_F(QuilletTest, NoRememberedWindowCentres) {
    sim::SetForegroundWindow(nullptr);
    RunQuilletWith([&] {
        EXPECT_EQ(Form1->Left(), CentredLeft);
        EXPECT_EQ(Form1->Top(), CentredTop);
    });
}

}  // namespace
