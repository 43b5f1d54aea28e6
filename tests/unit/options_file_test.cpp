// The bytes of the options file, written and read.
#include "quillet_fixture.h"

namespace {

using Items = std::vector<std::string>;

const std::string EndLine = ": colon at start = end history\r\n";
const std::string DefaultFile =
    "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n" + EndLine;

Items HistoryItems() {
    Items items;
    for (int index = 0; index < Form1->ComboBox1.ItemCount(); ++index) items.push_back(Form1->ComboBox1.Item(index));
    return items;
}

void AddToHistory(const std::string& text) {
    Form1->ComboBox1.SetText(text);
    sim::Click(Form1->btnHistoryAdd);
}

TEST_F(QuilletTest, SavedFileHasExactBytesForEmptyAndFilledHistory) {
    RunAfterFirstTick([&] {
        AddToHistory("zeta");
        AddToHistory("a<b>|c");
        EXPECT_EQ(sim::FileBytes(OptionsPath),
                  "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n"
                  "a<b>|c\r\r\nzeta\r\r\n" + EndLine);
        Form1->ComboBox1.SetText("ZETA");
        sim::Click(Form1->btnHistoryRemove);
        Form1->ComboBox1.SetText("A<B>|C");
        sim::Click(Form1->btnHistoryRemove);
        EXPECT_EQ(sim::FileBytes(OptionsPath), DefaultFile);
    });
}

TEST_F(QuilletTest, SavedFileReadsBackToTheSameSettingsAndHistory) {
    sim::AddFile(OptionsPath, "AUTOBRACKETS:0\r\nENTERKEYACTION:-7\r\nEXPLORERMISSINGPROMPT:0\r\nHISTORY:\r\n" + EndLine);
    RunAfterFirstTick([&] {
        AddToHistory("  blanks  ");
        AddToHistory("x<y>");
    });
    const std::string saved = sim::FileBytes(OptionsPath);
    EXPECT_EQ(saved, "AUTOBRACKETS:0\r\nENTERKEYACTION:-7\r\nEXPLORERMISSINGPROMPT:0\r\nHISTORY:\r\n"
                     "  blanks  \r\r\nx<y>\r\r\n" + EndLine);

    SetUp();
    sim::AddFile(OptionsPath, saved);
    RunAfterFirstTick([&] {
        EXPECT_FALSE(OptionSettings.autoBrackets);
        EXPECT_EQ(OptionSettings.enterKeyAction, -7);
        EXPECT_FALSE(OptionSettings.explorerMissingPrompt);
        EXPECT_EQ(HistoryItems(), (Items{"  blanks  ", "x<y>"}));
    });
}

struct ReadCase {
    const char* description;
    std::string bytes;
    bool autoBrackets;
    int enterKeyAction;
    bool explorerMissingPrompt;
    Items history;
};

class Reader : public QuilletTest, public ::testing::WithParamInterface<ReadCase> {};

TEST_P(Reader, ReadsSettingsAndHistory) {
    const ReadCase& c = GetParam();
    sim::AddFile(OptionsPath, c.bytes);
    RunQuilletWith([&] {
        EXPECT_EQ(OptionSettings.autoBrackets, c.autoBrackets);
        EXPECT_EQ(OptionSettings.enterKeyAction, c.enterKeyAction);
        EXPECT_EQ(OptionSettings.explorerMissingPrompt, c.explorerMissingPrompt);
        EXPECT_EQ(HistoryItems(), c.history);
    });
    EXPECT_EQ(sim::FileBytes(OptionsPath), c.bytes);
}

const std::string Settings001 = "AUTOBRACKETS:0\nENTERKEYACTION:0\nEXPLORERMISSINGPROMPT:1\n";

INSTANTIATE_TEST_SUITE_P(
    Files, Reader,
    ::testing::Values(
        ReadCase{"LF line ends", Settings001 + "HISTORY:\na\nb\n: end\n", false, 0, true, {"a", "b"}},
        ReadCase{"CR LF line ends", "AUTOBRACKETS:0\r\nENTERKEYACTION:0\r\nHISTORY:\r\na\r\nb\r\n: end\r\n", false, 0,
                 true, {"a", "b"}},
        ReadCase{"CR CR LF history lines", "HISTORY:\r\na\r\r\nb\r\r\n" + EndLine, true, 1, true, {"a", "b"}},
        ReadCase{"stray CRs vanish, also from entries", "AUTO\rBRACKETS:\r0\nHISTORY:\nx\ry\n", false, 1, true, {"xy"}},
        ReadCase{"Ctrl-Z ends the file", "AUTOBRACKETS:0\n\x1A" "ENTERKEYACTION:0\n", false, 1, true, {}},
        ReadCase{"Ctrl-Z inside the history", "HISTORY:\nab\x1A" "cd\nef\n", true, 1, true, {"ab"}},
        ReadCase{"lower case, blanks and tabs around the key", " \tautobrackets : 0\n", false, 1, true, {}},
        ReadCase{"value not a number", "AUTOBRACKETS:yes\n", false, 1, true, {}},
        ReadCase{"empty value", "AUTOBRACKETS:\n", false, 1, true, {}},
        ReadCase{"any non-zero is true", "AUTOBRACKETS:0\nEXPLORERMISSINGPROMPT:2\nAUTOBRACKETS:-1\n", true, 1, true, {}},
        ReadCase{"leading white space and sign of a value", "ENTERKEYACTION: \t+5x\n", true, 5, true, {}},
        ReadCase{"negative value", "ENTERKEYACTION:-1\n", true, -1, true, {}},
        ReadCase{"value wraps in 32 bits", "ENTERKEYACTION:4294967298\n", true, 2, true, {}},
        ReadCase{"leading parts and second-letter keys", "AUTO:0\nENTER:0\nEXPLORER:0\n", false, 0, false, {}},
        ReadCase{"U selects the first setting", "U:0\n", false, 1, true, {}},
        ReadCase{"UTOBRACKETS selects the first setting", "UTOBRACKETS:0\n", false, 1, true, {}},
        ReadCase{"ISTORY starts the history", "ISTORY:\nentry\n", true, 1, true, {"entry"}},
        ReadCase{"H starts the history", "H:\nentry\n", true, 1, true, {"entry"}},
        ReadCase{"keys that select nothing", "E:0\nBRACKETS:0\nKEY:0\nFOO:1\n:0\n01 AUTOBRACKETS:0\nAUTOBRACKETS 0\n",
                 true, 1, true, {}},
        ReadCase{"key running on into the table", "AUTOBRACKETS*02:0\n", false, 1, true, {}},
        ReadCase{"last key line wins, any order", "EXPLORERMISSINGPROMPT:0\nAUTOBRACKETS:0\nAUTOBRACKETS:1\n", true, 1,
                 false, {}},
        ReadCase{"history value ignored, empty lines skipped, blanks and duplicates kept",
                 "HISTORY: anything\n\nx\n   \nx\nAUTOBRACKETS:0\n" + EndLine, true, 1, true,
                 {"   ", "AUTOBRACKETS:0", "x", "x"}},
        ReadCase{"no end line: everything after HISTORY is history, last line whole",
                 "HISTORY:\nfirst\nENTERKEYACTION:0\nlast", true, 1, true, {"ENTERKEYACTION:0", "first", "last"}},
        ReadCase{"key lines after the end line are settings", "HISTORY:\na\n: end\nENTERKEYACTION:0\n", true, 0, true,
                 {"a"}},
        ReadCase{"several history sections", "HISTORY:\nb\n:\nHISTORY:\na\n", true, 1, true, {"a", "b"}},
        ReadCase{"an entry with a colon first ends the section", "HISTORY:\na\n:lost\nAUTOBRACKETS:0\n", false, 1, true,
                 {"a"}},
        ReadCase{"NUL ends a line's text", std::string("AUTOBRACKETS:0\0" "1\nHISTORY:\nab\0cd\n\0z\n", 35), false, 1,
                 true, {"ab"}},
        ReadCase{"one line without a line end", "AUTOBRACKETS:0", false, 1, true, {}},
        ReadCase{"one byte", "A", true, 1, true, {}},
        ReadCase{"empty file", "", true, 1, true, {}}));

TEST_F(QuilletTest, EmptyFileChangesNothingButTheDefaultsStillReachTheControls) {
    sim::AddFile(OptionsPath, "");
    RunQuilletWith([&] {
        EXPECT_TRUE(frmOptions->chkAutoBrackets.Checked());
        EXPECT_TRUE(Form1->btnCreate.IsDefault());
    });
}

TEST_F(QuilletTest, MissingFileGivesDefaultsAndIsNotCreated) {
    RunAfterFirstTick([&] {
        EXPECT_TRUE(OptionSettings.autoBrackets);
        EXPECT_EQ(OptionSettings.enterKeyAction, 1);
        EXPECT_TRUE(OptionSettings.explorerMissingPrompt);
        EXPECT_EQ(Form1->ComboBox1.ItemCount(), 0);
    });
    EXPECT_FALSE(sim::FileExists(OptionsPath));
}

TEST_F(QuilletTest, FileOfUnknownLengthChangesNothing) {
    sim::AddFile(OptionsPath, "AUTOBRACKETS:0\nHISTORY:\na\n");
    sim::FailReadLength(OptionsPath);
    OptionSettings.enterKeyAction = 7;
    RunQuilletWith([&] {
        EXPECT_TRUE(OptionSettings.autoBrackets);
        EXPECT_EQ(OptionSettings.enterKeyAction, 7);
        EXPECT_EQ(Form1->ComboBox1.ItemCount(), 0);
    });
}

struct SaveFault {
    const char* description;
    std::function<void()> inject;
};

class FailedSave : public QuilletTest, public ::testing::WithParamInterface<SaveFault> {};

TEST_P(FailedSave, ReportsOnceAndKeepsTheStoredFileAndTheChange) {
    const std::string stored = "AUTOBRACKETS:1\r\nHISTORY:\r\nold\r\r\n" + EndLine;
    sim::AddFile(OptionsPath, stored);
    GetParam().inject();
    RunAfterFirstTick([&] {
        AddToHistory("new");
        EXPECT_EQ(HistoryItems(), (Items{"new", "old"}));
    });
    EXPECT_EQ(sim::FileBytes(OptionsPath), stored);
    EXPECT_EQ(MessageTexts(), std::vector<std::string>{"For some reason your option settings could not be saved."});
}

INSTANTIATE_TEST_SUITE_P(
    Faults, FailedSave,
    ::testing::Values(SaveFault{"folder refuses writes", [] { sim::FailWritesIn(ProgramDir); }},
                      SaveFault{"write breaks off", [] { sim::FailWriteAfter(OptionsPath, 20); }},
                      SaveFault{"read-only file",
                                [] {
                                    const std::string bytes = sim::FileBytes(OptionsPath);
                                    sim::AddFile(OptionsPath, bytes, win::kFileAttributeReadOnly);
                                }}));

}  // namespace
