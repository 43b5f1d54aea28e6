// Any bytes as the options file are read without harm, and what was read is saved and read back
// unchanged, the history in the sorted list's order. Every entry read must be one HistoryEntryProblem accepts; and
// since any such entry, and any settings, can be read from some file, this covers every history and settings the
// program keeps.
#include <algorithm>
#include <cstdint>

#include "Optionsloadsave.h"
#include "fake_system.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fake::Reset();
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    fake::AddFile(OptionsFileName(), bytes);
    std::vector<std::string> history = LoadOptions();
    // A UTF-16 file is not read, and never written.
    if (bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF")) {
        SaveOptions(OptionsChange::Settings);
        Require(history.empty() && fake::Find(OptionsFileName())->bytes == bytes, "a UTF-16 file was taken");
        fake::Reset();
        return 0;
    }
    // A UTF-8 file keeps any character; one in the code page only the code page's.
    const bool utf8 = bytes.starts_with("\xEF\xBB\xBF");
    for (const std::string& entry : history) {
        Require(utf8 || !HistoryEntryProblem(entry), "an entry read cannot be stored");
    }
    const OptionSettingsRecord settings = OptionSettings;

    SaveOptions(OptionsChange::Settings);
    Require(ShownErrors().empty(), "a save failed");
    OptionSettings = {!settings.autoBrackets, ~settings.enterKeyAction, !settings.explorerMissingPrompt};
    // Written in the order the sorted list shows.
    std::stable_sort(history.begin(), history.end(),
                     [](const std::string& a, const std::string& b) { return sys::CompareText(a, b) < 0; });
    Require(LoadOptions() == history, "the history read back differs");
    Require(OptionSettings.autoBrackets == settings.autoBrackets &&
                OptionSettings.enterKeyAction == settings.enterKeyAction &&
                OptionSettings.explorerMissingPrompt == settings.explorerMissingPrompt,
            "the settings read back differ");
    fake::Reset();  // so that a run frees what it allocated and libFuzzer's leak check stays quiet
    return 0;
}
