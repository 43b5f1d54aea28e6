#include "Optionsloadsave.h"

#include <cstdio>
#include <string_view>

#include "Shared.h"
#include "system.h"

OptionSettingsRecord OptionSettings;

namespace {

constexpr std::string_view OptionKeyTable = "*01 AUTOBRACKETS*02 ENTERKEYACTION*03 EXPLORERMISSINGPROMPT*04 HISTORY";
constexpr std::string_view HistoryEndLine = ": colon at start = end history\n";
constexpr char CtrlZ = '\x1A';

enum KeyNumber { AutoBracketsKey = 1, EnterKeyActionKey = 2, ExplorerMissingPromptKey = 3, HistoryKey = 4 };

bool IsSpaceForNumbers(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

// The leading decimal integer, wrapping in 32 bits as the stored files have always been read.
std::int32_t LeadingInteger(std::string_view text) {
    std::size_t at = 0;
    while (at < text.size() && IsSpaceForNumbers(text[at])) ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) negative = text[at++] == '-';
    std::uint32_t value = 0;
    for (; at < text.size() && text[at] >= '0' && text[at] <= '9'; ++at) value = value * 10u + (text[at] - '0');
    return static_cast<std::int32_t>(negative ? 0u - value : value);
}

std::string_view TrimBlanksAndTabs(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

std::string UpperAscii(std::string_view text) {
    std::string upper(text);
    for (char& c : upper) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return upper;
}

// A key selects a setting by where it first occurs in the table: the number stands three
// characters before it. Leading parts of a name, or a name from its second letter, still work.
int LookUpKey(std::string_view key) {
    if (key.empty()) return 0;
    const std::size_t at = OptionKeyTable.find(key);
    if (at == std::string_view::npos || at < 3) return 0;
    return LeadingInteger(OptionKeyTable.substr(at - 3));
}

// Reads one key line; returns true when a history section follows it.
bool ReadKeyLine(std::string_view line) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::int32_t value = LeadingInteger(line.substr(colon + 1));
    switch (LookUpKey(TrimBlanksAndTabs(UpperAscii(line.substr(0, colon))))) {
    case AutoBracketsKey: OptionSettings.autoBrackets = value != 0; return false;
    case EnterKeyActionKey: OptionSettings.enterKeyAction = value; return false;
    case ExplorerMissingPromptKey: OptionSettings.explorerMissingPrompt = value != 0; return false;
    case HistoryKey: return true;
    default: return false;
    }
}

// What a text-mode read sees: every CR dropped, nothing from a Ctrl-Z on.
std::string TextModeRead(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char c : bytes) {
        if (c == CtrlZ) break;
        if (c != '\r') text += c;
    }
    return text;
}

// What a text-mode write puts on disk: every LF as CR LF.
std::string TextModeWrite(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        if (c == '\n') bytes += '\r';
        bytes += c;
    }
    return bytes;
}

// One line without its LF; a NUL ends the line's text.
std::string_view LineText(std::string_view line) { return line.substr(0, line.find('\0')); }

std::string OptionsFileText(const std::vector<std::string>& history) {
    char keyLines[128];
    std::snprintf(keyLines, sizeof keyLines, "AUTOBRACKETS:%i\nENTERKEYACTION:%i\nEXPLORERMISSINGPROMPT:%i\nHISTORY:\n",
                  OptionSettings.autoBrackets ? 1 : 0, static_cast<int>(OptionSettings.enterKeyAction),
                  OptionSettings.explorerMissingPrompt ? 1 : 0);
    std::string text = keyLines;
    for (const std::string& entry : history) text += entry + "\r\n";
    text += HistoryEndLine;
    return text;
}

}  // namespace

bool CanStoreInHistory(const std::string& entry) {
    // A leading colon ends the history section; line ends, Ctrl-Z and NUL would split or end the file.
    if (entry.empty() || entry[0] == ':') return false;
    return entry.find_first_of(std::string("\r\n\x1A\0", 4)) == std::string::npos;
}

std::string OptionsFileName() { return sys::ProgramFolder() + "QuilletOptions.dat"; }

void SaveOptions(const std::vector<std::string>& history) {
    if (sys::ReplaceFileContents(OptionsFileName().c_str(), TextModeWrite(OptionsFileText(history))) == sys::kSuccess) {
        return;
    }
    ShowError("For some reason your option settings could not be saved.");
}

std::vector<std::string> LoadOptions() {
    std::string bytes;
    if (sys::ReadWholeFile(OptionsFileName().c_str(), &bytes) != sys::kSuccess) {
        OptionSettings.autoBrackets = true;
        OptionSettings.enterKeyAction = 1;
        return {};
    }
    std::vector<std::string> history;
    const std::string text = TextModeRead(bytes);
    bool inHistory = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lineFeed = text.find('\n', start);
        const std::size_t end = lineFeed == std::string::npos ? text.size() : lineFeed;
        const std::string_view line = LineText(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (!inHistory) {
            inHistory = ReadKeyLine(line);
        } else if (!line.empty() && line[0] == ':') {
            inHistory = false;
        } else if (!line.empty()) {
            history.emplace_back(line);
        }
    }
    return history;
}
