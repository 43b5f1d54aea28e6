// The options file: what each text reads as, the exact bytes written, and the saves that fail.
#include <gtest/gtest.h>

#include <climits>
#include <optional>
#include <tuple>

#include "Optionsloadsave.h"
#include "fake_system.h"

using namespace std::string_literals;
using Texts = std::vector<std::string>;

namespace {

const std::string OptionsPath = "C:\\Program Files\\Quillet\\QuilletOptions.dat";

using Settings = std::tuple<bool, int, bool>;  // auto brackets, Enter key action, prompt when Explorer is missing

Settings Current() {
    return {OptionSettings.autoBrackets, OptionSettings.enterKeyAction, OptionSettings.explorerMissingPrompt};
}

std::string FileBytes() {
    return fake::Find(OptionsPath) == nullptr ? "none" : fake::Find(OptionsPath)->bytes;
}

// The file as Quillet writes it: each history line ends in CR CR LF.
std::string Stored(Settings settings, const std::string& history = "") {
    const auto [autoBrackets, enterKeyAction, prompt] = settings;
    return "AUTOBRACKETS:" + std::to_string(autoBrackets) + "\r\nENTERKEYACTION:" + std::to_string(enterKeyAction) +
           "\r\nEXPLORERMISSINGPROMPT:" + std::to_string(prompt) + "\r\nHISTORY:\r\n" + history +
           ": colon at start = end history\r\n";
}

// A run that starts with these bytes (or no file) over the settings `before`: the history it reads.
Texts Start(const std::optional<std::string>& bytes, OptionSettingsRecord before = {true, 1, false},
            sys::Error readFault = sys::kSuccess) {
    fake::Reset();
    if (bytes) fake::AddFile(OptionsPath, *bytes);
    fake::TheVolume().readFault = readFault;
    OptionSettings = before;
    return LoadOptions();
}

}  // namespace

TEST(OptionsFile, ReadsSettingsAndHistory) {
    // Each file is read over the settings {true, 1, false}.
    for (const auto& [bytes, settings, history] : std::vector<std::tuple<std::string, Settings, Texts>>{
             {" autoBrackets\t: 0\nEnterKeyAction :7\nexplorermissingprompt:1\n", {false, 7, true}, {}},
             {"AUTOBRACKETS:yes\nEXPLORERMISSINGPROMPT:2", {false, 1, true}, {}},
             {"EXPLORERMISSINGPROMPT:-1\nENTERKEYACTION:2147483648", {true, INT_MIN, true}, {}},
             {"AUTO:0\nHIST\t:\nx\n", {false, 1, false}, {"x"}},
             {"HISTORY:\nlast", {true, 1, false}, {"last"}},
             {"U:0\nENTERKEYACTION:3\nENTERKEYACTION:4", {false, 4, false}, {}},
             {"BRACKETS:0\nFOO:1\n:1\nAUTOBRACKETS 0\nENTERKEYACTION=4\n", {true, 1, false}, {}},
             {"ENTER\rKEYACTION:3\r\nHISTORY:\r\na\r\r\nb\rc\n:\r\n", {true, 3, false}, {"a", "bc"}},
             {"ENTERKEYACTION:3\n\032ENTERKEYACTION:4\nHISTORY:\nz\n", {true, 3, false}, {}},
             {"HISTORY:\na\n\n  \nENTERKEYACTION:9\n:end\nENTERKEYACTION:6\n",
              {true, 6, false},
              {"a", "  ", "ENTERKEYACTION:9"}},
             {"ENTER\0KEYACTION:3\nHISTORY:\nab\0cd\n"s, {true, 1, false}, {"ab"}}}) {
        SCOPED_TRACE(bytes);
        EXPECT_EQ(Start(bytes), history);
        EXPECT_EQ(Current(), settings);
    }
}

// Without a file the defaults hold and a save makes one. A file that is there but cannot be read
// (held by another program, over 1 MB, or Notepad's "Unicode" in either byte order) gives the
// defaults too, is said once, and is never written in that run: only a missing file is no file.
TEST(OptionsFile, AFileThatCannotBeReadIsNeverOverwritten) {
    for (const auto& [bytes, fault, message] : std::vector<std::tuple<std::optional<std::string>, sys::Error, Texts>>{
             {std::nullopt, sys::kSuccess, {}},
             {"ENTERKEYACTION:0", sys::kErrorSharingViolation, {"could not be read"}},
             {std::string((1 << 20) + 1, 'x'), sys::kSuccess, {"larger than 1 MB"}},
             {"\xFF\376E\0N\0T\0"s, sys::kSuccess, {"Unicode (UTF-16)"}},
             {"\376\377\0E\0N\0T"s, sys::kSuccess, {"Unicode (UTF-16)"}}}) {
        EXPECT_EQ(Start(bytes, {false, 0, false}, fault), Texts{});
        EXPECT_EQ(Current(), Settings(true, 1, false));
        EXPECT_EQ(ShownErrors().size(), message.size());
        for (const std::string& shown : ShownErrors()) EXPECT_NE(shown.find(message[0]), std::string::npos);
        EXPECT_EQ(ShownReasons(), std::vector<sys::Error>(message.size(), fault));
        fake::TheVolume().readFault = sys::kSuccess;
        SaveOptions(OptionsChange::AddEntry, "a");
        EXPECT_EQ(FileBytes(), bytes.value_or(Stored({true, 1, false}, "a\r\r\n")));
        EXPECT_EQ(ShownErrors().size(), message.size());
    }
}

// Each save applies its own change to what the file holds then, which another copy of Quillet
// may have changed meanwhile; entries stay in the code page's bytes they were read in, in the
// order the sorted history list shows them.
TEST(OptionsFile, ASaveAppliesOnlyItsOwnChangeToWhatTheFileHoldsNow) {
    Start(Stored({true, 0, true}, "Caf\xE9\r\r\n"));
    fake::AddFile(OptionsPath, Stored({true, 0, true}, "Caf\xE9\r\r\nfromB\r\r\nfromB\r\r\n"));  // another copy saved
    OptionSettings = {false, -3, false};  // not applied yet: a history change keeps the file's settings
    for (const char* entry : {"  ", "fromB", "Beta", "alpha"}) SaveOptions(OptionsChange::AddEntry, entry);
    SaveOptions(OptionsChange::RemoveEntry, "fromB");
    EXPECT_EQ(FileBytes(), Stored({true, 0, true}, "  \r\r\nalpha\r\r\nBeta\r\r\nCaf\xE9\r\r\nfromB\r\r\n"));
    SaveOptions(OptionsChange::Settings);
    EXPECT_EQ(FileBytes(), Stored({false, -3, false}, "  \r\r\nalpha\r\r\nBeta\r\r\nCaf\xE9\r\r\nfromB\r\r\n"));
    EXPECT_EQ(ShownErrors(), Texts{});
}

// A file that an editor saved as UTF-8 with a byte-order mark keeps its first key, its entries and
// its encoding.
TEST(OptionsFile, AUtf8FileWithItsMarkIsReadAndWrittenAsUtf8) {
    EXPECT_EQ(Start("\357\273\277ENTERKEYACTION:0\nHISTORY:\nCaf\xC3\xA9 \xCE\xA9\n"), Texts{"Caf\xC3\xA9 \xCE\xA9"});
    EXPECT_EQ(Current(), Settings(true, 0, false));
    SaveOptions(OptionsChange::AddEntry, "b");
    EXPECT_EQ(FileBytes(), "\xEF\xBB\xBF" + Stored({true, 0, false}, "b\r\r\nCaf\xC3\xA9 \xCE\xA9\r\r\n"));
}

// A settings save writes only the settings changed here since they were read or last saved:
// what another copy applied meanwhile stays.
TEST(OptionsFile, ASettingsSaveKeepsWhatAnotherCopyApplied) {
    Start("AUTOBRACKETS:1\nENTERKEYACTION:1\nEXPLORERMISSINGPROMPT:1\n");
    fake::AddFile(OptionsPath, "AUTOBRACKETS:0\nENTERKEYACTION:0\nEXPLORERMISSINGPROMPT:1\n");  // another copy applied
    OptionSettings.explorerMissingPrompt = false;
    SaveOptions(OptionsChange::Settings);
    EXPECT_EQ(FileBytes(), Stored({false, 0, false}));
    fake::AddFile(OptionsPath, "AUTOBRACKETS:1\nENTERKEYACTION:0\nEXPLORERMISSINGPROMPT:1\n");  // and again
    OptionSettings.autoBrackets = false;
    SaveOptions(OptionsChange::Settings);
    EXPECT_EQ(FileBytes(), Stored({false, 0, true}));
}

// An antivirus or the indexer holding the fresh file for a moment does not lose the change: the
// replace is tried again for about a second, on those errors only.
TEST(OptionsFile, AReplaceHeldForAMomentIsTriedAgain) {
    // The error, how many times it comes, whether the save then succeeds, and the tries made.
    for (const auto& [fault, times, saved, tries] :
         std::vector<std::tuple<sys::Error, int, bool, int>>{{sys::kErrorSharingViolation, 3, true, 4},
                                                             {sys::kErrorAccessDenied, 9, true, 10},
                                                             {sys::kErrorAccessDenied, 10, false, 10},
                                                             {sys::kErrorPathNotFound, 1, false, 1}}) {
        Start("HISTORY:\nkept\n");
        fake::TheVolume().replaceFault = fault;
        fake::TheVolume().replaceFaults = times;
        SaveOptions(OptionsChange::AddEntry, "a");
        EXPECT_EQ(ShownErrors().empty(), saved) << fault << " x" << times;
        EXPECT_EQ(fake::TheVolume().replaceCalls, tries) << fault << " x" << times;
    }
}

// Installed where only administrators may write, Quillet keeps its options in the user's
// application data, starting from the file beside it; that one is never written.
TEST(OptionsFile, WhereTheProgramsFolderCannotBeWrittenTheUsersFileTakesOver) {
    const std::string users = "C:\\Users\\Ann\\AppData\\Roaming\\Quillet\\QuilletOptions.dat";
    const std::string beside = "ENTERKEYACTION:0\nHISTORY:\nold\n";
    fake::Reset();
    fake::TheVolume().unwritableFolder = "c:\\program files\\quillet\\";
    fake::AddFile(OptionsPath, beside);
    OptionSettings = {};
    EXPECT_EQ(LoadOptions(), Texts{"old"});
    EXPECT_EQ(OptionSettings.enterKeyAction, 0);
    SaveOptions(OptionsChange::AddEntry, "new");
    SaveOptions(OptionsChange::RemoveEntry, "old");
    EXPECT_EQ(fake::Find(users)->bytes, Stored({true, 0, true}, "new\r\r\n"));
    EXPECT_EQ(FileBytes(), beside);
    EXPECT_EQ(ShownErrors(), Texts{});
}

// Another copy holds the file, the file went unreadable since the start, or the write broke off:
// the file stays as it was, and each failed save says so once, with Windows' reason, after the
// lock is let go, so that no other copy waits on the box.
TEST(OptionsFile, AFailedSaveSaysSoOnceAndKeepsTheFile) {
    for (sys::Error fake::Volume::*fault :
         {&fake::Volume::exclusiveUseFault, &fake::Volume::readFault, &fake::Volume::replaceFault}) {
        Start("HISTORY:\nkept\n");
        fake::TheVolume().*fault = sys::kErrorAccessDenied;
        SaveOptions(OptionsChange::AddEntry, "a");
        SaveOptions(OptionsChange::RemoveEntry, "kept");
        EXPECT_EQ(ShownErrors(), Texts(2, "For some reason your option settings could not be saved."));
        EXPECT_EQ(ShownReasons(), std::vector<sys::Error>(2, sys::kErrorAccessDenied));
        EXPECT_FALSE(fake::TheVolume().lockedWhileShowing);
        EXPECT_EQ(FileBytes(), "HISTORY:\nkept\n");
    }
}

// An entry is kept only when it reads back as one entry, in the code page.
TEST(OptionsFile, StoresInHistoryOnlyWhatReadsBackAsOneEntry) {
    for (const std::string entry : {"a<b>|c", " :a", "a:b", "  ", "Caf\xC3\xA9"})
        EXPECT_EQ(HistoryEntryProblem(entry), nullptr) << entry;
    for (const std::string& entry : {""s, ":a"s, "a\rb"s, "a\nb"s, "a\x1A"s, "a\0b"s, "\xCE\xA9mega"s})
        EXPECT_NE(HistoryEntryProblem(entry), nullptr) << entry;
}
