#pragma once
// The Windows services that the window-free rules need: folders, the options file and the
// program's own folder. platform/win32 implements them; the rule tests bring a fake volume.
// Failures keep Windows' error code, so that callers and tests can tell one cause from another.
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
constexpr Error kErrorSharingViolation = 32;
constexpr Error kErrorAlreadyExists = 183;
constexpr Error kErrorFilenameTooLong = 206;

// Creates one folder whose parent exists.
Error CreateFolder(const char* path);
// Whether an entry of exactly this path exists and is a folder, whatever its attributes.
bool IsFolder(const char* path);

// The file's exact bytes.
Error ReadWholeFile(const char* path, std::string* bytes);
// Writes a temporary file beside `path` and moves it over `path` only once every byte is
// written and closed, so that a failed save never damages the file that was there.
Error ReplaceFileContents(const char* path, const std::string& bytes);

// The folder of the program's executable, with its trailing backslash.
std::string ProgramFolder();

}  // namespace sys
