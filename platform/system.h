#pragma once
// The Windows services that need no window: folders and files, the program's own path and command
// line, the registry, the shell's special folders, opening a document, the code page and time.
// Paths and text are UTF-8. platform/win32 implements them; the rule tests bring a volume in memory.
//
// Error policy, for the whole program:
// - Below this seam, and in the toolkit, a failure is a Windows error code (sys::Error), returned
//   or kept beside the result; it is never dropped, so that the user can be told Windows' reason.
// - The forms show failures in message boxes. The window-free rules reach that box through one
//   function they do not define, ShowError (rules/Shared.h), and give it the code where there is one.
// - Exceptions only for a window that could not be made (ui::Exception, with its code) and for
//   memory running out (std::bad_alloc); both end at the application object, which shows them.
#include <cstddef>
#include <cstdint>
#include <string>

namespace sys {

// A Windows error code as GetLastError gives it; 0 is success.
using Error = std::uint32_t;
constexpr Error kSuccess = 0;
constexpr Error kErrorFileNotFound = 2;
constexpr Error kErrorPathNotFound = 3;
constexpr Error kErrorAccessDenied = 5;
constexpr Error kErrorNotEnoughMemory = 8;
constexpr Error kErrorInvalidData = 13;
constexpr Error kErrorSharingViolation = 32;
constexpr Error kErrorAlreadyExists = 183;
constexpr Error kErrorFilenameTooLong = 206;
constexpr Error kErrorFileTooLarge = 223;

// Windows' own words for an error, in the user's language; empty when it has none.
std::string ErrorText(Error error);

// What tells a folder from another that later takes its path: its file index. Zero when
// Windows could not say.
struct FolderIdentity {
    std::uint64_t index = 0;
    bool operator==(const FolderIdentity&) const = default;
};

// Creates one folder whose parent exists; `made` receives its identity.
Error CreateFolder(const char* path, FolderIdentity* made);
// Whether an entry of exactly this path exists and is a folder, whatever its attributes.
bool IsFolder(const char* path);

enum class Removal {
    Removed,
    Gone,      // nothing at that path any more: moved, renamed or deleted
    NotEmpty,  // something was put into it
    Replaced,  // another folder or a file has taken its path
    Refused,   // Windows would not remove it (access denied, in use)
};
// Removes the folder at `path` only if it is still the folder `made`, and empty; never
// anything else, whatever has happened at that path meanwhile.
Removal RemoveFolder(const char* path, const FolderIdentity& made);

// The file's exact bytes; kErrorFileTooLarge, with nothing read, when it holds more than `limit`.
Error ReadWholeFile(const char* path, std::size_t limit, std::string* bytes);
// Writes a temporary file beside `path` and moves it over `path` only once every byte is
// written and closed, so that a failed save never damages the file that was there.
Error ReplaceFileContents(const char* path, const std::string& bytes);

// While it lives, no other holder of an ExclusiveUse of the same path (another running copy of
// Quillet) gets one: it waits a moment for the first to finish, then gives up with an error.
// Access denied ends the wait at once: it means the folder cannot be written, not that another
// copy holds the lock (unless that copy's lock file is still there, being deleted).
class ExclusiveUse {
public:
    explicit ExclusiveUse(const char* path);
    ExclusiveUse(const ExclusiveUse&) = delete;
    ExclusiveUse& operator=(const ExclusiveUse&) = delete;
    ~ExclusiveUse();
    Error error() const { return error_; }

private:
    [[maybe_unused]] std::intptr_t handle_ = 0;  // the lock, where there is one
    Error error_ = kSuccess;
};

void Sleep(unsigned milliseconds);

// The full path of the program's executable, as Windows knows the module.
std::string ProgramPath();
// The command line the process was started with, the program's path first.
std::string CommandLine();
struct Date {
    int year = 0;
    int month = 0;  // 1 to 12
    int day = 0;    // 1 to 31
};
// Today, in local time.
Date Today();

// Whether a new file can be made in `folder` now. Installed under Program Files, a program run
// without administrator rights cannot write beside itself (UAC's virtualisation is off for it).
bool FolderTakesNewFiles(const char* folder);

// The system's ANSI code page, in which the options file is kept. False when `utf8` holds a
// character the code page does not have: no look-alike is ever put in its place.
bool ToAnsiCodePage(const std::string& utf8, std::string* ansi);
std::string FromAnsiCodePage(const std::string& ansi);
// Below, equal to or above zero as `a` sorts before, with or after `b` in a sorted combo box: by
// the user's locale, ignoring case.
int CompareText(const std::string& a, const std::string& b);

// The shell's folders that the address bar may name instead of a path, and the user's roaming
// application data, with their shell ids.
enum class SpecialFolderId { Documents = 5, Desktop = 16, AppData = 26 };
// Its path, without creating it; false when the shell cannot say where it is.
bool SpecialFolderPath(SpecialFolderId id, std::string* path);

// From here on, a library loaded by name comes from System32 (or from the side-by-side store its
// manifest names), never from the program's folder, where a download may have left one of that
// name. Windows 7 needs KB2533623 for this; without it nothing changes.
void LoadLibrariesFromSystemOnly();

// Opens a document or a web address in the program the user has chosen for it.
Error OpenDocument(const char* fileOrAddress);
bool FileExists(const char* path);  // a file, not a folder

// A text value under HKEY_CURRENT_USER; "" names the key's default value.
Error SetRegistryText(const char* key, const char* name, const char* value);
// The key and everything below it; a key that is not there is no error.
Error DeleteRegistryTree(const char* key);

}  // namespace sys
