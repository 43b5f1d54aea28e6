#pragma once
// The three option settings and the options file beside the program.
#include <cstdint>
#include <string>

struct OptionSettingsRecord {
    bool autoBrackets = true;
    std::int32_t enterKeyAction = 1;  // 0 create and close, 1 create and stay open
    bool explorerMissingPrompt = true;
};
extern OptionSettingsRecord OptionSettings;

// The folder of the program's executable, with a trailing backslash.
std::string ProgramFolder();
std::string OptionsFileName();

void SaveOptions();
void LoadOptions();
