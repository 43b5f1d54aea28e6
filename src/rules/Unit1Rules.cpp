#include "Unit1Rules.h"

#include <algorithm>

namespace {

constexpr const char* AddressBarClassChain[] = {"WorkerW", "ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit", ""};

constexpr SpecialFolder SpecialFolderTable[] = {
    {"My Documents", sys::SpecialFolderId::Documents},
    {"Desktop", sys::SpecialFolderId::Desktop},
    {"", {}},
};

constexpr int CentringMargin = 10;

char UpperAscii(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (UpperAscii(*a) != UpperAscii(*b)) return false;
    }
    return *a == *b;
}

// Whether the command line starts with the program's path, as a whole word.
bool StartsWithProgram(const std::string& commandLine, const std::string& programPath) {
    const std::size_t length = programPath.size();
    return length > 0 && commandLine.size() >= length &&
           EqualsIgnoringAsciiCase(commandLine.substr(0, length).c_str(), programPath.c_str()) &&
           (commandLine.size() == length || commandLine[length] == ' ' || commandLine[length] == '\t');
}

}  // namespace

win::WindowHandle WalkAddressBarChain(win::WindowHandle window, const FindChildByClass& findChild) {
    win::WindowHandle current = window;
    for (int step = 0; AddressBarClassChain[step][0] != '\0'; ++step) {
        current = findChild(current, AddressBarClassChain[step]);
        // Only the first level has an alternative class.
        if (current == nullptr && step == 0) current = findChild(window, "WorkerA");
        if (current == nullptr) return nullptr;
    }
    return current;
}

TargetWay ChooseTargetWay(bool addressBarFound, bool shellListsWindow, bool startFolderGiven) {
    if (addressBarFound) return TargetWay::AddressBar;
    if (shellListsWindow) return TargetWay::Shell;
    return startFolderGiven ? TargetWay::StartFolder : TargetWay::Ask;
}

const win::ShellView* ActiveView(const std::vector<win::ShellView>& views, win::WindowHandle frame,
                                 win::WindowHandle activeTab) {
    for (const win::ShellView& view : views) {
        if (view.frame == frame && (activeTab == nullptr || view.tab == activeTab)) return &view;
    }
    return nullptr;
}

std::string FolderOfView(const win::ShellView& view) {
    const bool named = view.kind != win::ShellFolderKind::NoPath && IsFullPath(view.path.c_str());
    return named ? view.path : std::string();
}

bool IsFullPath(const char* text) {
    const bool letter = (text[0] >= 'A' && text[0] <= 'Z') || (text[0] >= 'a' && text[0] <= 'z');
    if (letter && text[1] == ':') return text[2] == '\\' || text[2] == '/';
    return text[0] == '\\' && text[1] == '\\' && text[2] != '\0' && text[2] != '\\';
}

const SpecialFolder* FindSpecialFolder(const char* text) {
    for (const SpecialFolder* entry = SpecialFolderTable; entry->name[0] != '\0'; ++entry) {
        if (EqualsIgnoringAsciiCase(text, entry->name)) return entry;
    }
    return nullptr;
}

StartRequest ReadCommandLine(const std::string& commandLine, const std::string& programPath) {
    // The program's path comes first: quoted, or as it is, even with blanks in it, or up to the
    // first blank when started by another name.
    std::size_t end = commandLine.find_first_of(" \t");
    if (!commandLine.empty() && commandLine[0] == '"') {
        end = commandLine.find('"', 1);
    } else if (StartsWithProgram(commandLine, programPath)) {
        end = programPath.size();
    }
    if (end == std::string::npos) return {};
    const std::size_t first = commandLine.find_first_not_of(" \t", end + 1);
    if (first == std::string::npos) return {};
    std::string argument = commandLine.substr(first, commandLine.find_last_not_of(" \t") - first + 1);
    if (EqualsIgnoringAsciiCase(argument.c_str(), "/register")) return {StartAction::Register, {}};
    if (EqualsIgnoringAsciiCase(argument.c_str(), "/unregister")) return {StartAction::Unregister, {}};
    // Quotes around the whole: a drive root arrives as "C:\", which is no escaped quote here.
    if (argument.size() >= 2 && argument.front() == '"' && argument.back() == '"') {
        argument = argument.substr(1, argument.size() - 2);
    }
    return {StartAction::Run, argument};
}

Point PlaceMainWindow(const win::Rect& explorer, int width, int height, const win::Rect& monitor) {
    Point corner{std::max(explorer.left, monitor.left), std::max(explorer.top, monitor.top)};
    const bool centre = monitor.bottom < corner.top + height + CentringMargin ||
                        monitor.right < corner.left + width + CentringMargin ||
                        (corner.top == monitor.top && corner.left == monitor.left);
    if (centre) {
        corner = {monitor.left + (monitor.right - monitor.left - width) / 2,
                  monitor.top + (monitor.bottom - monitor.top - height) / 2};
    }
    return corner;
}
