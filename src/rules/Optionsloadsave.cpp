#include "Optionsloadsave.h"

#include <algorithm>
#include <string_view>

#include "Shared.h"
#include "system.h"

OptionSettingsRecord OptionSettings;

namespace {

constexpr std::string_view OptionKeyTable = "*01 AUTOBRACKETS*02 ENTERKEYACTION*03 EXPLORERMISSINGPROMPT*04 HISTORY";
constexpr std::string_view HistoryEndLine = ": colon at start = end history\n";
constexpr char CtrlZ = '\x1A';
// Far beyond any real history: a larger file is not ours, and reading it would stall the start.
constexpr std::size_t MaxOptionsFileSize = 1 << 20;
constexpr int ReadAttempts = 10;
constexpr unsigned ReadRetryMs = 100;
constexpr int ReplaceAttempts = 10;
constexpr unsigned ReplaceRetryMs = 100;

constexpr const char* OptionsFileTitle = "QuilletOptions.dat";
constexpr const char* SaveFailedMessage = "For some reason your option settings could not be saved.";
constexpr const char* UnreadableMessage =
    "Your options file QuilletOptions.dat could not be read, so Quillet starts with its default options and an "
    "empty history.\n\nChanges to the options and the history will not be saved until Quillet is started again.";
constexpr const char* Utf16Message =
    "QuilletOptions.dat is saved as Unicode (UTF-16), which Quillet does not read, so Quillet starts with its "
    "default options and an empty history.\n\nThe file is left as it is: save it as ANSI or UTF-8 to use it again.";
constexpr const char* TooLargeMessage =
    "QuilletOptions.dat is larger than 1 MB, far too large to be Quillet's options file, so it was not read. "
    "Quillet starts with its default options and an empty history.\n\nChanges to the options and the history "
    "will not be saved while that file is there.";

// Set when the stored file could not be read: it is never overwritten in this run.
bool SavingDisabled = false;

// The settings and history as one file holds them.
struct StoredOptions {
    OptionSettingsRecord settings;
    std::vector<std::string> history;
    bool utf8 = false;  // the file begins with UTF-8's byte-order mark, and is written back so
};

constexpr std::string_view Utf8Mark = "\xEF\xBB\xBF";

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

// Reads one key line into `settings`; returns true when a history section follows it.
bool ReadKeyLine(std::string_view line, OptionSettingsRecord& settings) {
    const std::size_t colon = line.find(':');
    if (colon == std::string_view::npos) return false;
    const std::int32_t value = LeadingInteger(line.substr(colon + 1));
    switch (LookUpKey(TrimBlanksAndTabs(UpperAscii(line.substr(0, colon))))) {
        case AutoBracketsKey: settings.autoBrackets = value != 0; return false;
        case EnterKeyActionKey: settings.enterKeyAction = value; return false;
        case ExplorerMissingPromptKey: settings.explorerMissingPrompt = value != 0; return false;
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
std::string_view LineText(std::string_view line) {
    return line.substr(0, line.find('\0'));
}

// The file's bytes read over `stored`: keys replace its settings, history lines are appended.
void ReadOptionsBytes(const std::string& bytes, StoredOptions& stored) {
    stored.utf8 = bytes.starts_with(Utf8Mark);
    const std::string text = TextModeRead(stored.utf8 ? bytes.substr(Utf8Mark.size()) : bytes);
    bool inHistory = false;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t lineFeed = text.find('\n', start);
        const std::size_t end = lineFeed == std::string::npos ? text.size() : lineFeed;
        const std::string_view line = LineText(std::string_view(text).substr(start, end - start));
        start = end + 1;
        if (!inHistory) {
            inHistory = ReadKeyLine(line, stored.settings);
        } else if (!line.empty() && line[0] == ':') {
            inHistory = false;
        } else if (!line.empty()) {
            stored.history.push_back(stored.utf8 ? std::string(line) : sys::FromAnsiCodePage(std::string(line)));
        }
    }
}

std::string OptionsFileBytes(const StoredOptions& stored) {
    // Appended one by one: GCC 12 takes a literal + std::string chain for an overlapping copy.
    std::string text = "AUTOBRACKETS:";
    text += std::to_string(stored.settings.autoBrackets ? 1 : 0);
    text += "\nENTERKEYACTION:";
    text += std::to_string(stored.settings.enterKeyAction);
    text += "\nEXPLORERMISSINGPROMPT:";
    text += std::to_string(stored.settings.explorerMissingPrompt ? 1 : 0);
    text += "\nHISTORY:\n";
    std::string ansi;
    for (const std::string& entry : stored.history) {
        // Every entry came from this file or passed HistoryEntryProblem, so the code page holds it.
        if (!stored.utf8) sys::ToAnsiCodePage(entry, &ansi);
        text += stored.utf8 ? entry : ansi;
        text += "\r\n";
    }
    text += HistoryEndLine;
    return (stored.utf8 ? std::string(Utf8Mark) : std::string()) + TextModeWrite(text);
}

bool IsNotThere(sys::Error error) {
    return error == sys::kErrorFileNotFound || error == sys::kErrorPathNotFound;
}

// Where the options are kept, and the file they start from while that one is not there yet.
std::string OptionsFile;
std::string StartingFile;

// Beside the program where its folder can be written, as always. Installed under Program Files,
// in the user's application data instead, starting from the file beside the program.
void ChooseOptionsFile() {
    const std::string beside = ProgramFolder() + OptionsFileTitle;
    std::string appData;
    if (sys::FolderTakesNewFiles(ProgramFolder().c_str()) ||
        !sys::SpecialFolderPath(sys::SpecialFolderId::AppData, &appData)) {
        OptionsFile = beside;
        StartingFile.clear();
        return;
    }
    OptionsFile = appData + "\\Quillet\\" + OptionsFileTitle;
    StartingFile = beside;
}

// Another program (an editor, a backup, a virus scanner) may hold the file for a moment.
sys::Error ReadOneFile(const std::string& path, std::string* bytes) {
    return Retried(
        ReadAttempts, ReadRetryMs, [&] { return sys::ReadWholeFile(path.c_str(), MaxOptionsFileSize, bytes); },
        [](sys::Error met) { return met != sys::kSuccess && !IsNotThere(met) && met != sys::kErrorFileTooLarge; });
}

sys::Error ReadOptionsFile(std::string* bytes) {
    sys::Error error = ReadOneFile(OptionsFile, bytes);
    if (IsNotThere(error) && !StartingFile.empty()) error = ReadOneFile(StartingFile, bytes);
    // Notepad's "Unicode" is UTF-16: read as bytes it would be empty, and then overwritten.
    if (error == sys::kSuccess && (bytes->starts_with("\xFF\xFE") || bytes->starts_with("\xFE\xFF"))) {
        return sys::kErrorInvalidData;
    }
    return error;
}

// An antivirus or the indexer may hold the fresh file for a moment.
sys::Error ReplaceOptionsFile(const std::string& bytes) {
    return Retried(
        ReplaceAttempts, ReplaceRetryMs, [&bytes] { return sys::ReplaceFileContents(OptionsFile.c_str(), bytes); },
        [](sys::Error met) { return met == sys::kErrorAccessDenied || met == sys::kErrorSharingViolation; });
}

// The settings as this copy last read or saved them: only what differs from these was changed
// here, and only that may replace what another copy saved meanwhile.
OptionSettingsRecord SettingsInForce;

void ApplyChangedSettings(OptionSettingsRecord& stored) {
    if (OptionSettings.autoBrackets != SettingsInForce.autoBrackets) stored.autoBrackets = OptionSettings.autoBrackets;
    if (OptionSettings.enterKeyAction != SettingsInForce.enterKeyAction) {
        stored.enterKeyAction = OptionSettings.enterKeyAction;
    }
    if (OptionSettings.explorerMissingPrompt != SettingsInForce.explorerMissingPrompt) {
        stored.explorerMissingPrompt = OptionSettings.explorerMissingPrompt;
    }
}

void ApplyChange(OptionsChange change, const std::string& entry, StoredOptions& stored) {
    std::vector<std::string>& history = stored.history;
    const auto found = std::find(history.begin(), history.end(), entry);
    switch (change) {
        case OptionsChange::Settings: ApplyChangedSettings(stored.settings); break;
        case OptionsChange::AddEntry:
            if (found == history.end()) history.push_back(entry);
            break;
        case OptionsChange::RemoveEntry:
            if (found != history.end()) history.erase(found);
            break;
    }
    // In the order the sorted history list shows, so that the file holds what the list would give.
    std::stable_sort(history.begin(), history.end(),
                     [](const std::string& a, const std::string& b) { return sys::CompareText(a, b) < 0; });
}

// One save under the lock: this change applied to what the file holds now.
sys::Error SaveChange(OptionsChange change, const std::string& entry) {
    if (!StartingFile.empty()) {
        sys::FolderIdentity made;
        const std::string folder = OptionsFile.substr(0, OptionsFile.find_last_of('\\'));
        if (const sys::Error error = sys::CreateFolder(folder.c_str(), &made);
            error != sys::kSuccess && error != sys::kErrorAlreadyExists) {
            return error;
        }
    }
    const sys::ExclusiveUse exclusive(OptionsFile.c_str());
    if (exclusive.error() != sys::kSuccess) return exclusive.error();
    std::string bytes;
    const sys::Error readError = ReadOptionsFile(&bytes);
    // What cannot be read is never overwritten.
    if (readError != sys::kSuccess && !IsNotThere(readError)) return readError;
    StoredOptions stored{OptionSettings, {}};
    ReadOptionsBytes(bytes, stored);
    ApplyChange(change, entry, stored);
    const sys::Error error = ReplaceOptionsFile(OptionsFileBytes(stored));
    if (error == sys::kSuccess && change == OptionsChange::Settings) SettingsInForce = OptionSettings;
    return error;
}

}  // namespace

const char* HistoryEntryProblem(const std::string& entry) {
    // A leading colon ends the history section; line ends, Ctrl-Z and NUL would split or end the file.
    if (entry.empty() || entry[0] == ':' || entry.find_first_of(std::string("\r\n\x1A\0", 4)) != std::string::npos) {
        return "This folder specification cannot be kept in the history: an entry may not begin with a colon, nor "
               "hold line breaks or the characters Ctrl-Z and NUL.";
    }
    std::string ansi;
    if (!sys::ToAnsiCodePage(entry, &ansi)) {
        return "This folder specification cannot be kept in the history: the options file keeps the characters of "
               "your Windows code page only, and this specification holds others. You can still create it.";
    }
    return nullptr;
}

std::vector<std::string> LoadOptions() {
    SavingDisabled = false;
    ChooseOptionsFile();
    std::string bytes;
    const sys::Error error = ReadOptionsFile(&bytes);
    StoredOptions stored{OptionSettings, {}};
    if (error == sys::kSuccess) {
        ReadOptionsBytes(bytes, stored);
        OptionSettings = SettingsInForce = stored.settings;
        return stored.history;
    }
    OptionSettings.autoBrackets = true;
    OptionSettings.enterKeyAction = 1;
    SettingsInForce = OptionSettings;
    if (!IsNotThere(error)) {
        SavingDisabled = true;
        if (error == sys::kErrorFileTooLarge) {
            ShowError(TooLargeMessage);
        } else if (error == sys::kErrorInvalidData) {
            ShowError(Utf16Message);
        } else {
            ShowError(UnreadableMessage, error);
        }
    }
    return {};
}

void SaveOptions(OptionsChange change, const std::string& entry) {
    if (SavingDisabled) return;  // the user was told at start-up
    // Said only once the lock is let go: another copy's save must not wait on this box.
    if (const sys::Error error = SaveChange(change, entry)) ShowError(SaveFailedMessage, error);
}
