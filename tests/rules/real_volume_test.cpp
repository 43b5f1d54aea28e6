// The engine on the real volume, where the volume in memory only imitates Windows: case beyond
// ASCII, attributes, the names and lengths that Windows itself refuses, and the removal of a
// folder only while it is empty. Under Wine when cross-built; it works in a temporary folder of
// its own and removes it. A plain program: it prints a line per failed check and returns their count.
#include <windows.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "Shared.h"
#include "Unit2.h"
#include "shown_errors.h"

namespace {

int failures = 0;

void Check(bool ok, const std::string& row, const char* what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL %s: %s\n", row.c_str(), what);
}

std::wstring Wide(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end())).wstring();
}

std::size_t FoldersBelow(const std::filesystem::path& root) {
    std::size_t folders = 0;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(root)) folders += entry.is_directory();
    return folders;
}

}  // namespace

int main() {
    struct Row {
        std::string text;
        const char* existing;  // made first: a folder when `attributes` say so, else a file
        DWORD attributes;
        std::vector<std::string> folders;  // every folder below the target afterwards
        std::string message;
        DWORD error;
    };
    constexpr DWORD folder = FILE_ATTRIBUTE_DIRECTORY, hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    const auto creation = [](const std::string& name) {
        return "A problem occurred during creation of: " + name + "\nAborting further folder creation.";
    };
    const auto illegal = [](const std::string& name) { return "\"" + name + "\" is not a legal folder name."; };
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const std::filesystem::path root = std::filesystem::path(temp) / ("quillet-rules-" + std::to_string(::GetCurrentProcessId()));
    const std::u8string rootText = root.u8string();
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", reinterpret_cast<const char*>(rootText.c_str()));
    for (const Row& row : std::vector<Row>{
             {"reports<Q1>", "Reports", folder, {"Reports", "Reports\\Q1"}, "", 0},
             {"\xC3\xA9<x>", "\xC3\x89", folder, {"\xC3\x89", "\xC3\x89\\x"}, "", 0},  // e and E acute
             {"Z\xC5\x82oty|\xCE\xA9mega", nullptr, 0, {"Z\xC5\x82oty", "\xCE\xA9mega"}, "", 0},
             {"h<x>", "H", folder | hidden | system, {"H", "H\\x"}, "", 0},
             {"f<x>", "f", 0, {}, creation("f"), ERROR_ALREADY_EXISTS},
             {"f<x>", "F", hidden, {}, creation("f"), ERROR_ALREADY_EXISTS},
             {"f<x>", "f", system, {}, creation("f"), ERROR_ALREADY_EXISTS},
             // Names Windows would not make as typed are refused before the first folder.
             {"a|x\ty", nullptr, 0, {}, illegal("x\ty"), 0},
             {"first|CON|last", nullptr, 0, {}, illegal("CON"), 0},
             {"a|. .<b>", nullptr, 0, {}, illegal(". ."), 0},
             {"a|.. .", nullptr, 0, {}, illegal(".. ."), 0}}) {
        std::filesystem::remove_all(root);
        std::filesystem::create_directories(root);
        if (row.existing != nullptr) {
            const std::wstring path = (root / Wide(row.existing)).wstring();
            if (row.attributes & folder) {
                ::CreateDirectoryW(path.c_str(), nullptr);
            } else {
                ::CloseHandle(::CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
            }
            ::SetFileAttributesW(path.c_str(), (row.attributes & ~folder) | FILE_ATTRIBUTE_ARCHIVE);
        }
        ShownErrors().clear();
        LastCreationError = ERROR_SUCCESS;

        Check(CreateFromText(row.text) == row.message.empty(), row.text, "the command's result");
        Check(ShownErrors() == (row.message.empty() ? std::vector<std::string>{} : std::vector{row.message}), row.text,
              "the message");
        Check(LastCreationError == row.error, row.text, "Windows' error code");
        Check(FoldersBelow(root) == row.folders.size(), row.text, "the number of folders made");
        for (const std::string& name : row.folders) {
            Check(sys::IsFolder((std::string(rootText.begin(), rootText.end()) + "\\" + name).c_str()), row.text, "a folder");
        }
    }

    // The undo removes through the folder's own handle, which Windows refuses while it holds anything.
    std::filesystem::remove_all(root);
    std::filesystem::create_directories(root);
    Check(CreateFromText("u<v|w>"), "undo", "the tree is made");
    ::CloseHandle(::CreateFileW((root / L"u" / L"v" / L"file.txt").wstring().c_str(), GENERIC_WRITE, 0, nullptr,
                                CREATE_NEW, 0, nullptr));
    Check(UndoLastCreation() == "1 folder was removed. 2 were left because they are no longer empty.", "undo",
          "the report");
    Check(FoldersBelow(root) == 2 && !std::filesystem::exists(root / L"u" / L"w"), "undo", "w alone is gone");

    ReleaseBuffers();
    std::filesystem::remove_all(root);
    Check(!std::filesystem::exists(root), "clean-up", "the temporary folder is gone");
    std::printf("%d failed\n", failures);
    return failures;
}
