#pragma once
// The three option settings and the options file beside the program, with the history of
// specifications. Nothing here needs a window: the window units push what is read into their
// controls and hand the history list over when they save.
#include <cstdint>
#include <string>
#include <vector>

struct OptionSettingsRecord {
    bool autoBrackets = true;
    std::int32_t enterKeyAction = 1;  // 0 create and close, 1 create and stay open
    bool explorerMissingPrompt = true;
};
extern OptionSettingsRecord OptionSettings;

std::string OptionsFileName();

// Whether a history entry reads back from the file exactly as it was written.
bool CanStoreInHistory(const std::string& entry);

// Rewrites the whole file from OptionSettings and the history list, in the list's order.
void SaveOptions(const std::vector<std::string>& history);
// Reads the file into OptionSettings; returns its history entries in file order.
std::vector<std::string> LoadOptions();
