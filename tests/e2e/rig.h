#pragma once
// The driver's tools: waits that keep the stand-in's messages flowing, Quillet's process,
// keyboard input as a person gives it, other processes' windows, and the files on the volume.
// Every wait is a poll with a time-out; nothing sleeps blindly.
#include <windows.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "owner.h"

namespace fs = std::filesystem;

#if defined(__GNUC__)
#define RIG_PRINTF_FORMAT(formatIndex, firstArgument) __attribute__((format(printf, formatIndex, firstArgument)))
#else
#define RIG_PRINTF_FORMAT(formatIndex, firstArgument)
#endif

// printf-style formatting into a bounded buffer; user text only ever goes in as a %s argument.
std::string Format(const char* format, ...) RIG_PRINTF_FORMAT(1, 2);

// Prints a line per check and keeps the count. Begin names what the following checks belong to.
class Report {
public:
    void Begin(const std::string& label);
    // Returns ok; on failure `seen` says what was found instead.
    bool Expect(bool ok, const std::string& what, const std::string& seen = {});
    // A step that the checks after it depend on: counted, and printed, only when it fails.
    bool Require(bool ok, const std::string& what);
    void Info(const std::string& text);
    int Passed() const { return passed_; }
    int Failed() const { return failed_; }

private:
    std::string label_;
    int passed_ = 0;
    int failed_ = 0;
};

class Stopwatch {
public:
    Stopwatch() : start_(std::chrono::steady_clock::now()) {}
    long long Milliseconds() const;

private:
    std::chrono::steady_clock::time_point start_;
};

// Handles the messages of the driver's own windows that are waiting now.
void PumpMessages();
// Polls `ready` until it holds or `timeoutMs` passes, pumping messages meanwhile.
bool WaitUntil(const std::function<bool()>& ready, DWORD timeoutMs);

// Quillet's process. An owner that still runs when it is destroyed is terminated, so that a
// failed scenario does not leave a process behind for the next one.
class QuilletProcess {
public:
    QuilletProcess() = default;
    QuilletProcess(HandleOwner process, DWORD id);
    QuilletProcess(QuilletProcess&&) = default;
    QuilletProcess& operator=(QuilletProcess&&) = default;
    ~QuilletProcess();

    explicit operator bool() const { return static_cast<bool>(process_); }
    DWORD Id() const { return id_; }
    bool Running() const;
    // The exit code once the process has ended within the time-out.
    std::optional<DWORD> WaitForExit(DWORD timeoutMs);
    void Terminate();

private:
    HandleOwner process_;
    DWORD id_ = 0;
};

// Starts the program with its path quoted on the command line, as the shell starts it.
QuilletProcess StartQuillet(const fs::path& exe);

// A visible top-level window of the process with exactly this caption, or null.
HWND FindTopWindow(DWORD processId, const std::string& caption);
HWND WaitForWindow(DWORD processId, const std::string& caption, DWORD timeoutMs);
// The first descendant of `parent` of this class whose text is `caption`; any text when
// `caption` is null.
HWND FindChild(HWND parent, const char* className, const char* caption);
// A window's text, asked with WM_GETTEXT, so that it also works for other processes' controls.
std::string WindowText(HWND window);
// Clicks a button of another process by its caption. Posted, not sent: a click that opens a
// modal box would otherwise hold the driver until the box closes.
bool ClickButton(HWND parent, const std::string& caption);
// The text of a message box: its static control with id 0xFFFF.
std::string MessageBoxText(HWND box);
// Returns once the window's thread has finished what it was handling when this was called.
bool SyncWith(HWND window);
// The control that has the keyboard focus in the window's thread.
HWND FocusedControl(HWND window);

// What a combo box shows: its text and its selection (caret when start == end).
struct ComboState {
    std::string text;
    int selectionStart = 0;
    int selectionEnd = 0;
    bool operator==(const ComboState&) const = default;
};
ComboState ReadCombo(HWND combo);

// Keyboard input through SendInput: it reaches whichever window is in the foreground.
bool PressKey(WORD virtualKey);
// Types each character and waits until the combo box shows a change before the next one.
bool TypeText(HWND combo, const std::string& text);
// Types as a person does with automatic <> completion: a '>' that completion has already put
// under the caret is stepped over with the Right arrow instead of being typed again.
bool TypeAsPerson(HWND combo, const std::string& text);

std::optional<std::string> ReadFileBytes(const fs::path& file);
bool WriteFileBytes(const fs::path& file, const std::string& bytes);
// Every folder under `root`, as sorted paths relative to it with backslashes.
std::vector<std::string> ListTree(const fs::path& root);
std::string Join(const std::vector<std::string>& items);
// The folder of the driver's own executable.
fs::path DriverFolder();
// A Windows path as the program sees it; fs::path keeps whichever separators it was given.
std::string WindowsPath(const fs::path& path);
