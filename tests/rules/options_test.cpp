// The options file: what each text reads as, the exact bytes written, and a save that fails.
#include <gtest/gtest.h>

#include <climits>
#include <tuple>

#include "Optionsloadsave.h"
#include "fake_system.h"

using namespace std::string_literals;
using Texts = std::vector<std::string>;

namespace {

const std::string OptionsPath = "C:\\Program Files\\Quillet\\QuilletOptions.dat";
const std::string HistoryEnd = ": colon at start = end history\r\n";

using Settings = std::tuple<bool, int, bool>;  // auto brackets, Enter key action, prompt when Explorer is missing

Settings Current() {
    return {OptionSettings.autoBrackets, OptionSettings.enterKeyAction, OptionSettings.explorerMissingPrompt};
}
std::string FileBytes() {
    std::string bytes;
    sys::ReadWholeFile(OptionsPath.c_str(), &bytes);
    return bytes;
}

}  // namespace

TEST(OptionsFile, ReadsSettingsAndHistory) {
    // Each file is read over the settings {true, 1, false}.
    for (const auto& [bytes, settings, history] : std::vector<std::tuple<std::string, Settings, Texts>>{
             {" autoBrackets\t: 0\nEnterKeyAction :7\nexplorermissingprompt:1\n", {false, 7, true}, {}},
             {"AUTOBRACKETS:yes", {false, 1, false}, {}}, {"AUTOBRACKETS:", {false, 1, false}, {}},
             {"EXPLORERMISSINGPROMPT:2", {true, 1, true}, {}}, {"EXPLORERMISSINGPROMPT:-1", {true, 1, true}, {}},
             {"AUTO:0\nHIST\t:\nx\n", {false, 1, false}, {"x"}}, {"U:0", {false, 1, false}, {}},
             {"BRACKETS:0\nFOO:1\n:1\nAUTOBRACKETS 0\nENTERKEYACTION=4\n", {true, 1, false}, {}},
             {"ENTERKEYACTION:3\nENTERKEYACTION:4", {true, 4, false}, {}},
             {"ENTER\rKEYACTION:3\r\nHISTORY:\r\na\r\r\nb\rc\n:\r\n", {true, 3, false}, {"a", "bc"}},
             {"ENTERKEYACTION:3\n\x1A" "ENTERKEYACTION:4\nHISTORY:\nz\n", {true, 3, false}, {}},
             {"HISTORY:\na\n\n  \nENTERKEYACTION:9\n:end\nENTERKEYACTION:6\n", {true, 6, false},
              {"a", "  ", "ENTERKEYACTION:9"}},
             {"HISTORY:\nlast", {true, 1, false}, {"last"}},
             {"ENTERKEYACTION:4294967298", {true, 2, false}, {}},
             {"ENTERKEYACTION:2147483648", {true, INT_MIN, false}, {}},
             {"ENTER\0KEYACTION:3\nHISTORY:\nab\0cd\n"s, {true, 1, false}, {"ab"}}}) {
        SCOPED_TRACE(bytes);
        fake::Reset();
        fake::AddFile(OptionsPath, bytes);
        OptionSettings = {true, 1, false};
        EXPECT_EQ(LoadOptions(), history);
        EXPECT_EQ(Current(), settings);
    }
}

TEST(OptionsFile, WithoutAFileTheDefaultsHoldAndNothingIsWritten) {
    fake::Reset();
    OptionSettings = {false, 0, false};
    EXPECT_EQ(LoadOptions(), Texts{});
    EXPECT_EQ(Current(), Settings(true, 1, false));
    EXPECT_EQ(fake::TheVolume().entries.size(), 3u);  // C:\ and the two folders of the program
    EXPECT_EQ(ShownErrors(), Texts{});
}

TEST(OptionsFile, WritesTheseExactBytes) {
    for (const auto& [settings, history, bytes] : std::vector<std::tuple<OptionSettingsRecord, Texts, std::string>>{
             {{true, 1, true}, {"Reports<Q1|Q2>|Archive", "  "}, "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\n"
              "EXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\nReports<Q1|Q2>|Archive\r\r\n  \r\r\n" + HistoryEnd},
             {{false, -3, false}, {},
              "AUTOBRACKETS:0\r\nENTERKEYACTION:-3\r\nEXPLORERMISSINGPROMPT:0\r\nHISTORY:\r\n" + HistoryEnd},
             {{true, 5, false}, {"b", "a"},
              "AUTOBRACKETS:1\r\nENTERKEYACTION:5\r\nEXPLORERMISSINGPROMPT:0\r\nHISTORY:\r\nb\r\r\na\r\r\n" +
                  HistoryEnd}}) {
        SCOPED_TRACE(bytes);
        fake::Reset();
        OptionSettings = settings;
        SaveOptions(history);
        EXPECT_EQ(FileBytes(), bytes);
        EXPECT_EQ(ShownErrors(), Texts{});
    }
}

TEST(OptionsFile, AFailedSaveSaysSoOnceAndKeepsTheOldFile) {
    fake::Reset();
    fake::AddFile(OptionsPath, "old bytes");
    fake::TheVolume().replaceFaults[OptionsPath] = sys::kErrorAccessDenied;
    SaveOptions({"a"});
    EXPECT_EQ(ShownErrors(), Texts{"For some reason your option settings could not be saved."});
    EXPECT_EQ(FileBytes(), "old bytes");
}

TEST(OptionsFile, StoresInHistoryOnlyWhatReadsBackAsOneEntry) {
    for (const std::string entry : {"a<b>|c", " :a", "a:b", "  "}) EXPECT_TRUE(CanStoreInHistory(entry)) << entry;
    for (const std::string& entry : {""s, ":a"s, "a\rb"s, "a\nb"s, "a\x1A"s, "a\0b"s}) {
        EXPECT_FALSE(CanStoreInHistory(entry)) << entry;
    }
}
