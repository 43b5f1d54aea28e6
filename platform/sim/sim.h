#pragma once
// The simulated world behind platform/sim: a window tree, a shell, a volume, message boxes
// and the toolkit's controls, driven by tests the way a user would drive the real program.
// Handles come from a counter and die when their window is destroyed, as on Win32.
#include <functional>
#include <string>
#include <vector>

#include "../toolkit.h"
#include "../winapi.h"

namespace sim {

// A fresh world: empty window tree and volume with drive C:\ only, no message boxes,
// command line "\"C:\\Program Files\\Quillet\\Quillet.exe\"", screen 1280 x 800,
// desktop C:\Users\me\Desktop and documents C:\Users\me\Documents (both folders exist).
void Reset();

// Window tree (foreign windows such as a stand-in Explorer window).
win::WindowHandle MakeWindow(win::WindowHandle parent, const std::string& className, const std::string& text = "",
                               win::Rect rect = {});
void DestroyWindow(win::WindowHandle window);  // with all its descendants
void SetText(win::WindowHandle window, const std::string& text);
void SetForegroundWindow(win::WindowHandle window);  // null for none
bool IsTopmost(win::WindowHandle window);
void SetScreenSize(int width, int height);

// Shell.
void SetCommandLine(const std::string& commandLine);
void SetSpecialFolder(int csidl, const std::string& path);  // "" makes SHGetSpecialFolderPathA fail
struct ShellExecuteCall {
    bool ownerIsNull = true;
    std::string verb, file, parameters, directory;
    int showCommand = 0;
};
const std::vector<ShellExecuteCall>& ShellExecuteCalls();
int BeepCount();
int SleepCount();  // Sleep is counted, never slept

// Volume: paths are case-insensitive; a trailing backslash is ignored except on drive roots.
void AddFolder(const std::string& path, unsigned long attributes = 0);  // parents too
void AddFile(const std::string& path, const std::string& bytes = "", unsigned long attributes = 0);
bool FolderExists(const std::string& path);
bool FileExists(const std::string& path);
std::string FileBytes(const std::string& path);
// Every folder and file below `root`, as paths relative to it, sorted, folders with a trailing "\".
std::vector<std::string> ListTree(const std::string& root);
int CreateDirectoryCalls();
// Faults.
void FailCreateDirectory(const std::string& path);  // CreateDirectoryA of exactly this path fails
void FailWritesIn(const std::string& folder);        // no file can be written in this folder
void FailWriteAfter(const std::string& path, std::size_t bytes);  // a write to the path breaks off
void FailReadLength(const std::string& path);        // its length cannot be determined
int FileWriteCount(const std::string& path);         // completed replacements of the file

// Message boxes: recorded, and answered by the responder running inside the box's loop.
struct MessageBoxRecord {
    win::WindowHandle owner = nullptr;
    std::string text, caption;
    unsigned type = 0;
};
const std::vector<MessageBoxRecord>& MessageBoxes();
void OnMessageBox(std::function<void(const MessageBoxRecord&)> responder);  // default: OK at once

// Toolkit: what a user does.
void Click(ui::Button& button);          // onClick
void Click(ui::RadioButton& radio);      // checks it, unchecks its group, then onClick
void Click(ui::CheckBox& checkBox);      // toggles it
void Click(ui::Label& label);            // onClick
void Focus(ui::Control& control);        // the user tabs or clicks into it
// One typed character to the focused control of the active form, following the toolkit's
// event rules: Enter clicks (focused button or default button), otherwise onKeyPress, then a
// character left non-zero and printable goes into a focused combo box's text at its selection.
void TypeChar(char key);
void TypeText(const std::string& text);
void CloseBox(ui::Form& form);  // the title bar's close box: Close without any handler
// Ticks a timer once if it is enabled, inside whatever loop is running now.
void Tick(ui::Timer& timer);
// The active form's focused control, or null.
ui::Control* FocusedControl();

// Modal displays: ShowModal runs the script for that form as its nested loop, then returns.
// A form without a script is closed with its close box. A script that leaves the form open
// is a test error: ShowModal throws std::logic_error.
void OnShowModal(ui::Form& form, std::function<void()> script);
// Application::Run runs this script as the message loop, then returns.
void OnRun(std::function<void()> script);

}  // namespace sim
