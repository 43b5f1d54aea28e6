// system.h on real Win32: folders, the options file and the program's folder.
#include <windows.h>

#include <algorithm>
#include <string>
#include <string_view>

#include "system.h"
#include "win32_handles.h"

static_assert(sys::kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(sys::kErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(sys::kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(sys::kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(sys::kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(sys::kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(sys::kErrorFilenameTooLong == ERROR_FILENAME_EXCED_RANGE);

namespace sys {

namespace {

// The folder part of a path, separator included, so that "C:\x" gives the root "C:\"; a bare
// name lies in the current folder.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".\\";
    return path.substr(0, separator + 1);
}

Error LastError() {
    const DWORD error = ::GetLastError();
    return error != ERROR_SUCCESS ? error : ERROR_GEN_FAILURE;  // a failure never reads as success
}

bool WriteAll(HANDLE file, const std::string& bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const DWORD chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size() - written, 1u << 20));
        DWORD done = 0;
        if (!::WriteFile(file, bytes.data() + written, chunk, &done, nullptr) || done == 0) return false;
        written += done;
    }
    return true;
}

}  // namespace

Error CreateFolder(const char* path) {
    return ::CreateDirectoryA(path, nullptr) ? kSuccess : LastError();
}

bool IsFolder(const char* path) {
    const DWORD attributes = ::GetFileAttributesA(path);
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Error ReadWholeFile(const char* path, std::string* bytes) {
    win32::UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) return LastError();
    if (size.QuadPart > 0x7FFFFFFF) return ERROR_FILE_TOO_LARGE;
    std::string contents(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < contents.size()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(contents.size() - filled);
        if (!::ReadFile(file.get(), &contents[filled], chunk, &done, nullptr)) return LastError();
        if (done == 0) break;  // the file shrank since its size was read
        filled += done;
    }
    contents.resize(filled);
    *bytes = std::move(contents);
    return kSuccess;
}

Error ReplaceFileContents(const char* path, const std::string& bytes) {
    // MoveFileExA would refuse a read-only target anyway; refusing first writes nothing at all.
    const DWORD targetAttributes = ::GetFileAttributesA(path);
    if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
        (targetAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    // GetTempFileNameA creates the file, in the target's folder so that the move is a rename;
    // it fails when that folder is missing or cannot be written.
    char tempPath[MAX_PATH];
    if (::GetTempFileNameA(FolderOf(path).c_str(), "qlt", 0, tempPath) == 0) return LastError();
    win32::ScopeExit removeTemp([&tempPath] { ::DeleteFileA(tempPath); });

    win32::UniqueFile file(
        ::CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) return LastError();
    if (!::CloseHandle(file.release())) return LastError();

    if (!::MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return LastError();
    removeTemp.Dismiss();
    return kSuccess;
}

std::string ProgramFolder() {
    // The program's path is the first token of the command line, quoted or not; the
    // arguments after it may hold backslashes of their own.
    const std::string_view line = ::GetCommandLineA();
    std::string_view program;
    if (!line.empty() && line[0] == '"') {
        program = line.substr(1, line.find('"', 1) - 1);
    } else {
        program = line.substr(0, line.find_first_of(" \t"));
    }
    const std::size_t lastBackslash = program.rfind('\\');
    if (lastBackslash == std::string_view::npos) return {};
    return std::string(program.substr(0, lastBackslash + 1));
}

}  // namespace sys
