#include "Shared.h"

#include <algorithm>
#include <cstring>
#include <utility>

std::unique_ptr<char[]> MessageBuffer;
std::unique_ptr<char[]> TargetPath;
std::unique_ptr<char[]> InputBuf;

namespace {
HeldErrors* heldErrors = nullptr;
}

HeldErrors::HeldErrors() : outer_(std::exchange(heldErrors, this)) {}

HeldErrors::~HeldErrors() {
    heldErrors = outer_;
}

void HeldErrors::Hold(const char* text) {
    if (first_.empty()) first_ = text;
}

void ShowError(const char* text, sys::Error reason) {
    if (heldErrors != nullptr) return heldErrors->Hold(text);
    ShowErrorBox(text, reason);
}

void ShowAllocationFailure(const char* bufferName) {
    ShowFormattedError(
        "Internal program error:\n\n  \"%s memory allocation failed\"\n\nPlease close program and try again.\n"
        "If this keeps happening, please tell us at https://quillet.example/, quoting this message and the "
        "folder specification you entered.",
        bufferName);
}

void FormatText(char* buffer, std::size_t size, const char* format, std::initializer_list<FormatArgument> arguments) {
    std::string text;
    const FormatArgument* next = arguments.begin();
    for (const char* p = format; *p != '\0'; ++p) {
        const std::size_t directive = p[0] == '%' ? std::strspn(p + 1, "l") + 1 : 0;
        const char kind = directive != 0 ? p[directive] : '\0';
        if (kind != 's' && kind != 'c' && kind != 'u') {
            text += *p;
            continue;
        }
        if (next != arguments.end()) text += (next++)->text;
        p += directive;
    }
    const std::size_t length = std::min(text.size(), size - 1);
    std::memcpy(buffer, text.data(), length);
    buffer[length] = '\0';
}

std::string WithReason(const std::string& text, sys::Error reason) {
    const std::string words = reason != sys::kSuccess ? sys::ErrorText(reason) : std::string();
    return words.empty() ? text : text + "\n\n" + words;
}

std::string ProgramFolder() {
    std::string folder = sys::ProgramPath();
    folder.erase(folder.find_last_of('\\') + 1);
    return folder;
}
