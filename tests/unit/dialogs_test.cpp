// The options dialog, the no-address-bar dialog, and the settings pushed into every control.
#include "quillet_fixture.h"

namespace {

const std::string EndLine = ": colon at start = end history\r\n";

std::string FileWith(int autoBrackets, int enterKeyAction, int prompt) {
    return "AUTOBRACKETS:" + std::to_string(autoBrackets) + "\r\nENTERKEYACTION:" + std::to_string(enterKeyAction) +
           "\r\nEXPLORERMISSINGPROMPT:" + std::to_string(prompt) + "\r\nHISTORY:\r\n" + EndLine;
}

// The state every option control shows, in one comparable record.
struct ControlState {
    bool autoBrackets, createClose, create, createDefault, createQuitDefault, prompt, desktop, queryPrompt,
        queryDesktop;
    bool operator==(const ControlState&) const = default;
};

std::ostream& operator<<(std::ostream& out, const ControlState& s) {
    return out << s.autoBrackets << s.createClose << s.create << s.createDefault << s.createQuitDefault << s.prompt
               << s.desktop << s.queryPrompt << s.queryDesktop;
}

ControlState Controls() {
    return {frmOptions->chkAutoBrackets.Checked(), frmOptions->radCreateClose.Checked(),
            frmOptions->radCreate.Checked(),       Form1->btnCreate.IsDefault(),
            Form1->btnCreateQuit.IsDefault(),      frmOptions->radioPrompt.Checked(),
            frmOptions->radioDesktop.Checked(),    frmNoAddressBarQuery->radioPrompt.Checked(),
            frmNoAddressBarQuery->radioDesktop.Checked()};
}

const ControlState Defaults{true, false, true, true, false, true, false, true, false};

// Opens the options dialog from the main window and runs `inDialog` inside it.
void InOptionsDialog(const std::function<void()>& inDialog) {
    sim::OnShowModal(*frmOptions, inDialog);
    sim::Click(Form1->btnConfig);
}

struct ApplyCase {
    const char* description;
    std::function<void()> choose;
    std::string file;
    ControlState after;
};

class ApplyOptions : public QuilletTest, public ::testing::WithParamInterface<ApplyCase> {};

TEST_P(ApplyOptions, StoresSavesAndPushesIntoEveryControl) {
    RunAfterFirstTick([&] {
        InOptionsDialog([&] {
            GetParam().choose();
            sim::Click(frmOptions->btnApply);
            EXPECT_FALSE(frmOptions->Visible());
        });
        EXPECT_EQ(Controls(), GetParam().after);
    });
    EXPECT_EQ(sim::FileBytes(OptionsPath), GetParam().file);
}

INSTANTIATE_TEST_SUITE_P(
    Choices, ApplyOptions,
    ::testing::Values(
        ApplyCase{"no change", [] {}, FileWith(1, 1, 1), Defaults},
        ApplyCase{"create and close", [] { sim::Click(frmOptions->radCreateClose); }, FileWith(1, 0, 1),
                  {true, true, false, false, true, true, false, true, false}},
        ApplyCase{"completion off", [] { sim::Click(frmOptions->chkAutoBrackets); }, FileWith(0, 1, 1),
                  {false, false, true, true, false, true, false, true, false}},
        ApplyCase{"always desktop", [] { sim::Click(frmOptions->radioDesktop); }, FileWith(1, 1, 0),
                  {true, false, true, true, false, false, true, false, true}}));

TEST_F(QuilletTest, ApplyMovesTheDefaultButtonSoEnterFollowsAtOnce) {
    RunAfterFirstTick([&] {
        InOptionsDialog([] {
            sim::Click(frmOptions->radCreateClose);
            sim::Click(frmOptions->btnApply);
        });
        Form1->ComboBox1.SetText("x");
        sim::Focus(Form1->ComboBox1);
        sim::TypeChar('\r');
        EXPECT_TRUE(Closed());
    });
    EXPECT_TRUE(sim::FolderExists(DataDir + "\\x"));
}

TEST_F(QuilletTest, DiscardRestoresEveryControlAndSavesNothing) {
    RunAfterFirstTick([&] {
        InOptionsDialog([] {
            sim::Click(frmOptions->chkAutoBrackets);
            sim::Click(frmOptions->radCreateClose);
            sim::Click(frmOptions->radioDesktop);
            sim::Click(frmOptions->btnDiscard);
        });
        EXPECT_EQ(Controls(), Defaults);
    });
    EXPECT_FALSE(sim::FileExists(OptionsPath));
}

TEST_F(QuilletTest, CloseBoxKeepsUnappliedChoicesForTheNextShowing) {
    RunAfterFirstTick([&] {
        InOptionsDialog([] {
            sim::Click(frmOptions->radCreateClose);
            sim::CloseBox(*frmOptions);
        });
        EXPECT_EQ(OptionSettings.enterKeyAction, 1);
        EXPECT_TRUE(Form1->btnCreate.IsDefault());
        InOptionsDialog([] {
            EXPECT_TRUE(frmOptions->radCreateClose.Checked());
            sim::Click(frmOptions->btnApply);
        });
        EXPECT_EQ(OptionSettings.enterKeyAction, 0);
    });
    EXPECT_EQ(sim::FileBytes(OptionsPath), FileWith(1, 0, 1));
    EXPECT_EQ(sim::FileWriteCount(OptionsPath), 1);
}

TEST_F(QuilletTest, UnknownEnterKeyActionLeavesTheEnterControlsUntilApplied) {
    sim::AddFile(OptionsPath, FileWith(1, 5, 1));
    RunAfterFirstTick([&] {
        EXPECT_EQ(OptionSettings.enterKeyAction, 5);
        EXPECT_EQ(Controls(), Defaults);
        Form1->ComboBox1.SetText("entry");
        sim::Click(Form1->btnHistoryAdd);
        EXPECT_NE(sim::FileBytes(OptionsPath).find("ENTERKEYACTION:5\r\n"), std::string::npos);
        InOptionsDialog([] { sim::Click(frmOptions->btnApply); });
    });
    EXPECT_NE(sim::FileBytes(OptionsPath).find("ENTERKEYACTION:1\r\n"), std::string::npos);
}

TEST_F(QuilletTest, OptionsDialogOpensBesideTheMainWindowWhereverItMoved) {
    RunAfterFirstTick([&] {
        for (const auto& [left, top] : {std::pair{200, 150}, std::pair{40, 500}}) {
            Form1->SetLeft(left);
            Form1->SetTop(top);
            InOptionsDialog([&] {
                EXPECT_EQ(frmOptions->Left(), left + 10);
                EXPECT_EQ(frmOptions->Top(), top + 10);
                sim::CloseBox(*frmOptions);
            });
        }
    });
}

TEST_F(QuilletTest, WatchdogStillRunsWhileTheOptionsDialogIsOpen) {
    RunAfterFirstTick([&] {
        InOptionsDialog([&] {
            sim::DestroyWindow(explorer.window);
            sim::Tick(Form1->Timer1);
        });
        EXPECT_TRUE(Closed());
    });
}

// Without an address bar the dialog decides; start without an address-bar chain under the window.
class NoAddressBar : public QuilletTest {
protected:
    void SetUp() override {
        QuilletTest::SetUp();
        sim::DestroyWindow(explorer.window);
        sim::SetForegroundWindow(sim::MakeWindow(nullptr, "CabinetWClass"));
    }

    // The first tick, with `inDialog` as what the user does in the dialog.
    void FirstTickAnswering(const std::function<void()>& inDialog) {
        sim::OnShowModal(*frmNoAddressBarQuery, [&] {
            dialogShown = true;
            EXPECT_FALSE(Form1->Timer1.Enabled());
            inDialog();
        });
        sim::Tick(Form1->Timer1);
    }

    bool dialogShown = false;
};

TEST_F(NoAddressBar, QuitEndsQuillet) {
    RunQuilletWith([&] {
        FirstTickAnswering([] { sim::Click(frmNoAddressBarQuery->btnQuit); });
        EXPECT_TRUE(Closed());
        EXPECT_EQ(Form1->Caption(), "Quillet");
    });
    EXPECT_TRUE(dialogShown);
    EXPECT_EQ(sim::SleepCount(), 0);
}

TEST_F(NoAddressBar, CloseBoxActsLikeQuit) {
    RunQuilletWith([&] {
        FirstTickAnswering([] { sim::CloseBox(*frmNoAddressBarQuery); });
        EXPECT_TRUE(Closed());
    });
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

TEST_F(NoAddressBar, CreateOnDesktopGivesDesktopModeForTheRestOfTheRun) {
    RunQuilletWith([&] {
        FirstTickAnswering([] { sim::Click(frmNoAddressBarQuery->btnUseDesktop); });
        EXPECT_FALSE(Closed());
        EXPECT_TRUE(TargetState.desktopMode);
        EXPECT_EQ(Form1->Caption(), "Quillet on desktop");
        EXPECT_TRUE(Form1->Timer1.Enabled());
        sim::OnShowModal(*frmNoAddressBarQuery, [] { ADD_FAILURE() << "asked twice"; });
        EXPECT_TRUE(CreateWith("a<b>"));
        sim::Tick(Form1->Timer1);
        EXPECT_FALSE(Closed());
    });
    EXPECT_TRUE(sim::FolderExists(DesktopDir + "\\a\\b"));
}

TEST_F(NoAddressBar, RadioClicksSaveEachTimeAndNeverDecide) {
    RunQuilletWith([&] {
        FirstTickAnswering([] {
            sim::Click(frmNoAddressBarQuery->radioDesktop);
            EXPECT_TRUE(frmNoAddressBarQuery->Visible());
            EXPECT_EQ(sim::FileBytes(OptionsPath), FileWith(1, 1, 0));
            EXPECT_TRUE(frmOptions->radioDesktop.Checked());
            sim::Click(frmNoAddressBarQuery->radioPrompt);
            EXPECT_TRUE(frmNoAddressBarQuery->Visible());
            EXPECT_FALSE(TargetState.desktopMode);
            EXPECT_EQ(Form1->Caption(), "Quillet");
            sim::Click(frmNoAddressBarQuery->btnQuit);
        });
    });
    EXPECT_EQ(sim::FileWriteCount(OptionsPath), 2);
    EXPECT_EQ(sim::FileBytes(OptionsPath), FileWith(1, 1, 1));
}

TEST_F(NoAddressBar, AlwaysDesktopThenQuitGoesToTheDesktopNextTimeWithoutAsking) {
    RunQuilletWith([&] {
        FirstTickAnswering([] {
            sim::Click(frmNoAddressBarQuery->radioDesktop);
            sim::Click(frmNoAddressBarQuery->btnQuit);
        });
        EXPECT_TRUE(Closed());
    });
    dialogShown = false;
    ResetProgramState();
    sim::SetForegroundWindow(sim::MakeWindow(nullptr, "CabinetWClass"));
    RunQuilletWith([&] {
        FirstTickAnswering([] {});
        EXPECT_FALSE(Closed());
        EXPECT_EQ(Form1->Caption(), "Quillet on desktop");
    });
    EXPECT_FALSE(dialogShown);
}

TEST_F(NoAddressBar, FailedSaveInTheDialogLeavesTheWatchdogOff) {
    sim::FailWritesIn(ProgramDir);
    RunQuilletWith([&] {
        FirstTickAnswering([] {
            sim::Click(frmNoAddressBarQuery->radioDesktop);
            EXPECT_FALSE(Form1->Timer1.Enabled());
            sim::Tick(Form1->Timer1);
            EXPECT_FALSE(Closed());
            sim::Click(frmNoAddressBarQuery->btnUseDesktop);
        });
        EXPECT_FALSE(Closed());
    });
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"For some reason your option settings could not be saved."});
}

TEST_F(NoAddressBar, CommandBeforeTheFirstTickAsksAndThenGoesOn) {
    RunQuilletWith([&] {
        sim::OnShowModal(*frmNoAddressBarQuery, [] { sim::Click(frmNoAddressBarQuery->btnQuit); });
        EXPECT_FALSE(CreateWith("a"));
        EXPECT_EQ(MessageTexts(), std::vector<std::string>{"Windows Explorer's address bar cannot be found"});
        sim::OnShowModal(*frmNoAddressBarQuery, [] { sim::Click(frmNoAddressBarQuery->btnUseDesktop); });
        EXPECT_TRUE(CreateWith("b"));
    });
    EXPECT_TRUE(sim::FolderExists(DesktopDir + "\\b"));
}

}  // namespace
