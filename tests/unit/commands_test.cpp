// The main window's commands, keys and history as a user meets them.
#include "quillet_fixture.h"

namespace {

using Items = std::vector<std::string>;

Items HistoryItems() {
    Items items;
    for (int index = 0; index < Form1->ComboBox1.ItemCount(); ++index) items.push_back(Form1->ComboBox1.Item(index));
    return items;
}

void StoreHistory(const Items& entries) {
    std::string file = "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n";
    for (const std::string& entry : entries) file += entry + "\r\r\n";
    sim::AddFile(OptionsPath, file + ": colon at start = end history\r\n");
}

struct HistoryCase {
    const char* description;
    Items stored;
    std::string typed;
    bool add;  // + or -
    Items after;
    int saves;
};

class History : public QuilletTest, public ::testing::WithParamInterface<HistoryCase> {};

TEST_P(History, ChangesTheListAndSavesOnlyWhenItChanged) {
    const HistoryCase& c = GetParam();
    StoreHistory(c.stored);
    RunAfterFirstTick([&] {
        Form1->ComboBox1.SetText(c.typed);
        sim::Focus(c.add ? Form1->btnHistoryAdd : Form1->btnHistoryRemove);
        sim::Click(c.add ? Form1->btnHistoryAdd : Form1->btnHistoryRemove);
        EXPECT_EQ(HistoryItems(), c.after);
        EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
        EXPECT_EQ(Form1->ComboBox1.Text(), c.typed);
    });
    EXPECT_EQ(sim::FileWriteCount(OptionsPath), c.saves);
    EXPECT_TRUE(sim::MessageBoxes().empty());
}

INSTANTIATE_TEST_SUITE_P(
    PlusAndMinus, History,
    ::testing::Values(HistoryCase{"add to empty", {}, "a<b>", true, {"a<b>"}, 1},
                      HistoryCase{"add keeps order", {"alpha", "gamma"}, "Beta", true, {"alpha", "Beta", "gamma"}, 1},
                      HistoryCase{"add empty text", {"x"}, "", true, {"x"}, 0},
                      HistoryCase{"add differs only in case", {"ABC"}, "abc", true, {"ABC"}, 0},
                      HistoryCase{"add differs by a blank", {"ABC"}, "abc ", true, {"ABC", "abc "}, 1},
                      HistoryCase{"remove matches first of two", {"abc", "ABC"}, "Abc", false, {"ABC"}, 1},
                      HistoryCase{"remove matches nothing", {"abc"}, "abd", false, {"abc"}, 0},
                      HistoryCase{"remove empty text", {"abc"}, "", false, {"abc"}, 0}));

TEST_F(QuilletTest, HistoryRefusesEntriesThatCouldNotBeReadBack) {
    for (const std::string& text : {std::string(":starts with colon"), std::string("ctrl\x1Az")}) {
        SCOPED_TRACE(text);
        SetUp();
        RunAfterFirstTick([&] {
            Form1->ComboBox1.SetText(text);
            sim::Click(Form1->btnHistoryAdd);
            EXPECT_EQ(Form1->ComboBox1.ItemCount(), 0);
            EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
        });
        EXPECT_FALSE(sim::FileExists(OptionsPath));
        ASSERT_EQ(sim::MessageBoxes().size(), 1u);
        EXPECT_EQ(sim::MessageBoxes()[0].caption, ErrorCaption);
        EXPECT_NE(sim::MessageBoxes()[0].text.find("colon"), std::string::npos);
    }
}

TEST_F(QuilletTest, HistoryChangeBeforeTheFirstTickKeepsTheStoredHistory) {
    StoreHistory({"kept"});
    RunQuilletWith([&] {
        Form1->ComboBox1.SetText("new");
        sim::Click(Form1->btnHistoryAdd);
        sim::Tick(Form1->Timer1);
        EXPECT_EQ(HistoryItems(), (Items{"kept", "new"}));
    });
    EXPECT_NE(sim::FileBytes(OptionsPath).find("kept\r\r\n"), std::string::npos);
}

TEST_F(QuilletTest, CreateAndCloseClosesOnSuccessAndBeepsWithFocusUnmovedOnFailure) {
    RunAfterFirstTick([&] {
        Form1->ComboBox1.SetText("bad|");
        sim::Focus(Form1->btnCreateQuit);
        sim::Click(Form1->btnCreateQuit);
        EXPECT_FALSE(Closed());
        EXPECT_EQ(sim::BeepCount(), 1);
        EXPECT_EQ(sim::FocusedControl(), &Form1->btnCreateQuit);
        Form1->ComboBox1.SetText("good");
        sim::Click(Form1->btnCreateQuit);
        EXPECT_TRUE(Closed());
    });
    EXPECT_EQ(sim::BeepCount(), 1);
    EXPECT_TRUE(sim::FolderExists(DataDir + "\\good"));
}

struct EnterCase {
    int enterKeyAction;
    std::string text;
    bool closes;
    int beeps;
};

class EnterKey : public QuilletTest, public ::testing::WithParamInterface<EnterCase> {};

TEST_P(EnterKey, ClicksTheDefaultButtonChosenByTheOption) {
    const EnterCase& c = GetParam();
    sim::AddFile(OptionsPath, "ENTERKEYACTION:" + std::to_string(c.enterKeyAction) + "\r\n");
    RunAfterFirstTick([&] {
        Form1->ComboBox1.SetText(c.text);
        sim::Focus(Form1->ComboBox1);
        sim::TypeChar('\r');
        EXPECT_EQ(Closed(), c.closes);
        if (!c.closes) {
            EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
        }
    });
    EXPECT_EQ(sim::BeepCount(), c.beeps);
    const bool valid = c.text.back() != '|';
    EXPECT_EQ(sim::ListTree(DataDir), valid ? std::vector<std::string>{c.text + "\\"} : std::vector<std::string>{});
}

INSTANTIATE_TEST_SUITE_P(Options, EnterKey,
                         ::testing::Values(EnterCase{1, "stay", false, 0}, EnterCase{1, "bad|", false, 0},
                                           EnterCase{0, "close", true, 0}, EnterCase{0, "bad|", false, 1}));

TEST_F(QuilletTest, EnterOnAFocusedButtonClicksThatButton) {
    RunAfterFirstTick([&] {
        sim::Focus(Form1->btnQuit);
        sim::TypeChar('\r');
        EXPECT_TRUE(Closed());
    });
}

TEST_F(QuilletTest, EscClosesFromTheComboBoxAndFromEveryButton) {
    for (std::size_t index = 0; index < 8; ++index) {
        SCOPED_TRACE(index);
        SetUp();
        RunAfterFirstTick([&] {
            ui::Control* targets[] = {&Form1->ComboBox1, &Form1->btnHistoryAdd, &Form1->btnHistoryRemove,
                                      &Form1->btnCreate, &Form1->btnCreateQuit, &Form1->btnQuit,
                                      &Form1->btnConfig, &Form1->btnHelp};
            Form1->ComboBox1.SetText("keep");
            sim::Focus(*targets[index]);
            sim::TypeChar(27);
            EXPECT_TRUE(Closed());
            EXPECT_EQ(Form1->ComboBox1.Text(), "keep");
        });
        EXPECT_EQ(sim::CreateDirectoryCalls(), 0);
    }
}

struct BracketCase {
    const char* description;
    bool autoBrackets;
    std::string before;
    int selStart, selLength;
    bool fromButton;
    std::string after;
    int caret;
};

class Brackets : public QuilletTest, public ::testing::WithParamInterface<BracketCase> {};

TEST_P(Brackets, CompletesTheTypedOpeningBracket) {
    const BracketCase& c = GetParam();
    sim::AddFile(OptionsPath, std::string("AUTOBRACKETS:") + (c.autoBrackets ? "1" : "0") + "\r\n");
    RunAfterFirstTick([&] {
        Form1->ComboBox1.SetText(c.before);
        Form1->ComboBox1.SetSelection(c.selStart, c.selLength);
        ui::Control& focus = c.fromButton ? static_cast<ui::Control&>(Form1->btnConfig) : Form1->ComboBox1;
        sim::Focus(focus);
        sim::TypeChar('<');
        EXPECT_EQ(Form1->ComboBox1.Text(), c.after);
        EXPECT_EQ(Form1->ComboBox1.SelStart(), c.caret);
        EXPECT_EQ(Form1->ComboBox1.SelLength(), 0);
        EXPECT_EQ(sim::FocusedControl(), &focus);
    });
}

INSTANTIATE_TEST_SUITE_P(
    Keys, Brackets,
    ::testing::Values(BracketCase{"at the end", true, "a", 1, 0, false, "a<>", 2},
                      BracketCase{"in the middle", true, "ab", 1, 0, false, "a<>b", 2},
                      BracketCase{"over a selection", true, "axyb", 1, 2, false, "a<>b", 2},
                      BracketCase{"typed on a button", true, "ab", 2, 0, true, "ab<>", 3},
                      BracketCase{"typed on a button over a selection", true, "abc", 0, 3, true, "<>", 1},
                      BracketCase{"completion off", false, "a", 1, 0, false, "a<", 2},
                      BracketCase{"completion off on a button", false, "a", 1, 0, true, "a", 1}));

struct HelpCase {
    std::string commandLine;
    std::string helpPage;
};

class Help : public QuilletTest, public ::testing::WithParamInterface<HelpCase> {};

TEST_P(Help, OpensThePageBesideTheProgram) {
    sim::SetCommandLine(GetParam().commandLine);
    RunAfterFirstTick([&] {
        sim::Focus(Form1->btnHelp);
        sim::Click(Form1->btnHelp);
        EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
    });
    ASSERT_EQ(sim::ShellExecuteCalls().size(), 1u);
    const sim::ShellExecuteCall& call = sim::ShellExecuteCalls()[0];
    EXPECT_TRUE(call.ownerIsNull);
    EXPECT_EQ(call.verb, "open");
    EXPECT_EQ(call.file, GetParam().helpPage);
    EXPECT_EQ(call.parameters, "");
    EXPECT_EQ(call.directory, "");
    EXPECT_EQ(call.showCommand, win::kSwShowNormal);
}

INSTANTIATE_TEST_SUITE_P(
    CommandLines, Help,
    ::testing::Values(HelpCase{"\"C:\\Program Files\\Quillet\\Quillet.exe\"", ProgramDir + "\\Help_Quillet.htm"},
                      HelpCase{"\"C:\\Program Files\\Quillet\\Quillet.exe\" D:\\Some\\Folder",
                               ProgramDir + "\\Help_Quillet.htm"},
                      HelpCase{"\"C:\\Apps\\Quillet.exe\" \"D:\\x y\\z\"", "C:\\Apps\\Help_Quillet.htm"},
                      HelpCase{"C:\\Apps\\Quillet.exe D:\\x\\y", "C:\\Apps\\Help_Quillet.htm"},
                      HelpCase{"Quillet.exe", "Help_Quillet.htm"}));

TEST_F(QuilletTest, SiteLinkOpensTheSiteAndReturnsFocus) {
    RunAfterFirstTick([&] {
        sim::Focus(Form1->btnHelp);
        sim::Click(Form1->lblSiteLink);
        EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
    });
    ASSERT_EQ(sim::ShellExecuteCalls().size(), 1u);
    EXPECT_EQ(sim::ShellExecuteCalls()[0].verb, "open");
    EXPECT_EQ(sim::ShellExecuteCalls()[0].file.rfind("https://", 0), 0u);
    EXPECT_EQ(sim::ShellExecuteCalls()[0].showCommand, win::kSwShowNormal);
}

TEST_F(QuilletTest, OptionsButtonShowsTheDialogThenReturnsFocus) {
    bool shown = false;
    RunAfterFirstTick([&] {
        sim::OnShowModal(*frmOptions, [&] {
            shown = true;
            sim::Click(frmOptions->btnDiscard);
        });
        sim::Focus(Form1->btnConfig);
        sim::Click(Form1->btnConfig);
        EXPECT_EQ(sim::FocusedControl(), &Form1->ComboBox1);
    });
    EXPECT_TRUE(shown);
}

}  // namespace
