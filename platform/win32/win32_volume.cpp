// The volume half of winapi.h on real Win32: attributes, folders and the options file.
#include <windows.h>
// After <windows.h>, which it needs.
#include <shlwapi.h>

#include <algorithm>
#include <string>

#include "win32_handles.h"
#include "winapi.h"

namespace win {

namespace {

// The folder part of a path, separator included, so that "C:\x" gives the root "C:\"; a bare
// name lies in the current folder.
std::string FolderOf(const std::string& path) {
    const std::size_t separator = path.find_last_of("\\/");
    if (separator == std::string::npos) return ".\\";
    return path.substr(0, separator + 1);
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

unsigned long GetFileAttributesA(const char* path) {
    return ::GetFileAttributesA(path);
}

bool CreateDirectoryA(const char* path, void* securityAttributes) {
    return ::CreateDirectoryA(path, static_cast<LPSECURITY_ATTRIBUTES>(securityAttributes)) != FALSE;
}

bool PathIsDirectoryA(const char* path) {
    return ::PathIsDirectoryA(path) != FALSE;
}

FileRead ReadWholeFile(const char* path, std::string* bytes) {
    win32::UniqueFile file(::CreateFileA(path, GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return FileRead::NotOpened;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size) || size.QuadPart < 0 || size.QuadPart > 0x7FFFFFFF) {
        return FileRead::LengthUnknown;
    }
    std::string contents(static_cast<std::size_t>(size.QuadPart), '\0');
    std::size_t filled = 0;
    while (filled < contents.size()) {
        DWORD done = 0;
        const DWORD chunk = static_cast<DWORD>(contents.size() - filled);
        // A read error leaves the length unknowable too: the caller then changes nothing.
        if (!::ReadFile(file.get(), &contents[filled], chunk, &done, nullptr)) return FileRead::LengthUnknown;
        if (done == 0) break;  // the file shrank since its size was read
        filled += done;
    }
    contents.resize(filled);
    *bytes = std::move(contents);
    return FileRead::Read;
}

bool ReplaceFileContents(const char* path, const std::string& bytes) {
    // MoveFileExA would refuse a read-only target anyway; refusing first writes nothing at all.
    const DWORD targetAttributes = ::GetFileAttributesA(path);
    if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
        (targetAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return false;
    }
    // GetTempFileNameA creates the file, in the target's folder so that the move is a rename;
    // it fails when that folder is missing or cannot be written.
    char tempPath[MAX_PATH];
    if (::GetTempFileNameA(FolderOf(path).c_str(), "qlt", 0, tempPath) == 0) return false;
    win32::ScopeExit removeTemp([&tempPath] { ::DeleteFileA(tempPath); });

    win32::UniqueFile file(
        ::CreateFileA(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return false;
    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) return false;
    if (!::CloseHandle(file.release())) return false;

    if (!::MoveFileExA(tempPath, path, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) return false;
    removeTemp.Dismiss();
    return true;
}

}  // namespace win
