// system.h on real Win32: folders, the options file, the program's path and command line, the
// code page, the registry, the shell's folders and documents.
#include <windows.h>
// After <windows.h>, which they need.
#include <shlobj.h>
#include <winternl.h>

#include <algorithm>
#include <string>

#include "system.h"
#include "win32_com.h"
#include "win32_handles.h"
#include "win32_text.h"

static_assert(sys::kErrorFileNotFound == ERROR_FILE_NOT_FOUND);
static_assert(sys::kErrorPathNotFound == ERROR_PATH_NOT_FOUND);
static_assert(sys::kErrorAccessDenied == ERROR_ACCESS_DENIED);
static_assert(sys::kErrorInvalidData == ERROR_INVALID_DATA);
static_assert(sys::kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
static_assert(sys::kErrorSharingViolation == ERROR_SHARING_VIOLATION);
static_assert(sys::kErrorAlreadyExists == ERROR_ALREADY_EXISTS);
static_assert(sys::kErrorFilenameTooLong == ERROR_FILENAME_EXCED_RANGE);
static_assert(sys::kErrorFileTooLarge == ERROR_FILE_TOO_LARGE);
static_assert(static_cast<int>(sys::SpecialFolderId::Documents) == CSIDL_PERSONAL);
static_assert(static_cast<int>(sys::SpecialFolderId::Desktop) == CSIDL_DESKTOPDIRECTORY);
static_assert(static_cast<int>(sys::SpecialFolderId::AppData) == CSIDL_APPDATA);

namespace sys {

namespace {

constexpr int kExclusiveUseAttempts = 40;
constexpr unsigned kExclusiveUseWaitMs = 50;

// The folder part of a path, separator included, so that "C:\x" gives the root "C:\".
std::wstring FolderOf(const std::wstring& path) {
    const std::size_t separator = path.find_last_of(L"\\/");
    if (separator == std::wstring::npos) return L".\\";
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

// The code page's conversion, without its best-fit look-alikes; a UTF-8 code page takes the flags
// of UTF-8 itself.
bool ToCodePage(const std::wstring& wide, std::string* bytes) {
    bytes->clear();
    if (wide.empty()) return true;
    const bool utf8 = ::GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? WC_ERR_INVALID_CHARS : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* usedDefaultOut = utf8 ? nullptr : &usedDefault;
    const int length = ::WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), nullptr, 0,
                                             nullptr, usedDefaultOut);
    if (length <= 0 || usedDefault) return false;
    bytes->assign(static_cast<std::size_t>(length), '\0');
    ::WideCharToMultiByte(CP_ACP, flags, wide.data(), static_cast<int>(wide.size()), bytes->data(), length, nullptr,
                          nullptr);
    return true;
}

constexpr FILE_INFORMATION_CLASS kFileInternalInformation = static_cast<FILE_INFORMATION_CLASS>(6);
// FileDispositionInfoEx with FILE_DISPOSITION_FLAG_DELETE | FILE_DISPOSITION_FLAG_POSIX_SEMANTICS,
// which the SDK declares only for Windows 10 targets.
constexpr FILE_INFO_BY_HANDLE_CLASS kFileDispositionInfoEx = static_cast<FILE_INFO_BY_HANDLE_CLASS>(21);
constexpr DWORD kDeletePosixSemantics = 0x1 | 0x2;

// The file index: unique on its volume while the folder exists, and on NTFS never the same for
// a folder made later at the same path. Zero when Windows cannot say.
FolderIdentity IdentityOf(HANDLE folder) {
    IO_STATUS_BLOCK status;
    LARGE_INTEGER index{};
    if (!NT_SUCCESS(::NtQueryInformationFile(folder, &status, &index, sizeof index, kFileInternalInformation)))
        return {};
    return {static_cast<std::uint64_t>(index.QuadPart)};
}

// Whether the handle is on a folder: a file made where a recorded folder was may have been given
// that folder's number (Wine's file systems reuse them, and FAT may).
bool OnFolder(HANDLE opened) {
    FILE_BASIC_INFO basic;
    return ::GetFileInformationByHandleEx(opened, FileBasicInfo, &basic, sizeof basic) &&
           (basic.FileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

}  // namespace

// CreateDirectoryW's own call, which also leaves a handle on the new folder to read its identity
// from: opening it a second time would make creation several times slower under Wine.
Error CreateFolder(const char* path, FolderIdentity* made) {
    UNICODE_STRING ntPath;
    if (!::RtlDosPathNameToNtPathName_U(win32::Wide(path).c_str(), &ntPath, nullptr, nullptr)) {
        return ERROR_PATH_NOT_FOUND;
    }
    OBJECT_ATTRIBUTES attributes;
    InitializeObjectAttributes(&attributes, &ntPath, OBJ_CASE_INSENSITIVE, nullptr, nullptr);
    IO_STATUS_BLOCK status;
    HANDLE created = nullptr;
    const NTSTATUS result =
        ::NtCreateFile(&created, FILE_LIST_DIRECTORY | SYNCHRONIZE, &attributes, &status, nullptr,
                       FILE_ATTRIBUTE_NORMAL, FILE_SHARE_READ | FILE_SHARE_WRITE, FILE_CREATE,
                       FILE_DIRECTORY_FILE | FILE_SYNCHRONOUS_IO_NONALERT | FILE_OPEN_FOR_BACKUP_INTENT, nullptr, 0);
    ::RtlFreeUnicodeString(&ntPath);
    if (!NT_SUCCESS(result)) return ::RtlNtStatusToDosError(result);
    const win32::UniqueFile folder(created);
    *made = IdentityOf(folder.get());
    return kSuccess;
}

Removal RemoveFolder(const char* path, const FolderIdentity& made) {
    // Checked and removed through one handle, so that what is removed is what was checked.
    const win32::UniqueFile folder(::CreateFileW(win32::Wide(path).c_str(), DELETE | FILE_READ_ATTRIBUTES,
                                                 FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                                 OPEN_EXISTING,
                                                 FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    if (!folder) {
        const DWORD error = ::GetLastError();
        return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND ? Removal::Gone : Removal::Refused;
    }
    if (made == FolderIdentity{} || !OnFolder(folder.get()) || !(IdentityOf(folder.get()) == made)) {
        return Removal::Replaced;
    }
    // With POSIX semantics (Windows 10 1709 and later) the name goes at once, even while Explorer,
    // the indexer or an antivirus holds the folder open; otherwise it stays, pending deletion,
    // until the last handle closes, and keeps its parent from being empty meanwhile.
    struct {
        DWORD flags;
    } posix{kDeletePosixSemantics};
    if (::SetFileInformationByHandle(folder.get(), kFileDispositionInfoEx, &posix, sizeof posix))
        return Removal::Removed;
    if (::GetLastError() != ERROR_DIR_NOT_EMPTY) {
        FILE_DISPOSITION_INFO disposition{TRUE};
        if (::SetFileInformationByHandle(folder.get(), FileDispositionInfo, &disposition, sizeof disposition)) {
            return Removal::Removed;
        }
    }
    return ::GetLastError() == ERROR_DIR_NOT_EMPTY ? Removal::NotEmpty : Removal::Refused;
}

bool IsFolder(const char* path) {
    const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

Error ReadWholeFile(const char* path, std::size_t limit, std::string* bytes) {
    // Sharing delete as well, so that a save by another copy can replace the file meanwhile.
    win32::UniqueFile file(::CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file.get(), &size)) return LastError();
    if (static_cast<unsigned long long>(size.QuadPart) > limit) return ERROR_FILE_TOO_LARGE;
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
    const std::wstring target = win32::Wide(path);
    // MoveFileExW would refuse a read-only target anyway; refusing first writes nothing at all.
    const DWORD targetAttributes = ::GetFileAttributesW(target.c_str());
    if (targetAttributes != INVALID_FILE_ATTRIBUTES &&
        (targetAttributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return ERROR_ACCESS_DENIED;
    }
    // GetTempFileNameW creates the file, in the target's folder so that the move is a rename;
    // it fails when that folder is missing or cannot be written.
    wchar_t tempPath[MAX_PATH];
    if (::GetTempFileNameW(FolderOf(target).c_str(), L"qlt", 0, tempPath) == 0) return LastError();
    win32::ScopeExit removeTemp([&tempPath] { ::DeleteFileW(tempPath); });

    win32::UniqueFile file(
        ::CreateFileW(tempPath, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return LastError();
    if (!WriteAll(file.get(), bytes) || !::FlushFileBuffers(file.get())) return LastError();
    if (!::CloseHandle(file.release())) return LastError();

    if (!::MoveFileExW(tempPath, target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return LastError();
    }
    removeTemp.Dismiss();
    return kSuccess;
}

// A lock file beside the path, open without sharing and gone when closed.
ExclusiveUse::ExclusiveUse(const char* path) {
    const std::wstring lockPath = win32::Wide(path) + L".lock";
    for (int attempt = 1;; ++attempt) {
        const HANDLE lock = ::CreateFileW(lockPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_ALWAYS,
                                          FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
        if (lock != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(lock);
            error_ = kSuccess;  // taken at a later try: what the earlier ones met no longer counts
            return;
        }
        error_ = LastError();
        // A lock file that its holder has just closed is deleted a moment later; until then
        // opening it is denied. Where no lock file is there, the denial is the folder's.
        const bool held =
            error_ == ERROR_SHARING_VIOLATION ||
            (error_ == ERROR_ACCESS_DENIED && (::GetFileAttributesW(lockPath.c_str()) != INVALID_FILE_ATTRIBUTES ||
                                               ::GetLastError() == ERROR_ACCESS_DENIED));
        if (!held || attempt == kExclusiveUseAttempts) return;
        ::Sleep(kExclusiveUseWaitMs);
    }
}

ExclusiveUse::~ExclusiveUse() {
    if (handle_ != 0) ::CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

void Sleep(unsigned milliseconds) {
    ::Sleep(milliseconds);
}

std::string ProgramPath() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return {};
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);  // a long path: the name was cut
    }
    return win32::Utf8(path).value_or(std::string());
}

std::string CommandLine() {
    return win32::Utf8(::GetCommandLineW()).value_or(std::string());
}

Date Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

// Trying is the only sure test: rights, a read-only medium or a full disk all refuse the same way.
bool FolderTakesNewFiles(const char* folder) {
    wchar_t probe[MAX_PATH];
    if (::GetTempFileNameW(win32::Wide(folder).c_str(), L"qlt", 0, probe) == 0) return false;
    ::DeleteFileW(probe);
    return true;
}

int CompareText(const std::string& a, const std::string& b) {
    const std::wstring wideA = win32::Wide(a);
    const std::wstring wideB = win32::Wide(b);
    const int result = ::CompareStringW(LOCALE_USER_DEFAULT, NORM_IGNORECASE, wideA.data(),
                                        static_cast<int>(wideA.size()), wideB.data(), static_cast<int>(wideB.size()));
    if (result == 0) return a.compare(b);  // only for arguments CompareStringW rejects
    return result - CSTR_EQUAL;
}

bool ToAnsiCodePage(const std::string& utf8, std::string* ansi) {
    const std::wstring wide = win32::Wide(utf8);
    return (!wide.empty() || utf8.empty()) && ToCodePage(wide, ansi);
}

std::string FromAnsiCodePage(const std::string& ansi) {
    if (ansi.empty()) return {};
    const int length = ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(std::max(length, 0)), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return win32::Utf8(wide).value_or(std::string());
}

std::string ErrorText(Error error) {
    wchar_t* text = nullptr;
    const DWORD length =
        ::FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                         nullptr, error, 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    if (length == 0) return {};
    std::wstring words(text, length);
    ::LocalFree(text);
    while (!words.empty() && (words.back() == L'\n' || words.back() == L'\r' || words.back() == L' ')) words.pop_back();
    return win32::Utf8(words).value_or(std::string());
}

bool SpecialFolderPath(SpecialFolderId id, std::string* path) {
    using Function = BOOL(WINAPI*)(HWND, LPWSTR, int, BOOL);
    const auto getPath = win32::FindFunction<Function>(win32::Shell32(), "SHGetSpecialFolderPathW");
    wchar_t buffer[MAX_PATH] = L"";
    if (getPath == nullptr || !getPath(nullptr, buffer, static_cast<int>(id), FALSE)) return false;
    *path = win32::Utf8(buffer).value_or(std::string());
    return !path->empty();
}

void LoadLibrariesFromSystemOnly() {
    using Function = BOOL(WINAPI*)(DWORD);
    const auto restrict =
        win32::FindFunction<Function>(::GetModuleHandleW(L"kernel32.dll"), "SetDefaultDllDirectories");
    if (restrict != nullptr) restrict(LOAD_LIBRARY_SEARCH_SYSTEM32);
}

}  // namespace sys

HMODULE win32::Ole32() {
    static const HMODULE ole32 = ::LoadLibraryW(L"ole32.dll");
    return ole32;
}

HMODULE win32::Shell32() {
    static const HMODULE shell32 = ::LoadLibraryW(L"shell32.dll");
    return shell32;
}

bool win32::GuiThreadCom() {
    static const bool ready = [] {
        const auto initialize = FindFunction<decltype(&::CoInitializeEx)>(Ole32(), "CoInitializeEx");
        return initialize != nullptr &&
               SUCCEEDED(initialize(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE));
    }();
    return ready;
}

decltype(&::CoCreateInstance) win32::CreateInstanceFunction() {
    return FindFunction<decltype(&::CoCreateInstance)>(Ole32(), "CoCreateInstance");
}

namespace sys {

Error OpenDocument(const char* fileOrAddress) {
    // Some ShellExecute handlers fail without COM in the calling thread.
    win32::GuiThreadCom();
    using Function = HINSTANCE(WINAPI*)(HWND, LPCWSTR, LPCWSTR, LPCWSTR, LPCWSTR, INT);
    const auto execute = win32::FindFunction<Function>(win32::Shell32(), "ShellExecuteW");
    if (execute == nullptr) return LastError();
    // Above 32 is success; below, the documented codes are Windows error codes or their like.
    const auto result = reinterpret_cast<INT_PTR>(
        execute(nullptr, L"open", win32::Wide(fileOrAddress).c_str(), nullptr, nullptr, SW_SHOWNORMAL));
    return result > 32 ? kSuccess : static_cast<Error>(result == 0 ? ERROR_NOT_ENOUGH_MEMORY : result);
}

bool FileExists(const char* path) {
    const DWORD attributes = ::GetFileAttributesW(win32::Wide(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Error SetRegistryText(const char* key, const char* name, const char* value) {
    HKEY opened = nullptr;
    LSTATUS status = ::RegCreateKeyExW(HKEY_CURRENT_USER, win32::Wide(key).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                       nullptr, &opened, nullptr);
    if (status != ERROR_SUCCESS) return static_cast<Error>(status);
    const std::wstring data = win32::Wide(value);
    status = ::RegSetValueExW(opened, name[0] != '\0' ? win32::Wide(name).c_str() : nullptr, 0, REG_SZ,
                              reinterpret_cast<const BYTE*>(data.c_str()),
                              static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
    ::RegCloseKey(opened);
    return static_cast<Error>(status);
}

Error DeleteRegistryTree(const char* key) {
    const LSTATUS status = ::RegDeleteTreeW(HKEY_CURRENT_USER, win32::Wide(key).c_str());
    return status == ERROR_FILE_NOT_FOUND ? kSuccess : static_cast<Error>(status);  // nothing to remove
}

}  // namespace sys
