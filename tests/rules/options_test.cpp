// The options file: what each text reads as, the exact bytes written, and a save that fails.
#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <tuple>

#include <optional>

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
    sys::ReadWholeFile(OptionsPath.c_str(), SIZE_MAX, &bytes);
    return bytes;
}

// A run that starts with these bytes (or no file), as far as the options go.
void Start(const std::optional<std::string>& bytes) {
    fake::Reset();
    if (bytes) fake::AddFile(OptionsPath, *bytes);
    LoadOptions();
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
        Start(std::nullopt);
        OptionSettings = settings;
        SaveOptions(OptionsChange::Settings);
        for (const std::string& entry : history) SaveOptions(OptionsChange::AddEntry, entry);
        EXPECT_EQ(FileBytes(), bytes);
        EXPECT_EQ(ShownErrors(), Texts{});
    }
}

TEST(OptionsFile, AFailedSaveSaysSoOnceAndKeepsTheOldFile) {
    Start("old bytes");
    fake::TheVolume().replaceFaults[OptionsPath] = sys::kErrorAccessDenied;
    SaveOptions(OptionsChange::AddEntry, "a");
    EXPECT_EQ(ShownErrors(), Texts{"For some reason your option settings could not be saved."});
    EXPECT_EQ(FileBytes(), "old bytes");
}

TEST(OptionsFile, StoresInHistoryOnlyWhatReadsBackAsOneEntry) {
    for (const std::string entry : {"a<b>|c", " :a", "a:b", "  ", "Caf\xC3\xA9"}) {
        EXPECT_EQ(HistoryEntryProblem(entry), nullptr) << entry;
    }
    for (const std::string& entry : {""s, ":a"s, "a\rb"s, "a\nb"s, "a\x1A"s, "a\0b"s, "\xCE\xA9mega"s}) {
        EXPECT_NE(HistoryEntryProblem(entry), nullptr) << entry;
    }
}

// Each save applies its own change to what the file holds then, which another copy of Quillet
// may have changed meanwhile; entries stay in the code page's bytes they were read in.
TEST(OptionsFile, ASaveAppliesOnlyItsOwnChangeToWhatTheFileHoldsNow) {
    const std::string stored = "AUTOBRACKETS:1\r\nENTERKEYACTION:0\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n";
    Start(stored + "Caf\xE9\r\r\n" + HistoryEnd);
    EXPECT_EQ(OptionSettings.enterKeyAction, 0);
    fake::AddFile(OptionsPath, stored + "Caf\xE9\r\r\nfromB\r\r\nfromB\r\r\n" + HistoryEnd);  // another copy saved
    OptionSettings.enterKeyAction = 1;  // not applied yet: a history change keeps the file's settings
    SaveOptions(OptionsChange::AddEntry, "fromA");
    SaveOptions(OptionsChange::AddEntry, "fromB");
    SaveOptions(OptionsChange::RemoveEntry, "fromB");
    EXPECT_EQ(FileBytes(), stored + "Caf\xE9\r\r\nfromB\r\r\nfromA\r\r\n" + HistoryEnd);
    SaveOptions(OptionsChange::Settings);
    EXPECT_EQ(FileBytes(), "AUTOBRACKETS:1\r\nENTERKEYACTION:1\r\nEXPLORERMISSINGPROMPT:1\r\nHISTORY:\r\n"
                           "Caf\xE9\r\r\nfromB\r\r\nfromA\r\r\n" + HistoryEnd);
    EXPECT_EQ(ShownErrors(), Texts{});
}

// A file that is there but cannot be read (held by another program, or far too large) gives the
// defaults, is said once, and is never written in that run; only a missing file is no file.
TEST(OptionsFile, AFileThatCannotBeReadIsNeverOverwritten) {
    const std::string tooLarge = "HISTORY:\n" + std::string(1 << 20, 'x');
    for (const auto& [bytes, fault, message] : std::vector<std::tuple<std::string, sys::Error, std::string>>{
             {"ENTERKEYACTION:0", sys::kErrorSharingViolation, "could not be read"},
             {tooLarge, sys::kSuccess, "larger than 1 MB"}}) {
        fake::Reset();
        fake::AddFile(OptionsPath, bytes);
        if (fault != sys::kSuccess) fake::TheVolume().readFaults[OptionsPath] = fault;
        OptionSettings = {false, 0, false};
        EXPECT_EQ(LoadOptions(), Texts{});
        EXPECT_EQ(Current(), Settings(true, 1, false));
        ASSERT_EQ(ShownErrors().size(), 1u);
        EXPECT_NE(ShownErrors()[0].find(message), std::string::npos);
        fake::TheVolume().readFaults.clear();
        SaveOptions(OptionsChange::AddEntry, "a");
        SaveOptions(OptionsChange::Settings);
        EXPECT_EQ(FileBytes(), bytes);
        EXPECT_EQ(ShownErrors().size(), 1u);
    }
}

// Another copy holds the file, or the file went unreadable since the start: nothing is written.
TEST(OptionsFile, ASaveThatCannotReadTheFileFirstWritesNothing) {
    Start("HISTORY:\nkept\n");
    fake::TheVolume().exclusiveUseFault = sys::kErrorSharingViolation;
    SaveOptions(OptionsChange::AddEntry, "a");
    fake::TheVolume().exclusiveUseFault = sys::kSuccess;
    fake::TheVolume().readFaults[OptionsPath] = sys::kErrorAccessDenied;
    SaveOptions(OptionsChange::RemoveEntry, "kept");
    fake::TheVolume().readFaults.clear();
    EXPECT_EQ(FileBytes(), "HISTORY:\nkept\n");
    EXPECT_EQ(ShownErrors(), Texts(2, "For some reason your option settings could not be saved."));
}
