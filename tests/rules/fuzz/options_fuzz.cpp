// Any bytes as the options file are read without harm, and what was read is saved and read back
// unchanged. Every entry read must be one HistoryEntryProblem accepts; and since any such entry, and
// any settings, can be read from some file, this covers every history and settings the program keeps.
#include <cstdint>

#include "Optionsloadsave.h"
#include "fake_system.h"
#include "require.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    fake::Reset();
    fake::AddFile(OptionsFileName(), std::string(reinterpret_cast<const char*>(data), size));
    const std::vector<std::string> history = LoadOptions();
    for (const std::string& entry : history) Require(!HistoryEntryProblem(entry), "an entry read cannot be stored");
    const OptionSettingsRecord settings = OptionSettings;

    SaveOptions(OptionsChange::Settings);
    Require(ShownErrors().empty(), "a save failed");
    OptionSettings = {!settings.autoBrackets, ~settings.enterKeyAction, !settings.explorerMissingPrompt};
    Require(LoadOptions() == history, "the history read back differs");
    Require(OptionSettings.autoBrackets == settings.autoBrackets &&
                OptionSettings.enterKeyAction == settings.enterKeyAction &&
                OptionSettings.explorerMissingPrompt == settings.explorerMissingPrompt,
            "the settings read back differ");
    fake::Reset();  // so that a run frees what it allocated and libFuzzer's leak check stays quiet
    return 0;
}
