// The options file: what each text reads as, the exact bytes written, and a save that fails.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "Optionsloadsave.h"
#include "fake_system.h"

using namespace std::string_literals;

namespace {

const std::string OptionsPath = "C:\\Program Files\\Quillet\\QuilletOptions.dat";
const std::string HistoryEnd = ": colon at start = end history\r\n";

using Settings = std::tuple<bool, int, bool>;  // auto brackets, Enter key action, prompt when Explorer is missing

Settings Current() {
    return {OptionSettings.autoBrackets, OptionSettings.enterKeyAction, OptionSettings.explorerMissingPrompt};
}
void Set(const Settings& settings) {
    std::tie(OptionSettings.autoBrackets, OptionSettings.enterKeyAction, OptionSettings.explorerMissingPrompt) = settings;
}

}  // namespace

TEST(OptionsFile, ReadsSettingsAndHistory) {
    struct Row {
        std::string bytes;
        Settings settings;
        std::vector<std::string> history;
    };
    for (const Row& row : std::vector<Row>{
             {" autoBrackets\t: 0\nEnterKeyAction :7\nexplorermissingprompt:1\n", {false, 7, true}, {}},
             {"AUTOBRACKETS:yes", {false, 1, false}, {}},
             {"AUTOBRACKETS:", {false, 1, false}, {}},
             {"EXPLORERMISSINGPROMPT:2", {true, 1, true}, {}},
             {"EXPLORERMISSINGPROMPT:-1", {true, 1, true}, {}},
             {"AUTO:0\nHIST\t:\nx\n", {false, 1, false}, {"x"}},
             {"U:0", {false, 1, false}, {}},
             {"BRACKETS:0\nFOO:1\n:1\nAUTOBRACKETS 0\nENTERKEYACTION=4\n", {true, 1, false}, {}},
             {"ENTERKEYACTION:3\nENTERKEYACTION:4", {true, 4, false}, {}},
             {"ENTER\rKEYACTION:3\r\nHISTORY:\r\na\r\r\nb\rc\n:\r\n", {true, 3, false}, {"a", "bc"}},
             {"ENTERKEYACTION:3\n\x1A" "ENTERKEYACTION:4\nHISTORY:\nz\n", {true, 3, false}, {}},
             {"HISTORY:\na\n\n  \nENTERKEYACTION:9\n:end\nENTERKEYACTION:6\n", {true, 6, false}, {"a", "  ", "ENTERKEYACTION:9"}},
             {"HISTORY:\nlast", {true, 1, false}, {"last"}},
             {"ENTERKEYACTION:4294967298", {true, 2, false}, {}},
             {"ENTERKEYACTION:2147483648", {true, INT_MIN, false}, {}},
             {"ENTER\0KEYACTION:3\nHISTORY:\nab\0cd\n"s, {true, 1, false}, {"ab"}},
         }) {
        SCOPED_TRACE(row.bytes);
        fake::Reset();
        fake::AddFile(OptionsPath, row.bytes);
        Set({true, 1, false});
        EXPECT_EQ(LoadOptions(), row.history);
        EXPECT_EQ(Current(), row.settings);
    }
}

TEST(OptionsFile, WithoutAReadableFileTheDefaultsHoldAndNothingIsWritten) {
    for (const sys::Error readFault : {sys::kSuccess, sys::kErrorSharingViolation}) {
        fake::Reset();
        if (readFault) fake::AddFile(OptionsPath, "AUTOBRACKETS:0\nENTERKEYACTION:0\n");
        fake::TheVolume().readFaults[OptionsPath] = readFault;
        Set({false, 0, false});
        EXPECT_EQ(LoadOptions(), std::vector<std::string>{});
        EXPECT_EQ(Current(), Settings(true, 1, false));
        EXPECT_EQ(fake::TheVolume().entries.count("C:\\PROGRAM FILES\\QUILLET\\QUILLETOPTIONS.DAT"), readFault ? 1u : 0u);
        EXPECT_EQ(ShownErrors(), std::vector<std::string>{});
    }
}

TEST(OptionsFile, WritesExactBytesThatReadBack) {
    struct Row {
        Settings settings;
        std::vector<std::string> history;
        std::string bytes;
    };
    for (const Row& row : std::vector<Row>{
             {{true, 1, true}, {"Reports<Q1|Q2>|Archive", "  "},
              "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n"
              "Reports<Q1|Q2>|Archive\r\r\n  \r\r\n" + HistoryEnd},
             {{false, -3, false}, {}, "AUTOBRACKETS:0\r\nENTERKEYACTION:-3\r\nEXPLORERMISSINGPROMPT:0\r\nHISTORY:\r\n" + HistoryEnd},
             {{true, 5, false}, {"b", "a"},
              "AUTOBRACKETS:1\r\nENTERKEYACTION:5\r\nEXPLORERMISSINGPROMPT:0\r\nHISTORY:\r\nb\r\r\na\r\r\n" + HistoryEnd},
         }) {
        SCOPED_TRACE(row.bytes);
        fake::Reset();
        Set(row.settings);
        SaveOptions(row.history);
        std::string bytes;
        EXPECT_EQ(sys::ReadWholeFile(OptionsPath.c_str(), &bytes), sys::kSuccess);
        EXPECT_EQ(bytes, row.bytes);
        EXPECT_EQ(ShownErrors(), std::vector<std::string>{});
        Set({!std::get<0>(row.settings), 0, !std::get<2>(row.settings)});
        EXPECT_EQ(LoadOptions(), row.history);
        EXPECT_EQ(Current(), row.settings);
    }
}

TEST(OptionsFile, AFailedSaveSaysSoOnceAndKeepsTheOldFile) {
    fake::Reset();
    fake::AddFile(OptionsPath, "old bytes");
    fake::TheVolume().replaceFaults[OptionsPath] = sys::kErrorAccessDenied;
    SaveOptions({"a"});
    EXPECT_EQ(ShownErrors(), std::vector<std::string>{"For some reason your option settings could not be saved."});
    std::string bytes;
    sys::ReadWholeFile(OptionsPath.c_str(), &bytes);
    EXPECT_EQ(bytes, "old bytes");
}

TEST(OptionsFile, StoresInHistoryOnlyWhatReadsBackAsOneEntry) {
    for (const auto& [entry, storable] : std::vector<std::pair<std::string, bool>>{
             {"a<b>|c", true}, {" :a", true}, {"a:b", true}, {"  ", true}, {"", false}, {":a", false},
             {"a\rb", false}, {"a\nb", false}, {"a\x1A", false}, {"a\0b"s, false}}) {
        EXPECT_EQ(CanStoreInHistory(entry), storable) << entry;
    }
}
