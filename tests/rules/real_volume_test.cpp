// The engine on the real volume, where the volume in memory only imitates Windows: case beyond
// ASCII, hidden and system folders and files in the way, and the removal of a folder only while it
// is empty. The end-to-end tests make Unicode and device names with the real program. Under Wine
// when cross-built; it works in a temporary folder of its own and removes it. A plain program: it
// prints a line per failed check and returns their count.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "Shared.h"
#include "Unit2.h"
#include "shown_errors.h"

namespace fs = std::filesystem;
using Texts = std::vector<std::string>;

namespace {

int failures = 0;

void Check(bool ok, const std::string& row, const char* what) {
    if (ok) return;
    ++failures;
    std::printf("FAIL %s: %s\n", row.c_str(), what);
}

// Every folder below `root`, relative to it, in UTF-8 and sorted.
Texts FoldersBelow(const fs::path& root) {
    Texts folders;
    for (const fs::directory_entry& entry : fs::recursive_directory_iterator(root)) {
        const std::u8string path = entry.path().lexically_relative(root).u8string();
        if (entry.is_directory()) folders.emplace_back(path.begin(), path.end());
    }
    std::sort(folders.begin(), folders.end());
    return folders;
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH];
    ::GetTempPathW(MAX_PATH, temp);
    const fs::path root = fs::path(temp) / ("quillet-rules-" + std::to_string(::GetCurrentProcessId()));
    const std::u8string rootText = root.u8string();
    MessageBuffer.reset(new char[MessageBufferSize]);
    TargetPath.reset(new char[TargetPathSize]);
    std::snprintf(TargetPath.get(), TargetPathSize, "%s", reinterpret_cast<const char*>(rootText.c_str()));

    // A folder in the way is passed over whatever its case and attributes; any file stops the command.
    constexpr DWORD folder = FILE_ATTRIBUTE_DIRECTORY, hidden = FILE_ATTRIBUTE_HIDDEN, system = FILE_ATTRIBUTE_SYSTEM;
    const Texts stopped = {"A problem occurred during creation of: f\nAborting further folder creation."};
    struct Row {
        const char* text;
        const char8_t* existing;  // made first: a folder when `attributes` say so, else a file
        DWORD attributes;
        Texts folders;  // every folder below the target afterwards; none when the command stops
    };
    for (const Row& row : std::vector<Row>{
             {"\xC3\xA9<x>", u8"\u00C9", folder, {"\xC3\x89", "\xC3\x89\\x"}},  // e acute typed, E acute there
             {"h<x>", u8"H", folder | hidden | system, {"H", "H\\x"}},
             {"f<x>", u8"f", 0, {}},
             {"f<x>", u8"F", hidden, {}},
             {"f<x>", u8"f", system, {}}}) {
        fs::remove_all(root);
        fs::create_directories(root);
        const fs::path existing = root / row.existing;
        if (row.attributes & folder) {
            fs::create_directory(existing);
        } else {
            std::ofstream{existing};
        }
        ::SetFileAttributesW(existing.c_str(), (row.attributes & ~folder) | FILE_ATTRIBUTE_ARCHIVE);
        ShownErrors().clear();
        LastCreationError = ERROR_SUCCESS;
        const bool made = !row.folders.empty();

        Check(CreateFromText(row.text) == made, row.text, "the command's result");
        Check(ShownErrors() == (made ? Texts{} : stopped), row.text, "the message");
        Check(LastCreationError == (made ? ERROR_SUCCESS : ERROR_ALREADY_EXISTS), row.text, "Windows' error code");
        Check(FoldersBelow(root) == row.folders, row.text, "the folders below the target");
    }

    // The undo removes through the folder's own handle, which Windows refuses while it holds anything.
    fs::remove_all(root);
    fs::create_directories(root);
    Check(CreateFromText("u<v|w>"), "undo", "the tree is made");
    std::ofstream{root / "u" / "v" / "file.txt"};
    Check(UndoLastCreation() == "1 folder was removed. 2 were left because they are no longer empty.", "undo",
          "the report");
    Check(FoldersBelow(root) == Texts{"u", "u\\v"}, "undo", "w alone is gone");

    ReleaseBuffers();
    fs::remove_all(root);
    Check(!fs::exists(root), "clean-up", "the temporary folder is gone");
    std::printf("%d failed\n", failures);
    return failures;
}
