#pragma once
// The three option settings and the options file, with the history of specifications. The file
// is beside the program, or in the user's application data where the program's folder cannot be
// written. Nothing here needs a window: the window units push what is read into their
// controls and say which change to save.
#include <cstdint>
#include <string>
#include <vector>

struct OptionSettingsRecord {
    bool autoBrackets = true;
    std::int32_t enterKeyAction = 1;  // 0 create and close, 1 create and stay open
    bool explorerMissingPrompt = true;
};
extern OptionSettingsRecord OptionSettings;

// Why an entry cannot be kept in the history file (the message to show), or null when it can.
const char* HistoryEntryProblem(const std::string& entry);

// Chooses where the file is, reads it into OptionSettings and returns its history entries in
// file order. A missing file gives the default settings. A file that cannot be read, or is too
// large to be ours, gives them too; the user is told once, and the file is not written again in
// this run.
std::vector<std::string> LoadOptions();

// A save applies only its own change to what the file holds at that moment, so that two
// running copies never drop each other's changes.
enum class OptionsChange {
    Settings,     // each setting that OptionSettings holds changed since it was read or saved
    AddEntry,     // the entry, unless the file holds it already
    RemoveEntry,  // the first entry equal to it
};
void SaveOptions(OptionsChange change, const std::string& entry = {});
