#include "Unit1Rules.h"

#include <algorithm>

namespace {

constexpr const char* AddressBarClassChain[] = {"WorkerW", "ReBarWindow32", "ComboBoxEx32", "ComboBox", "Edit", ""};

constexpr SpecialFolder SpecialFolderTable[] = {
    {"My Documents", win::kCsidlPersonal},
    {"Desktop", win::kCsidlDesktopDirectory},
    {"", 0},
};

constexpr int CentringMargin = 10;

char UpperAscii(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; }

bool EqualsIgnoringAsciiCase(const char* a, const char* b) {
    for (; *a != '\0' && *b != '\0'; ++a, ++b) {
        if (UpperAscii(*a) != UpperAscii(*b)) return false;
    }
    return *a == *b;
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
