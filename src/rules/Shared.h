#pragma once
// The program-wide buffers and the one error box, shared by every unit.
#include <cstddef>
#include <initializer_list>
#include <memory>
#include <string>

#include "system.h"

constexpr std::size_t MessageBufferSize = 10000;
constexpr std::size_t TargetPathSize = 780;    // a path of 259 UTF-16 units in UTF-8, and its NUL
extern std::unique_ptr<char[]> MessageBuffer;  // messages with placeholders are formatted here
extern std::unique_ptr<char[]> TargetPath;     // the folder the next command creates in
extern std::unique_ptr<char[]> InputBuf;       // the working copy of the typed specification

// The one function that a user of the window-free rules supplies: the program's modal error box
// (forms/Unit1.cpp), or the tests' record of what would have been shown. `reason` is Windows'
// error code where Windows refused something; the box then adds Windows' own words for it.
void ShowErrorBox(const char* text, sys::Error reason);
// What every rule calls: the box, unless a HeldErrors lives.
void ShowError(const char* text, sys::Error reason = sys::kSuccess);

// While one lives, ShowError keeps the first text for it and shows nothing: the preview asks
// the rules what Enter would say, without saying it.
class HeldErrors {
public:
    HeldErrors();
    HeldErrors(const HeldErrors&) = delete;
    HeldErrors& operator=(const HeldErrors&) = delete;
    ~HeldErrors();
    const std::string& First() const { return first_; }
    void Hold(const char* text);

private:
    std::string first_;
    HeldErrors* outer_;
};
// The text, then Windows' own words for `reason` after a blank line, where Windows has any.
std::string WithReason(const std::string& text, sys::Error reason);

// One argument of FormatText, as the text it stands for.
struct FormatArgument {
    FormatArgument(const char* text) : text(text) {}
    FormatArgument(char character) : text(1, character) {}
    FormatArgument(unsigned long number) : text(std::to_string(number)) {}
    std::string text;
};
// printf's %s, %c and %lu, nothing more, into `buffer` of `size` bytes, cut at its end. The
// format is always one of the program's own texts; user text only ever arrives as an argument.
void FormatText(char* buffer, std::size_t size, const char* format, std::initializer_list<FormatArgument> arguments);

// Formats into MessageBuffer and shows the result.
template <typename... Arguments>
void ShowFormattedError(const char* format, Arguments... arguments) {
    FormatText(MessageBuffer.get(), MessageBufferSize, format, {FormatArgument(arguments)...});
    ShowError(MessageBuffer.get());
}
// The message for a buffer the heap could not supply; bufferName is the program's own word.
void ShowAllocationFailure(const char* bufferName);

// Calls `attempt` up to `attempts` times, `waitMs` apart, while `again` holds for its result; the
// last result.
template <typename Attempt, typename Again>
auto Retried(int attempts, unsigned waitMs, Attempt attempt, Again again) {
    for (int made = 1;; ++made) {
        const auto result = attempt();
        if (made == attempts || !again(result)) return result;
        sys::Sleep(waitMs);
    }
}

// The folder of the program's own file, with its trailing backslash: the help page and the
// options file lie there, wherever Quillet was started from.
std::string ProgramFolder();
